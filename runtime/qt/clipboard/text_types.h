#pragma once

// The names under which programs offer text, spelled here and nowhere else in the program.

#include <string_view>

namespace quorvel::runtime::textTypes {

inline constexpr std::string_view utf8 = "UTF8_STRING"; ///< X11's UTF-8
inline constexpr std::string_view plainUtf8 = "text/plain;charset=utf-8";
inline constexpr std::string_view compound = "COMPOUND_TEXT"; ///< X11's ISO 2022 text
inline constexpr std::string_view latin1 = "STRING"; ///< X11's Latin-1
inline constexpr std::string_view plain = "text/plain"; ///< written as UTF-8

} // namespace quorvel::runtime::textTypes
