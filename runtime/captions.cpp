#include "captions.h"

namespace quorvel::runtime {

std::u16string captionAsShown(std::u16string_view caption, std::u16string_view lineBreak) {
    std::u16string shown;
    shown.reserve(caption.size());
    for (std::size_t i = 0; i < caption.size(); ++i) {
        const char16_t unit = caption[i];
        if (unit != u'\r' && unit != u'\n') {
            shown += unit;
            continue;
        }
        shown += lineBreak;
        if (unit == u'\r' && i + 1 < caption.size() && caption[i + 1] == u'\n')
            ++i;
    }
    return shown;
}

} // namespace quorvel::runtime
