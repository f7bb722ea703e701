#include "strings.h"

#include <charconv>

namespace quorvel::runtime {

std::u16string Str(Long value) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return { digits, end };
}

} // namespace quorvel::runtime
