#pragma once

// A multi-line text box that holds exactly the UTF-16 code units the user entered.
//
// The box is made of parts that each can be read alone: the exact text over Qt's document
// (exact_text.h, which says how every code unit is kept), the caret record beside Qt's undo
// history (undo_record.h), and this widget, which sends every insertion (typing, Enter, every
// paste, drops, input methods, assistive tools, and the text-setting functions below, which hide
// Qt's own) through the exact text's one insertion path.
//
// Every line break looks like one on screen; a break that counts as a character (a lone CR or LF,
// U+2028, U+2029, U+FDD0, U+FDD1) also gets a faint mark at the end of its line, so that what the
// count says can be told from what the box shows.

#include "exact_text.h"
#include "runtime/design.h"
#include "undo_record.h"

#include <QPlainTextEdit>
#include <QString>
#include <QStringView>

#include <utility>
#include <vector>

class QMimeData;

namespace quorvel::runtime {

class TextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr ControlClass kind = ControlClass::TextBox;
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
    /// Sets the caret and selection; a paste on its way goes in first, where it was asked for.
    void setTextCursor(const QTextCursor& cursor);
    /// Selects from one document position to another (the caret), after a paste on its way.
    void select(int anchor, int position);
    /// A cursor from one document position to another, each kept within the text.
    QTextCursor cursorBetween(int anchor, int position) const;
    /// Replaces the text between two document positions, as one undo step; the caret stays.
    void replace(int from, int to, const QString& text);

    /// Undo and redo bring back the text of the state before or after an edit, and its caret and
    /// selection too.
    void undo();
    void redo();

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
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    /// New text goes in without the format of a neighbouring break.
    void plainInput();
    /// The text a paste or drop offered has come: it goes in at the caret.
    void insertOffered(const QString& text);
    /// The text of a paste from another program has come: it goes in where the caret was then.
    void landOffered(const QTextCursor& at, const QString& text);

    Caret caret() const;
    void setCaret(Caret caret);
    void noteCaret();
    void noteMergedEdit();
    /// Undoes or redoes one step, and puts the caret back where it was before or after it.
    void restore(bool undoing);

    ExactText exact_ { *document() };
    UndoRecord record_;
    bool enterPressesDefault_ = false;
    bool edited_ = false; // the text changed since this was last cleared
    bool landing_ = false; // a paste from another program is going in
};

} // namespace quorvel::runtime
