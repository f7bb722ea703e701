#pragma once

// Window designs as plain data: every position and size in twips (1440 to the inch), every text
// exactly as the window shows it. The runtime builds the widgets from these values.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quorvel::runtime {

using Twips = int;

/// The kinds of control a design places, and the other named pieces of a window (its lines and
/// menus). Each toolkit's control classes name their kind, so that a form can check that a member
/// is of the kind its design entry builds.
enum class ControlClass {
    CommandButton,
    Label,
    TextBox,
    CheckBox,
    PictureBox,
    Line,
    Menu,
    MenuItem
};

/// A picture of the program's resources, which each toolkit finds in its own way.
enum class Picture { None, ApplicationIcon };

/// Colours of a control: the runtime's defaults, those the window system gives an editable field,
/// or the defaults with black text.
enum class Colours { Default, Field, BlackText };

enum class Border { Sizable, FixedDialog };

struct FontDesign {
    std::u16string_view face;
    double points;
    int weight = 400;
};

/// The runtime's default font, for controls whose design sets none.
inline constexpr FontDesign defaultFont { u"ＭＳ Ｐゴシック", 9 };

struct Place {
    Twips left, top, width, height;
};

struct Point {
    Twips x, y;
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
    Picture picture = Picture::None; ///< a picture box's image; the box sizes itself to it
    std::u16string_view accessibleName = {}; ///< for controls that have no caption to be read by
    /// A label whose changes screen readers read out as they come (a live region), though it never
    /// has the focus: its last caption, once the handler that changed it ends.
    bool announced = false;
};

/// A line drawn on the window's surface, behind its controls; an element of a control array.
struct LineDesign {
    std::string_view name;
    int index;
    Point from, to;
    unsigned rgb; ///< 0xRRGGBB
    int pixels; ///< pen width
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
    std::optional<Point> position = {}; ///< of the client area; else where the window system likes
    bool showInTaskbar = true;
    Picture icon = Picture::None; ///< in the title bar and the taskbar
    std::span<const MenuDesign> menus = {};
    std::span<const ControlDesign> controls = {}; ///< in tab order
    std::span<const LineDesign> lines = {}; ///< drawn in this order, the last in front
    std::string_view defaultButton = {}; ///< pressed by Enter anywhere in the window
    std::string_view cancelButton = {}; ///< pressed by Esc
};

/// Whether a control of this kind takes the focus: buttons, text boxes and check boxes do; labels
/// and picture boxes never do.
bool takesFocus(ControlClass kind);

/// Whether Tab visits a control: one that takes the focus and whose design makes it a tab stop.
/// The first such control of a window has the focus when the window is loaded.
bool inTabOrder(const ControlDesign& control);

/// What in a design cannot be built, said in words: a line, menu or menu item in the list of
/// controls. Empty when the design can be built.
std::string designFault(const FormDesign& design);

} // namespace quorvel::runtime
