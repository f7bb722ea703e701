#pragma once

// X11 compound text, the ISO 2022 text that older X11 programs offer (Japanese among others).

#include <optional>
#include <string>
#include <string_view>

struct _XDisplay;

namespace quorvel::runtime {

/// The text of compound text bytes, in UTF-8, as libX11 decodes it: every character set that X11
/// programs write in it (Latin, Cyrillic, Greek, Japanese, Korean, Chinese and the rest) and
/// UTF-8 segments; direction marks are left out. libX11 names the types through an X display,
/// and any display serves (x11_display.h). Empty when there is no display (null), or libX11
/// cannot decode the bytes.
std::optional<std::string> compoundTextToUtf8(std::string_view bytes, _XDisplay* display);

} // namespace quorvel::runtime
