// The window's menus and controls, built from its design.

#include "window.h"

#include "subclass.h"

namespace quorvel::runtime {

namespace {
// Control identifiers start above IDOK and IDCANCEL, which the dialog manager sends of itself.
constexpr int firstControlId = 100;
constexpr int firstMenuCommand = 1000;
} // namespace

void Window::buildMenus(std::vector<BuiltEntry>& built) {
    if (design_.menus.empty())
        return;
    HMENU bar = CreateMenu();
    int command = firstMenuCommand;
    for (const MenuDesign& menuDesign : design_.menus) {
        HMENU menu = CreatePopupMenu();
        AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(menu),
            win32::wide(menuDesign.caption).c_str());
        built.push_back(builtEntry(menuDesign.name, -1, menus_.emplace_back(menu)));
        for (const MenuItemDesign& item : menuDesign.items) {
            AppendMenuW(
                menu, MF_STRING, static_cast<UINT_PTR>(command), win32::wide(item.caption).c_str());
            built.push_back(builtEntry(item.name, -1, menuItems_.emplace_back(handle_, command)));
            ++command;
        }
    }
    SetMenu(handle_, bar);
}

void Window::buildControls(std::vector<BuiltEntry>& built) {
    int id = firstControlId;
    for (const ControlDesign& design : design_.controls) {
        DWORD style = WS_CHILD | WS_VISIBLE | (id == firstControlId ? WS_GROUP : 0);
        DWORD extendedStyle = 0;
        const wchar_t* windowClass = L"STATIC";
        std::u16string_view text = design.caption;
        switch (design.kind) {
        case ControlClass::CommandButton:
            windowClass = L"BUTTON";
            style |= design.name == design_.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
            break;
        case ControlClass::CheckBox:
            // The value turns over on each click here (onCommandMessage), not as BS_AUTO3STATE
            // would turn it.
            windowClass = L"BUTTON";
            style |= BS_3STATE;
            break;
        case ControlClass::TextBox:
            windowClass = L"EDIT";
            // Enter breaks the line unless the window has a default button; Ctrl+Enter always.
            style |= ES_MULTILINE | ES_AUTOVSCROLL
                | (design_.defaultButton.empty() ? ES_WANTRETURN : 0);
            extendedStyle |= WS_EX_CLIENTEDGE;
            break;
        case ControlClass::Label:
            style |= SS_LEFT | SS_NOPREFIX;
            extendedStyle |= design.border ? WS_EX_CLIENTEDGE : 0;
            break;
        case ControlClass::PictureBox:
            style |= SS_ICON;
            text = {};
            break;
        case ControlClass::Line:
        case ControlClass::Menu:
        case ControlClass::MenuItem:
            continue; // not controls: the form does not build such a design (designFault)
        }
        if (inTabOrder(design))
            style |= WS_TABSTOP;
        HWND control = CreateWindowExW(extendedStyle, windowClass, win32::wide(text).c_str(), style,
            0, 0, 0, 0, handle_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
            win32::program(), nullptr);
        if (!control)
            raise(ErrorNumber::Internal);
        children_.push_back({ control, design, win32::wide(text) });
        if (inTabOrder(design) && !focus_)
            focus_ = control;
        auto keep = [&](auto& objects, auto... more) {
            built.push_back(builtEntry(design.name, -1, objects.emplace_back(control, more...)));
        };
        switch (design.kind) {
        case ControlClass::CommandButton:
            keep(buttons_);
            break;
        case ControlClass::CheckBox:
            keep(checkBoxes_);
            break;
        case ControlClass::TextBox:
            SendMessageW(control, EM_SETLIMITTEXT, 0, 0); // no limit of its own
            keep(textBoxes_, design.accessibleName);
            break;
        case ControlClass::Label:
        case ControlClass::PictureBox:
            win32::subclass(control, &Window::staticProcedure, this,
                { design.accessibleName, design.announced });
            if (design.kind == ControlClass::Label)
                keep(labels_, design.announced);
            else
                keep(pictures_);
            break;
        default:
            break;
        }
        ++id;
    }
    defaultButton_ = childNamed(design_.defaultButton);
    cancelButton_ = childNamed(design_.cancelButton);
}

const Window::Child* Window::child(HWND handle) const {
    for (const Child& child : children_)
        if (child.handle == handle)
            return &child;
    return nullptr;
}

Window::Child* Window::child(HWND handle) {
    return const_cast<Child*>(std::as_const(*this).child(handle));
}

HWND Window::childNamed(std::string_view name) const {
    for (const Child& child : children_)
        if (!name.empty() && child.design.name == name)
            return child.handle;
    return nullptr;
}

} // namespace quorvel::runtime
