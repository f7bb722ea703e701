#pragma once

// The cases that both toolkits' window tests run (tests/form1_test.cpp over Qt,
// tests/windows/windows_test.cpp over Win32), written once: texts pasted and what カウント実行 then
// shows, the texts past the count's limits, and the note that Form_Load writes.

#include <ostream>
#include <string>
#include <vector>

namespace quorvel::tests {

/// Label2's note: two lines, broken by a lone CR.
inline const std::u16string note
    = u"上のﾃｷｽﾄﾎﾞｯｸｽに、ﾃｷｽﾄを貼り付けて、カウント実行ボタンを押して下さい。"
      u"\r全角１文字も半角１文字も同じ、１カウントです。";

/// A novel-sized text (about 1 MB in UTF-16): 11,000 paragraphs, each opening with a full-width
/// space and closing with CR LF, with kana, kanji, Latin letters and a character outside the BMP.
inline std::u16string novel() {
    const std::u16string paragraph = u"　吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当が"
                                     u"つかぬ。Neko 𠮷 ｶﾅ。\r\n";
    std::u16string text;
    text.reserve(paragraph.size() * 11'000);
    for (int i = 0; i < 11'000; ++i)
        text += paragraph;
    return text;
}

struct PastedCount {
    const char* name; ///< one word, as GoogleTest's parameter names must be
    std::u16string text;
    int check; ///< Check1's value, set by code before the paste: 0, 1 or 2 (grayed)
    bool click; ///< and then Check1 clicked once
    std::u16string count; ///< what the display shows after カウント実行
};

inline std::vector<PastedCount> pastedCounts() {
    return {
        { "EmptyBox", u"", 0, false, u"0" },
        { "CrLfIsALineBreak", u"ab\r\ncd", 0, false, u"4" },
        { "LoneLfCounts", u"ab\ncd", 0, false, u"5" },
        { "LoneCrCounts", u"ab\rcd", 0, false, u"5" },
        { "CrCrLfKeepsTheFirstCr", u"\r\r\n", 0, false, u"1" },
        { "LfCrIsNoPair", u"\n\r", 0, false, u"2" },
        { "LineAndParagraphSeparatorsCount", u"a\u2028b\u2029c", 0, false, u"5" },
        { "FullWidthSpaceUncounted", u"Ａ　Ｂ", 0, false, u"2" },
        { "FullWidthSpaceCounted", u"Ａ　Ｂ", 1, false, u"3" },
        { "FullWidthSpaceCountedByAClick", u"Ａ　Ｂ", 0, true, u"3" },
        { "FullWidthSpaceGrayedUncounted", u"Ａ　Ｂ", 2, false, u"2" },
        { "AClickOnAGrayedBoxCountsThem", u"Ａ　Ｂ", 2, true, u"3" },
        { "NoBreakSpaceAndTabCount", u"\u00A0\t", 0, false, u"2" },
        { "LeadingByteOrderMarkCounts", u"\uFEFFab", 0, false, u"3" },
        { "SurrogatePairCountsTwo", u"a😀", 0, false, u"3" },
        { "LoneSurrogateCountsOne", std::u16string { u'a', char16_t(0xD800), u'b' }, 0, false,
            u"3" },
        { "FrameMarksAreOrdinary", u"\uFDD0\uFDD1", 0, false, u"2" },
        // 11,000 paragraphs of 47 code units, less 2 for the CR LF and 1 for the space.
        { "Novel", novel(), 0, false, u"484000" },
    };
}

/// 16384 CR LF pairs, one past the pair correction's limit, and then abc.
inline std::u16string pairsPastTheLimit() {
    std::u16string text;
    for (int i = 0; i < 16384; ++i)
        text += u"\r\n";
    return text + u"abc";
}

/// 32768 full-width spaces, one past the space correction's limit when they are not counted: in
/// lines of 32, as a text would hold them (a line without a break is slow to lay out).
inline std::u16string spacesPastTheLimit() {
    std::u16string text;
    for (int i = 0; i < 1024; ++i)
        text += std::u16string(32, u'　') + u"\r\n";
    return text;
}

struct Overflowing {
    const char* name;
    std::u16string text;
    int check; ///< Check1's value
};

inline std::vector<Overflowing> overflowingTexts() {
    return { { "CrLfPairs16384", pairsPastTheLimit(), 1 },
        { "FullWidthSpaces32768", spacesPastTheLimit(), 0 } };
}

// Rows are named by their names in test reports.
inline void PrintTo(const PastedCount& row, std::ostream* out) {
    *out << row.name;
}
inline void PrintTo(const Overflowing& row, std::ostream* out) {
    *out << row.name;
}

} // namespace quorvel::tests
