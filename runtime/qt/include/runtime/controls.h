#pragma once

// The controls that the windows' handlers use, as Qt widgets. The windows include this header as
// "runtime/controls.h"; CMake puts this folder on their include path when the program is built over
// Qt (the Windows build puts runtime/win32/include/ there instead). What the windows may use of
// them is runtime/controls_contract.h, checked here.

#include "runtime/qt/strings.h" // view() of the text box's text
#include "runtime/qt/textbox/textbox.h"
#include "runtime/qt/widgets/controls.h"

// After view() of Qt's strings, which the contract's checks call.
#include "runtime/controls_contract.h"

namespace quorvel::runtime {
static_assert(
    contract::Controls<Label, TextBox, CheckBox, CommandButton, PictureBox, Line, Menu, MenuItem>);
} // namespace quorvel::runtime
