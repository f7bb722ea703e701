#pragma once

#include <string>
#include <string_view>

namespace quorvel::runtime {

/// A caption as a label shows it: each line break in it (CR LF, a lone CR or a lone LF) written
/// as the toolkit's own break, lineBreak. The caption itself keeps its code units; only what is
/// drawn changes.
std::u16string captionAsShown(std::u16string_view caption, std::u16string_view lineBreak);

} // namespace quorvel::runtime
