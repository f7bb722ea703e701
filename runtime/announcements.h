#pragma once

// What screen readers are told without being asked: the caption of a label whose design marks it
// announced (the count display), once the handler that changed it has ended. So the "0" that a
// count starts with and the count itself make one announcement, of the count; a handler that a
// runtime error ends announces nothing (its report is a message box, which screen readers read).
// Captions set outside a handler (those a window is built with) are not announced.
//
// This is the rule; the one place where handlers are called keeps it, and each toolkit carries an
// announcement out (toolkit::announce).

#include <string>
#include <string_view>
#include <vector>

namespace quorvel::runtime::announcements {

struct Announcement {
    void* label; ///< the toolkit's label
    std::u16string caption;
    bool operator==(const Announcement&) const = default;
};

/// An announced label's caption was set.
void captionSet(void* label, std::u16string_view caption);

/// For as long as a handler runs. Handlers that run inside it (a window's load, say) add theirs
/// to the outermost one's.
class Handler {
public:
    Handler();
    ~Handler(); ///< without ended(): a runtime error ended it, and its announcements go
    Handler(const Handler&) = delete;
    Handler& operator=(const Handler&) = delete;
    /// The handler has run to its end: what is to be announced now, the last caption of each
    /// label changed, in the order the labels were first changed; empty inside another handler.
    std::vector<Announcement> ended();

private:
    bool ended_ = false;
};

} // namespace quorvel::runtime::announcements
