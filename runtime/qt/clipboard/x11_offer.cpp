// The transfer runs on a connection of its own, so that nothing of it passes through Qt's event
// reader and no event loop has to run for it: requests go out, and the X server's replies and the
// owner's answers (a SelectionNotify, then PropertyNotify events for the pieces of an INCR
// transfer) are read here as they come, waiting in poll() against the bound, which each answer of
// the owner renews. The owner is asked for its data once.

#include "x11_offer.h"

#include <poll.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h> // xcb_poll_for_reply

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

namespace quorvel::runtime {

namespace {
using Clock = std::chrono::steady_clock;

// More than a text box takes in; an owner that sends more is not read to the end.
constexpr std::size_t maxBytes = std::size_t(1) << 30;

struct Free {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Owned = std::unique_ptr<T, Free>;

struct Disconnect {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};

// The atoms asked for, interned together.
enum AtomName { clipboardName, targetsName, incrName, propertyName, firstTextType };
constexpr std::size_t textTypeCount = std::size(x11TextTypes);
const char* atomName(std::size_t i) {
    static const char* const names[] = { "CLIPBOARD", "TARGETS", "INCR", "QUORVEL_OFFER" };
    return i < firstTextType ? names[i] : x11TextTypes[i - firstTextType];
}

class Requestor {
public:
    Requestor(xcb_connection_t* connection, TransferBound& bound)
        : connection_(connection)
        , bound_(bound) { }

    // Interns the atoms and makes the window that the owner's answers go to.
    bool start(int screenNumber) {
        xcb_intern_atom_cookie_t cookies[firstTextType + textTypeCount];
        for (std::size_t i = 0; i < std::size(cookies); ++i) {
            const char* name = atomName(i);
            cookies[i]
                = xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name);
        }
        for (std::size_t i = 0; i < std::size(cookies); ++i) {
            const auto reply = await<xcb_intern_atom_reply_t>(cookies[i].sequence);
            if (!reply)
                return false;
            atoms_[i] = reply->atom;
        }
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
        for (int i = 0; i < screenNumber && screens.rem > 1; ++i)
            xcb_screen_next(&screens);
        window_ = xcb_generate_id(connection_);
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(connection_, 0, window_, screens.data->root, 0, 0, 1, 1, 0,
            XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
        return true;
    }

    xcb_atom_t atom(AtomName name) const { return atoms_[name]; }
    xcb_atom_t textType(std::size_t i) const { return atoms_[firstTextType + i]; }
    // Whether the last wait ended because the bound had passed.
    bool gaveUp() const { return gaveUp_; }

    bool owned(xcb_atom_t selection) {
        const auto reply = await<xcb_get_selection_owner_reply_t>(
            xcb_get_selection_owner(connection_, selection).sequence);
        return reply && reply->owner != XCB_NONE;
    }

    // Asks the owner for the selection as `type`, into our property, and waits for its answer;
    // false when it refuses or does not answer in time.
    bool convert(xcb_atom_t selection, xcb_atom_t type) {
        xcb_convert_selection(
            connection_, window_, selection, type, atom(propertyName), XCB_CURRENT_TIME);
        bool converted = false;
        const bool answered = wait([&](const xcb_generic_event_t& event) {
            if ((event.response_type & 0x7F) != XCB_SELECTION_NOTIFY)
                return false;
            const auto& notify = reinterpret_cast<const xcb_selection_notify_event_t&>(event);
            if (notify.requestor != window_ || notify.selection != selection)
                return false;
            converted = notify.property != XCB_NONE;
            return true;
        });
        return answered && converted;
    }

    // Waits until the owner puts the next piece of an INCR transfer into our property.
    bool nextPiece() {
        return wait([&](const xcb_generic_event_t& event) {
            if ((event.response_type & 0x7F) != XCB_PROPERTY_NOTIFY)
                return false;
            const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            return notify.window == window_ && notify.atom == atom(propertyName)
                && notify.state == XCB_PROPERTY_NEW_VALUE;
        });
    }

