#pragma once

// Whether the program can reach a display, asked before Qt starts: when none of the window
// systems Qt tries can be reached, Qt aborts the program with advice that does not fit (to
// reinstall it). The program says plainly what is missing instead.

namespace quorvel::runtime {

/// Whether a window system that Qt will try can be reached: a Wayland compositor when
/// WAYLAND_DISPLAY is set or the session is a Wayland one, or else an X server at DISPLAY (or at
/// the -display argument). A platform the user chose (QT_QPA_PLATFORM, -platform) is left to Qt.
/// When none can be reached, says so on the standard error and returns false.
bool displayReachable(int argc, char* argv[]);

} // namespace quorvel::runtime
