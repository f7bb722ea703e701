// The program over Win32: its start, the event loop, and the error report's message box.

#include "message_loop.h"
#include "runtime/program.h"
#include "runtime/toolkit.h"
#include "win32.h"
#include "window.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

namespace quorvel::runtime {

namespace {
std::wstring fromUtf8(std::string_view text) {
    const int length
        = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(
        CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}
} // namespace

// The command line is not used; the process's DPI awareness and its common controls come from
// the manifest linked into every program of this runtime.
int start(int, char*[], const Project& project) {
    return ThunRTMain(project);
}

void toolkit::startProgram(const Project&) {
    INITCOMMONCONTROLSEX controls { sizeof controls, ICC_STANDARD_CLASSES };
    InitCommonControlsEx(&controls);
}

int toolkit::runEventLoop() {
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0)
        win32::dispatch(message);
    return got == 0 ? static_cast<int>(message.wParam) : 1;
}

void toolkit::quitEventLoop() {
    PostQuitMessage(0);
}

void toolkit::settleInput() {
} // an edit control takes a paste whole, at once

Window* toolkit::buildWindow(Form& form, const FormDesign& design, std::vector<BuiltEntry>& built) {
    // The window owns itself from here: it is deleted when destroyed.
    return new Window(form, design, built);
}

void toolkit::showWindow(Window& window) {
    window.show();
}

void toolkit::discardWindow(Window& window) {
    window.discard();
}

void toolkit::connectClick(const BuiltEntry& control, std::function<void()> run) {
    if (control.kind == ControlClass::CommandButton) {
        HWND button = static_cast<CommandButton*>(control.object)->handle();
        if (Window* window = Window::of(GetParent(button)))
            window->onCommand(GetDlgCtrlID(button), std::move(run));
    } else if (control.kind == ControlClass::MenuItem) {
        const auto* item = static_cast<MenuItem*>(control.object);
        if (Window* window = Window::of(item->window()))
            window->onCommand(item->command(), std::move(run));
    }
}

void toolkit::showErrorReport(Window* window, std::u16string_view title, std::string_view text) {
    // Owned by the window, which it disables until OK is pressed.
    MessageBoxW(window ? window->handle() : GetActiveWindow(), fromUtf8(text).c_str(),
        win32::wide(title).c_str(), MB_ICONERROR | MB_OK);
}

void toolkit::logInternalError(std::string_view message) {
    const std::string line = "internal error: " + std::string(message) + "\n";
    std::fputs(line.c_str(), stderr);
    OutputDebugStringA(line.c_str());
}

} // namespace quorvel::runtime
