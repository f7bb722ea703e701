#pragma once

#include <cstdint>

namespace quorvel::runtime {

/// Integer: 16 bits, the type of a check box's value and of the count's corrections.
using Integer = std::int16_t;
/// Long: 32 bits, the type of a text's length and of the count.
using Long = std::int32_t;
/// A tally that widens instead of overflowing; it never exceeds a text's length.
using Tally = std::int64_t;

/// Converts to an Integer, raising Overflow outside -32768..32767.
Integer toInteger(Tally value);
/// Converts to a Long, raising Overflow outside the 32-bit range.
Long toLong(Tally value);
/// a - b, raising Overflow when the result does not fit a Long.
Long subtract(Long a, Long b);

} // namespace quorvel::runtime
