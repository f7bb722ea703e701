#pragma once

// The controls that the windows' handlers use, as Qt widgets. The windows include this header as
// "runtime/controls.h"; CMake puts this folder on their include path when the program is built over
// Qt (the Windows build puts runtime/win32/include/ there instead).

#include "runtime/qt/strings.h" // view() of the text box's text
#include "runtime/qt/widgets/controls.h"
#include "runtime/qt/widgets/textbox.h"
