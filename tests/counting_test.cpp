// The count rule over plain strings: the corrections, their 16-bit limits and the count.

#include "base/errors.h"
#include "counting/count.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace quorvel::counting;
using quorvel::runtime::ErrorNumber;
using quorvel::runtime::RuntimeError;

namespace {

constexpr Integer unchecked = 0, checked = 1, grayed = 2;

Long countOf(std::u16string_view text, Integer check) {
    const Integer pairs = pairCorrection(text);
    const Integer spaces = spaceCorrection(text, check);
    return count(static_cast<Long>(text.size()), pairs, spaces);
}

void expectOverflow(auto&& f) {
    try {
        f();
        ADD_FAILURE() << "no Overflow";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), ErrorNumber::Overflow);
    }
}

std::u16string repeat(std::u16string_view unit, int times) {
    std::u16string s;
    for (int i = 0; i < times; ++i)
        s += unit;
    return s;
}

struct Case {
    const char* name;
    std::u16string text;
    Long unchecked, checked;
};

} // namespace

TEST(CountRule, CountsCodeUnitsLessLineBreaksAndSpaces) {
    const Case cases[] = {
        { "empty text", u"", 0, 0 },
        { "ASCII letters", u"abc", 3, 3 },
        { "CR LF between letters counts nothing", u"ab\r\ncd", 4, 4 },
        { "two line breaks alone", u"\r\n\r\n", 0, 0 },
        { "CR CR LF keeps the first CR", u"\r\r\n", 1, 1 },
        { "LF CR is no pair", u"\n\r", 2, 2 },
        { "a trailing lone CR counts", u"ab\r", 3, 3 },
        { "a leading lone LF counts", u"\nab", 3, 3 },
        { "full-width space counts only when checked", u"\uFF21\u3000\uFF22", 2, 3 },
        { "half-width space, tab and no-break space always count", u" \t\u00A0", 3, 3 },
        { "half-width and full-width katakana count one each", u"\uFF76\u30AB", 2, 2 },
        { "a character outside the BMP counts two", u"\U0001F600", 2, 2 },
        { "line and paragraph separators are ordinary", u"\u2028\u2029", 2, 2 },
        { "a lone surrogate counts one", u"\xD800x", 2, 2 },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(countOf(c.text, unchecked), c.unchecked) << c.name;
        EXPECT_EQ(countOf(c.text, checked), c.checked) << c.name;
    }
}

TEST(CountRule, OnlyCheckValueOneCountsFullWidthSpaces) {
    const std::u16string spaces = u"\u3000\u3000\u3000";
    EXPECT_EQ(spaceCorrection(spaces, unchecked), 3);
    EXPECT_EQ(spaceCorrection(spaces, checked), 0);
    EXPECT_EQ(spaceCorrection(spaces, grayed), 3);
    EXPECT_EQ(spaceCorrection(spaces, -1), 3);
}

TEST(CountRule, PairCorrectionOverflowsFrom16384Pairs) {
    EXPECT_EQ(pairCorrection(repeat(u"\r\n", 16383)), 32766);
    expectOverflow([] { pairCorrection(repeat(u"\r\n", 16384)); });
    // Pairs counted across other text, and a text ending in CR, reach the same limit.
    EXPECT_EQ(pairCorrection(repeat(u"x\r\n", 16383) + u"\r"), 32766);
}

TEST(CountRule, SpaceCorrectionOverflowsFrom32768UncountedSpaces) {
    EXPECT_EQ(spaceCorrection(repeat(u"\u3000", 32767), unchecked), 32767);
    const std::u16string many = repeat(u"\u3000", 32768);
    expectOverflow([&] { spaceCorrection(many, unchecked); });
    expectOverflow([&] { spaceCorrection(many, grayed); });
    EXPECT_EQ(spaceCorrection(many, checked), 0);
    EXPECT_EQ(countOf(many, checked), 32768);
}

TEST(CountRule, PairCorrectionRunsFirstSoItsOverflowWins) {
    // Past both limits: the pairs fail before the spaces are scanned.
    const std::u16string both = repeat(u"\r\n", 16384) + repeat(u"\u3000", 32768);
    expectOverflow([&] { countOf(both, unchecked); });
    EXPECT_EQ(crlfPairs(both), 16384);
}

TEST(CountRule, CountSubtractionIsChecked) {
    EXPECT_EQ(count(10, 4, 3), 3);
    EXPECT_EQ(count(2147483647, 0, 0), 2147483647);
    expectOverflow([] { count(-2147483647 - 1, 1, 0); });
    expectOverflow([] { count(-2147483647, 1, 1); });
}

// The straightforward walk the rule describes, one code unit at a time.
Long referenceCount(std::u16string_view text, Integer check) {
    long long pairs = 0, spaces = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++pairs;
        if (text[i] == u'\u3000')
            ++spaces;
    }
    return static_cast<Long>(text.size()) - static_cast<Long>(pairs * 2)
        - (check == 1 ? 0 : static_cast<Long>(spaces));
}

TEST(CountRule, AgreesWithAPlainLoopOnRandomTexts) {
    const char16_t alphabet[] = { u'\r', u'\n', u'\u3000', u'\xD83D', u'\xDE00', u'\u3042',
        u'\u6F22', u'\uFF76', u'a', u' ', u'\t', u'\u00A0' };
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> pick(0, std::size(alphabet) - 1);
    std::uniform_int_distribution<int> length(0, 300);
    for (int round = 0; round < 3000; ++round) {
        std::u16string text(length(random), u' ');
        for (char16_t& c : text)
            c = alphabet[pick(random)];
        for (Integer check : { unchecked, checked, grayed })
            ASSERT_EQ(countOf(text, check), referenceCount(text, check)) << "round " << round;
    }
}
