#include "textbox.h"

#include "composition_guard.h"
#include "runtime/handlers.h"
#include "runtime/qt/clipboard/offer_reader.h"
#include "runtime/qt/clipboard/offered_text.h"
#include "runtime/qt/clipboard/pending_paste.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <new>
#include <optional>
#include <string_view>

using namespace Qt::StringLiterals;

namespace quorvel::runtime {

namespace {
// No exception may leave a Qt event handler: a pasted or dropped text too large for the memory
// left is the runtime's error 7, and the box keeps the text it had.
template <typename F> void reportingOutOfMemory(F&& paste) {
    try {
        paste();
    } catch (const std::bad_alloc&) {
        report(RuntimeError(ErrorNumber::OutOfMemory));
    }
}
} // namespace

TextBox::TextBox(QWidget* parent)
    : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(2);
    connect(document(), &QTextDocument::contentsChange, this, [this] {
        edited_ = true;
        if (!landing_) // a paste the user asked for before, not an edit after the composition
            CompositionGuard::noteEdit();
    });
    connect(
        document(), &QTextDocument::undoCommandAdded, this, [this] { record_.stepAdded(caret()); });
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &TextBox::noteCaret);
    connect(this, &QPlainTextEdit::selectionChanged, this, &TextBox::noteCaret);
}

QString TextBox::text() const {
    return exact_.text();
}

QString TextBox::textBetween(int from, int to) const {
    return exact_.between(from, to);
}

void TextBox::setText(const QString& text) {
    PendingPaste::settle();
    record_.settle(caret());
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    exact_.insert(cursor, text);
    cursor.endEditBlock();
    cursor.movePosition(QTextCursor::Start);
    setTextCursor(cursor);
    record_.stepExtended(caret());
}

void TextBox::insert(const QString& text) {
    PendingPaste::settle();
    // A whole book takes a moment: show it.
    constexpr qsizetype large = 1 << 20;
    std::optional<QScopeGuard<void (*)()>> busy;
    if (text.size() >= large) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        busy.emplace(&QGuiApplication::restoreOverrideCursor);
    }
    QTextCursor cursor = textCursor();
    const int steps = document()->availableUndoSteps();
    cursor.beginEditBlock();
    try {
        exact_.insert(cursor, text);
    } catch (...) {
        // Memory ran out part of the way: take back what went in.
        cursor.endEditBlock();
        if (document()->availableUndoSteps() > steps)
            undo();
        document()->clearUndoRedoStacks(QTextDocument::RedoStack);
        record_.clearRedo();
        throw;
    }
    cursor.endEditBlock();
    // The box's own caret has moved along with the insertion. A drop inserts inside an edit of
    // Qt's own, whose layout is not done yet: scroll to the caret once it is.
    QMetaObject::invokeMethod(this, &TextBox::ensureCursorVisible, Qt::QueuedConnection);
}

void TextBox::replace(int from, int to, const QString& text) {
    PendingPaste::settle();
    record_.settle(caret());
    QTextCursor cursor = cursorBetween(from, to);
    cursor.beginEditBlock();
    exact_.insert(cursor, text);
    cursor.endEditBlock();
}

void TextBox::appendPlainText(const QString& text) {
    PendingPaste::settle();
    record_.settle(caret());
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    exact_.insert(cursor, document()->isEmpty() ? text : u"\r\n"_s + text);
    cursor.endEditBlock();
}

void TextBox::appendHtml(const QString& html) {
    appendPlainText(QTextDocumentFragment::fromHtml(html).toPlainText());
}

void TextBox::clear() {
    setText(QString());
    document()->clearUndoRedoStacks();
    record_.clear();
}

Caret TextBox::caret() const {
    const QTextCursor cursor = textCursor();
    return { cursor.position(), cursor.anchor() };
}

QTextCursor TextBox::cursorBetween(int anchor, int position) const {
    const int end = document()->characterCount() - 1;
    QTextCursor cursor(document());
    cursor.setPosition(std::clamp(anchor, 0, end));
    cursor.setPosition(std::clamp(position, 0, end), QTextCursor::KeepAnchor);
    return cursor;
}

void TextBox::setTextCursor(const QTextCursor& cursor) {
    PendingPaste::settle();
    QPlainTextEdit::setTextCursor(cursor);
}

void TextBox::select(int anchor, int position) {
    PendingPaste::settle();
    setTextCursor(cursorBetween(anchor, position));
}

void TextBox::setCaret(Caret caret) {
    setTextCursor(cursorBetween(caret.anchor, caret.position));
    record_.settle(this->caret());
}

void TextBox::noteMergedEdit() {
    // Qt makes typing that goes on one undo step: it ends where the caret is now.
    if (edited_)
        record_.stepExtended(caret());
}

void TextBox::noteCaret() {
    record_.settle(caret());
}

// Every edit comes from an event, or from a call below: the caret as it was then is the caret
// that undoing the edit brings back.
bool TextBox::event(QEvent* event) {
    record_.settle(caret());
    return QPlainTextEdit::event(event);
}

bool TextBox::viewportEvent(QEvent* event) {
    record_.settle(caret());
    return QPlainTextEdit::viewportEvent(event);
}

void TextBox::undo() {
    restore(true);
}

