#pragma once

// The character count rule, free of any window code: the count of a text is its length in UTF-16
// code units, less two for every CR LF pair and less one for every full-width space (U+3000)
// unless full-width spaces are to be counted. Overflow is raised as the runtime's error 6.

#include "base/numbers.h"

#include <cstddef>
#include <string_view>

namespace quorvel::counting {

using runtime::Integer;
using runtime::Long;
using runtime::Tally;

/// The check box value that means "count full-width spaces"; 0 (unchecked) and 2 (grayed) do not.
inline constexpr Integer countSpaces = 1;

/// Number of CR LF pairs: a CR directly followed by an LF. A lone CR or LF is no pair.
Tally crlfPairs(std::u16string_view text) noexcept;
/// Number of full-width spaces (U+3000). No other kind of space is one.
Tally fullWidthSpaces(std::u16string_view text) noexcept;

/// Twice the number of CR LF pairs; raises Overflow from 16384 pairs on.
Integer pairCorrection(std::u16string_view text);
/// The number of full-width spaces, or 0 when checkValue is 1; raises Overflow from 32768 spaces
/// when they are not counted.
Integer spaceCorrection(Tally spaces, Integer checkValue);
/// The same for a text, which is scanned whatever checkValue is.
inline Integer spaceCorrection(std::u16string_view text, Integer checkValue) {
    return spaceCorrection(fullWidthSpaces(text), checkValue);
}
/// length - pairs - spaces, each subtraction checked for Overflow.
Long count(Long length, Integer pairs, Integer spaces);

} // namespace quorvel::counting
