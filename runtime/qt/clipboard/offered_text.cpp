// Qt decodes offered text with a UTF-8 decoder that drops a leading byte-order mark, and knows
// only text/plain: an offer of text/plain;charset=utf-8 alone, or of X11 compound text alone,
// looks like no text at all. So the bytes are decoded here, keeping every code unit. Text offered
// from inside the program is Qt's own string, exact as it is (a lone surrogate too).

#include "offered_text.h"

#include "compound_text.h"
#include "text_types.h"
#include "x11_display.h"

#include <QGuiApplication>
#include <QMimeData>
#include <QStringDecoder>

namespace quorvel::runtime {

namespace {
QByteArrayView bytesOf(std::string_view name) {
    return QByteArrayView(name.data(), static_cast<qsizetype>(name.size()));
}

const QString plainUtf8 = QString::fromLatin1(bytesOf(textTypes::plainUtf8));
const QString compoundText = QString::fromLatin1(bytesOf(textTypes::compound));

QString fromUtf8KeepingMark(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}
} // namespace

QString textOfBytes(QByteArrayView bytes, QByteArrayView type) {
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    if (type == bytesOf(textTypes::utf8)
        || type.compare(bytesOf(textTypes::plainUtf8), Qt::CaseInsensitive) == 0
        || type == bytesOf(textTypes::plain))
        return fromUtf8KeepingMark(bytes);
    if (type == bytesOf(textTypes::latin1))
        return QString::fromLatin1(bytes);
    if (type == bytesOf(textTypes::compound)) {
        const auto utf8 = compoundTextToUtf8(
            { bytes.data(), static_cast<std::size_t>(bytes.size()) }, x11Display());
        return utf8 ? fromUtf8KeepingMark(QByteArrayView(utf8->data(), qsizetype(utf8->size())))
                    : QString();
    }
    return {};
}

bool offersText(const QMimeData& source) {
    return source.hasText() || source.hasFormat(plainUtf8) || source.hasFormat(compoundText);
}

QString offeredText(const QMimeData& source) {
    if (const QByteArray bytes = source.data(plainUtf8); !bytes.isEmpty())
        return textOfBytes(bytes, bytesOf(textTypes::utf8));
    if (source.hasText())
        return source.text();
    if (source.hasFormat(compoundText))
        return textOfBytes(source.data(compoundText), bytesOf(textTypes::compound));
    return {};
}

} // namespace quorvel::runtime
