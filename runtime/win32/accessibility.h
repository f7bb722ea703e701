#pragma once

// What screen readers are given of a control, through Windows' annotation service (Dynamic
// Annotation): the names that they read for controls without a caption of their own (a text box, a
// picture box), which Windows would name after the static control before them, and the live
// region of an announced label, whose changes they read out as they come.
//
// It is given when a screen reader first asks for the control (WM_GETOBJECT), before the control
// answers: a program that no screen reader reads never starts COM, nor loads ole32.

#include "win32.h"

#include <string_view>

namespace quorvel::runtime::win32 {

struct ForScreenReaders {
    std::u16string_view name; ///< the design's name for a control without a caption of its own
    bool liveRegion = false; ///< an announced label
    bool empty() const { return name.empty() && !liveRegion; }
};

/// Gives a control its accessible name (PROPID_ACC_NAME) and makes a live region of it (UI
/// Automation's LiveSetting, Polite), as given. Without the annotation service the control keeps
/// what Windows gives it.
void giveScreenReaders(HWND control, const ForScreenReaders& given);

} // namespace quorvel::runtime::win32
