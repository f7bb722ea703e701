#pragma once

#include "runtime/design.h"

namespace quorvel::ui {

extern const runtime::FormDesign form1Design;

} // namespace quorvel::ui
