#pragma once

// The on-screen window of a form over Win32: a top-level window whose client area holds the
// controls as child windows, built from the form's design and laid out at the window's own
// resolution (and again when it changes). Its close box unloads the form; destroyed without
// Unload, it tells its form. The window's data hangs on the window (GWLP_USERDATA), and the window
// owns its controls' objects.
//
// One file for each part: window.cpp (the window's class, showing and discarding), build.cpp (the
// menus and controls from the design), layout.cpp (places, sizes, fonts and icons at a
// resolution), messages.cpp (the window procedure, one small function for each message) and
// painting.cpp (the lines, the labels and the picture boxes).

#include "fonts.h"
#include "handles.h"
#include "runtime/controls.h"
#include "runtime/design.h"
#include "runtime/toolkit.h"
#include "win32.h"

#include <deque>
#include <functional>
#include <map>
#include <vector>

namespace quorvel::runtime {

class Form;

class Window {
public:
    /// Builds the window, hidden, and lists what it built.
    Window(Form& form, const FormDesign& design, std::vector<BuiltEntry>& built);
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    /// The window of a handle, if it is one of these; else null.
    static Window* of(HWND handle);
    HWND handle() const { return handle_; }
    UINT dotsPerInch() const { return dotsPerInch_; }

    /// Shows the window (restored, if minimized) and brings it to the front.
    void show();
    /// Hides the window and destroys it after the message under way; the form hears no more.
    void discard();
    /// Runs run when the button or menu item with this command is clicked or chosen.
    void onCommand(int command, std::function<void()> run);

    /// The buttons that Enter and Esc press anywhere in the window; null when there is none.
    HWND defaultButton() const { return defaultButton_; }
    HWND cancelButton() const { return cancelButton_; }

    /// Presses a button of this window as a click on it would, without moving the focus.
    void press(HWND button);

private:
    struct Child {
        HWND handle;
        const ControlDesign& design;
        // A label's caption, as WM_GETTEXT gives it (painting.cpp): Windows' copy, which other
        // programs may read without a message, is brought up to date when the label is painted.
        std::wstring caption = {};
        bool captionShared = true; // Windows' copy is the caption
        bool repaintAsked = false; // the label waits for a paint
    };

    static constexpr wchar_t className[] = L"quorvel.Form";
    // Posted by discard(): destroys the window once the message under way has been handled.
    static constexpr UINT destroyLater = WM_APP + 1;
    // Posted when a text box ran out of room: reports it once the edit under way has ended.
    static constexpr UINT reportOutOfRoom = WM_APP + 2;

    ~Window();
    static ATOM registerClass();

    // build.cpp
    void buildMenus(std::vector<BuiltEntry>& built);
    void buildControls(std::vector<BuiltEntry>& built);
    const Child* child(HWND handle) const;
    Child* child(HWND handle);
    HWND childNamed(std::string_view name) const;

    // layout.cpp
    /// Places and sizes every control, and gives each its font and the icons their size, at the
    /// window's resolution.
    void layOut();
    /// Sizes the window so that its client area is the design's, keeping its top-left corner or
    /// putting the client area where the design says.
    void fitClientArea(bool place);
    void onDpiChanged(UINT dotsPerInch, const RECT& suggested);

    // messages.cpp
    static LRESULT CALLBACK procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onCommandMessage(int id, HWND control, UINT code);
    /// A text box could not take all of an edit (EN_ERRSPACE, EN_MAXTEXT): it keeps what it took,
    /// and the error report says so once the edit has ended.
    void onTextBoxOutOfRoom();
    /// The report posted by onTextBoxOutOfRoom, owned by this window.
    void onReportOutOfRoom();
    void onClose();
    void onActivate(bool active);
    void onSetFocus();
    void onDestroy();

    // painting.cpp
    /// The labels and picture boxes, static controls that this window paints.
    static LRESULT staticProcedure(
        void* window, WNDPROC own, HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
    void paintStatic(Child& control);
    LRESULT onStaticCaption(Child& label, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onControlColour(HDC dc, HWND control);
    void onPaint();

    Form* form_;
    const FormDesign& design_;
    HWND handle_ = nullptr;
    bool built_ = false; // the constructor has ended: the window owns this object
    UINT dotsPerInch_ = 96;
    std::vector<Child> children_; // in tab order
    HWND defaultButton_ = nullptr;
    HWND cancelButton_ = nullptr;
    HWND focus_ = nullptr; // the control that has the focus while the window is active
    bool outOfRoomReported_ = false; // a report of a text box out of room is on its way
    std::map<int, std::function<void()>> commands_;
    win32::Fonts fonts_;
    win32::Icon picture_; // the picture boxes' icon, at the window's resolution
    win32::Icon bigIcon_, smallIcon_; // the title bar's and the taskbar's

    // The objects the form's members are bound to.
    std::deque<Label> labels_;
    std::deque<TextBox> textBoxes_;
    std::deque<CommandButton> buttons_;
    std::deque<CheckBox> checkBoxes_;
    std::deque<PictureBox> pictures_;
    std::deque<Line> lines_;
    std::deque<Menu> menus_;
    std::deque<MenuItem> menuItems_;
};

namespace win32 {

/// The program's own module, which holds its resources and registers the window classes.
HINSTANCE program();

/// The picture box's image at a resolution: the 32 x 32 icon at 96 dots per inch, scaled, inside a
/// border of one pixel at 96 dots per inch, scaled.
int pictureSize(UINT dotsPerInch);
int pictureBorder(UINT dotsPerInch);

} // namespace win32

} // namespace quorvel::runtime
