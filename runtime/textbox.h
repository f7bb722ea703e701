#pragma once

// A multi-line text box that holds exactly the UTF-16 code units the user entered.
//
// What the box keeps, and how:
// - Qt's text document turns every CR, LF, CR LF, U+2029, U+FDD0 and U+FDD1 it is given into the
//   same block break, and its plain-text export changes breaks, U+2028 and U+00A0. So the box
//   never lets Qt interpret a break: every insertion (typing, Enter, every paste, drops, input
//   methods, assistive tools, and the text-setting functions below, which hide Qt's own) goes
//   through insertAt(), which puts each break in as a block break of its own.
// - A break's kind (CR LF, CR, LF, U+2029, U+FDD0, U+FDD1) lives in the character format of that
//   block break, and only there: no other character carries it. The format is part of the
//   document, so deletion, undo and redo carry the kind with the break. A block remembers the kind
//   of the break before it as its user state, a cache relearnt from the format whenever a change
//   touches the block; nothing is keyed by Qt's format indices, which clear() renumbers.
// - text() rebuilds the exact text from the document's raw characters in one pass.
//
// Every line break looks like one on screen; a break that counts as a character (a lone CR or LF,
// U+2028, U+2029, U+FDD0, U+FDD1) also gets a faint mark at the end of its line, so that what the
// count says can be told from what the box shows.

#include <QPlainTextEdit>
#include <QString>
#include <QStringView>

#include <utility>
#include <vector>

class QMimeData;

namespace quorvel::runtime {

class OfferReader;

class TextBox : public QPlainTextEdit {
public:
    explicit TextBox(QWidget* parent = nullptr);

    /// The exact text.
    QString text() const;
    /// Replaces the whole text, as one undo step, leaving the caret at the start.
    void setText(const QString& text);
    void setText(QStringView text) { setText(text.toString()); }

    /// The exact code units between two document positions.
    QString textBetween(int from, int to) const;
    /// Inserts text at the caret, replacing the selection, as one undo step.
    void insert(const QString& text);
    void insert(QStringView text) { insert(text.toString()); }
    /// A cursor from one document position to another, each kept within the text.
    QTextCursor cursorBetween(int anchor, int position) const;
    /// Replaces the text between two document positions, as one undo step; the caret stays.
    void replace(int from, int to, const QString& text);

    /// Undo and redo bring back the text of the state before or after an edit, and its caret and
    /// selection too.
    void undo();
    void redo();

    /// Commits text being composed by an input method, as if the box lost the focus.
    void commitComposition();

    /// A faint mark after a visible line whose break counts as a character: where it is drawn in
    /// the viewport, the mark, and the line (the block, and the line within it).
    struct LineMark {
        QPointF at;
        QString mark;
        int block, line;
    };
    std::vector<LineMark> lineMarks() const;

    /// In a window with a default button, Enter presses that button and Ctrl+Enter breaks the line.
    void setEnterPressesDefault(bool on) { enterPressesDefault_ = on; }

    // Qt's own ways to put text in, kept exact.
    void setPlainText(const QString& text) { setText(text); }
    void insertPlainText(const QString& text) { insert(text); }
    /// Appends text after a line break (none when the box is empty).
    void appendPlainText(const QString& text);
    void appendHtml(const QString& html);
    /// Empties the box and its undo history.
    void clear();
    void setDocument(QTextDocument*) = delete;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;
    void paintEvent(QPaintEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void insertAt(QTextCursor& cursor, const QString& text);
    /// The kind of the break that starts a block (not the first).
    int kindBefore(const QTextBlock& block) const;
    QStringView breakBefore(const QTextBlock& block) const;
    /// Whether the break before a block is a CR or LF break that, with the other across an empty
    /// line, makes a CR LF in the text.
    bool inCrLfPair(const QTextBlock& block) const;
    void noteChange(int position, int removed, int added);
    /// New text goes in without the format of a neighbouring break.
    void plainInput();

    struct Caret {
        int position = 0, anchor = 0;
    };
    Caret caret() const;
    void setCaret(Caret caret);
    void noteCaret();
    void noteMergedEdit();
    /// Undoes or redoes one step, and puts the caret back where it was before or after it.
    void restore(bool undoing);

    bool enterPressesDefault_ = false;
    OfferReader* offers_ = nullptr; // reads what a paste or a drop offers
    // The caret before and after each undo step, beside Qt's own undo history, which keeps none.
    std::vector<std::pair<Caret, Caret>> undoCarets_, redoCarets_;
    Caret settled_; // the caret as it was before the edit under way, or the event that made it
    bool restoring_ = false; // an undo or redo is under way
    bool edited_ = false; // the text changed since this was last cleared
    std::pair<int, int> inserted_ { -1, -1 }; // the document range of our last insertion
    QString composing_; // the input method's text still being composed
    QString lateCommit_; // committed here while the input method may still commit it
    mutable QString cache_; // the exact text, null until read after a change
};

} // namespace quorvel::runtime
