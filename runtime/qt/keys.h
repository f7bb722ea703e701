#pragma once

// Keys as the runtime tells them apart.

#include <Qt>

namespace quorvel::runtime {

/// A modifier key (Shift, Ctrl, Alt, the logo key) pressed alone: it does nothing until the key
/// it goes with is pressed.
inline bool isBareModifier(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
        return true;
    default:
        return false;
    }
}

} // namespace quorvel::runtime
