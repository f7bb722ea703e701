// What assistive tools (screen readers, dictation, on-screen keyboards) see of a text box and do
// to it. The box's editor has the focus, so it is the editor that they reach: Qt's own interface
// for a plain text editor would insert through a text cursor of its own, where a break would be
// taken as the kind of the text beside it; this one reads and edits through the box's own
// interface, named as the box is. Positions are the document's, one per character and one per
// line break.

#include "textbox_accessible.h"

#include "editor.h"
#include "exact_text.h"
#include "textbox.h"

#include <QAccessibleWidget>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace quorvel::runtime {

namespace {
class AccessibleTextBox : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface {
public:
    AccessibleTextBox(TextBox* box, TextBoxEditor* editor)
        : QAccessibleWidget(editor, QAccessible::EditableText)
        , box_(box)
        , editor_(editor)
        , control_(&editor->control()) { }

    TextBox* box() const { return box_; }
    TextControl& control() const { return *control_; }

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
        state.readOnly = editor_->isReadOnly();
        state.editable = !editor_->isReadOnly();
        return state;
    }

    QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Value)
            return box()->text();
        if (type == QAccessible::Name && !box()->accessibleName().isEmpty())
            return box()->accessibleName();
        return QAccessibleWidget::text(type);
    }

    void setText(QAccessible::Text type, const QString& text) override {
        if (type != QAccessible::Value)
            return QAccessibleWidget::setText(type, text);
        if (!editor_->isReadOnly())
            box()->setText(text);
    }

    // Reading: every line break reads as one LF, so that positions and text agree.
    QString text(int from, int to) const override {
        const int end = characterCount();
        QString text = control().textBetween(std::clamp(from, 0, end), std::clamp(to, 0, end));
        text.replace(u"\r\n"_s, u"\n"_s);
        for (QChar& c : text)
            if (isBlockBreak(c.unicode()))
                c = u'\n';
        return text;
    }
    int characterCount() const override { return control().length(); }
    int cursorPosition() const override { return control().caret().position; }
    void setCursorPosition(int position) override { control().select(position, position); }
    int selectionCount() const override {
        const Caret caret = control().caret();
        return caret.position != caret.anchor ? 1 : 0;
    }
    void selection(int index, int* from, int* to) const override {
        const Caret caret = control().caret();
        const bool has = index == 0 && caret.position != caret.anchor;
        *from = has ? std::min(caret.position, caret.anchor) : 0;
        *to = has ? std::max(caret.position, caret.anchor) : 0;
    }
    void setSelection(int index, int from, int to) override {
        if (index == 0)
            control().select(from, to);
    }
    void addSelection(int from, int to) override { setSelection(0, from, to); }
    void removeSelection(int index) override {
        if (index == 0)
            setCursorPosition(cursorPosition());
    }
    QRect characterRect(int offset) const override {
        const QRect caret = editor_->caretRect(offset);
        const QRect next = editor_->caretRect(offset + 1);
        const bool sameLine = offset < characterCount() && next.top() == caret.top();
        const int width = sameLine ? std::max(1, next.left() - caret.left()) : 1;
        return QRect(
            editor_->viewport()->mapToGlobal(caret.topLeft()), QSize(width, caret.height()));
    }
    int offsetAtPoint(const QPoint& point) const override {
        return editor_->positionAt(editor_->viewport()->mapFromGlobal(point));
    }
    void scrollToSubstring(int from, int) override { editor_->scrollTo(from); }
    QString attributes(int offset, int* from, int* to) const override {
        *from = *to = offset;
        return {};
    }

    // Editing: through the box's own insertion, each edit one undo step.
    void deleteText(int from, int to) override { edit(from, to, {}); }
    void insertText(int offset, const QString& text) override { edit(offset, offset, text); }
    void replaceText(int from, int to, const QString& text) override { edit(from, to, text); }

private:
    void edit(int from, int to, const QString& text) {
        if (!editor_->isReadOnly())
            control().replace(from, to, text);
    }

    TextBox* box_;
    TextBoxEditor* editor_;
    TextControl* control_; // the editor's
};

// The editor inside a text box gets the box's interface.
QAccessibleInterface* textBoxInterface(const QString&, QObject* object) {
    auto* editor = dynamic_cast<TextBoxEditor*>(object);
    auto* box = editor ? qobject_cast<TextBox*>(editor->parentWidget()) : nullptr;
    return box ? new AccessibleTextBox(box, editor) : nullptr;
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
