#include "key_policy.h"

#include "exact_text.h"

#include <QKeyEvent>

namespace quorvel::runtime {

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

KeyAction keyAction(const QKeyEvent& event, KeyContext box) {
    if (box.readOnly)
        return KeyAction::Editor;
    if (event.matches(QKeySequence::Undo))
        return KeyAction::Undo;
    if (event.matches(QKeySequence::Redo)
        || (event.key() == Qt::Key_Y && event.modifiers() == Qt::ControlModifier))
        return KeyAction::Redo;
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)
        return box.enterPressesDefault && !(event.modifiers() & Qt::ControlModifier)
            ? KeyAction::PressDefault
            : KeyAction::BreakLine;
    if (typesText(event) && (ExactText::holdsBreak(event.text()) || box.hasSelection))
        return KeyAction::InsertTyped;
    return KeyAction::Editor;
}

} // namespace quorvel::runtime
