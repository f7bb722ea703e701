#pragma once

// A control whose messages go first to a procedure of the runtime's, which passes on what it does
// not handle to the control's own procedure; what screen readers are to be given of the control
// (its name, a live region) is given when a screen reader first asks for it (accessibility.h).
// comctl32's SetWindowSubclass would do the same, but it looks its data up as a window property at
// every message, and under Wine each look-up is a request to the Wine server (two for every message
// to the control). Here the data hangs on the control itself, in its user data (GWLP_USERDATA),
// which the controls used here leave to the program.

#include "accessibility.h"
#include "win32.h"

#include <string_view>

namespace quorvel::runtime::win32 {

/// Handles a message to a subclassed control: object is what subclass() was given, own the
/// control's own procedure, to which the procedure passes the rest (CallWindowProcW).
using ControlProcedure = LRESULT (*)(
    void* object, WNDPROC own, HWND control, UINT message, WPARAM wParam, LPARAM lParam);

/// Sends the control's messages to procedure first, until the control is destroyed. A name for
/// screen readers, if any, stays valid as long as the control.
void subclass(
    HWND control, ControlProcedure procedure, void* object, const ForScreenReaders& given = {});

} // namespace quorvel::runtime::win32
