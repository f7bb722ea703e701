#pragma once

// Window designs as plain data: every position and size in twips (1440 to the inch), every text
// exactly as the window shows it. The runtime builds the widgets from these values.

#include <optional>
#include <span>
#include <string_view>

namespace quorvel::runtime {

using Twips = int;

enum class ControlClass { CommandButton, Label, TextBox, CheckBox };

/// Colours of a control: the runtime's defaults, or those the window system gives an editable
/// field.
enum class Colours { Default, Field };

enum class Border { Sizable, FixedDialog };

struct FontDesign {
    std::u16string_view face;
    double points;
    int weight = 400;
};

struct Place {
    Twips left, top, width, height;
};

struct ControlDesign {
    ControlClass kind;
    std::string_view name;
    std::u16string_view caption; ///< caption, or text at start
    Place place;
    std::optional<FontDesign> font = {}; ///< the runtime's default font when empty
    Colours colours = Colours::Default;
    bool border = false; ///< a sunken border around a label
    bool tabStop = true;
};

struct MenuItemDesign {
    std::string_view name;
    std::u16string_view caption;
};

struct MenuDesign {
    std::string_view name;
    std::u16string_view caption;
    std::span<const MenuItemDesign> items;
};

struct FormDesign {
    std::string_view name;
    std::u16string_view caption;
    Twips clientWidth, clientHeight;
    Border border = Border::Sizable;
    std::span<const MenuDesign> menus = {};
    std::span<const ControlDesign> controls = {}; ///< in tab order
};

} // namespace quorvel::runtime
