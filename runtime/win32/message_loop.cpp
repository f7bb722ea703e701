#include "message_loop.h"

#include "window.h"

namespace quorvel::runtime::win32 {

namespace {
bool held(int key) {
    return GetKeyState(key) < 0;
}

bool ofClass(HWND window, std::wstring_view name) {
    wchar_t found[16] = {};
    return window && GetClassNameW(window, found, static_cast<int>(std::size(found)))
        && CompareStringOrdinal(found, -1, name.data(), static_cast<int>(name.size()), TRUE)
        == CSTR_EQUAL;
}

LONG style(HWND window) {
    return GetWindowLongW(window, GWL_STYLE);
}

bool isTextBox(HWND window) {
    return ofClass(window, L"Edit");
}

bool isPushButton(HWND window) {
    const LONG type = style(window) & BS_TYPEMASK;
    return ofClass(window, L"Button") && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

// Where a key goes: used here, straight to the control with the focus, or through the dialog
// manager (IsDialogMessage), which moves among buttons with the arrow keys.
enum class Route { Used, ToControl, Dialog };

Route route(Window& window, const MSG& message) {
    if (message.message != WM_KEYDOWN)
        return Route::Dialog;
    const HWND focus = GetFocus();
    const bool control = held(VK_CONTROL), shift = held(VK_SHIFT);
    switch (message.wParam) {
    case VK_RETURN:
        if (control && isTextBox(focus) && (style(focus) & ES_MULTILINE))
            return Route::ToControl; // Ctrl+Enter breaks the line: the edit control gets LF
        if (HWND button = window.defaultButton()) {
            window.press(button);
            return Route::Used;
        }
        if (isPushButton(focus)) {
            window.press(focus);
            return Route::Used;
        }
        return Route::ToControl;
    case VK_ESCAPE:
        // Never to the edit control, which would close its window in a dialog.
        if (HWND button = window.cancelButton())
            window.press(button);
        return Route::Used;
    case VK_TAB:
        if (control)
            return Route::ToControl;
        if (HWND next = GetNextDlgTabItem(window.handle(), focus, shift)) {
            SetFocus(next);
            if (isTextBox(next))
                SendMessageW(next, EM_SETSEL, 0, -1); // as the dialog manager does
        }
        return Route::Used;
    case 'A':
        if (control && !shift && isTextBox(focus)) {
            SendMessageW(focus, EM_SETSEL, 0, -1);
            return Route::Used;
        }
        return Route::Dialog;
    default:
        return Route::Dialog;
    }
}
} // namespace

void dispatch(MSG& message) {
    if (Window* window = message.hwnd ? Window::of(GetAncestor(message.hwnd, GA_ROOT)) : nullptr) {
        switch (route(*window, message)) {
        case Route::Used:
            return;
        case Route::Dialog:
            if (IsDialogMessageW(window->handle(), &message))
                return;
            break;
        case Route::ToControl:
            break;
        }
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

bool dispatchWaiting() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        dispatch(message);
    }
    return true;
}

} // namespace quorvel::runtime::win32
