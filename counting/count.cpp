#include "count.h"

#include <algorithm>

namespace quorvel::counting {

Tally crlfPairs(std::u16string_view text) noexcept {
    Tally pairs = 0;
    for (std::size_t i = 1; i < text.size(); ++i)
        pairs += text[i - 1] == u'\r' && text[i] == u'\n';
    return pairs;
}

Tally fullWidthSpaces(std::u16string_view text) noexcept {
    return std::count(text.begin(), text.end(), u'\u3000');
}

Integer pairCorrection(std::u16string_view text) {
    return runtime::toInteger(crlfPairs(text) * 2);
}

Integer spaceCorrection(Tally spaces, Integer checkValue) {
    if (checkValue == countSpaces)
        return 0;
    return runtime::toInteger(spaces);
}

Long count(Long length, Integer pairs, Integer spaces) {
    return runtime::subtract(runtime::subtract(length, pairs), spaces);
}

} // namespace quorvel::counting
