#pragma once

#include "base/numbers.h"

namespace quorvel::runtime {

/// A check box's value after a click (or Space): a checked box (1) is cleared, any other
/// (unchecked 0 or grayed 2) is checked. Only 1 means "checked" to the code that reads the value,
/// so every click turns that meaning over.
constexpr Integer checkBoxValueAfterClick(Integer value) {
    return value == 1 ? 0 : 1;
}

} // namespace quorvel::runtime
