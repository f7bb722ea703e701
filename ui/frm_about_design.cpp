#include "frm_about_design.h"

namespace quorvel::ui {

using namespace runtime;

namespace {
constexpr FontDesign mincho12 { u"ＭＳ 明朝", 12 };
constexpr FontDesign mincho975 { u"ＭＳ 明朝", 9.75 };

// In tab order.
constexpr ControlDesign controls[] = {
    { ControlClass::CommandButton, "cmdOK", u"OK", { 4320, 2640, 1310, 345 } },
    { .kind = ControlClass::PictureBox,
        .name = "picIcon",
        .caption = u"",
        .place = { 240, 240, 510, 510 },
        .colours = Colours::Field,
        .picture = Picture::ApplicationIcon,
        .accessibleName = u"アイコン" },
    { .kind = ControlClass::Label,
        .name = "lblDescription",
        .caption = u"テキスト文字列の数をカウントします。",
        .place = { 1050, 1125, 3885, 330 },
        .colours = Colours::BlackText },
    { .kind = ControlClass::Label,
        .name = "lblTitle",
        .caption = u"クオルベル　(quorvel.exe)",
        .place = { 1050, 240, 4485, 360 },
        .font = mincho12,
        .colours = Colours::BlackText },
    { .kind = ControlClass::Label,
        .name = "lblVersion",
        .caption = u"Ver 1.02  (1998/10/16)",
        .place = { 1050, 780, 3885, 225 },
        .font = mincho975 },
    { .kind = ControlClass::TextBox,
        .name = "Text1",
        .caption = u"",
        .place = { 240, 2160, 3975, 855 },
        .accessibleName = u"連絡先" },
};

// The etched separator: the white line behind, the gray one in front.
constexpr LineDesign lines[] = {
    { "Line1", 0, { 120, 2040 }, { 5669, 2040 }, 0xFFFFFF, 2 },
    { "Line1", 1, { 120, 2040 }, { 5684, 2040 }, 0x808080, 1 },
};

} // namespace

const FormDesign frmAboutDesign {
    .name = "frmAbout",
    .caption = u"ﾊﾞｰｼﾞｮﾝ情報",
    .clientWidth = 5760,
    .clientHeight = 3150,
    .border = Border::FixedDialog,
    .position = Point { 2340, 1935 },
    .showInTaskbar = false,
    .icon = Picture::ApplicationIcon,
    .controls = controls,
    .lines = lines,
    .defaultButton = "cmdOK",
    .cancelButton = "cmdOK",
};

} // namespace quorvel::ui
