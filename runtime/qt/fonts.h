#pragma once

#include "runtime/design.h"

#include <QFont>

namespace quorvel::runtime {

/// Pixels for a length in twips at the primary screen's logical resolution (15 twips a pixel at
/// 96 dots per inch).
int toPixels(Twips twips);

/// The font of a design, its size in whole pixels at the screen's resolution.
QFont makeFont(const FontDesign& design);

/// Maps the Windows face names of the designs to Japanese faces this machine has and makes the
/// runtime's default font the application font. Runs before the first window is built.
void prepareFonts();

} // namespace quorvel::runtime
