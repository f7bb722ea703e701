#pragma once

// The program's start and end, and the default instances of its windows.

#include "form.h"
#include "handlers.h"

#include <memory>
#include <string_view>
#include <typeindex>

namespace quorvel::runtime {

/// What the runtime needs to start the program.
struct Project {
    std::u16string_view title; ///< the program's name, the title of its message boxes
    Form& (*startup)(); ///< the start-up window
    std::string_view name; ///< the program's file name
    std::string_view version;
    std::string_view desktopFileName; ///< its desktop entry, without ".desktop"
};

/// Starts the program the way its executable does: where the toolkit can tell, checks that a
/// display can be reached (else says so and returns 1); makes the toolkit's application object,
/// if it has one; then runs ThunRTMain.
int start(int argc, char* argv[], const Project& project);

/// Starts the program: names it to the desktop, loads and shows the start-up window, then runs
/// the event loop until the program ends. Needs the toolkit's application object (start() makes
/// it; tests make their own). Returns the exit code.
int ThunRTMain(const Project& project);

/// Ends the program at once: every window closes and no further handler runs.
void End();

/// The default instance of a form, made the first time it is asked for and kept until the
/// program ends.
template <typename F> F& defaultInstance();

/// Destroys the default instances (at the end of the program, and between tests).
void discardInstances();

namespace detail {
Form& instance(std::type_index type, std::unique_ptr<Form> (*make)());
} // namespace detail

template <typename F> F& defaultInstance() {
    return static_cast<F&>(
        detail::instance(typeid(F), [] { return std::unique_ptr<Form>(new F); }));
}

} // namespace quorvel::runtime
