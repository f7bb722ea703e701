#pragma once

#include "runtime/design.h"

#include <QFont>

namespace quorvel::runtime {

/// The primary screen's logical resolution, in dots per inch (96 without a screen).
double screenDotsPerInch();

/// Pixels for a length in twips at the primary screen's logical resolution (15 twips a pixel at
/// 96 dots per inch).
int toPixels(Twips twips);

/// The font of a design, its size in whole pixels at the screen's resolution.
QFont makeFont(const FontDesign& design);

/// Maps the Windows face names of the designs to the Japanese faces of Debian's font packages, the
/// most alike first, and makes the runtime's default font the application font. Runs before the
/// first window is built.
void prepareFonts();

} // namespace quorvel::runtime
