#include "textbox.h"

#include "editor.h"
#include "runtime/qt/input/user_actions.h"

#include <QCoreApplication>
#include <QVBoxLayout>

#include <utility>

namespace quorvel::runtime {

TextBox::TextBox(QWidget* parent)
    : QWidget(parent)
    , editor_(new TextBoxEditor(this, passedOn_))
    , control_(&editor_->control()) {
    auto* fill = new QVBoxLayout(this);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(editor_);
    setFocusPolicy(Qt::NoFocus); // the editor has it
    setFocusProxy(editor_);
    input::watchUserActions(); // a paste on its way and a composition go into a box
}

TextBoxEditor& editorOf(const TextBox& box) {
    return *box.editor_;
}

TextControl& TextBox::control() const {
    return *control_;
}

QString TextBox::text() const {
    return control_->textBetween(0, control_->length());
}

void TextBox::setText(const QString& text) {
    control_->replace(0, TextControl::end, text, 0); // one undo step, the caret at the start
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

} // namespace quorvel::runtime
