#include "twips.h"

#include <algorithm>
#include <cmath>

namespace quorvel::runtime {

int toPixels(Twips twips, double dotsPerInch) {
    return static_cast<int>(std::lround(twips * dotsPerInch / 1440.0));
}

int pointsToPixels(double points, double dotsPerInch) {
    return static_cast<int>(std::lround(points * dotsPerInch / 72.0));
}

PixelRect lineCovers(const LineDesign& line, double dotsPerInch) {
    const int left = toPixels(std::min(line.from.x, line.to.x), dotsPerInch);
    const int right = toPixels(std::max(line.from.x, line.to.x), dotsPerInch);
    const int top = toPixels(std::min(line.from.y, line.to.y), dotsPerInch);
    const int bottom = toPixels(std::max(line.from.y, line.to.y), dotsPerInch);
    const int pen = std::max(1, static_cast<int>(std::lround(line.pixels * dotsPerInch / 96.0)));
    PixelRect covered { left, top, right + 1, bottom + 1 };
    if (line.from.y == line.to.y)
        covered.bottom = top + pen;
    else if (line.from.x == line.to.x)
        covered.right = left + pen;
    return covered;
}

} // namespace quorvel::runtime
