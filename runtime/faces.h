#pragma once

// The faces of the designs and their stand-ins. The designs name the faces of Japanese Windows
// (ＭＳ 明朝, ＭＳ Ｐゴシック, ...); where a designed face is missing, the most alike face at hand
// stands in for it.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::runtime {

/// A face and what it is like.
struct Face {
    std::u16string name;
    bool serif; ///< a Mincho (serif) face rather than a Gothic (sans-serif) one
    bool proportional; ///< Latin letters of their own widths, as in ＭＳ Ｐゴシック
};

/// The faces of available, the most like the designed face first: the designed face itself, then
/// serif or not as designed, then proportional or not as designed; alike faces in order of their
/// names, so the order is the same on every run. A face not known to the designs is taken for a
/// proportional Gothic.
std::vector<std::u16string> facesLike(
    std::u16string_view designed, std::span<const Face> available);

} // namespace quorvel::runtime
