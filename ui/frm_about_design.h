#pragma once

#include "runtime/design.h"

namespace quorvel::ui {

extern const runtime::FormDesign frmAboutDesign;

} // namespace quorvel::ui
