#pragma once

// Which key does what in a text box: a pure function of the key event and the box's state.

class QKeyEvent;

namespace quorvel::runtime {

enum class KeyAction {
    Undo, ///< Ctrl+Z
    Redo, ///< Ctrl+Shift+Z, or Ctrl+Y as on other desktops (Qt on X11 knows only the first)
    BreakLine, ///< Enter with any modifier: a line break typed as CR LF
    PressDefault, ///< Enter without Ctrl in a window with a default button: the window presses it
    InsertTyped, ///< the typed text, through the one insertion path
    Editor, ///< what Qt's editor does with the key
};

struct KeyContext {
    bool readOnly;
    bool enterPressesDefault;
    bool hasSelection;
};

/// Typed text goes in through the one insertion path when it holds a break character, which it
/// keeps as it is, or when it replaces a selection: Qt would give text typed over a selection the
/// format of the character before the caret, which after a line break is the break's own, and the
/// next letter, typed in the plain format, would then not join it in one undo step.
KeyAction keyAction(const QKeyEvent& event, KeyContext box);

/// Whether a key types its text, by the rule of Qt's own editors: a format character always; with
/// Ctrl (or Ctrl+Shift) and no Alt, nothing; else a printable or private-use character or a
/// surrogate pair.
bool typesText(const QKeyEvent& event);

} // namespace quorvel::runtime
