#pragma once

// The program's event loop over Win32, one message at a time. The keys that move between and press
// the controls of a window work as in a dialog box: Tab and Shift+Tab move the focus in tab order,
// Enter presses the window's default button (or the focused button; in a window without a
// default button it breaks the line in a text box), Ctrl+Enter breaks the line, Esc presses the
// cancel button and does nothing else, and Ctrl+A selects a text box's whole text.

#include "win32.h"

namespace quorvel::runtime::win32 {

/// Handles one message taken from the thread's queue, as the event loop does.
void dispatch(MSG& message);

/// Handles every message waiting in the queue, then returns; false if WM_QUIT was among them
/// (it is put back, for the event loop).
bool dispatchWaiting();

} // namespace quorvel::runtime::win32
