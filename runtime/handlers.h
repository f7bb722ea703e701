#pragma once

// The one place where event handlers are called, and the error report that a runtime error
// leaving a handler goes to.

#include "base/errors.h"

#include <functional>
#include <string>
#include <string_view>

namespace quorvel::runtime {

class Form;
class Window;

/// Calls an event handler of form (null for the program's start). A runtime error ends the handler
/// and goes to the error report, which the form's window owns; the program then goes on. No
/// exception leaves this function. Once the program has ended, no handler runs.
void call(const Form* form, const std::function<void()>& handler);

/// Reports a runtime error that arose outside a handler (in a control's own event, say): shows the
/// error report, owned by the window of form while it is loaded, else by the active window; after
/// it the program goes on.
void report(const RuntimeError& error, const Form* form = nullptr);

/// The window of a form while it is loaded, else null (form.cpp): the error report's owner.
Window* windowOf(const Form& form);

/// The program's name, as its message boxes show it ("quorvel" until the program names itself).
std::u16string_view programTitle();
void setProgramTitle(std::u16string_view title);

} // namespace quorvel::runtime
