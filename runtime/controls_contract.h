#pragma once

// What the windows (ui/) may do with each kind of control, whichever toolkit builds it. Each
// toolkit's runtime/controls.h declares its controls and checks them against these concepts, so
// that a control that drifts from what the windows use breaks the build of either toolkit, not
// only the one that lacks it.
//
// Texts go in as UTF-16 (std::u16string_view and what converts to it); a text comes out in the
// toolkit's own string type, whose code units view() gives.

#include "base/numbers.h"
#include "design.h"
#include "strings.h"

#include <concepts>
#include <string>
#include <string_view>

namespace quorvel::runtime::contract {

/// Every control names the kind of design entry it is built for.
template <typename Control, ControlClass kind>
concept OfKind = Control::kind == kind;

/// A text that the windows read: its code units, and how many there are.
template <typename Text>
concept CodeUnits = requires(const Text& text) {
    { view(text) } -> std::convertible_to<std::u16string_view>;
    { text.size() } -> std::convertible_to<Long>;
};

template <typename Control>
concept Label = OfKind<Control, ControlClass::Label> && requires(
    Control& label, const Control& shown, const std::u16string& caption) {
    label.setCaption(caption);
    label.setCaption(std::u16string_view(caption));
    { shown.caption() } -> CodeUnits;
};

template <typename Control>
concept TextBox = OfKind<Control, ControlClass::TextBox> && requires(
    Control& box, const Control& shown, const std::u16string& text) {
    box.setText(text);
    box.setText(u"");
    { shown.text() } -> CodeUnits;
};

template <typename Control>
concept CheckBox = OfKind<Control, ControlClass::CheckBox> && requires(
    Control& box, const Control& shown, Integer value) {
    { shown.value() } -> std::same_as<Integer>;
    box.setValue(value);
};

/// Buttons, picture boxes, lines, menus and menu items: the windows only name them (and wire
/// the clicks of buttons and menu items through their form).
template <typename Control, ControlClass kind>
concept Named = OfKind<Control, kind>;

/// A toolkit's controls, all of them: what its runtime/controls.h asserts.
template <typename Label_, typename TextBox_, typename CheckBox_, typename CommandButton,
    typename PictureBox, typename Line, typename Menu, typename MenuItem>
concept Controls = Label<Label_> && TextBox<TextBox_> && CheckBox<CheckBox_> && Named<CommandButton,
    ControlClass::CommandButton> && Named<PictureBox, ControlClass::PictureBox> && Named<Line,
    ControlClass::Line> && Named<Menu, ControlClass::Menu> && Named<MenuItem,
    ControlClass::MenuItem>;

} // namespace quorvel::runtime::contract
