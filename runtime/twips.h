#pragma once

#include "design.h"

namespace quorvel::runtime {

/// Pixels for a length in twips at a resolution in dots per inch: 1440 twips to the inch, so 15
/// twips to the pixel at 96 dots per inch. Rounded to the nearest pixel.
int toPixels(Twips twips, double dotsPerInch);

/// Pixels for a font size in points (72 to the inch), rounded to the nearest pixel.
int pointsToPixels(double points, double dotsPerInch);

} // namespace quorvel::runtime
