#include "runtime/controls.h"

#include "base/errors.h"
#include "runtime/announcements.h"
#include "subclass.h"
#include "win32.h"

#include <algorithm>
#include <utility>

namespace quorvel::runtime {

std::wstring win32::windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)), L'\0');
    // The length may be larger than the text; the copy says how much there is.
    const int copied = GetWindowTextW(window, text.data(), static_cast<int>(text.size()) + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

void win32::readWindowText(HWND window, std::u16string& text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    text.resize(static_cast<std::size_t>(GetWindowTextLengthW(window)));
    // The length may be larger than the text; the copy says how much there is.
    const int copied = GetWindowTextW(
        window, reinterpret_cast<wchar_t*>(text.data()), static_cast<int>(text.size()) + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
}

namespace {
bool settingText = false; // TextBox::setText is under way

void setText(HWND window, std::u16string_view text) {
    // An edit control that cannot take a text this long fails for want of memory.
    if (!SetWindowTextW(window, win32::wide(text).c_str()))
        raise(ErrorNumber::OutOfMemory);
}
} // namespace

std::u16string Label::caption() const {
    return win32::utf16(win32::windowText(handle()));
}

void Label::setCaption(std::u16string_view caption) {
    setText(handle(), caption);
    if (announced_)
        announcements::captionSet(this, caption);
}

bool win32::textBeingSet() {
    return settingText;
}

// Every message but the reads of its text may change an edit control's text, and none changes it
// without one: any other message drops the text box's kept read.
struct TextBoxWatch {
    static LRESULT procedure(
        void* box, WNDPROC own, HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_GETTEXT && message != WM_GETTEXTLENGTH)
            static_cast<TextBox*>(box)->readKept_ = false;
        return CallWindowProcW(own, handle, message, wParam, lParam);
    }
};

TextBox::TextBox(HWND handle, std::u16string_view nameForScreenReaders)
    : ChildWindow(handle) {
    win32::subclass(handle, &TextBoxWatch::procedure, this, { nameForScreenReaders });
}

std::u16string_view TextBox::text() const {
    if (!readKept_) {
        win32::readWindowText(handle(), read_);
        readKept_ = true;
    }
    return read_;
}

void TextBox::setText(std::u16string_view text) {
    const bool outer = std::exchange(settingText, true);
    const bool set = SetWindowTextW(handle(), win32::wide(text).c_str());
    settingText = outer;
    // An edit control that cannot hold the whole text keeps what it took.
    if (!set || static_cast<std::size_t>(GetWindowTextLengthW(handle())) != text.size())
        raise(ErrorNumber::OutOfMemory);
}

Integer CheckBox::value() const {
    switch (SendMessageW(handle(), BM_GETCHECK, 0, 0)) {
    case BST_CHECKED:
        return 1;
    case BST_INDETERMINATE:
        return 2;
    default:
        return 0;
    }
}

void CheckBox::setValue(Integer value) {
    const WPARAM state = value == 1 ? BST_CHECKED : value == 2 ? BST_INDETERMINATE : BST_UNCHECKED;
    SendMessageW(handle(), BM_SETCHECK, state, 0);
}

} // namespace quorvel::runtime
