#pragma once

// The X display, found here and nowhere else: the one Qt's X11 platform is on, else the one
// DISPLAY names.

#include <string>

struct _XDisplay;

namespace quorvel::runtime {

/// An Xlib display through which libX11 can decode compound text: Qt's on X11; on another
/// platform (Wayland, offscreen) one of its own at DISPLAY, opened at the first call and kept for
/// the next (connections opened and closed in quick succession cost time, and an X server may
/// drop a new connection made just as another one closes). Null when there is none.
_XDisplay* x11Display();

/// The name of the X display whose selections a paste reads: Qt's, else DISPLAY's; empty when
/// there is neither.
std::string x11DisplayName();

} // namespace quorvel::runtime
