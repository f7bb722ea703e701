// Differential fuzzing of the count: every kernel, and the corrections built on them, against the
// straightforward walk, on arbitrary code units at arbitrary alignments, starts and lengths.
//
// An input is a header of six bytes, then the text:
//   byte 0     bits 0-5: where the text starts in its heap block, in units (0..63);
//              bit 6: the text is spelled one byte per unit from a small alphabet dense in what
//              the count looks for; otherwise two bytes (little-endian) per unit
//   byte 1     below 0xF8: the text is used once; from 0xF8 on, it is repeated 4, 16, ... 65536
//              times up to 40000 units, so that some texts reach the limits of the corrections
//   bytes 2-5  the start and length of the slice that is counted (16 bits each, taken modulo
//              what fits), so units just outside the slice are real units of the text

#include "base/errors.h"
#include "counting/count.h"
#include "counting/kernels.h"
#include "counting/reference.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

using namespace quorvel;
using namespace quorvel::counting;

namespace {

constexpr char16_t alphabet[] = { u'\r', u'\n', u'\u3000', u'\r', u'\n', u'\u3000', u'\u0D0A',
    u'\u0A0D', u'\u300D', u'0', u'a', u'\u3042', u'\xD83D', u'\xDE00', u'\u6F22', u'\u0D00' };

constexpr std::size_t maxUnits = 40000; // past both limits: 16384 pairs, 32768 spaces

void fail(const char* what) {
    std::fprintf(stderr, "mismatch: %s\n", what);
    std::abort();
}

// A correction, or nothing when it raises Overflow.
template <typename F> std::optional<Integer> outcome(F&& correction) {
    try {
        return correction();
    } catch (const runtime::RuntimeError& error) {
        if (error.number() != runtime::ErrorNumber::Overflow)
            fail("an error other than Overflow");
        return std::nullopt;
    }
}

// The correction the rule gives for a tally, or nothing for Overflow.
std::optional<Integer> expected(Tally value) {
    if (value > 32767)
        return std::nullopt;
    return static_cast<Integer>(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6)
        return 0;
    const std::size_t alignment = data[0] & 63;
    const bool spelled = data[0] & 64;
    const std::size_t repeats = data[1] < 0xF8 ? 1 : std::size_t { 1 } << 2 * (data[1] - 0xF7);
    const std::size_t sliceStart = data[2] | data[3] << 8, sliceSize = data[4] | data[5] << 8;
    data += 6;
    size -= 6;

    std::u16string unit;
    if (spelled) {
        for (std::size_t i = 0; i < size; ++i)
            unit += alphabet[data[i] % std::size(alphabet)];
    } else {
        for (std::size_t i = 0; i + 1 < size; i += 2)
            unit += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    }
    // The unit repeated, by doubling.
    const std::size_t target
        = unit.empty() ? 0 : std::min(repeats, maxUnits / unit.size()) * unit.size();
    std::u16string text = unit;
    text.reserve(target);
    while (text.size() < target)
        text.append(text, 0, std::min(text.size(), target - text.size()));

    // The text alone in a heap block, so that AddressSanitizer sees a read past its end.
    auto block = std::make_unique<char16_t[]>(alignment + text.size());
    text.copy(block.get() + alignment, text.size());
    const std::size_t start = sliceStart % (text.size() + 1);
    const std::size_t length = sliceSize % (text.size() - start + 1);
    for (std::u16string_view slice : { std::u16string_view(block.get() + alignment, text.size()),
             std::u16string_view(block.get() + alignment + start, length) }) {
        const Tally pairs = reference::crlfPairs(slice), spaces = reference::fullWidthSpaces(slice);
        for (const kernels::Kernel& kernel : kernels::available()) {
            if (kernel.crlfPairs(slice) != pairs)
                fail(kernel.name);
            if (kernel.fullWidthSpaces(slice) != spaces)
                fail(kernel.name);
        }
        if (outcome([&] { return pairCorrection(slice); }) != expected(pairs * 2))
            fail("pairCorrection");
        for (Integer check : { 0, 1, 2 })
            if (outcome([&] { return spaceCorrection(slice, check); })
                != (check == countSpaces ? std::optional<Integer>(0) : expected(spaces)))
                fail("spaceCorrection");
    }
    return 0;
}
