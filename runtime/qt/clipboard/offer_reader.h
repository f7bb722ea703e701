#pragma once

// Reading a paste or a drop: which offer applies, and whether its text is here or on its way.

#include "x11_offer.h"

#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QMimeData;

namespace quorvel::runtime {

/// The text of another X11 program's clipboard or primary selection, on its way: transferred
/// once, on a connection and a thread of its own (x11_offer.h), so that the window goes on while a
/// slow owner answers. The transferring thread finishes it; the user-interface thread waits for
/// it, within its bound, or cancels it.
class IncomingText {
public:
    explicit IncomingText(X11Selection selection)
        : selection_(selection) { }

    TransferBound& bound() { return bound_; }
    X11Selection selection() const { return selection_; }

    /// From the transferring thread: the transfer has ended so.
    void finish(X11Transfer result);
    /// Runs `notify` once finished (on the thread that finishes), or at once if finished already;
    /// until cancel().
    void whenFinished(std::function<void()> notify);

    /// How the transfer ended: Given (its text decoded, or, when the X server could not be
    /// reached, as Qt has it), NotGiven (no text, or none that decodes), or GivenUp.
    struct Outcome {
        X11Transfer::End end;
        QString text; // when Given
    };
    /// Waits until the transfer has ended, or its bound has passed (and then cancels it).
    Outcome wait();
    /// Gives the transfer up: it ends soon, and is heard of no more.
    void cancel();

private:
    std::mutex mutex_;
    std::condition_variable finished_;
    std::optional<X11Transfer> result_;
    std::function<void()> notify_;
    TransferBound bound_;
    const X11Selection selection_;
};

/// What a paste or a drop offers: its text now, or, from another X11 program, a text on its way
/// (whose transfer has started).
struct Offer {
    QString text;
    std::shared_ptr<IncomingText> incoming;
};
Offer readOffer(const QMimeData& source);

/// Whether a paste of `source` would come from another X11 program; asks that program nothing.
bool isOtherProgramsOffer(const QMimeData& source);

} // namespace quorvel::runtime
