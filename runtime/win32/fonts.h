#pragma once

// The fonts of the designs over Win32: the designed face where Windows has it (ＭＳ 明朝 and
// ＭＳ Ｐゴシック come with Japanese Windows), else a Japanese face of the same kind that this
// machine has (as under Wine); the size from points at the window's resolution.

#include "handles.h"
#include "runtime/design.h"
#include "runtime/faces.h"
#include "win32.h"

#include <string>
#include <string_view>
#include <vector>

namespace quorvel::runtime::win32 {

/// The faces of the Japanese character set (SHIFTJIS_CHARSET) installed on this machine, without
/// the vertical ("@") faces.
std::vector<Face> japaneseFaces();

/// The fonts of one window at its resolution, made when first asked for.
class Fonts {
public:
    Fonts() = default;
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    /// The font of a design at dots per inch.
    HFONT get(const FontDesign& design, UINT dotsPerInch);
    /// Deletes the fonts made for other resolutions, which no control uses any more.
    void keepOnly(UINT dotsPerInch);

private:
    struct Made {
        FontDesign design;
        UINT dotsPerInch;
        Font font;
    };
    std::vector<Made> made_;
};

} // namespace quorvel::runtime::win32
