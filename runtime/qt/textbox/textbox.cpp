#include "textbox.h"

#include "exact_text.h"
#include "runtime/handlers.h"
#include "runtime/qt/clipboard/offer_reader.h"
#include "runtime/qt/clipboard/offered_text.h"
#include "runtime/qt/input/composition_guard.h"
#include "runtime/qt/input/pending_paste.h"
#include "runtime/qt/input/user_actions.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QVBoxLayout>

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

// Whether a key types its text, by the rule of Qt's own editors: a format character always; with
// Ctrl (or Ctrl+Shift) and no Alt, nothing; else a printable or private-use character or a
// surrogate pair.
bool typesText(const QKeyEvent& event) {
    const QString& text = event.text();
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    if (first.category() == QChar::Other_Format)
        return true;
    const Qt::KeyboardModifiers held = event.modifiers();
    if (held == Qt::ControlModifier || held == (Qt::ControlModifier | Qt::ShiftModifier))
        return false;
    return first.isPrint() || first.category() == QChar::Other_PrivateUse
        || (first.isHighSurrogate() && text.size() > 1 && text[1].isLowSurrogate());
}
} // namespace

// Qt's editor, which shows the text and takes the user's input; only its box reaches it.
class TextBoxEditor final : public QPlainTextEdit {
public:
    using LineMark = TextBox::LineMark;
    explicit TextBoxEditor(TextBox& box);

    QString text() const;
    void setText(const QString& text);
    QString textBetween(int from, int to) const;
    void insert(const QString& text);
    /// Sets the caret and selection; a paste on its way goes in first, where it was asked for.
    void setTextCursor(const QTextCursor& cursor);
    void select(int anchor, int position);
    /// A cursor from one document position to another, each kept within the text.
    QTextCursor cursorBetween(int anchor, int position) const;
    void replace(int from, int to, const QString& text);
    void undo();
    void redo();
    std::vector<LineMark> lineMarks() const;
    void setEnterPressesDefault(bool on) { enterPressesDefault_ = on; }
    void appendPlainText(const QString& text);
    void appendHtml(const QString& html);
    void clear();
    Caret caret() const;
    void scrollTo(int position);
    QString composition() const;
    QPointF compositionMiddle() const;
    /// Qt's menu, with the box's own undo and redo.
    QMenu* contextMenu(QMenu* menu);

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

    void setCaret(Caret caret);
    void noteCaret();
    void noteMergedEdit();
    /// Undoes or redoes one step, and puts the caret back where it was before or after it.
    void restore(bool undoing);

    TextBox& box_;
    ExactText exact_ { *document() };
    UndoRecord record_;
    bool enterPressesDefault_ = false;
    bool edited_ = false; // the text changed since this was last cleared
    bool landing_ = false; // a paste from another program is going in
};

TextBoxEditor::TextBoxEditor(TextBox& box)
    : QPlainTextEdit(&box)
    , box_(box) {
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
    connect(document(), &QTextDocument::undoCommandAdded, this, [this] {
        record_.stepAdded(caret());
        emit box_.undoStepAdded();
    });
    connect(document(), &QTextDocument::contentsChanged, &box_, &TextBox::changed);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &TextBoxEditor::noteCaret);
    connect(this, &QPlainTextEdit::selectionChanged, this, &TextBoxEditor::noteCaret);
}

QString TextBoxEditor::text() const {
    return exact_.text();
}

QString TextBoxEditor::textBetween(int from, int to) const {
    return exact_.between(from, to);
}

