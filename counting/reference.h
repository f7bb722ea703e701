#pragma once

// The straightforward walk of the count rule, one code unit at a time: the yardstick that tests,
// fuzzing and benchmarks hold the fast kernels to. Not used by the program itself.

#include "base/numbers.h"

#include <string_view>

namespace quorvel::counting::reference {

inline runtime::Tally crlfPairs(std::u16string_view text) noexcept {
    runtime::Tally pairs = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++pairs;
    return pairs;
}

inline runtime::Tally fullWidthSpaces(std::u16string_view text) noexcept {
    runtime::Tally spaces = 0;
    for (char16_t c : text)
        if (c == u'\u3000')
            ++spaces;
    return spaces;
}

} // namespace quorvel::counting::reference
