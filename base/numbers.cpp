#include "numbers.h"

#include "errors.h"

#include <limits>

namespace quorvel::runtime {

namespace {
template <typename To> To narrow(Tally value) {
    if (value < std::numeric_limits<To>::min() || value > std::numeric_limits<To>::max())
        raise(ErrorNumber::Overflow);
    return static_cast<To>(value);
}
} // namespace

Integer toInteger(Tally value) {
    return narrow<Integer>(value);
}

Long toLong(Tally value) {
    return narrow<Long>(value);
}

Long subtract(Long a, Long b) {
    Long result;
    if (__builtin_sub_overflow(a, b, &result))
        raise(ErrorNumber::Overflow);
    return result;
}

} // namespace quorvel::runtime
