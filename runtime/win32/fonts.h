#pragma once

// The fonts of the designs over Win32: the designed face where Windows has it (ＭＳ 明朝 and
// ＭＳ Ｐゴシック come with Japanese Windows), else a Japanese face of the same kind that this
// machine has (as under Wine); the size from points at the window's resolution.

#include "runtime/design.h"
#include "win32.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::runtime::win32 {

/// A face that Windows lists for the Japanese character set.
struct Face {
    std::wstring name;
    bool serif; ///< a Mincho (serif) face rather than a Gothic (sans-serif) one
    bool proportional; ///< Latin letters of their own widths, as in ＭＳ Ｐゴシック
};

/// The face to use for a designed face: the designed face itself when available, else the
/// available face most like it (serif or not first, then proportional or not); the first such
/// face by name, so the choice is the same on every run. Empty when nothing is available.
std::wstring chooseFace(std::wstring_view designed, std::span<const Face> available);

/// The faces of the Japanese character set (SHIFTJIS_CHARSET) installed on this machine, without
/// the vertical ("@") faces.
std::vector<Face> japaneseFaces();

/// The fonts of one window at its resolution, made when first asked for.
class Fonts {
public:
    Fonts() = default;
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;
    ~Fonts() { keepOnly(0); }

    /// The font of a design at dots per inch.
    HFONT get(const FontDesign& design, UINT dotsPerInch);
    /// Deletes the fonts made for other resolutions, which no control uses any more.
    void keepOnly(UINT dotsPerInch);

private:
    struct Made {
        FontDesign design;
        UINT dotsPerInch;
        HFONT font;
    };
    std::vector<Made> made_;
};

} // namespace quorvel::runtime::win32
