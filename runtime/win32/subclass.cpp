#include "subclass.h"

#include "accessibility.h"

#include <utility>

namespace quorvel::runtime::win32 {

namespace {
struct Subclass {
    ControlProcedure procedure;
    void* object;
    WNDPROC own;
    ForScreenReaders given; // until a screen reader first asks
};

LRESULT CALLBACK route(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* subclass = reinterpret_cast<Subclass*>(GetWindowLongPtrW(control, GWLP_USERDATA));
    if (message == WM_GETOBJECT && !subclass->given.empty())
        giveScreenReaders(control, std::exchange(subclass->given, {}));
    if (message != WM_NCDESTROY)
        return subclass->procedure(
            subclass->object, subclass->own, control, message, wParam, lParam);
    // The control's last message: it goes back to its own procedure, which sees it too.
    const Subclass last = *subclass;
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(last.own));
    SetWindowLongPtrW(control, GWLP_USERDATA, 0);
    delete subclass;
    return last.procedure(last.object, last.own, control, message, wParam, lParam);
}
} // namespace

void subclass(
    HWND control, ControlProcedure procedure, void* object, const ForScreenReaders& given) {
    auto* made = new Subclass { procedure, object, nullptr, given };
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made));
    made->own = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&route)));
}

} // namespace quorvel::runtime::win32
