#pragma once

namespace quorvel::runtime {

/// Gives every text box an accessibility interface whose edits keep the exact text (once).
void makeTextBoxesAccessible();

} // namespace quorvel::runtime
