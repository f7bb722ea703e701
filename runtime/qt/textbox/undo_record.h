#pragma once

// The caret and selection before and after each step of Qt's undo history, which keeps neither:
// undoing a step brings back the caret as it was before the step, redoing it the caret after it.
//
// A step is known by where it ends in Qt's history (the document's availableUndoSteps() once it
// is done), so the record follows the history as Qt keeps it: a step undone, redone, dropped or
// cleared away needs no word here, and a new step replaces whatever was recorded from its place on.
//
// Every edit comes from an event or from a call of the text box: the caret as it was when that
// began (settled) is the caret that undoing the edit brings back. While an undo or redo is under
// way the caret moves with it, and the record keeps still.

#include <iterator>
#include <map>
#include <optional>

namespace quorvel::runtime {

/// A caret: where it is, and the other end of the selection (the same place when none).
struct Caret {
    int position = 0, anchor = 0;
};

class UndoRecord {
public:
    /// The caret before the edit under way; ignored while restoring.
    void settle(Caret caret) {
        if (!restoring_)
            settled_ = caret;
    }
    /// Qt's history has a new step, ending at `end`, which left the caret at after.
    void stepAdded(int end, Caret after) {
        steps_.erase(steps_.lower_bound(end), steps_.end());
        steps_.emplace(end, Step { settled_, after });
    }
    /// The step ending at `end` went on (typing that Qt merges into one step): it leaves the caret
    /// at after.
    void stepExtended(int end, Caret after) {
        if (const auto step = steps_.find(end); step != steps_.end())
            step->second.after = after;
    }
    /// Qt is undoing (or redoing) a step while restoring is true.
    void setRestoring(bool restoring) { restoring_ = restoring; }
    /// The caret before, or after, the step that ends at `end`, if the step is known.
    std::optional<Caret> before(int end) const { return find(end, &Step::before); }
    std::optional<Caret> after(int end) const { return find(end, &Step::after); }

private:
    struct Step {
        Caret before, after;
    };
    std::optional<Caret> find(int end, Caret Step::*which) const {
        const auto step = steps_.find(end);
        return step == steps_.end() ? std::nullopt : std::optional(step->second.*which);
    }

    std::map<int, Step> steps_; // by where each ends in Qt's history
    Caret settled_;
    bool restoring_ = false;
};

} // namespace quorvel::runtime
