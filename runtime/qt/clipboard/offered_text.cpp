// The exact text of a clipboard, a selection or a drop.
//
// Qt decodes offered text with a UTF-8 decoder that drops a leading byte-order mark, and knows
// only text/plain: an offer of text/plain;charset=utf-8 alone, or of X11 compound text alone,
// looks like no text at all. So UTF-8 bytes are decoded here, keeping every code unit; where X11
// gives no bytes but Qt's decoding (UTF8_STRING), the owner is asked whether a mark came first.
// Text offered from inside the program is Qt's own string, exact as it is (a lone surrogate too).

#include "runtime/qt/widgets/textbox.h"
#include "x11_offer.h"

#include <QGuiApplication>
#include <QMimeData>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace quorvel::runtime {

namespace {
const QString plainUtf8 = u"text/plain;charset=utf-8"_s;
const QString compoundText = u"COMPOUND_TEXT"_s;

QString fromUtf8KeepingMark(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

// X11 compound text (ISO 2022): ASCII and the right half of Latin-1 unless an escape sequence
// says otherwise; Japanese in JIS X 0208, JIS X 0212 and JIS X 0201 (decoded as EUC-JP);
// segments of UTF-8. Anything else is skipped.
QString fromCompoundText(const QByteArray& bytes) {
    enum class Set { Ascii, Latin1High, Kana, Jis0208, Jis0212, Other };
    Set g0 = Set::Ascii;
    Set g1 = Set::Latin1High;
    QStringDecoder eucJp("EUC-JP");
    QString text;
    QByteArray euc; // pending EUC-JP bytes
    char lead = 0; // the first byte of a two-byte character
    const auto flush = [&] {
        lead = 0;
        if (!euc.isEmpty())
            text += eucJp.decode(euc);
        euc.clear();
    };
    const auto n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == 0x1B) { // an escape sequence designates a set, or opens a segment
            flush();
            const QByteArray rest = bytes.mid(i + 1, 4);
            const auto designate = [&](qsizetype length, Set& which, Set set) {
                which = set;
                i += length;
            };
            if (rest.startsWith("(B") || rest.startsWith("(J"))
                designate(2, g0, Set::Ascii);
            else if (rest.startsWith("(I"))
                designate(2, g0, Set::Kana);
            else if (rest.startsWith("-A"))
                designate(2, g1, Set::Latin1High);
            else if (rest.startsWith(")I"))
                designate(2, g1, Set::Kana);
            else if (rest.startsWith("$(B") || rest.startsWith("$B"))
                designate(rest[1] == 'B' ? 2 : 3, g0, Set::Jis0208);
            else if (rest.startsWith("$)B"))
                designate(3, g1, Set::Jis0208);
            else if (rest.startsWith("$(D"))
                designate(3, g0, Set::Jis0212);
            else if (rest.startsWith("$)D"))
                designate(3, g1, Set::Jis0212);
            else if (rest.startsWith("%G")) { // UTF-8 up to ESC % @
                const qsizetype end = bytes.indexOf("\x1B%@", i + 3);
                const qsizetype stop = end < 0 ? n : end;
                text += fromUtf8KeepingMark(QByteArrayView(bytes).sliced(i + 3, stop - i - 3));
                i = end < 0 ? n : end + 2;
            } else if (rest.startsWith("%/") && i + 6 < n) { // a segment of its own length
                const qsizetype length = (static_cast<unsigned char>(bytes[i + 4]) & 0x7F) * 128
                    + (static_cast<unsigned char>(bytes[i + 5]) & 0x7F);
                i += 5 + length;
            } else if (i + 2 < n
                && (bytes[i + 1] == '(' || bytes[i + 1] == ')' || bytes[i + 1] == '-'
                    || bytes[i + 1] == '$')) {
                // Another set: its characters are skipped.
                const bool wide = bytes[i + 1] == '$';
                Set& which = (wide ? bytes[i + 2] : bytes[i + 1]) == '(' ? g0 : g1;
                designate(wide ? 3 : 2, which, Set::Other);
            }
            continue;
        }
        if (b < 0x20 || b == 0x7F || (b >= 0x80 && b < 0xA0)) { // controls: tab, line breaks
            flush();
            if (b < 0x80)
                text += QChar(b);
            continue;
        }
        const Set set = b < 0x80 ? g0 : g1;
        const auto high = static_cast<char>(b | 0x80);
        switch (set) {
        case Set::Ascii:
            flush();
            text += QChar(b & 0x7F);
            break;
        case Set::Latin1High:
            flush();
            text += QChar(b | 0x80);
            break;
        case Set::Kana:
            euc += '\x8E';
            euc += high;
            break;
        case Set::Jis0208:
        case Set::Jis0212: // two bytes a character
            if (lead == 0) {
                lead = high;
                break;
            }
            if (set == Set::Jis0212)
                euc += '\x8F';
            euc += lead;
            euc += high;
            lead = 0;
            break;
        case Set::Other:
            break;
        }
    }
    flush();
    return text;
}

// On X11, Qt decodes an offer of UTF8_STRING itself and drops a leading byte-order mark; the
// offered bytes say whether it did. (Qt's text may still begin with one, the second of two.)
QString markDroppedByQt(const QMimeData& source) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (QGuiApplication::platformName() != u"xcb" || source.hasFormat(plainUtf8))
        return {};
    for (const QClipboard::Mode mode : { QClipboard::Clipboard, QClipboard::Selection }) {
        if (&source != clipboard->mimeData(mode))
            continue;
        const bool ours = mode == QClipboard::Clipboard ? clipboard->ownsClipboard()
                                                        : clipboard->ownsSelection();
        if (!ours && x11OfferStartsWithMark(mode))
            return QString(QChar(0xFEFF));
        return {};
    }
    return {};
}
} // namespace

bool offersText(const QMimeData& source) {
    return source.hasText() || source.hasFormat(plainUtf8) || source.hasFormat(compoundText);
}

QString offeredText(const QMimeData& source) {
    // Bytes offered as UTF-8 are decoded here, exactly.
    if (QByteArray bytes = source.data(plainUtf8); !bytes.isEmpty()) {
        if (bytes.endsWith('\0'))
            bytes.chop(1);
        return fromUtf8KeepingMark(bytes);
    }
    if (source.hasText())
        return markDroppedByQt(source) + source.text();
    if (source.hasFormat(compoundText))
        return fromCompoundText(source.data(compoundText));
    return {};
}

} // namespace quorvel::runtime
