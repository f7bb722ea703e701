#pragma once

// The Windows headers, as the window runtime over Win32 uses them: the W functions only (UNICODE)
// and no min and max macros (NOMINMAX), both set for the whole build; Windows 10's functions for
// the resolution of each window (_WIN32_WINNT, set for this library).

#include <windows.h>

#include <string>
#include <string_view>

namespace quorvel::runtime::win32 {

/// The same code units as Windows' strings (wchar_t is UTF-16 on Windows).
inline std::wstring wide(std::u16string_view text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return std::wstring(text.begin(), text.end());
}

inline std::u16string utf16(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}

/// The text of a window (a control's caption or contents), exactly as WM_GETTEXT gives it.
std::wstring windowText(HWND window);
/// The same, into text, whose buffer is reused (a large text's fresh pages cost more than the
/// copy under Wine).
void readWindowText(HWND window, std::u16string& text);

/// Whether a text box's text is being set by code (TextBox::setText), which checks for itself that
/// the box took it all.
bool textBeingSet();

} // namespace quorvel::runtime::win32
