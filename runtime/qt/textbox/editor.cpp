#include "editor.h"

#include "key_policy.h"
#include "runtime/qt/clipboard/offer_reader.h"
#include "runtime/qt/clipboard/offered_text.h"
#include "runtime/qt/input/composition_guard.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>

namespace quorvel::runtime {

TextBoxEditor::TextBoxEditor(QWidget* box, QEvent*& passedOn)
    : QPlainTextEdit(box)
    , passedOn_(passedOn) {
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(2);
}

// Every edit comes from an event, or from a call of the control: the caret as it was then is the
// caret that undoing the edit brings back.
bool TextBoxEditor::event(QEvent* event) {
    control_.noteCaret();
    const bool handled = QPlainTextEdit::event(event);
    // A key the editor does not take goes on to the box, and through it to the window.
    if (!event->isAccepted())
        passedOn_ = event;
    return handled;
}

bool TextBoxEditor::viewportEvent(QEvent* event) {
    control_.noteCaret();
    return QPlainTextEdit::viewportEvent(event);
}

void TextBoxEditor::keyPressEvent(QKeyEvent* event) {
    switch (keyAction(
        *event, { isReadOnly(), control_.enterPressesDefault(), textCursor().hasSelection() })) {
    case KeyAction::Undo:
        control_.undo();
        return event->accept();
    case KeyAction::Redo:
        control_.redo();
        return event->accept();
    case KeyAction::BreakLine:
        control_.insert(QStringLiteral("\r\n"));
        return event->accept();
    case KeyAction::PressDefault:
        return event->ignore(); // the window presses its default button
    case KeyAction::InsertTyped:
        control_.insert(event->text());
        return event->accept();
    case KeyAction::Editor:
        break;
    }
    if (isReadOnly())
        return QPlainTextEdit::keyPressEvent(event);
    control_.beforeEditorEdit(!event->text().isEmpty());
    QPlainTextEdit::keyPressEvent(event);
    control_.afterEditorEdit();
}

void TextBoxEditor::inputMethodEvent(QInputMethodEvent* event) {
    const CompositionGuard::Input input(this, *event);
    if (input.isLateCopy())
        return event->accept(); // entered already
    if (isReadOnly() || !ExactText::holdsBreak(event->commitString())) {
        control_.beforeEditorEdit(!event->commitString().isEmpty());
        QPlainTextEdit::inputMethodEvent(event);
        if (!event->commitString().isEmpty() || event->replacementLength() > 0)
            control_.afterEditorEdit();
        return;
    }
    // Drop the text being composed, put the commit in exactly, then compose again.
    QInputMethodEvent dropPreedit;
    QPlainTextEdit::inputMethodEvent(&dropPreedit);
    if (event->replacementLength() > 0) {
        const int start = textCursor().position() + event->replacementStart();
        control_.select(start, start + event->replacementLength());
    }
    control_.insert(event->commitString());
    QInputMethodEvent preedit(event->preeditString(), event->attributes());
    QPlainTextEdit::inputMethodEvent(&preedit);
    event->accept();
}

QMenu* TextBoxEditor::contextMenu(QMenu* menu) {
    for (QAction* action : menu->actions()) {
        const bool isUndo = action->objectName() == u"edit-undo";
        if (!isUndo && action->objectName() != u"edit-redo")
            continue;
        QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, &control_,
            isUndo ? &TextControl::undo : &TextControl::redo);
    }
    return menu;
}

void TextBoxEditor::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = contextMenu(createStandardContextMenu(event->pos()));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    event->accept();
}

bool TextBoxEditor::canInsertFromMimeData(const QMimeData* source) const {
    // Another program is not asked what it offers (it may take its time): a paste of no text
    // does nothing.
    return source && (isOtherProgramsOffer(*source) || offersText(*source));
}

void TextBoxEditor::insertFromMimeData(const QMimeData* source) {
    // Plain text only: a source that also offers markdown or HTML still pastes its exact text.
    if (source && !isReadOnly())
        control_.paste(*source);
}

QMimeData* TextBoxEditor::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    auto* data = new QMimeData;
    data->setText(control_.textBetween(cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}

std::vector<LineMark> TextBoxEditor::lineMarks() const {
    std::vector<LineMark> marks;
    const QPointF offset = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(offset);
        if (box.top() > viewport()->height())
            break;
        const QTextLayout* layout = block.layout();
        const QString text = block.text();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const int end = line.textStart() + line.textLength();
            QString mark;
            if (i + 1 == layout->lineCount())
                mark = control_.exact().markAfter(block);
            else if (end > 0 && text.at(end - 1) == QChar::LineSeparator)
                mark = ExactText::lineSeparatorMark();
            if (!mark.isEmpty())
                marks.push_back({ box.topLeft() + line.position()
                        + QPointF(line.naturalTextWidth() + 1, line.ascent()),
                    mark, block.blockNumber(), i });
        }
    }
    return marks;
}

void TextBoxEditor::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    QPainter painter(viewport());
    QColor faint = palette().color(QPalette::Text);
    faint.setAlphaF(0.35f);
    painter.setPen(faint);
    for (const LineMark& mark : lineMarks())
        painter.drawText(mark.at, mark.mark);
}

QRect TextBoxEditor::caretRect(int position) const {
    return cursorRect(control_.cursorBetween(position, position));
}

int TextBoxEditor::positionAt(const QPoint& point) const {
    return cursorForPosition(point).position();
}

void TextBoxEditor::scrollTo(int position) {
    const QTextCursor caret = textCursor();
    setTextCursor(control_.cursorBetween(position, position));
    ensureCursorVisible();
    setTextCursor(caret);
}

QString TextBoxEditor::composition() const {
    const QTextLayout* layout = textCursor().block().layout();
    return layout ? layout->preeditAreaText() : QString();
}

QPointF TextBoxEditor::compositionMiddle() const {
    // The box wraps its lines and never scrolls sideways: its lines start at the document's margin.
    const QTextLayout* layout = textCursor().block().layout();
    const QString composed = composition();
    if (composed.isEmpty())
        return {};
    const int middle = layout->preeditAreaPosition() + static_cast<int>(composed.size()) / 2;
    const QTextLine line = layout->lineForTextPosition(middle);
    return { document()->documentMargin() + line.x() + line.cursorToX(middle),
        static_cast<qreal>(cursorRect().center().y()) };
}

} // namespace quorvel::runtime
