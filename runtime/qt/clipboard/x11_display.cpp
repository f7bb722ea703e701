#include "x11_display.h"

#include <QGuiApplication>

// After Qt's headers, which Xlib's macros would clash with.
#include <X11/Xlib.h>

#include <cstdlib>
#include <memory>

namespace quorvel::runtime {

namespace {
_XDisplay* qtDisplay() {
    const auto* x11
        = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}
} // namespace

_XDisplay* x11Display() {
    if (_XDisplay* qt = qtDisplay())
        return qt;
    static std::unique_ptr<Display, decltype(&XCloseDisplay)> own(nullptr, &XCloseDisplay);
    if (!own)
        own.reset(XOpenDisplay(nullptr));
    return own.get();
}

std::string x11DisplayName() {
    if (_XDisplay* qt = qtDisplay())
        return XDisplayString(qt);
    const char* name = std::getenv("DISPLAY");
    return name ? name : "";
}

} // namespace quorvel::runtime
