#pragma once

#include <stdexcept>
#include <string>

namespace quorvel::runtime {

/// Numbers of the runtime errors the program can meet.
enum class ErrorNumber : int {
    Overflow = 6,
    OutOfMemory = 7,
    Internal = 51,
};

/// A runtime error: its number and its description. Raised by raise(), caught where the runtime
/// calls an event handler, and shown by the error report.
class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(ErrorNumber number);
    ErrorNumber number() const noexcept { return number_; }
    /// The description in Japanese, UTF-8.
    std::string description() const { return what(); }

private:
    ErrorNumber number_;
};

/// The one place where a runtime error starts: ends whatever is running, up to the handler.
[[noreturn]] void raise(ErrorNumber number);

} // namespace quorvel::runtime
