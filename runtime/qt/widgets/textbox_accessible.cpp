// What assistive tools (screen readers, dictation, on-screen keyboards) see of a text box and do
// to it. Qt's own interface for a plain text editor inserts through a text cursor of its own, where
// a break would be taken as the kind of the text beside it; this one puts every edit through the
// box's own insertion. Positions are the document's, one per character and one per line break.

#include "textbox_accessible.h"

#include "textbox.h"

#include <QAccessibleWidget>
#include <QTextBlock>

namespace quorvel::runtime {

namespace {
class AccessibleTextBox : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface {
public:
    explicit AccessibleTextBox(TextBox* box)
        : QAccessibleWidget(box, QAccessible::EditableText) { }

    TextBox* box() const { return static_cast<TextBox*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.multiLine = true;
        state.selectableText = true;
        state.readOnly = box()->isReadOnly();
        state.editable = !box()->isReadOnly();
        return state;
    }

    QString text(QAccessible::Text type) const override {
        return type == QAccessible::Value ? box()->text() : QAccessibleWidget::text(type);
    }

    void setText(QAccessible::Text type, const QString& text) override {
        if (type != QAccessible::Value)
            return QAccessibleWidget::setText(type, text);
        if (!box()->isReadOnly())
            box()->setText(text);
    }

    // Reading: every line break reads as one LF, so that positions and text agree.
    QString text(int from, int to) const override {
        return cursor(from, to).selectedText().replace(QChar::ParagraphSeparator, u'\n');
    }
    int characterCount() const override { return box()->document()->characterCount() - 1; }
    int cursorPosition() const override { return box()->textCursor().position(); }
    void setCursorPosition(int position) override { box()->select(position, position); }
    int selectionCount() const override { return box()->textCursor().hasSelection() ? 1 : 0; }
    void selection(int index, int* from, int* to) const override {
        const QTextCursor selected = box()->textCursor();
        const bool has = index == 0 && selected.hasSelection();
        *from = has ? selected.selectionStart() : 0;
        *to = has ? selected.selectionEnd() : 0;
    }
    void setSelection(int index, int from, int to) override {
        if (index == 0)
            box()->select(from, to);
    }
    void addSelection(int from, int to) override { setSelection(0, from, to); }
    void removeSelection(int index) override {
        if (index == 0)
            setCursorPosition(cursorPosition());
    }
    QRect characterRect(int offset) const override {
        const QTextCursor at = cursor(offset, offset);
        const QRect caret = box()->cursorRect(at);
        QTextCursor next = at;
        next.movePosition(QTextCursor::NextCharacter);
        const int width = next.block() == at.block()
            ? std::max(1, box()->cursorRect(next).left() - caret.left())
            : 1;
        return QRect(box()->viewport()->mapToGlobal(caret.topLeft()), QSize(width, caret.height()));
    }
    int offsetAtPoint(const QPoint& point) const override {
        return box()->cursorForPosition(box()->viewport()->mapFromGlobal(point)).position();
    }
    void scrollToSubstring(int from, int) override {
        const QTextCursor caret = box()->textCursor();
        box()->setTextCursor(cursor(from, from));
        box()->ensureCursorVisible();
        box()->setTextCursor(caret);
    }
    QString attributes(int offset, int* from, int* to) const override {
        *from = *to = offset;
        return {};
    }

    // Editing: through the box's own insertion, each edit one undo step.
    void deleteText(int from, int to) override { edit(from, to, {}); }
    void insertText(int offset, const QString& text) override { edit(offset, offset, text); }
    void replaceText(int from, int to, const QString& text) override { edit(from, to, text); }

private:
    QTextCursor cursor(int from, int to) const { return box()->cursorBetween(from, to); }
    void edit(int from, int to, const QString& text) {
        if (!box()->isReadOnly())
            box()->replace(from, to, text);
    }
};

QAccessibleInterface* textBoxInterface(const QString&, QObject* object) {
    auto* box = qobject_cast<TextBox*>(object);
    return box ? new AccessibleTextBox(box) : nullptr;
}
} // namespace

void makeTextBoxesAccessible() {
    static const bool installed = [] {
        QAccessible::installFactory(&textBoxInterface);
        return true;
    }();
    (void)installed;
}

} // namespace quorvel::runtime
