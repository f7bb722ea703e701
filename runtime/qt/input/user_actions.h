#pragma once

// The program's one application-wide event filter: every event, wherever it goes, passes here
// before Qt acts on it, and the user's actions among them are seen in this order, written here
// and nowhere else:
//   1. a paste still on its way goes in first (pending_paste.h), so that what the user does next
//      comes after it;
//   2. then the composition guard sees the action (composition_guard.h): a click or a focus change
//      that ends a composition, a key that ends its wait for a late copy.

namespace quorvel::runtime::input {

/// Starts watching the user's actions, once: the first text box does, since pastes and
/// compositions go into text boxes.
void watchUserActions();

} // namespace quorvel::runtime::input
