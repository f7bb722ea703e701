#pragma once

// A multi-line text box that holds exactly the UTF-16 code units the user entered.
//
// The box is made of parts that each can be read alone: the exact text over Qt's document
// (exact_text.h, which says how every code unit is kept), the caret record beside Qt's undo
// history (undo_record.h), and this widget, which sends every insertion (typing, Enter, every
// paste, drops, input methods, assistive tools, and the text-setting functions below) through the
// exact text's one insertion path. Qt's editor, which shows the text and takes the user's input,
// is kept inside (textbox.cpp): no code outside can reach its own ways to set the text, its
// document or its cursor. It has the box's focus, and events sent to the box go to it.
//
// Every line break looks like one on screen; a break that counts as a character (a lone CR or LF,
// U+2028, U+2029, U+FDD0, U+FDD1) also gets a faint mark at the end of its line, so that what the
// count says can be told from what the box shows.

#include "runtime/design.h"
#include "undo_record.h"

#include <QPointF>
#include <QRect>
#include <QString>
#include <QStringView>
#include <QWidget>

#include <vector>

class QMenu;

namespace quorvel::runtime {

class TextBoxEditor; // Qt's editor inside the box, defined in textbox.cpp

class TextBox : public QWidget {
    Q_OBJECT
public:
    static constexpr ControlClass kind = ControlClass::TextBox;
    explicit TextBox(QWidget* parent = nullptr);

    /// The exact text.
    QString text() const;
    /// Replaces the whole text, as one undo step, leaving the caret at the start.
    void setText(const QString& text);
    void setText(QStringView text) { setText(text.toString()); }

    /// The exact code units between two document positions (one for each character and for each
    /// line break).
    QString textBetween(int from, int to) const;
    /// Inserts text at the caret, replacing the selection, as one undo step.
    void insert(const QString& text);
    void insert(QStringView text) { insert(text.toString()); }
    /// Replaces the text between two document positions, as one undo step; the caret stays.
    void replace(int from, int to, const QString& text);
    /// Appends text after a line break (none when the box is empty).
    void appendPlainText(const QString& text);
    void appendHtml(const QString& html);
    /// Empties the box and its undo history.
    void clear();

    /// Undo and redo bring back the text of the state before or after an edit, and its caret and
    /// selection too.
    void undo();
    void redo();

    /// The caret and the other end of the selection, as document positions.
    Caret caret() const;
    /// Selects from one document position to another (the caret). A paste still on its way goes
    /// in first, where it was asked for, as before anything else done to the box.
    void select(int anchor, int position);
    /// The number of document positions after the first: characters and line breaks.
    int length() const;
    /// Where the caret is drawn at a document position, in the viewport.
    QRect cursorRect(int position) const;
    /// The document position nearest to a point of the viewport.
    int positionAt(const QPoint& point) const;
    /// Scrolls a document position into view, the caret staying where it is.
    void scrollTo(int position);
    /// The text that an input method is composing here, and the middle of it in the viewport.
    QString composition() const;
    QPointF compositionMiddle() const;

    /// A faint mark after a visible line whose break counts as a character: where it is drawn in
    /// the viewport, the mark, and the line (the block, and the line within it).
    struct LineMark {
        QPointF at;
        QString mark;
        int block, line;
    };
    std::vector<LineMark> lineMarks() const;

    /// In a window with a default button, Enter presses that button and Ctrl+Enter breaks the line.
    void setEnterPressesDefault(bool on);
    bool isReadOnly() const;
    void setReadOnly(bool on);
    /// The widget the text is shown in, which takes the mouse and drops and shows the pointer.
    QWidget* viewport() const;
    /// The box's context menu: Qt's, with the box's own undo and redo.
    QMenu* createContextMenu();

signals:
    /// The text changed.
    void changed();
    /// An edit made a new undo step.
    void undoStepAdded();

protected:
    bool event(QEvent* event) override;

private:
    friend class TextBoxEditor;
    TextBoxEditor* editor_;
    QEvent* passedOn_ = nullptr; // an event the editor did not take, on its way to the window
};

} // namespace quorvel::runtime
