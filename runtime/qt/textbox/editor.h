#pragma once

// Qt's editor inside a text box, which shows the text and takes the user's input: its event
// handlers only, each handing the edit to the box's text control (text_control.h) or the key to
// what the key policy says (key_policy.h). Only the text box's own folder and tests that ask
// the editor where it draws include this header.
//
// Every line break looks like one on screen; a break that counts as a character (a lone CR or LF,
// U+2028, U+2029, U+FDD0, U+FDD1) also gets a faint mark at the end of its line, so that what the
// count says can be told from what the box shows.

#include "line_mark.h"
#include "text_control.h"

#include <QPlainTextEdit>

#include <vector>

class QMenu;

namespace quorvel::runtime {

class TextBoxEditor final : public QPlainTextEdit {
public:
    /// Inside box; an event it does not take is noted in passedOn, for the box to send on to the
    /// window.
    TextBoxEditor(QWidget* box, QEvent*& passedOn);

    TextControl& control() { return control_; }
    const TextControl& control() const { return control_; }

    /// Qt's menu, with the control's own undo and redo.
    QMenu* contextMenu(QMenu* menu);
    /// The marks after the visible lines whose breaks count as characters.
    std::vector<LineMark> lineMarks() const;
    /// Where the caret is drawn at a document position, in the viewport.
    QRect caretRect(int position) const;
    /// The document position nearest to a point of the viewport.
    int positionAt(const QPoint& point) const;
    /// Scrolls a document position into view, the caret staying where it is.
    void scrollTo(int position);
    /// The text that an input method is composing here, and the middle of it in the viewport.
    QString composition() const;
    QPointF compositionMiddle() const;

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
    QEvent*& passedOn_;
    TextControl control_ { *this };
};

} // namespace quorvel::runtime
