#include "count.h"

#include "kernels.h"

#include <algorithm>
#include <cstdint>

namespace quorvel::counting {

namespace {

// Both scans tally each block of this many positions in 16 bits, which lets the compiler compare
// and add 16 or 32 code units per vector instruction (64-bit tallies are several times slower).
// A block is too short for its tally to wrap.
constexpr std::size_t blockSize = std::size_t { 1 } << 15;

// The units before the first 64-byte boundary of the text. Counted on their own, they let every
// block start on a cache line, so that the vector loads of text[i] never straddle two lines (those
// of text[i + 1] in the pair scan always do). A string's buffer seldom starts on a line.
std::size_t unitsBeforeCacheLine(const char16_t* text, std::size_t size) {
    const std::size_t misalignment = reinterpret_cast<std::uintptr_t>(text) % 64;
    return std::min(size, misalignment == 0 ? 0 : (64 - misalignment) / sizeof(char16_t));
}

// The positions from <= i < to where match(text + i) holds, tallied block by block.
template <typename Match>
[[gnu::always_inline]] inline Tally tally(
    const char16_t* text, std::size_t from, std::size_t to, Match match) {
    Tally total = 0;
    for (; from < to; from += blockSize) {
        const std::size_t end = std::min(to, from + blockSize);
        std::uint16_t n = 0;
        for (std::size_t i = from; i < end; ++i)
            n += match(text + i);
        total += n;
    }
    return total;
}

// A CR followed by an LF. The last position of a block looks one unit past it, so a pair split
// between two blocks counts once.
constexpr auto crlfAt = [](const char16_t* p) { return (p[0] == u'\r') & (p[1] == u'\n'); };
constexpr auto spaceAt = [](const char16_t* p) { return p[0] == u'\u3000'; };

// A CR as the last unit starts no pair, and nothing before text[0] is looked at.
[[gnu::always_inline]] inline Tally pairsIn(const char16_t* text, std::size_t size) {
    const std::size_t starts = size == 0 ? 0 : size - 1;
    const std::size_t head = std::min(starts, unitsBeforeCacheLine(text, size));
    return tally(text, 0, head, crlfAt) + tally(text, head, starts, crlfAt);
}

[[gnu::always_inline]] inline Tally spacesIn(const char16_t* text, std::size_t size) {
    const std::size_t head = unitsBeforeCacheLine(text, size);
    return tally(text, 0, head, spaceAt) + tally(text, head, size, spaceAt);
}

// The same loops compiled for each instruction set; the compiler vectorises each to its width.
Tally pairsBaseline(std::u16string_view text) noexcept {
    return pairsIn(text.data(), text.size());
}
Tally spacesBaseline(std::u16string_view text) noexcept {
    return spacesIn(text.data(), text.size());
}

#if defined(__x86_64__)
[[gnu::target("avx2")]] Tally pairsAvx2(std::u16string_view text) noexcept {
    return pairsIn(text.data(), text.size());
}
[[gnu::target("avx2")]] Tally spacesAvx2(std::u16string_view text) noexcept {
    return spacesIn(text.data(), text.size());
}
[[gnu::target("avx512bw,avx512vl")]] Tally pairsAvx512(std::u16string_view text) noexcept {
    return pairsIn(text.data(), text.size());
}
[[gnu::target("avx512bw,avx512vl")]] Tally spacesAvx512(std::u16string_view text) noexcept {
    return spacesIn(text.data(), text.size());
}
#endif

// Each kernel needs what the one before it needs, and more.
constexpr kernels::Kernel allKernels[] = {
    { "baseline", pairsBaseline, spacesBaseline },
#if defined(__x86_64__)
    { "avx2", pairsAvx2, spacesAvx2 },
    { "avx512", pairsAvx512, spacesAvx512 },
#endif
};

std::size_t runnableKernels() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("avx2"))
        return 1;
    if (!__builtin_cpu_supports("avx512bw") || !__builtin_cpu_supports("avx512vl"))
        return 2;
    return 3;
#else
    return 1;
#endif
}

const kernels::Kernel& fastest() {
    static const kernels::Kernel& kernel = kernels::available().back();
    return kernel;
}

} // namespace

std::span<const kernels::Kernel> kernels::available() {
    static const std::size_t runnable = runnableKernels();
    return { allKernels, runnable };
}

Tally crlfPairs(std::u16string_view text) noexcept {
    return fastest().crlfPairs(text);
}

Tally fullWidthSpaces(std::u16string_view text) noexcept {
    return fastest().fullWidthSpaces(text);
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
