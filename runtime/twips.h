#pragma once

#include "design.h"

namespace quorvel::runtime {

/// Pixels for a length in twips at a resolution in dots per inch: 1440 twips to the inch, so 15
/// twips to the pixel at 96 dots per inch. Rounded to the nearest pixel.
int toPixels(Twips twips, double dotsPerInch);

/// Pixels for a font size in points (72 to the inch), rounded to the nearest pixel.
int pointsToPixels(double points, double dotsPerInch);

/// A rectangle of pixels; right and bottom are the first column and row outside it.
struct PixelRect {
    int left, top, right, bottom;
};

/// The pixels a line of a design covers at a resolution: from one end to the other, both
/// included; its pen of n pixels (at 96 dots per inch, more at a higher resolution) covers n rows
/// below a horizontal line and n columns right of a vertical one.
PixelRect lineCovers(const LineDesign& line, double dotsPerInch);

} // namespace quorvel::runtime
