#pragma once

// The strings that the windows' handlers pass to their controls: UTF-16, as std::u16string and
// std::u16string_view. A toolkit's text box may give its text in a string type of its own; view()
// gives the code units of either kind.

#include "base/numbers.h"

#include <string>
#include <string_view>

namespace quorvel::runtime {

/// The decimal text of a number: digits, a minus sign when negative, no space or grouping.
std::u16string Str(Long value);

inline std::u16string_view view(std::u16string_view text) {
    return text;
}

} // namespace quorvel::runtime
