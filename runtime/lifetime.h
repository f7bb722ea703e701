#pragma once

// The lifetime of the program: which forms are loaded, whether the event loop runs, and whether
// the program has ended. The program ends when no window remains loaded.

namespace quorvel::runtime {

class Form;

namespace lifetime {

/// A form has loaded or unloaded its window. When the last one unloads, the event loop ends.
void formLoaded(Form& form);
void formUnloaded(Form& form);
/// The form loaded last of those still loaded, or null.
Form* lastLoaded();

/// Runs the event loop while any window is loaded and the program has not ended; returns its
/// exit code (0 when it did not run).
int run();
/// No further handler runs, and the event loop ends.
void end();
bool ended();
/// A new start: not ended.
void reset();

} // namespace lifetime

} // namespace quorvel::runtime
