#pragma once

// The controls that the windows' handlers use, as native Win32 controls. The windows include this
// header as "runtime/controls.h"; CMake puts this folder on their include path when the program is
// built for Windows (the Linux build puts runtime/qt/include/ there instead).
//
// Each control holds the handle of its child window, made by the window that owns it
// (runtime/win32/build.cpp); the properties read and write that window. <windows.h> stays out of
// this header, so the windows' code sees none of its macros. What the windows may use of the
// controls is runtime/controls_contract.h, checked at the end.

#include "base/numbers.h"
#include "runtime/controls_contract.h"
#include "runtime/design.h"
#include "runtime/strings.h"

#include <string>
#include <string_view>

struct HWND__; // HWND
struct HMENU__; // HMENU

namespace quorvel::runtime {

/// A control that is a child window of its form's window.
class ChildWindow {
public:
    explicit ChildWindow(HWND__* handle)
        : handle_(handle) { }
    HWND__* handle() const { return handle_; }

private:
    HWND__* handle_;
};

/// A label: a static control whose caption screen readers and other programs read with
/// WM_GETTEXT. The caption keeps its code units; a lone CR in it shows as a line break. An
/// announced label's new captions are told to screen readers (runtime/announcements.h).
class Label : public ChildWindow {
public:
    static constexpr ControlClass kind = ControlClass::Label;
    explicit Label(HWND__* handle, bool announced = false)
        : ChildWindow(handle)
        , announced_(announced) { }
    std::u16string caption() const;
    void setCaption(std::u16string_view caption);

private:
    bool announced_;
};

/// A multi-line edit control without scroll bars, wrapping long lines; no length limit of its own.
class TextBox : public ChildWindow {
public:
    static constexpr ControlClass kind = ControlClass::TextBox;
    /// The text box of an edit control, which screen readers name nameForScreenReaders if given.
    explicit TextBox(HWND__* handle, std::u16string_view nameForScreenReaders = {});
    TextBox(const TextBox&) = delete;
    TextBox& operator=(const TextBox&) = delete;
    /// The text, exactly as WM_GETTEXT gives it. The control is read again only after a message
    /// that may have changed its text, so a handler that asks often reads a large text once. The
    /// view is valid until the next message to the control or the next read.
    std::u16string_view text() const;
    void setText(std::u16string_view text);

private:
    friend struct TextBoxWatch;
    mutable std::u16string read_; // the text as last read; its buffer is kept for the next read
    mutable bool readKept_ = false; // no message has reached the control since that read
};

class CommandButton : public ChildWindow {
public:
    static constexpr ControlClass kind = ControlClass::CommandButton;
    using ChildWindow::ChildWindow;
};

/// A check box whose value is 0 (unchecked), 1 (checked) or 2 (grayed). Grayed is set by code
/// only. A click (or Space) on a checked box clears it and on any other box checks it.
class CheckBox : public ChildWindow {
public:
    static constexpr ControlClass kind = ControlClass::CheckBox;
    using ChildWindow::ChildWindow;
    Integer value() const;
    void setValue(Integer value);
};

/// A picture box that sizes itself to its picture, inside a one-pixel border.
class PictureBox : public ChildWindow {
public:
    static constexpr ControlClass kind = ControlClass::PictureBox;
    using ChildWindow::ChildWindow;
};

/// A line drawn on its window's surface, behind the controls.
class Line {
public:
    static constexpr ControlClass kind = ControlClass::Line;
    explicit Line(const LineDesign& design)
        : design_(design) { }
    const LineDesign& design() const { return design_; }

private:
    const LineDesign& design_;
};

/// A menu of the window's menu bar.
class Menu {
public:
    static constexpr ControlClass kind = ControlClass::Menu;
    explicit Menu(HMENU__* handle)
        : handle_(handle) { }
    HMENU__* handle() const { return handle_; }

private:
    HMENU__* handle_;
};

/// An item of a menu: the command its choice sends to the window that owns the menu bar.
class MenuItem {
public:
    static constexpr ControlClass kind = ControlClass::MenuItem;
    MenuItem(HWND__* window, int command)
        : window_(window)
        , command_(command) { }
    HWND__* window() const { return window_; }
    int command() const { return command_; }

private:
    HWND__* window_;
    int command_;
};

static_assert(
    contract::Controls<Label, TextBox, CheckBox, CommandButton, PictureBox, Line, Menu, MenuItem>);

} // namespace quorvel::runtime
