// An X11 program that owns a selection and serves its text the way some programs do, for the
// tests of pasting: slowly, or changing the text while it is being pasted.
//
//   x11_owner [-pieces BYTES MS] clipboard|primary TARGET DELAY_MS targets|data HEX [HEX...]
//
// Offers its text (the bytes written in hexadecimal as HEX, or HEX*N: those bytes N times) as
// TARGET, and answers every request for TARGETS or for the text DELAY_MS after it comes. After it
// has answered a request of the kind named by the fourth argument, it has the next HEX as its text
// (as when the user copies again). With -pieces, a text longer than BYTES is sent in pieces of
// BYTES (INCR), each MS after the requestor has taken the one before. Prints "owner ready" once it
// owns the selection; ends when another program takes the selection, or when it is killed.

#include <xcb/xcb.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, (uint16_t)strlen(name), name), NULL);
    xcb_atom_t atom = reply ? reply->atom : XCB_ATOM_NONE;
    free(reply);
    return atom;
}

// The bytes of HEX or HEX*N, in a buffer of their own.
static unsigned char* fromHex(const char* hex, size_t* length) {
    const char* star = strchr(hex, '*');
    const size_t digits = star ? (size_t)(star - hex) : strlen(hex);
    const size_t times = star ? strtoull(star + 1, NULL, 10) : 1;
    unsigned char* out = malloc(digits / 2 * times + 1);
    size_t n = 0;
    for (size_t i = 0; i + 1 < digits; i += 2) {
        unsigned int byte;
        sscanf(hex + i, "%2x", &byte);
        out[n++] = (unsigned char)byte;
    }
    for (size_t t = 1; t < times; ++t)
        memcpy(out + t * n, out, n);
    *length = n * times;
    return out;
}

static void pause(long ms) {
    const struct timespec delay = { ms / 1000, (ms % 1000) * 1000000L };
    nanosleep(&delay, NULL);
}

// The answer to a request: its data is in `property`, or refused (none).
static xcb_selection_notify_event_t answerTo(
    const xcb_selection_request_event_t* request, xcb_atom_t property) {
    xcb_selection_notify_event_t notify;
    memset(&notify, 0, sizeof notify);
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request->time;
    notify.requestor = request->requestor;
    notify.selection = request->selection;
    notify.target = request->target;
    notify.property = property;
    return notify;
}

// Sends the text in pieces (INCR): the property says how much comes, and each time the requestor
// deletes it the next piece goes in, the last one empty.
static void sendInPieces(xcb_connection_t* connection, const xcb_selection_request_event_t* request,
    xcb_atom_t property, xcb_atom_t incr, const unsigned char* bytes, size_t length,
    size_t pieceBytes, long pieceMs) {
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection, request->requestor, XCB_CW_EVENT_MASK, &events);
    const uint32_t size = (uint32_t)length;
    xcb_change_property(
        connection, XCB_PROP_MODE_REPLACE, request->requestor, property, incr, 32, 1, &size);
    const xcb_selection_notify_event_t notify = answerTo(request, property);
    xcb_send_event(connection, 0, request->requestor, 0, (const char*)&notify);
    xcb_flush(connection);
    size_t sent = 0;
    xcb_generic_event_t* event;
    while ((event = xcb_wait_for_event(connection))) {
        const xcb_property_notify_event_t* changed = (xcb_property_notify_event_t*)event;
        const int taken = (event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY
            && changed->window == request->requestor && changed->atom == property
            && changed->state == XCB_PROPERTY_DELETE;
        free(event);
        if (!taken)
            continue;
        pause(pieceMs);
        const size_t piece = length - sent < pieceBytes ? length - sent : pieceBytes;
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request->requestor, property,
            request->target, 8, (uint32_t)piece, bytes + sent);
        xcb_flush(connection);
        sent += piece;
        if (piece == 0)
            break;
    }
}

int main(int argc, char* argv[]) {
    size_t pieceBytes = 0;
    long pieceMs = 0;
    if (argc > 3 && strcmp(argv[1], "-pieces") == 0) {
        pieceBytes = strtoull(argv[2], NULL, 10);
        pieceMs = atol(argv[3]);
        argv += 3;
        argc -= 3;
    }
    if (argc < 6) {
        fprintf(
            stderr, "usage: %s clipboard|primary TARGET DELAY_MS targets|data HEX...\n", argv[0]);
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(connection)) {
        fprintf(stderr, "x11_owner: cannot open the display\n");
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_atom_t selection
        = strcmp(argv[1], "primary") == 0 ? XCB_ATOM_PRIMARY : atom(connection, "CLIPBOARD");
    const xcb_atom_t target = atom(connection, argv[2]);
    const xcb_atom_t targets = atom(connection, "TARGETS");
    const xcb_atom_t incr = atom(connection, "INCR");
    const long delayMs = atol(argv[3]);
    const int nextAfterTargets = strcmp(argv[4], "targets") == 0;
    char** texts = argv + 5;
    const int textCount = argc - 5;
    int current = 0;
    size_t length;
    unsigned char* bytes = fromHex(texts[0], &length);

    const xcb_window_t window = xcb_generate_id(connection);
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection, 0, window, screen->root, 0, 0, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
    // A time stamp of the server's for taking the selection: a property change on our window.
    xcb_change_property(
        connection, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, "");
    xcb_flush(connection);
    xcb_timestamp_t time = XCB_CURRENT_TIME;
    xcb_generic_event_t* event;
    while (time == XCB_CURRENT_TIME && (event = xcb_wait_for_event(connection))) {
        if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY)
            time = ((xcb_property_notify_event_t*)event)->time;
        free(event);
    }
    xcb_set_selection_owner(connection, window, selection, time);
    xcb_flush(connection);
    printf("owner ready\n");
    fflush(stdout);

    while ((event = xcb_wait_for_event(connection))) {
        const int type = event->response_type & 0x7F;
        if (type != XCB_SELECTION_REQUEST) {
            free(event);
            if (type == XCB_SELECTION_CLEAR)
                break;
            continue;
        }
        const xcb_selection_request_event_t* request = (xcb_selection_request_event_t*)event;
        pause(delayMs);
        const xcb_atom_t property = request->property ? request->property : request->target;
        if (request->target == target && pieceBytes > 0 && length > pieceBytes) {
            sendInPieces(connection, request, property, incr, bytes, length, pieceBytes, pieceMs);
            free(event);
            continue;
        }
        xcb_selection_notify_event_t notify = answerTo(request, property);
        const int askedTargets = request->target == targets;
        if (askedTargets) {
            const xcb_atom_t offered[] = { targets, target };
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request->requestor,
                notify.property, XCB_ATOM_ATOM, 32, 2, offered);
        } else if (request->target == target) {
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request->requestor,
                notify.property, target, 8, (uint32_t)length, bytes);
        } else {
            notify.property = XCB_ATOM_NONE; // refused
        }
        xcb_send_event(connection, 0, request->requestor, 0, (const char*)&notify);
        xcb_flush(connection);
        if (notify.property != XCB_ATOM_NONE && askedTargets == nextAfterTargets
            && current + 1 < textCount) {
            ++current;
            free(bytes);
            bytes = fromHex(texts[current], &length);
        }
        free(event);
    }
    free(bytes);
    xcb_disconnect(connection);
    return 0;
}
