#pragma once

// The exact text over a Qt text document: every UTF-16 code unit that went in comes out.
//
// - Qt's text document turns every CR, LF, CR LF, U+2029, U+FDD0 and U+FDD1 it is given into the
//   same block break, and its plain-text export changes breaks, U+2028 and U+00A0. So no break
//   may reach Qt to be interpreted: every insertion goes through insert(), which puts each break
//   in as a block break of its own.
// - A break's kind (CR LF, CR, LF, U+2029, U+FDD0, U+FDD1) lives in the character format of that
//   block break, and only there: no other character carries it. The format is part of the
//   document, so deletion, undo and redo carry the kind with the break. A block remembers the kind
//   of the break before it as its user state, a cache relearnt from the format whenever a change
//   touches the block; nothing is keyed by Qt's format indices, which clear() renumbers.
// - between() rebuilds the exact text from the document's raw characters in one pass, and keeps
//   the whole text until the next change.
//
// No widget is needed: the text box shows the document, this keeps it exact.

#include <QObject>
#include <QString>
#include <QStringView>
#include <QTextBlock>
#include <QTextCursor>

#include <utility>

class QTextDocument;

namespace quorvel::runtime {

/// Whether Qt's document takes a code unit for a block break: CR, LF (a CR LF is one break),
/// U+2029, U+FDD0 and U+FDD1.
bool isBlockBreak(char16_t c);

class ExactText : public QObject {
    Q_OBJECT
public:
    explicit ExactText(QTextDocument& document);

    /// The exact code units between two document positions (0 and the document's length: the
    /// whole text).
    QString between(int from, int to) const;
    /// Puts text in at the cursor, replacing its selection: text without breaks in the plain
    /// format, each break as a block break of its kind.
    void insert(QTextCursor& cursor, const QString& text);

    /// The code units of the break before a block (not the first).
    QStringView breakBefore(const QTextBlock& block) const;
    /// The faint mark after a block's last line when the break that follows counts as a
    /// character, else nothing (a CR LF, or a CR and an LF across an empty line that make one).
    QString markAfter(const QTextBlock& block) const;
    /// The mark of a line that ends in U+2028 within its block.
    static QString lineSeparatorMark();

    /// Whether text holds a character that Qt's document would turn into a block break.
    static bool holdsBreak(QStringView text);

private:
    void noteChange(int position, int removed, int added);
    QString rebuild(int from, int to) const;
    int kindBefore(const QTextBlock& block) const;
    /// Whether the break before a block is a CR or LF break that, with the other across an empty
    /// line, makes a CR LF in the text.
    bool inCrLfPair(const QTextBlock& block) const;

    QTextDocument& document_;
    std::pair<int, int> inserted_ { -1, -1 }; // the document range of our last insertion
    mutable QString cache_; // the whole exact text, null until read after a change
};

} // namespace quorvel::runtime