    // Reads our property whole and deletes it (which, in an INCR transfer, asks for the next
    // piece): its type, and its value appended to `bytes`; none when it cannot be read.
    xcb_atom_t take(std::string& bytes) {
        uint32_t offset = 0; // in 32-bit units, as the protocol counts
        for (;;) {
            // A request for less than all keeps each answer of the server within bounds.
            constexpr uint32_t units = 1 << 22;
            const auto reply = await<xcb_get_property_reply_t>(xcb_get_property(connection_, 1,
                window_, atom(propertyName), XCB_GET_PROPERTY_TYPE_ANY, offset, units)
                                                                   .sequence);
            if (!reply)
                return XCB_NONE;
            const auto length
                = static_cast<std::size_t>(xcb_get_property_value_length(reply.get()));
            if (bytes.size() + length > maxBytes)
                return XCB_NONE;
            bytes.append(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
            if (reply->bytes_after == 0)
                return reply->type;
            offset += static_cast<uint32_t>(length / 4);
        }
    }

private:
    // The reply to a request, read as it comes, within the bound; none when the request failed,
    // the bound passed, the transfer was cancelled or the connection broke.
    template <typename Reply> Owned<Reply> await(unsigned int sequence) {
        xcb_flush(connection_);
        for (;;) {
            void* reply = nullptr;
            xcb_generic_error_t* error = nullptr;
            if (xcb_poll_for_reply(connection_, sequence, &reply, &error)) {
                std::free(error);
                return Owned<Reply>(static_cast<Reply*>(reply));
            }
            if (!sleep())
                return nullptr;
        }
    }

    // Reads events until `accept` takes one, which is the owner's answer; false at the bound,
    // when cancelled, or when the connection breaks.
    template <typename Accept> bool wait(Accept accept) {
        xcb_flush(connection_);
        for (;;) {
            while (const Owned<xcb_generic_event_t> event { xcb_poll_for_event(connection_) })
                if (accept(*event)) {
                    bound_.heard();
                    return true;
                }
            if (!sleep())
                return false;
        }
    }

    // Waits in poll() until the connection can be read, within the bound and until cancelled;
    // false when the wait is over for good.
    bool sleep() {
        if (xcb_connection_has_error(connection_) || bound_.cancelled())
            return false;
        auto left = std::chrono::ceil<std::chrono::milliseconds>(bound_.deadline() - Clock::now());
        if (left.count() <= 0) {
            gaveUp_ = true;
            return false;
        }
        const int cancel = bound_.cancelFd();
        if (cancel < 0) // no descriptor to wake us: look at the flag now and then
            left = std::min(
                left, std::chrono::ceil<std::chrono::milliseconds>(TransferBound::pollSlice));
        pollfd fds[]
            = { { xcb_get_file_descriptor(connection_), POLLIN, 0 }, { cancel, POLLIN, 0 } };
        const int ready = poll(fds, cancel >= 0 ? 2 : 1, static_cast<int>(left.count()));
        return ready >= 0 || errno == EINTR;
    }

    xcb_connection_t* connection_;
    TransferBound& bound_;
    xcb_atom_t atoms_[firstTextType + textTypeCount] {};
    xcb_window_t window_ = XCB_NONE;
    bool gaveUp_ = false;
};

// The best text type among those an owner offers (an ATOM list); none when it offers no text.
std::optional<std::size_t> bestTextType(const Requestor& requestor, const std::string& offered) {
    const std::size_t count = offered.size() / sizeof(xcb_atom_t);
    std::vector<xcb_atom_t> types(count);
    std::memcpy(types.data(), offered.data(), count * sizeof(xcb_atom_t));
    for (std::size_t i = 0; i < textTypeCount; ++i)
        if (std::find(types.begin(), types.end(), requestor.textType(i)) != types.end())
            return i;
    return std::nullopt;
}

X11Transfer transfer(Requestor& requestor, int screenNumber, X11Selection which) {
    X11Transfer result;
    if (!requestor.start(screenNumber))
        return result;
    const xcb_atom_t selection = which == X11Selection::Primary ? xcb_atom_t(XCB_ATOM_PRIMARY)
                                                                : requestor.atom(clipboardName);
    if (!requestor.owned(selection))
        return result;

    // The types offered. An owner that does not say is asked for UTF-8.
    std::size_t type = 0;
    std::string offered;
    if (requestor.convert(selection, requestor.atom(targetsName))) {
        if (requestor.take(offered) != XCB_ATOM_ATOM)
            offered.clear();
        const auto best = bestTextType(requestor, offered);
        if (!best)
            return result;
        type = *best;
    }

    if (!requestor.convert(selection, requestor.textType(type)))
        return result;
    xcb_atom_t given = requestor.take(result.bytes);
    if (given == requestor.atom(incrName)) {
        // In pieces, each of the type of the text; an empty one ends them.
        result.bytes.clear();
        given = XCB_NONE;
        std::string piece;
        do {
            piece.clear();
            const xcb_atom_t pieceType = requestor.nextPiece() ? requestor.take(piece) : XCB_NONE;
            if (pieceType == XCB_NONE || result.bytes.size() + piece.size() > maxBytes)
                return result;
            if (given == XCB_NONE)
                given = pieceType;
            result.bytes += piece;
        } while (!piece.empty());
    }
    if (given == XCB_NONE)
        return result;
    // The type the owner gave the bytes, when it is one of ours; else the one asked for.
    result.type = x11TextTypes[type];
    for (std::size_t i = 0; i < textTypeCount; ++i)
        if (given == requestor.textType(i))
            result.type = x11TextTypes[i];
    result.end = X11Transfer::End::Given;
    return result;
}
} // namespace

X11Transfer transferX11Text(const char* display, X11Selection selection, TransferBound& bound) {
    // An X server may drop a new connection made just as another client's closes: so a failed
    // connection is tried again, twice at most.
    int screenNumber = 0;
    std::unique_ptr<xcb_connection_t, Disconnect> connection;
    for (int tries = 0; tries < 3 && (!connection || xcb_connection_has_error(connection.get()));
         ++tries)
        connection.reset(xcb_connect(display, &screenNumber));
    if (xcb_connection_has_error(connection.get()))
        return { X11Transfer::End::Unreachable, {}, {} };
    try {
        Requestor requestor(connection.get(), bound);
        X11Transfer result = transfer(requestor, screenNumber, selection);
        if (result.end != X11Transfer::End::Given) {
            result.bytes.clear();
            if (requestor.gaveUp())
                result.end = X11Transfer::End::GivenUp;
        }
        return result;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

} // namespace quorvel::runtime
