#pragma once

// The exact text of what another program, or this one, offers: pure functions, no widget.

#include <QByteArrayView>
#include <QString>

class QMimeData;

namespace quorvel::runtime {

/// The exact text of bytes offered as the type named: every code unit, a leading byte-order mark
/// included (and none added). UTF8_STRING, text/plain;charset=utf-8 and text/plain are UTF-8
/// (bytes that are no UTF-8 become U+FFFD), STRING is Latin-1, COMPOUND_TEXT is X11 compound
/// text (decoded by libX11). A NUL at the end, which some X11 programs add, is not text. Null for
/// a type that is no text, and for compound text that cannot be decoded.
QString textOfBytes(QByteArrayView bytes, QByteArrayView type);

/// The exact text that a clipboard, selection or drop offers as Qt's data, by the same rules:
/// whether it is offered as text/plain, as text/plain;charset=utf-8 only, or as X11 compound text
/// only. Empty when it offers no text.
QString offeredText(const QMimeData& source);
bool offersText(const QMimeData& source);

} // namespace quorvel::runtime
