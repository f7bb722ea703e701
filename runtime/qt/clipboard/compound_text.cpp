// libX11 decodes compound text whatever the locale (C, C.UTF-8, ja_JP): Xutf8TextPropertyToTextList
// converts to UTF-8, where XmbTextPropertyToTextList would convert to the locale's encoding and
// lose what it cannot hold. Kept apart from Qt's headers, which Xlib's macros would clash with.

#include "compound_text.h"

#include "text_types.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <climits>
#include <memory>

namespace quorvel::runtime {

std::optional<std::string> compoundTextToUtf8(std::string_view bytes, Display* display) {
    if (bytes.size() > static_cast<std::size_t>(INT_MAX))
        return std::nullopt;
    if (!display)
        return std::nullopt;
    XTextProperty property {};
    // libX11 only reads the value.
    property.value = reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data()));
    property.encoding = XInternAtom(display, textTypes::compound.data(), False);
    property.format = 8;
    property.nitems = bytes.size();
    char** list = nullptr;
    int count = 0;
    // A positive result counts characters that had no conversion (direction marks among them);
    // a negative one says that nothing was converted.
    if (Xutf8TextPropertyToTextList(display, &property, &list, &count) < 0)
        return std::nullopt;
    const std::unique_ptr<char*, decltype(&XFreeStringList)> owned(list, &XFreeStringList);
    // The list is the text cut at each NUL.
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += '\0';
        text += list[i];
    }
    return text;
}

} // namespace quorvel::runtime
