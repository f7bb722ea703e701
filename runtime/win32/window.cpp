#include "window.h"

#include "runtime/form.h"

#include <utility>

namespace quorvel::runtime {

HINSTANCE win32::program() {
    return GetModuleHandleW(nullptr);
}

ATOM Window::registerClass() {
    WNDCLASSEXW windowClass {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Window::procedure;
    windowClass.hInstance = win32::program();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass);
}

namespace {
// A window that is never shown: owning a window keeps it out of the taskbar.
HWND hiddenOwner() {
    static const HWND owner = CreateWindowExW(0, L"STATIC", L"quorvel", WS_POPUP, 0, 0, 0, 0,
        nullptr, nullptr, win32::program(), nullptr);
    return owner;
}
} // namespace

Window::Window(Form& form, const FormDesign& design, std::vector<BuiltEntry>& built)
    : form_(&form)
    , design_(design) {
    static const ATOM registered = registerClass();
    if (!registered)
        raise(ErrorNumber::Internal);

    const bool fixed = design.border == Border::FixedDialog;
    const DWORD style
        = WS_CLIPCHILDREN | (fixed ? WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU : WS_OVERLAPPEDWINDOW);
    const DWORD extendedStyle = fixed ? WS_EX_DLGMODALFRAME : 0;
    // Kept out of the taskbar by a hidden owner rather than as a tool window, which would have a
    // small title bar.
    const HWND owner = design.showInTaskbar ? nullptr : hiddenOwner();
    if (!CreateWindowExW(extendedStyle, className, win32::wide(design.caption).c_str(), style,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
            win32::program(), this))
        raise(ErrorNumber::Internal);
    dotsPerInch_ = GetDpiForWindow(handle_);
    try {
        buildMenus(built);
        buildControls(built);
        for (const LineDesign& line : design.lines)
            built.push_back(builtEntry(line.name, line.index, lines_.emplace_back(line)));
    } catch (...) {
        // The window is not this object's: it goes without it.
        SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
        throw;
    }
    layOut();
    fitClientArea(true);
    built_ = true;
}

// Deleted at the window's last message, its controls gone: its icons and fonts go with it.
Window::~Window() = default;

Window* Window::of(HWND handle) {
    wchar_t name[std::size(className) + 1] = {};
    if (!handle || !GetClassNameW(handle, name, static_cast<int>(std::size(name)))
        || std::wstring_view(name) != className)
        return nullptr;
    return reinterpret_cast<Window*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
}

void Window::show() {
    if (IsIconic(handle_))
        ShowWindow(handle_, SW_RESTORE);
    else if (!IsWindowVisible(handle_))
        ShowWindow(handle_, SW_SHOWNORMAL);
    BringWindowToTop(handle_);
    SetForegroundWindow(handle_);
}

void Window::discard() {
    form_ = nullptr;
    ShowWindow(handle_, SW_HIDE);
    PostMessageW(handle_, destroyLater, 0, 0);
}

void Window::onCommand(int command, std::function<void()> run) {
    commands_[command] = std::move(run);
}

void Window::press(HWND button) {
    if (IsWindowEnabled(button) && IsWindowVisible(button))
        SendMessageW(handle_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
            reinterpret_cast<LPARAM>(button));
}

} // namespace quorvel::runtime
