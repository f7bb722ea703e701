#pragma once

// The one transfer of the text that another X11 program offers, with no event loop: a blocking
// function over a connection of its own, bounded in time. Neither Qt nor a widget is involved.

#include "text_types.h"
#include "transfer_bound.h"

#include <string>

namespace quorvel::runtime {

enum class X11Selection { Clipboard, Primary };

/// The types of text asked for, best first: UTF-8 under its two names, compound text, Latin-1,
/// and text/plain, which programs write as UTF-8.
inline constexpr const char* x11TextTypes[] = { textTypes::utf8.data(), textTypes::plainUtf8.data(),
    textTypes::compound.data(), textTypes::latin1.data(), textTypes::plain.data() };

struct X11Transfer {
    enum class End {
        Given, // the owner gave its text: bytes, of the type named
        NotGiven, // no owner, no text offered, refused, or cancelled
        GivenUp, // the owner, or the X server, kept silent past the bound
        Unreachable, // no connection to the X server could be made
    };
    End end = End::NotGiven;
    std::string type;
    std::string bytes;
};

/// Transfers the text that the owner of a selection offers: asks once for the types it offers
/// (TARGETS) and once for its text in the best of them, taken in pieces (INCR) when the owner
/// sends it so. The type of the bytes is the one the owner gives them, which may differ from the
/// one asked for. Connects to `display` (null: DISPLAY) on a connection of its own and closes it
/// on every path. Every request after the connection, to the X server as to the owner, is waited
/// for in poll() within `bound`, whose silence starts again at each answer of the owner; the
/// transfer ends early once the bound is cancelled.
X11Transfer transferX11Text(const char* display, X11Selection selection, TransferBound& bound);

} // namespace quorvel::runtime
