#pragma once

// A multi-line text box that holds exactly the UTF-16 code units the user entered.
//
// Qt's text document turns every CR, LF, CR LF, U+2029, U+FDD0 and U+FDD1 it is given into the
// same block break, and its plain-text export changes breaks, U+2028 and U+00A0. So this box never
// lets Qt interpret a break: every insertion goes through insert(), which makes each break a block
// break and records its real code units in the character format of the break itself. The format
// moves with the break through deletion, undo and redo, and text() rebuilds the exact text from
// the document's raw characters in one pass.
//
// Every line break looks like one on screen; a break that counts as a character (a lone CR or LF,
// U+2028, U+2029, U+FDD0, U+FDD1) also gets a faint mark at the end of its line, so that what the
// count says can be told from what the box shows.

#include <QPlainTextEdit>
#include <QString>
#include <QStringView>

#include <utility>
#include <vector>

namespace quorvel::runtime {

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

    /// Makes the text being composed in an input method part of the text, as typed.
    void commitComposition();

    /// In a window with a default button, Enter presses that button and Ctrl+Enter breaks the line.
    void setEnterPressesDefault(bool on) { enterPressesDefault_ = on; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;
    void paintEvent(QPaintEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void insertAt(QTextCursor& cursor, const QString& text);
    void insertRun(QTextCursor& cursor, const QString& run, QStringView kind);
    /// The code units of the break that starts a block (not the first).
    QStringView breakBefore(const QTextBlock& block) const;
    /// Whether the break before a block is a CR or LF break that, with the other across an empty
    /// line, makes a CR LF in the text.
    bool inCrLfPair(const QTextBlock& block) const;
    void noteChange(int position, int removed, int added);
    static QStringView breakOfFormat(const QTextDocument& document, int format);

    bool enterPressesDefault_ = false;
    std::pair<int, int> inserted_ { -1, -1 }; // the document range of our last insertion
    QString composing_; // the input method's text still being composed
    QString lateCommit_; // committed here while the input method may still commit it
    mutable std::vector<QString> breakOfFormat_; // by character format index
    mutable QString cache_; // the exact text, null until read after a change
};

} // namespace quorvel::runtime
