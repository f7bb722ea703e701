// The window procedure: each message the window handles goes to a small function of its own.

#include "window.h"

#include "runtime/check_box.h"
#include "runtime/form.h"
#include "runtime/handlers.h"

#include <utility>

namespace quorvel::runtime {

LRESULT CALLBACK Window::procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* window
            = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        window->handle_ = handle;
        SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<Window*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
    if (!window)
        return DefWindowProcW(handle, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
        // A window that fails while it is being made (CreateWindowEx fails after WM_NCCREATE, as
        // it does when the display has gone) leaves its object to the constructor, which raises.
        if (window->built_)
            delete window;
        return DefWindowProcW(handle, message, wParam, lParam);
    }
    return window->handleMessage(message, wParam, lParam);
}

LRESULT Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        onCommandMessage(LOWORD(wParam), reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return onControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_PAINT:
        onPaint();
        return 0;
    case WM_CLOSE:
        onClose();
        return 0;
    case WM_ACTIVATE:
        onActivate(LOWORD(wParam) != WA_INACTIVE);
        if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam))
            return 0; // the focus went to the control that had it (onActivate)
        break;
    case WM_SETFOCUS:
        onSetFocus();
        return 0;
    case WM_DPICHANGED:
        onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DESTROY:
        onDestroy();
        return 0;
    case destroyLater:
        DestroyWindow(handle_);
        return 0;
    case reportOutOfRoom:
        onReportOutOfRoom();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(handle_, message, wParam, lParam);
}

void Window::onCommandMessage(int id, HWND control, UINT code) {
    if (control) {
        const Child* clicked = child(control);
        if (clicked && clicked->design.kind == ControlClass::TextBox
            && (code == EN_ERRSPACE || code == EN_MAXTEXT))
            onTextBoxOutOfRoom();
        if (!clicked || code != BN_CLICKED)
            return;
        if (clicked->design.kind == ControlClass::CheckBox) {
            CheckBox box(control);
            box.setValue(checkBoxValueAfterClick(box.value()));
            return;
        }
    } else if (code != 0) {
        return; // an accelerator: none is defined
    }
    const auto found = commands_.find(id);
    if (found == commands_.end())
        return;
    // The handler may unload this window; the window stays until the message is handled.
    const std::function<void()> run = found->second;
    run();
}

void Window::onTextBoxOutOfRoom() {
    // Text set by a handler is checked where it is set (TextBox::setText), and the handler ends
    // with the error.
    if (win32::textBeingSet() || std::exchange(outOfRoomReported_, true))
        return;
    PostMessageW(handle_, reportOutOfRoom, 0, 0);
}

void Window::onReportOutOfRoom() {
    outOfRoomReported_ = false;
    if (form_)
        report(RuntimeError(ErrorNumber::OutOfMemory), form_);
}

void Window::onClose() {
    if (form_)
        form_->closeRequested();
}

void Window::onActivate(bool active) {
    if (!active) {
        if (HWND focus = GetFocus(); focus && IsChild(handle_, focus))
            focus_ = focus;
    } else if (!IsIconic(handle_)) {
        SetFocus(focus_ ? focus_ : handle_);
    }
}

void Window::onSetFocus() {
    if (focus_ && IsWindow(focus_))
        SetFocus(focus_);
}

void Window::onDestroy() {
    if (Form* form = std::exchange(form_, nullptr))
        form->windowDestroyed(this);
}

} // namespace quorvel::runtime
