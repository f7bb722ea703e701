#include "exact_text.h"

#include <QTextDocument>

#include <algorithm>
#include <array>
#include <string_view>

namespace quorvel::runtime {

namespace {
// The property, on the character format of a block break, that holds the break's kind.
constexpr int breakProperty = QTextFormat::UserProperty + 0x51;

constexpr char16_t paragraphSeparator = u'\u2029'; // how the document stores a block break
constexpr char16_t frameStart = u'\uFDD0';
constexpr char16_t frameEnd = u'\uFDD1';

// The kinds of break, by number, and their code units. A break without a kind was typed: CR LF.
enum Kind { crlf, cr, lf, paragraph, frameStartKind, frameEndKind };
constexpr std::u16string_view kinds[] = { u"\r\n", u"\r", u"\n", u"\u2029", u"\uFDD0", u"\uFDD1" };

// The kind of the break that starts at text[i]; a CR LF takes two code units, the rest one.
int kindAt(QStringView text, qsizetype i) {
    switch (text[i].unicode()) {
    case u'\r':
        return i + 1 < text.size() && text[i + 1] == u'\n' ? crlf : cr;
    case u'\n':
        return lf;
    case paragraphSeparator:
        return paragraph;
    case frameStart:
        return frameStartKind;
    default:
        return frameEndKind;
    }
}

QStringView codeOf(int kind) {
    return kinds[kind];
}

// The formats of the block breaks of each kind; a format that Qt renumbers stays equal.
const QTextCharFormat& breakFormat(int kind) {
    static const auto formats = [] {
        std::array<QTextCharFormat, std::size(kinds)> made;
        for (int k = 0; k < static_cast<int>(made.size()); ++k)
            made[k].setProperty(breakProperty, k);
        return made;
    }();
    return formats[kind];
}

int kindOfFormat(const QTextCharFormat& format) {
    const int kind = format.intProperty(breakProperty);
    return kind >= 0 && kind < static_cast<int>(std::size(kinds)) ? kind : crlf;
}

// The faint mark shown after a break that counts, or none for CR LF.
QString markOf(QStringView code) {
    if (code == u"\r\n")
        return {};
    switch (code.front().unicode()) {
    case u'\r':
        return QStringLiteral("←");
    case u'\n':
        return QStringLiteral("↓");
    default: // U+2028, U+2029 and the frame marks
        return QStringLiteral("¶");
    }
}
} // namespace

bool isBlockBreak(char16_t c) {
    return c == u'\r' || c == u'\n' || c == paragraphSeparator || c == frameStart || c == frameEnd;
}

ExactText::ExactText(QTextDocument& document)
    : document_(document) {
    connect(&document, &QTextDocument::contentsChange, this, &ExactText::noteChange);
}

bool ExactText::holdsBreak(QStringView text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return isBlockBreak(c.unicode()); });
}

QString ExactText::between(int from, int to) const {
    if (from != 0 || to != document_.characterCount() - 1)
        return rebuild(from, to);
    if (cache_.isNull())
        cache_ = rebuild(from, to);
    return cache_;
}

QString ExactText::rebuild(int from, int to) const {
    if (from >= to)
        return {};
    QString text; // block breaks as U+2029, all else as stored
    if (from == 0 && to == document_.characterCount() - 1) {
        text = document_.toRawText();
    } else {
        QTextCursor cursor(&document_);
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        text = cursor.selectedText();
    }

    // Each U+2029 stands for the break before the next block. A break of one unit takes its
    // stand-in's place; from the first longer one (CR LF) on, the text is copied out.
    QTextBlock block = document_.findBlock(from);
    QString exact;
    QChar* out = nullptr;
    qsizetype done = 0; // text up to here is in exact
    for (qsizetype at = text.indexOf(paragraphSeparator); at >= 0;
         at = text.indexOf(paragraphSeparator, at + 1)) {
        block = block.next();
        const QStringView code = breakBefore(block);
        if (!out) {
            if (code.size() == 1) {
                text.data()[at] = code.front();
                continue;
            }
            // Room for every break left to take two units.
            exact.resize(text.size() + QStringView(text).sliced(at).count(paragraphSeparator));
            out = exact.data();
        }
        out = std::copy(text.constData() + done, text.constData() + at, out);
        out = std::copy(code.begin(), code.end(), out);
        done = at + 1;
    }
    if (!out)
        return text;
    out = std::copy(text.constData() + done, text.constData() + text.size(), out);
    exact.truncate(out - exact.constData());
    return exact;
}

void ExactText::insert(QTextCursor& cursor, const QString& text) {
    cursor.removeSelectedText();
    inserted_ = { cursor.position(), cursor.position() };
    // Qt would make every break in a piece of text a block break with the piece's format. So the
    // text goes in as pieces without breaks, in the plain format, and each break as a block break
    // with the format of its kind.
    const QTextCharFormat plain;
    const QTextBlockFormat paragraph = cursor.blockFormat();
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isBlockBreak(text[i].unicode()))
            continue;
        if (i > start)
            cursor.insertText(text.sliced(start, i - start), plain);
        const int kind = kindAt(text, i);
        cursor.insertBlock(paragraph, breakFormat(kind));
        cursor.block().setUserState(kind);
        i += codeOf(kind).size() - 1;
        start = i + 1;
    }
    if (start < text.size())
        cursor.insertText(start == 0 ? text : text.sliced(start), plain);
    inserted_.second = cursor.position();
}

void ExactText::noteChange(int position, int, int added) {
    cache_.clear();
    // An insertion of ours told its new blocks their breaks already; only the block where it
    // began may have merged with another.
    const bool ours = position >= inserted_.first && position + added <= inserted_.second;
    inserted_ = { -1, -1 };
    // The blocks that the change touched, the first perhaps merged with the one before it, learn
    // the kind of their break afresh from its format; the blocks outside keep theirs.
    const QTextBlock last
        = ours ? document_.findBlock(position) : document_.findBlock(position + added);
    for (QTextBlock block = document_.findBlock(position); block.isValid(); block = block.next()) {
        block.setUserState(kindOfFormat(block.charFormat()));
        if (block == last)
            break;
    }
}

int ExactText::kindBefore(const QTextBlock& block) const {
    const int kind = block.userState();
    return kind >= 0 ? kind : kindOfFormat(block.charFormat());
}

QStringView ExactText::breakBefore(const QTextBlock& block) const {
    return codeOf(kindBefore(block));
}

bool ExactText::inCrLfPair(const QTextBlock& block) const {
    // A CR break, an empty line, then an LF break: the text holds CR LF, which counts nothing.
    const auto crBefore = [this](const QTextBlock& b) { return breakBefore(b) == u"\r"; };
    const auto lfBefore = [this](const QTextBlock& b) { return breakBefore(b) == u"\n"; };
    const QTextBlock next = block.next();
    const QTextBlock previous = block.previous();
    return (crBefore(block) && block.length() == 1 && next.isValid() && lfBefore(next))
        || (lfBefore(block) && previous.length() == 1 && previous.previous().isValid()
            && crBefore(previous));
}

QString ExactText::markAfter(const QTextBlock& block) const {
    const QTextBlock next = block.next();
    if (!next.isValid() || inCrLfPair(next))
        return {};
    return markOf(breakBefore(next));
}

QString ExactText::lineSeparatorMark() {
    return markOf(u"\u2028");
}

} // namespace quorvel::runtime
