// Qt decodes an X11 offer of UTF8_STRING itself, with a decoder that drops a leading
// byte-order mark, and gives no way to the offered bytes. So this asks the owner again, through
// Qt's own connection to the X server, and reads only the first bytes of its answer.
//
// The request goes to a window of our own (unmapped, input only); the answer, a SelectionNotify
// event, comes through Qt's event reader, so it is caught by a native event filter while a local
// event loop runs without user input. Every wait is bounded, so a silent owner cannot hang a
// paste. A large offer comes in pieces (INCR): the first piece gives the bytes, and the rest is
// taken and thrown away, since an owner left half-way may serve nobody afterwards.

#include "x11_offer.h"

#include <QAbstractNativeEventFilter>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#endif

namespace quorvel::runtime {

#if QT_CONFIG(xcb)
namespace {
constexpr int answerWithinMs = 2000; // for each answer of the owner

template <typename Reply> using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const Owned<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection,
            xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Our window, and the events about it that Qt's event reader passes by.
class Requestor : public QAbstractNativeEventFilter {
public:
    Requestor(xcb_connection_t* connection, xcb_atom_t property)
        : connection_(connection)
        , property_(property)
        , window_(xcb_generate_id(connection)) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(connection, 0, window_, screen->root, 0, 0, 1, 1, 0,
            XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
        QTimer::connect(&timer_, &QTimer::timeout, &loop_, [this] {
            timedOut_ = true;
            loop_.quit();
        });
        timer_.setSingleShot(true);
        qGuiApp->installNativeEventFilter(this);
    }
    ~Requestor() override {
        qGuiApp->removeNativeEventFilter(this);
        xcb_delete_property(connection_, window_, property_);
        xcb_destroy_window(connection_, window_);
        xcb_flush(connection_);
    }
    Requestor(const Requestor&) = delete;
    Requestor& operator=(const Requestor&) = delete;

    xcb_window_t window() const { return window_; }

    // Asks the owner of the selection for its data as the given type, into our property; false
    // when the owner refuses or does not answer.
    bool convert(xcb_atom_t selection, xcb_atom_t type) {
        xcb_convert_selection(connection_, window_, selection, type, property_, XCB_CURRENT_TIME);
        return wait(answered_) && converted_;
    }

    // Deletes our property, which asks the owner of an INCR transfer for the next piece; false
    // when it does not come.
    bool next() {
        newValue_ = false;
        xcb_delete_property(connection_, window_, property_);
        return wait(newValue_);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        switch (event->response_type & 0x7F) {
        case XCB_SELECTION_NOTIFY: {
            const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(event);
            if (notify->requestor != window_)
                return false;
            answered_ = true;
            converted_ = notify->property != XCB_ATOM_NONE;
            loop_.quit();
            return true;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
            if (notify->window != window_)
                return false;
            if (notify->atom == property_ && notify->state == XCB_PROPERTY_NEW_VALUE) {
                newValue_ = true;
                loop_.quit();
            }
            return true;
        }
        default:
            return false;
        }
    }

private:
    bool wait(const bool& done) {
        xcb_flush(connection_);
        timedOut_ = false;
        timer_.start(answerWithinMs);
        while (!done && !timedOut_)
            loop_.exec(QEventLoop::ExcludeUserInputEvents);
        timer_.stop();
        return done;
    }

    xcb_connection_t* connection_;
    xcb_atom_t property_;
    xcb_window_t window_;
    QEventLoop loop_;
    QTimer timer_;
    bool timedOut_ = false;
    bool answered_ = false, converted_ = false, newValue_ = false;
};
} // namespace

bool x11OfferStartsWithMark(QClipboard::Mode mode) {
    if (QGuiApplication::platformName() != u"xcb" || mode == QClipboard::FindBuffer)
        return false;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    const xcb_atom_t selection = mode == QClipboard::Selection ? xcb_atom_t(XCB_ATOM_PRIMARY)
                                                               : atom(connection, "CLIPBOARD");
    const xcb_atom_t utf8String = atom(connection, "UTF8_STRING");
    const xcb_atom_t incr = atom(connection, "INCR");
    const xcb_atom_t property = atom(connection, "QUORVEL_OFFER");
    if (!selection || !utf8String || !incr || !property)
        return false;

    Requestor requestor(connection, property);
    if (!requestor.convert(selection, utf8String))
        return false;
    // The first four bytes, and whether the data comes in pieces.
    const auto read = [&] {
        return Owned<xcb_get_property_reply_t>(
            xcb_get_property_reply(connection,
                xcb_get_property(
                    connection, 0, requestor.window(), property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1),
                nullptr),
            &std::free);
    };
    const auto startsWithMark = [](const xcb_get_property_reply_t& reply) {
        const auto* bytes = static_cast<const unsigned char*>(xcb_get_property_value(&reply));
        return reply.format == 8 && xcb_get_property_value_length(&reply) >= 3 && bytes[0] == 0xEF
            && bytes[1] == 0xBB && bytes[2] == 0xBF;
    };
    auto reply = read();
    if (!reply)
        return false;
    if (reply->type != incr)
        return startsWithMark(*reply);
    // In pieces: the first says; the rest are taken until the empty piece that ends them.
    if (!requestor.next() || !(reply = read()))
        return false;
    const bool mark = startsWithMark(*reply);
    while (xcb_get_property_value_length(reply.get()) > 0) {
        if (!requestor.next() || !(reply = read()))
            break;
    }
    return mark;
}
#else
bool x11OfferStartsWithMark(QClipboard::Mode) {
    return false;
}
#endif

} // namespace quorvel::runtime
