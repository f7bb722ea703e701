#include "twips.h"

#include <cmath>

namespace quorvel::runtime {

int toPixels(Twips twips, double dotsPerInch) {
    return static_cast<int>(std::lround(twips * dotsPerInch / 1440.0));
}

int pointsToPixels(double points, double dotsPerInch) {
    return static_cast<int>(std::lround(points * dotsPerInch / 72.0));
}

} // namespace quorvel::runtime
