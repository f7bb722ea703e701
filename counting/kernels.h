#pragma once

// The scanning kernels behind crlfPairs and fullWidthSpaces: one plain loop, compiled once for
// every instruction set the program can pick at run time. Tests, fuzzing and benchmarks reach each
// of them here; the window code only needs count.h.

#include "base/numbers.h"

#include <span>
#include <string_view>

namespace quorvel::counting::kernels {

struct Kernel {
    const char* name;
    runtime::Tally (*crlfPairs)(std::u16string_view text) noexcept;
    runtime::Tally (*fullWidthSpaces)(std::u16string_view text) noexcept;
};

/// The kernels this processor can run, plainest first; crlfPairs and fullWidthSpaces use the last.
std::span<const Kernel> available();

} // namespace quorvel::counting::kernels
