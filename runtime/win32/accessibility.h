#pragma once

// The names that screen readers read for controls without a caption of their own (a text box, a
// picture box). Windows would name such a control after the static control before it; the
// design's name is given to it instead, through Windows' annotation service (Dynamic Annotation).
//
// The name is given when a screen reader first asks for the control (WM_GETOBJECT), before the
// control answers: a program that no screen reader reads never starts COM, nor loads ole32.

#include "win32.h"

#include <string_view>

namespace quorvel::runtime::win32 {

/// Gives a control its accessible name, as screen readers read it (PROPID_ACC_NAME). Without the
/// annotation service the control keeps the name Windows gives it.
void nameForScreenReaders(HWND control, std::u16string_view name);

} // namespace quorvel::runtime::win32
