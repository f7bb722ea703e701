#pragma once

// The program's start, its end and the one place where event handlers are called.

#include "base/errors.h"
#include "form.h"

#include <functional>
#include <memory>
#include <string_view>
#include <typeindex>
#include <vector>

namespace quorvel::runtime {

/// What the runtime needs to start the program.
struct Project {
    std::u16string_view title; ///< the program's name, the title of its message boxes
    Form& (*startup)(); ///< the start-up window
    std::string_view name; ///< the program's file name
    std::string_view version;
    std::string_view desktopFileName; ///< its desktop entry, without ".desktop"
};

/// Starts the program: names it to the desktop, speaks Japanese in Qt's own texts, loads and shows
/// the start-up window, then runs the event loop until the program ends. Needs a QApplication.
/// Returns the exit code.
int ThunRTMain(const Project& project);

/// Ends the program at once: every window closes and no further handler runs.
void End();

/// Calls an event handler. A runtime error ends the handler and goes to the error report; the
/// program then goes on. No exception leaves this function.
void call(const std::function<void()>& handler);

/// Commits the text being composed in the focused text box, so that a click handler reads what
/// the user sees even when the click did not move the focus (an accessibility "Press").
void commitFocusedComposition();

/// Tests: answers the next error report at once with OK, as a user would, instead of showing its
/// message box. Each call answers one report; without one, the report shows its box and waits.
void answerNextReport();
/// Tests: the errors whose reports were answered beforehand, oldest first. Forgets them, and any
/// answer not used yet.
std::vector<ErrorNumber> takeAnsweredReports();

/// The program's name, as its message boxes show it.
QString programTitle();

/// The default instance of a form, made the first time it is asked for and kept until the
/// program ends.
template <typename F> F& defaultInstance();

/// Destroys the default instances (at the end of the program, and between tests).
void discardInstances();

// Bookkeeping of loaded windows, for Form.
void formLoaded(Form& form);
void formUnloaded(Form& form);

namespace detail {
Form& instance(std::type_index type, std::unique_ptr<Form> (*make)());
} // namespace detail

template <typename F> F& defaultInstance() {
    return static_cast<F&>(
        detail::instance(typeid(F), [] { return std::unique_ptr<Form>(new F); }));
}

} // namespace quorvel::runtime
