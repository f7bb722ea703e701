#include "announcements.h"

#include <algorithm>
#include <utility>

namespace quorvel::runtime::announcements {

namespace {
int running = 0; // handlers under way, one inside another
std::vector<Announcement> pending; // of the outermost handler
} // namespace

void captionSet(void* label, std::u16string_view caption) {
    if (running == 0)
        return;
    auto same = std::ranges::find(pending, label, &Announcement::label);
    if (same == pending.end())
        pending.push_back({ label, std::u16string(caption) });
    else
        same->caption = caption;
}

Handler::Handler() {
    ++running;
}

Handler::~Handler() {
    if (--running == 0 || !ended_)
        pending.clear();
}

std::vector<Announcement> Handler::ended() {
    ended_ = true;
    return running == 1 ? std::exchange(pending, {}) : std::vector<Announcement> {};
}

} // namespace quorvel::runtime::announcements
