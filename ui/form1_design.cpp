#include "form1_design.h"

namespace quorvel::ui {

using namespace runtime;

namespace {
constexpr FontDesign mincho { u"ＭＳ 明朝", 9.75 };

constexpr MenuItemDesign fileItems[] = {
    { "about", u"about" },
    { "end", u"end" },
};

constexpr MenuDesign menus[] = {
    { "file", u"file", fileItems },
};

// In tab order.
constexpr ControlDesign controls[] = {
    { ControlClass::CommandButton, "Command1", u"カウント実行", { 0, 120, 1335, 375 } },
    { .kind = ControlClass::Label,
        .name = "Label1",
        .caption = u"",
        .place = { 1440, 120, 1095, 375 },
        .font = mincho,
        .colours = Colours::Field,
        .border = true,
        .announced = true },
    { .kind = ControlClass::TextBox,
        .name = "Text1",
        .caption = u"",
        .place = { 0, 600, 6495, 2175 },
        .font = mincho,
        .accessibleName = u"カウントするテキスト" },
    { ControlClass::CommandButton, "Command2", u"テキストクリア", { 2640, 120, 1335, 375 } },
    { ControlClass::Label, "Label2", u"", { 0, 2880, 6495, 495 } },
    { ControlClass::CheckBox, "Check1", u"全角ｽﾍﾟｰｽをｶｳﾝﾄする", { 4320, 120, 2175, 255 } },
};
} // namespace

const FormDesign form1Design {
    .name = "Form1",
    .caption = u"クオルベル",
    .clientWidth = 6555,
    .clientHeight = 3390,
    .border = Border::Sizable,
    .icon = Picture::ApplicationIcon,
    .menus = menus,
    .controls = controls,
};

} // namespace quorvel::ui