void TextBoxEditor::setText(const QString& text) {
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

void TextBoxEditor::insert(const QString& text) {
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
    QMetaObject::invokeMethod(this, &TextBoxEditor::ensureCursorVisible, Qt::QueuedConnection);
}

void TextBoxEditor::replace(int from, int to, const QString& text) {
    PendingPaste::settle();
    record_.settle(caret());
    QTextCursor cursor = cursorBetween(from, to);
    cursor.beginEditBlock();
    exact_.insert(cursor, text);
    cursor.endEditBlock();
}

void TextBoxEditor::appendPlainText(const QString& text) {
    PendingPaste::settle();
    record_.settle(caret());
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    exact_.insert(cursor, document()->isEmpty() ? text : u"\r\n"_s + text);
    cursor.endEditBlock();
}

void TextBoxEditor::appendHtml(const QString& html) {
    appendPlainText(QTextDocumentFragment::fromHtml(html).toPlainText());
}

void TextBoxEditor::clear() {
    setText(QString());
    document()->clearUndoRedoStacks();
    record_.clear();
}

Caret TextBoxEditor::caret() const {
    const QTextCursor cursor = textCursor();
    return { cursor.position(), cursor.anchor() };
}

QTextCursor TextBoxEditor::cursorBetween(int anchor, int position) const {
    const int end = document()->characterCount() - 1;
    QTextCursor cursor(document());
    cursor.setPosition(std::clamp(anchor, 0, end));
    cursor.setPosition(std::clamp(position, 0, end), QTextCursor::KeepAnchor);
    return cursor;
}

void TextBoxEditor::setTextCursor(const QTextCursor& cursor) {
    PendingPaste::settle();
    QPlainTextEdit::setTextCursor(cursor);
}

void TextBoxEditor::select(int anchor, int position) {
    PendingPaste::settle();
    setTextCursor(cursorBetween(anchor, position));
}

void TextBoxEditor::setCaret(Caret caret) {
    setTextCursor(cursorBetween(caret.anchor, caret.position));
    record_.settle(this->caret());
}

void TextBoxEditor::noteMergedEdit() {
    // Qt makes typing that goes on one undo step: it ends where the caret is now.
    if (edited_)
        record_.stepExtended(caret());
}

void TextBoxEditor::noteCaret() {
    record_.settle(caret());
}

// Every edit comes from an event, or from a call below: the caret as it was then is the caret
// that undoing the edit brings back.
bool TextBoxEditor::event(QEvent* event) {
    record_.settle(caret());
    const bool handled = QPlainTextEdit::event(event);
    // A key the editor does not take goes on to the box, and through it to the window.
    if (!event->isAccepted())
        box_.passedOn_ = event;
    return handled;
}

bool TextBoxEditor::viewportEvent(QEvent* event) {
    record_.settle(caret());
    return QPlainTextEdit::viewportEvent(event);
}

void TextBoxEditor::undo() {
    restore(true);
}

void TextBoxEditor::redo() {
    restore(false);
}

void TextBoxEditor::restore(bool undoing) {
    PendingPaste::settle();
    if (!(undoing ? document()->isUndoAvailable() : document()->isRedoAvailable()))
        return;
    record_.setRestoring(true);
    undoing ? QPlainTextEdit::undo() : QPlainTextEdit::redo();
    record_.setRestoring(false);
    if (const std::optional<Caret> back = undoing ? record_.undone() : record_.redone())
        setCaret(*back);
}

std::vector<TextBoxEditor::LineMark> TextBoxEditor::lineMarks() const {
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

void TextBoxEditor::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    QPainter painter(viewport());
    QColor faint = palette().color(QPalette::Text);
    faint.setAlphaF(0.35f);
    painter.setPen(faint);
    for (const LineMark& mark : lineMarks())
        painter.drawText(mark.at, mark.mark);
}

void TextBoxEditor::plainInput() {
    // Typed text next to a break would take on the break's format; it gets the plain one.
    if (!textCursor().hasSelection())
        setCurrentCharFormat(QTextCharFormat());
}

void TextBoxEditor::keyPressEvent(QKeyEvent* event) {
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
    // Typed text goes in through the one insertion path when it holds a break character, which
    // it keeps as it is, or when it replaces a selection. Qt would give text typed over a
    // selection the format of the character before the caret, which after a line break is the
    // break's own; the next letter, typed in the plain format, would then not join it in one
    // undo step.
    if (typesText(*event)
        && (ExactText::holdsBreak(event->text()) || textCursor().hasSelection())) {
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

void TextBoxEditor::inputMethodEvent(QInputMethodEvent* event) {
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

QMenu* TextBoxEditor::contextMenu(QMenu* menu) {
    for (QAction* action : menu->actions()) {
        const bool isUndo = action->objectName() == u"edit-undo";
        if (!isUndo && action->objectName() != u"edit-redo")
            continue;
        QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this,
            isUndo ? &TextBoxEditor::undo : &TextBoxEditor::redo);
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

void TextBoxEditor::landOffered(const QTextCursor& at, const QString& text) {
    const QScopedValueRollback landing(landing_, true);
    QPlainTextEdit::setTextCursor(at);
    record_.settle(caret());
    insertOffered(text);
}

void TextBoxEditor::insertOffered(const QString& text) {
    if (!isReadOnly())
        reportingOutOfMemory([&] { insert(text); });
}

QMimeData* TextBoxEditor::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    auto* data = new QMimeData;
    data->setText(textBetween(cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}

void TextBoxEditor::scrollTo(int position) {
    const QTextCursor caret = textCursor();
    QPlainTextEdit::setTextCursor(cursorBetween(position, position));
    ensureCursorVisible();
    QPlainTextEdit::setTextCursor(caret);
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

TextBox::TextBox(QWidget* parent)
    : QWidget(parent)
    , editor_(new TextBoxEditor(*this)) {
    auto* fill = new QVBoxLayout(this);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(editor_);
    setFocusPolicy(Qt::NoFocus); // the editor has it
    setFocusProxy(editor_);
    input::watchUserActions(); // a paste on its way and a composition go into a box
}

bool TextBox::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
    case QEvent::InputMethodQuery:
        // Sent to the box, it goes to the editor; passed on by the editor, it goes to the window.
        if (std::exchange(passedOn_, nullptr) != event) {
            QCoreApplication::sendEvent(editor_, event);
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

QString TextBox::text() const {
    return editor_->text();
}

void TextBox::setText(const QString& text) {
    editor_->setText(text);
}

QString TextBox::textBetween(int from, int to) const {
    return editor_->textBetween(from, to);
}

void TextBox::insert(const QString& text) {
    editor_->insert(text);
}

void TextBox::replace(int from, int to, const QString& text) {
    editor_->replace(from, to, text);
}

void TextBox::appendPlainText(const QString& text) {
    editor_->appendPlainText(text);
}

void TextBox::appendHtml(const QString& html) {
    editor_->appendHtml(html);
}

void TextBox::clear() {
    editor_->clear();
}

void TextBox::undo() {
    editor_->undo();
}

void TextBox::redo() {
    editor_->redo();
}

Caret TextBox::caret() const {
    return editor_->caret();
}

void TextBox::select(int anchor, int position) {
    editor_->select(anchor, position);
}

int TextBox::length() const {
    return editor_->document()->characterCount() - 1;
}

QRect TextBox::cursorRect(int position) const {
    return editor_->cursorRect(editor_->cursorBetween(position, position));
}

int TextBox::positionAt(const QPoint& point) const {
    return editor_->cursorForPosition(point).position();
}

void TextBox::scrollTo(int position) {
    editor_->scrollTo(position);
}

QString TextBox::composition() const {
    return editor_->composition();
}

QPointF TextBox::compositionMiddle() const {
    return editor_->compositionMiddle();
}

std::vector<TextBox::LineMark> TextBox::lineMarks() const {
    return editor_->lineMarks();
}

void TextBox::setEnterPressesDefault(bool on) {
    editor_->setEnterPressesDefault(on);
}

bool TextBox::isReadOnly() const {
    return editor_->isReadOnly();
}

void TextBox::setReadOnly(bool on) {
    editor_->setReadOnly(on);
}

QWidget* TextBox::viewport() const {
    return editor_->viewport();
}

QMenu* TextBox::createContextMenu() {
    return editor_->contextMenu(editor_->createStandardContextMenu());
}

} // namespace quorvel::runtime
