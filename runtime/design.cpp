#include "design.h"

namespace quorvel::runtime {

bool takesFocus(ControlClass kind) {
    switch (kind) {
    case ControlClass::CommandButton:
    case ControlClass::TextBox:
    case ControlClass::CheckBox:
        return true;
    case ControlClass::Label:
    case ControlClass::PictureBox:
    case ControlClass::Line:
    case ControlClass::Menu:
    case ControlClass::MenuItem:
        return false;
    }
    return false;
}

bool inTabOrder(const ControlDesign& control) {
    return takesFocus(control.kind) && control.tabStop;
}

std::string designFault(const FormDesign& design) {
    for (const ControlDesign& control : design.controls)
        switch (control.kind) {
        case ControlClass::Line:
        case ControlClass::Menu:
        case ControlClass::MenuItem:
            return std::string(control.name) + " is not a control but is in the list of controls";
        case ControlClass::CommandButton:
        case ControlClass::Label:
        case ControlClass::TextBox:
        case ControlClass::CheckBox:
        case ControlClass::PictureBox:
            break;
        }
    return {};
}

} // namespace quorvel::runtime
