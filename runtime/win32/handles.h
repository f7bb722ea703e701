#pragma once

// Small owning types for the Win32 objects that the runtime makes: each destroys its object when
// it goes or takes another, so no path can forget it.

#include "win32.h"

#include <utility>

namespace quorvel::runtime::win32 {

template <typename Handle, void (*destroy)(Handle)> class Owned {
public:
    Owned() = default;
    explicit Owned(Handle handle)
        : handle_(handle) { }
    Owned(Owned&& other) noexcept
        : handle_(std::exchange(other.handle_, nullptr)) { }
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    ~Owned() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    /// Destroys the object held, if any, and holds handle instead.
    void reset(Handle handle = nullptr) {
        if (Handle old = std::exchange(handle_, handle))
            destroy(old);
    }

private:
    Handle handle_ = nullptr;
};

inline void destroyIcon(HICON icon) {
    DestroyIcon(icon);
}
inline void deleteFont(HFONT font) {
    DeleteObject(font);
}
inline void deleteBrush(HBRUSH brush) {
    DeleteObject(brush);
}

using Icon = Owned<HICON, &destroyIcon>;
using Font = Owned<HFONT, &deleteFont>;
using Brush = Owned<HBRUSH, &deleteBrush>;

} // namespace quorvel::runtime::win32
