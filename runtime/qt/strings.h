#pragma once

// Conversions between Qt's strings (QString, UTF-16) and the plain views that designs and the
// count rule use. No copies are made of a view.

#include "runtime/strings.h"

#include <QString>

namespace quorvel::runtime {

/// The same code units: a byte-order mark at the start is kept (QString::fromUtf16 would take it
/// for one and drop it).
inline QString toQString(std::u16string_view text) {
    return QString(
        reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

inline QString toQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

/// The code units of a string, valid while the string lives unchanged.
inline std::u16string_view view(const QString& text) {
    return { reinterpret_cast<const char16_t*>(text.utf16()),
        static_cast<std::size_t>(text.size()) };
}

} // namespace quorvel::runtime
