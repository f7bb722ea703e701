#pragma once

// What a window toolkit gives the shared runtime. The shared runtime (forms, their members, the
// lifetime of the program, the one place where handlers are called) is written once; each
// toolkit defines these functions and the class Window in its own folder (runtime/qt/,
// runtime/win32/), and CMake links the one picked.

#include "base/errors.h"
#include "design.h"

#include <functional>
#include <string_view>
#include <vector>

namespace quorvel::runtime {

class Form;
struct Project;

/// The on-screen window of a loaded form; each toolkit defines it.
class Window;

/// An object built from a design entry: a control, a line, a menu or a menu item.
struct BuiltEntry {
    std::string_view name;
    int index; ///< a control array element's index; -1 for a single control
    ControlClass kind;
    void* object; ///< the toolkit's object of that kind
};

/// The entry of an object built for a design entry, of one of the toolkit's control classes.
template <typename Object> BuiltEntry builtEntry(std::string_view name, int index, Object& object) {
    return { name, index, Object::kind, &object };
}

namespace toolkit {

/// Names the program to the desktop and prepares what every window needs (fonts, the language of
/// the toolkit's own texts). Runs at the start, before the first window is built.
void startProgram(const Project& project);
/// Runs the event loop until quitEventLoop(); returns the exit code.
int runEventLoop();
void quitEventLoop();

/// Builds a form's window from its design, hidden, and lists every object it built. The window
/// tells its form when its close box is clicked (Form::closeRequested) and when it is destroyed
/// without being discarded (Form::windowDestroyed).
Window* buildWindow(Form& form, const FormDesign& design, std::vector<BuiltEntry>& built);
/// Shows the window and brings it to the front.
void showWindow(Window& window);
/// Hides the window and destroys it once the event under way has been handled; its form hears no
/// more of it.
void discardWindow(Window& window);
/// Runs run when a built button is clicked or a built menu item chosen.
void connectClick(const BuiltEntry& control, std::function<void()> run);

/// Puts in what the user did that is still on its way (a paste from another program), so that a
/// handler comes after every action before it.
void settleInput();

/// Tells screen readers, politely (after what they are saying), the new caption of an announced
/// label (announcements.h): the toolkit's Label.
void announce(void* label, std::u16string_view caption);

/// The error report: a modal message box with a title and a text (UTF-8), closed with OK, owned by
/// window (by the active window when null).
void showErrorReport(Window* window, std::u16string_view title, std::string_view text);
/// Says on the program's diagnostic output that the program itself is at fault.
void logInternalError(std::string_view message);

} // namespace toolkit

} // namespace quorvel::runtime
