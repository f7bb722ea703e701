#include "display.h"

#include <xcb/xcb.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace quorvel::runtime {

namespace {
const char* environment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// The value of a Qt option such as -platform or -display (one or two dashes), or null.
const char* option(int argc, char* argv[], std::string_view name) {
    for (int i = 1; i + 1 < argc; ++i) {
        std::string_view argument = argv[i];
        if (argument.starts_with("--"))
            argument.remove_prefix(1);
        if (argument.substr(1) == name && argument.starts_with('-'))
            return argv[i + 1];
    }
    return nullptr;
}

// Connects to the compositor's socket, as the Wayland client library finds it, and leaves.
bool waylandReachable() {
    const char* display = environment("WAYLAND_DISPLAY");
    const char* session = environment("XDG_SESSION_TYPE");
    if (!display && !(session && std::string_view(session) == "wayland"))
        return false;
    std::string path = display ? display : "wayland-0";
    if (path.front() != '/') {
        const char* runtimeDirectory = environment("XDG_RUNTIME_DIR");
        if (!runtimeDirectory)
            return false;
        path = std::string(runtimeDirectory) + '/' + path;
    }
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return false;
    const bool connected
        = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(socket);
    return connected;
}

// Opens and closes a connection to the X server, as Qt's X11 platform does.
bool x11Reachable(const char* display) {
    xcb_connection_t* connection = xcb_connect(display, nullptr);
    const bool connected = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return connected;
}
} // namespace

bool displayReachable(int argc, char* argv[]) {
    if (environment("QT_QPA_PLATFORM") || option(argc, argv, "platform"))
        return true;
    if (waylandReachable() || x11Reachable(option(argc, argv, "display")))
        return true;
    std::string_view program = argc > 0 && argv[0] ? argv[0] : "quorvel";
    program.remove_prefix(program.rfind('/') + 1);
    std::fprintf(stderr,
        "%.*s: no display found: neither an X11 display (DISPLAY) nor a Wayland display "
        "(WAYLAND_DISPLAY) is set and reachable\n",
        static_cast<int>(program.size()), program.data());
    return false;
}

} // namespace quorvel::runtime
