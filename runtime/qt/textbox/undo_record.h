#pragma once

// The caret and selection before and after each step of Qt's undo history, which keeps neither:
// undoing a step brings back the caret as it was before the step, redoing it the caret after it.
//
// Every edit comes from an event or from a call of the text box: the caret as it was when that
// began (settled) is the caret that undoing the edit brings back. While an undo or redo is under
// way the caret moves with it, and the record keeps still.

#include <optional>
#include <utility>
#include <vector>

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
    /// Qt's history has a new step, which left the caret at after.
    void stepAdded(Caret after) {
        undo_.push_back({ settled_, after });
        redo_.clear();
    }
    /// The last step went on (typing that Qt merges into one step): it ends at after.
    void stepExtended(Caret after) {
        if (!undo_.empty())
            undo_.back().second = after;
    }
    /// Qt is undoing (or redoing) a step while restoring is true.
    void setRestoring(bool restoring) { restoring_ = restoring; }
    /// The last step was undone: the caret to bring back, if the step is known.
    std::optional<Caret> undone() { return move(undo_, redo_, true); }
    /// The last undone step was redone: the caret to bring back, if the step is known.
    std::optional<Caret> redone() { return move(redo_, undo_, false); }
    /// Forgets every step, as Qt's history was cleared; or only the undone ones.
    void clear() { undo_.clear(), redo_.clear(); }
    void clearRedo() { redo_.clear(); }

private:
    using Step = std::pair<Caret, Caret>; // before, after
    static std::optional<Caret> move(std::vector<Step>& from, std::vector<Step>& to, bool undo) {
        if (from.empty())
            return std::nullopt;
        to.push_back(from.back());
        from.pop_back();
        return undo ? to.back().first : to.back().second;
    }

    std::vector<Step> undo_, redo_;
    Caret settled_;
    bool restoring_ = false;
};

} // namespace quorvel::runtime
