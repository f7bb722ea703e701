#pragma once

// The texts the benchmarks count: Japanese-like prose and a text of nothing but CR LF.

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorvel::bench {

/// A small, fast, reproducible random source (splitmix64).
class Random {
public:
    explicit Random(std::uint64_t seed)
        : state_(seed) { }
    std::uint64_t next() {
        std::uint64_t z = state_ += 0x9E3779B97F4A7C15;
        z = (z ^ z >> 30) * 0xBF58476D1CE4E5B9;
        z = (z ^ z >> 27) * 0x94D049BB133111EB;
        return z ^ z >> 31;
    }
    /// A number from 0 to n - 1.
    std::uint32_t below(std::uint32_t n) {
        return static_cast<std::uint32_t>((next() >> 32) * n >> 32);
    }

private:
    std::uint64_t state_;
};

/// Kana and kanji with about 2% full-width spaces and 1% surrogate pairs, broken into lines by
/// CR LF every lineLength units on average (uniformly from half to one and a half times that).
inline std::u16string japanese(std::size_t units, std::uint32_t lineLength = 40) {
    Random random(20261207);
    std::u16string text;
    text.reserve(units + 2);
    const auto nextLine = [&] { return lineLength / 2 + random.below(lineLength + 1); };
    std::size_t untilBreak = nextLine();
    while (text.size() < units) {
        if (untilBreak-- == 0) {
            text += u"\r\n";
            untilBreak = nextLine();
            continue;
        }
        const std::uint32_t roll = random.below(1000);
        if (roll < 20) {
            text += u'\u3000';
        } else if (roll < 30) {
            text += static_cast<char16_t>(0xD840 + random.below(64));
            text += static_cast<char16_t>(0xDC00 + random.below(1024));
        } else if (roll < 400) {
            text += static_cast<char16_t>(0x3041 + random.below(83)); // hiragana
        } else if (roll < 550) {
            text += static_cast<char16_t>(0x30A1 + random.below(90)); // katakana
        } else {
            text += static_cast<char16_t>(0x4E00 + random.below(0x5000)); // kanji
        }
    }
    text.resize(units);
    return text;
}

/// Nothing but line breaks.
inline std::u16string allCrLf(std::size_t units) {
    std::u16string text(units, u'\n');
    for (std::size_t i = 0; i < units; i += 2)
        text[i] = u'\r';
    return text;
}

} // namespace quorvel::bench
