#include "lifetime.h"

#include "toolkit.h"

#include <algorithm>
#include <vector>

namespace quorvel::runtime::lifetime {

namespace {
struct State {
    std::vector<Form*> loaded;
    bool running = false; // the event loop runs
    bool ended = false; // End() was called: no further handler runs
};

State& state() {
    static State s;
    return s;
}
} // namespace

void formLoaded(Form& form) {
    state().loaded.push_back(&form);
}

void formUnloaded(Form& form) {
    State& s = state();
    std::erase(s.loaded, &form);
    if (s.loaded.empty() && s.running)
        toolkit::quitEventLoop();
}

Form* lastLoaded() {
    const State& s = state();
    return s.loaded.empty() ? nullptr : s.loaded.back();
}

int run() {
    State& s = state();
    if (s.loaded.empty() || s.ended)
        return 0;
    s.running = true;
    const int code = toolkit::runEventLoop();
    s.running = false;
    return code;
}

void end() {
    State& s = state();
    s.ended = true;
    if (s.running)
        toolkit::quitEventLoop();
}

bool ended() {
    return state().ended;
}

void reset() {
    state().ended = false;
}

} // namespace quorvel::runtime::lifetime
