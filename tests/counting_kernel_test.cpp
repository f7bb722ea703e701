// The vectorised kernels against the straightforward walk: every kernel this processor can run,
// on slices at every alignment, across block and vector boundaries and at the ends of a text.

#include "counting/count.h"
#include "counting/kernels.h"
#include "counting/reference.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

using namespace quorvel::counting;

namespace {

// Code units that the count looks for, and ones that share their bytes (U+0D0A, U+0030, ...),
// which a kernel comparing bytes instead of units would mistake for them.
constexpr char16_t alphabet[] = { u'\r', u'\n', u'\u3000', u'\u0D0A', u'\u0A0D', u'\u0D00',
    u'\u0A00', u'0', u'\u300D', u'\u3042', u'\xD83D', u'\xDE00' };

std::u16string randomText(std::mt19937& random, std::size_t size) {
    std::uniform_int_distribution<std::size_t> pick(0, std::size(alphabet) - 1);
    std::u16string text(size, u' ');
    for (char16_t& c : text)
        c = alphabet[pick(random)];
    return text;
}

// Each kernel's results for text, which is copied to a heap block of its own at the given offset,
// so that AddressSanitizer catches a read past its last unit.
void expectSameAsReference(std::u16string_view text, std::size_t offset = 0) {
    auto block = std::make_unique<char16_t[]>(offset + text.size());
    text.copy(block.get() + offset, text.size());
    const std::u16string_view copy(block.get() + offset, text.size());
    for (const kernels::Kernel& kernel : kernels::available()) {
        ASSERT_EQ(kernel.crlfPairs(copy), reference::crlfPairs(text))
            << kernel.name << ", offset " << offset << ", size " << text.size();
        ASSERT_EQ(kernel.fullWidthSpaces(copy), reference::fullWidthSpaces(text))
            << kernel.name << ", offset " << offset << ", size " << text.size();
    }
}

// The kernels this processor and its operating system can run, asked of the processor itself
// (CPUID, and XGETBV for the registers the system saves) rather than of the compiler's run-time
// support, which the program's choice rests on.
std::vector<std::string> kernelsTheProcessorRuns() {
    std::vector<std::string> names { "baseline" };
#if defined(__x86_64__)
    unsigned a, b, c, d;
    if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & bit_OSXSAVE) || !(c & bit_AVX))
        return names;
    unsigned low, high;
    asm("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d))
        return names;
    if ((low & 0x06) == 0x06 && (b & bit_AVX2)) // XMM and YMM registers
        names.push_back("avx2");
    else
        return names;
    if ((low & 0xE6) == 0xE6 && (b & bit_AVX512BW) && (b & bit_AVX512VL)) // and ZMM, masks
        names.push_back("avx512");
#endif
    return names;
}

} // namespace

TEST(CountKernels, IncludeEveryOneTheProcessorRuns) {
    std::vector<std::string> available;
    std::string list;
    for (const kernels::Kernel& kernel : kernels::available()) {
        available.push_back(kernel.name);
        list += ' ' + available.back();
    }
    std::printf("kernels tested:%s\n", list.c_str());
    EXPECT_EQ(available, kernelsTheProcessorRuns());
}

TEST(CountKernels, AgreeOnShortTextsAtEveryAlignment) {
    std::mt19937 random(5);
    const std::u16string text = randomText(random, 64 + 300);
    for (std::size_t offset = 0; offset < 64; ++offset)
        for (std::size_t size = 0; size <= 300; ++size)
            expectSameAsReference(std::u16string_view(text).substr(offset, size), offset);
}

TEST(CountKernels, AgreeOnLongTexts) {
    std::mt19937 random(6);
    for (std::size_t size : { 32767, 32768, 32769, 65535, 65536, 65537, 200'003 })
        expectSameAsReference(randomText(random, size));
}

TEST(CountKernels, CountAPairSplitAcrossAnyPowerOfTwoBoundary) {
    std::u16string text(3 * 65536 + 7, u'\u3042');
    for (std::size_t boundary = 8; boundary <= 131072; boundary *= 2) {
        text[boundary - 1] = u'\r';
        text[boundary] = u'\n';
    }
    EXPECT_EQ(crlfPairs(text), 15);
    expectSameAsReference(text);
    for (std::size_t offset : { 1, 3, 31 })
        expectSameAsReference(std::u16string_view(text).substr(offset), offset);
}

TEST(CountKernels, LookOnlyInsideTheirSlice) {
    const std::u16string text = u"\r\n\r\n\u3000\r";
    const std::u16string_view all(text);
    EXPECT_EQ(crlfPairs(all.substr(1)), 1) << "an LF after a CR outside the slice";
    EXPECT_EQ(crlfPairs(all.substr(0, 3)), 1) << "a CR before an LF outside the slice";
    EXPECT_EQ(crlfPairs(all.substr(5)), 0) << "a CR as the last unit";
    EXPECT_EQ(fullWidthSpaces(all.substr(0, 4)), 0);
    EXPECT_EQ(fullWidthSpaces(all.substr(4, 1)), 1);
}

TEST(CountKernels, DoNotWrapOnTextsMadeOnlyOfWhatTheyCount) {
    // Runs far past any block length: a tally that wraps shows here.
    std::u16string pairs;
    for (int i = 0; i < 100'000; ++i)
        pairs += u"\r\n";
    const std::u16string spaces(200'003, u'\u3000');
    for (const kernels::Kernel& kernel : kernels::available()) {
        EXPECT_EQ(kernel.crlfPairs(pairs), 100'000) << kernel.name;
        EXPECT_EQ(kernel.crlfPairs(pairs + u'\r'), 100'000) << kernel.name;
        EXPECT_EQ(kernel.crlfPairs(std::u16string(200'001, u'\r')), 0) << kernel.name;
        EXPECT_EQ(kernel.fullWidthSpaces(spaces), 200'003) << kernel.name;
        EXPECT_EQ(kernel.fullWidthSpaces(pairs), 0) << kernel.name;
    }
}