void TextBox::redo() {
    restore(false);
}

void TextBox::restore(bool undoing) {
    PendingPaste::settle();
    if (!(undoing ? document()->isUndoAvailable() : document()->isRedoAvailable()))
        return;
    record_.setRestoring(true);
    undoing ? QPlainTextEdit::undo() : QPlainTextEdit::redo();
    record_.setRestoring(false);
    if (const std::optional<Caret> back = undoing ? record_.undone() : record_.redone())
        setCaret(*back);
}

std::vector<TextBox::LineMark> TextBox::lineMarks() const {
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
                mark = exact_.markAfter(block);
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

void TextBox::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    QPainter painter(viewport());
    QColor faint = palette().color(QPalette::Text);
    faint.setAlphaF(0.35f);
    painter.setPen(faint);
    for (const LineMark& mark : lineMarks())
        painter.drawText(mark.at, mark.mark);
}

void TextBox::plainInput() {
    // Typed text next to a break would take on the break's format; it gets the plain one.
    if (!textCursor().hasSelection())
        setCurrentCharFormat(QTextCharFormat());
}

void TextBox::keyPressEvent(QKeyEvent* event) {
    if (isReadOnly())
        return QPlainTextEdit::keyPressEvent(event);
    // Ctrl+Y redoes too, as on other desktops; Qt on X11 knows only Ctrl+Shift+Z.
    if (event->matches(QKeySequence::Undo)) {
        undo();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Redo)
        || (event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier)) {
        redo();
        event->accept();
        return;
    }
    // Enter, with any modifier, is a line break typed as CR LF.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (enterPressesDefault_ && !(event->modifiers() & Qt::ControlModifier)) {
            event->ignore(); // the window presses its default button
            return;
        }
        insert(u"\r\n"_s);
        event->accept();
        return;
    }
    // Typed text that holds a break character keeps it as it is.
    if (ExactText::holdsBreak(event->text()) && !(event->modifiers() & Qt::ControlModifier)
        && event->text().front().isPrint()) {
        insert(event->text());
        event->accept();
        return;
    }
    if (!event->text().isEmpty())
        plainInput();
    edited_ = false;
    QPlainTextEdit::keyPressEvent(event);
    noteMergedEdit();
}

void TextBox::inputMethodEvent(QInputMethodEvent* event) {
    const CompositionGuard::Input input(this, *event);
    if (input.isLateCopy())
        return event->accept(); // entered already
    if (isReadOnly() || !ExactText::holdsBreak(event->commitString())) {
        if (!event->commitString().isEmpty())
            plainInput();
        edited_ = false;
        QPlainTextEdit::inputMethodEvent(event);
        if (!event->commitString().isEmpty() || event->replacementLength() > 0)
            noteMergedEdit();
        return;
    }
    // Drop the text being composed, put the commit in exactly, then compose again.
    QInputMethodEvent dropPreedit;
    QPlainTextEdit::inputMethodEvent(&dropPreedit);
    QTextCursor cursor = textCursor();
    if (event->replacementLength() > 0) {
        const int start = cursor.position() + event->replacementStart();
        cursor.setPosition(start);
        cursor.setPosition(start + event->replacementLength(), QTextCursor::KeepAnchor);
        setTextCursor(cursor);
    }
    insert(event->commitString());
    QInputMethodEvent preedit(event->preeditString(), event->attributes());
    QPlainTextEdit::inputMethodEvent(&preedit);
    event->accept();
}

void TextBox::contextMenuEvent(QContextMenuEvent* event) {
    // Qt's menu, with the box's own undo and redo.
    QMenu* menu = createStandardContextMenu(event->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (QAction* action : menu->actions()) {
        const bool isUndo = action->objectName() == u"edit-undo";
        if (!isUndo && action->objectName() != u"edit-redo")
            continue;
        QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this, isUndo ? &TextBox::undo : &TextBox::redo);
    }
    menu->popup(event->globalPos());
    event->accept();
}

bool TextBox::canInsertFromMimeData(const QMimeData* source) const {
    // Another program is not asked what it offers (it may take its time): a paste of no text
    // does nothing.
    return source && (isOtherProgramsOffer(*source) || offersText(*source));
}

void TextBox::insertFromMimeData(const QMimeData* source) {
    // Plain text only: a source that also offers markdown or HTML still pastes its exact text.
    if (!source || isReadOnly())
        return;
    reportingOutOfMemory([&] {
        Offer offer = readOffer(*source);
        if (!offer.incoming)
            return insert(offer.text);
        // From another program, on its way: it goes in where the caret is now.
        PendingPaste::start(std::move(offer.incoming), this, viewport(),
            [this, at = QPlainTextEdit::textCursor()](
                const QString& text) { landOffered(at, text); });
    });
}

void TextBox::landOffered(const QTextCursor& at, const QString& text) {
    const QScopedValueRollback landing(landing_, true);
    QPlainTextEdit::setTextCursor(at);
    record_.settle(caret());
    insertOffered(text);
}

void TextBox::insertOffered(const QString& text) {
    if (!isReadOnly())
        reportingOutOfMemory([&] { insert(text); });
}

QMimeData* TextBox::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    auto* data = new QMimeData;
    data->setText(textBetween(cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}

} // namespace quorvel::runtime
