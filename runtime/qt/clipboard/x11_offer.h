#pragma once

#include <QClipboard>

namespace quorvel::runtime {

/// Whether another X11 program offers the clipboard's (or, for QClipboard::Selection, the
/// primary selection's) text as UTF8_STRING bytes that begin with a byte-order mark (EF BB BF).
/// False off X11, when nothing such is offered, and when the owner does not answer in time.
bool x11OfferStartsWithMark(QClipboard::Mode mode);

} // namespace quorvel::runtime
