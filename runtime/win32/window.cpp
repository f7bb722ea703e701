#include "window.h"

#include "runtime/captions.h"
#include "runtime/check_box.h"
#include "runtime/form.h"
#include "runtime/handlers.h"
#include "runtime/twips.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

namespace quorvel::runtime {

namespace {
constexpr wchar_t className[] = L"quorvel.Form";
// Posted by discard(): destroys the window once the message under way has been handled.
constexpr UINT destroyLater = WM_APP + 1;
// Posted when a text box ran out of room: reports it once the edit under way has ended.
constexpr UINT reportOutOfRoom = WM_APP + 2;
// Control identifiers start above IDOK and IDCANCEL, which the dialog manager sends of itself.
constexpr int firstControlId = 100;
constexpr int firstMenuCommand = 1000;
// The application icon in the program's resources (its version record's icon).
constexpr WORD applicationIcon = 1;

HINSTANCE program() {
    return GetModuleHandleW(nullptr);
}

int scaled(int pixelsAt96, UINT dotsPerInch) {
    return MulDiv(pixelsAt96, static_cast<int>(dotsPerInch), USER_DEFAULT_SCREEN_DPI);
}

// The picture box's image: the 32 x 32 icon at 96 dots per inch, scaled with the resolution.
int pictureSize(UINT dotsPerInch) {
    return scaled(32, dotsPerInch);
}
int pictureBorder(UINT dotsPerInch) {
    return std::max(1, scaled(1, dotsPerInch));
}

HICON loadIcon(int size) {
    return static_cast<HICON>(LoadImageW(
        program(), MAKEINTRESOURCEW(applicationIcon), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

// A window that is never shown: owning a window keeps it out of the taskbar.
HWND hiddenOwner() {
    static const HWND owner = CreateWindowExW(
        0, L"STATIC", L"quorvel", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, program(), nullptr);
    return owner;
}

} // namespace

Window::Window(Form& form, const FormDesign& design, std::vector<BuiltEntry>& built)
    : form_(&form)
    , design_(design) {
    static const ATOM registered = [] {
        WNDCLASSEXW windowClass {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &Window::procedure;
        windowClass.hInstance = program();
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        windowClass.lpszClassName = className;
        return RegisterClassExW(&windowClass);
    }();
    if (!registered)
        raise(ErrorNumber::Internal);

    const bool fixed = design.border == Border::FixedDialog;
    const DWORD style
        = WS_CLIPCHILDREN | (fixed ? WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU : WS_OVERLAPPEDWINDOW);
    const DWORD extendedStyle = fixed ? WS_EX_DLGMODALFRAME : 0;
    // Kept out of the taskbar by a hidden owner rather than as a tool window, which would have a
    // small title bar.
    const HWND owner = design.showInTaskbar ? nullptr : hiddenOwner();
    if (!CreateWindowExW(extendedStyle, className, win32::wide(design.caption).c_str(), style,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, program(),
            this))
        raise(ErrorNumber::Internal);
    dotsPerInch_ = GetDpiForWindow(handle_);
    try {
        buildMenus(built);
        buildControls(built);
        for (const LineDesign& line : design.lines)
            built.push_back(builtEntry(line.name, line.index, lines_.emplace_back(line)));
    } catch (...) {
        // The window is not this object's: it goes without it.
        SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
        throw;
    }
    layOut();
    fitClientArea(true);
}

Window::~Window() {
    for (HICON icon : { picture_, bigIcon_, smallIcon_ })
        if (icon)
            DestroyIcon(icon);
}

Window* Window::of(HWND handle) {
    wchar_t name[std::size(className) + 1] = {};
    if (!handle || !GetClassNameW(handle, name, static_cast<int>(std::size(name)))
        || std::wstring_view(name) != className)
        return nullptr;
    return reinterpret_cast<Window*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
}

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
        bool focusable = true;
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
            focusable = false;
            break;
        case ControlClass::PictureBox:
            style |= SS_ICON;
            text = {};
            focusable = false;
            break;
        case ControlClass::Line:
        case ControlClass::Menu:
        case ControlClass::MenuItem:
            continue; // not controls: the form does not build such a design (designFault)
        }
        if (focusable && design.tabStop)
            style |= WS_TABSTOP;
        HWND control
            = CreateWindowExW(extendedStyle, windowClass, win32::wide(text).c_str(), style, 0, 0, 0,
                0, handle_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), program(), nullptr);
        if (!control)
            raise(ErrorNumber::Internal);
        children_.push_back({ control, design });
        if (focusable && design.tabStop && !focus_)
            focus_ = control;
        auto keep = [&](auto& objects) {
            built.push_back(builtEntry(design.name, -1, objects.emplace_back(control)));
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
            keep(textBoxes_);
            break;
        case ControlClass::Label:
        case ControlClass::PictureBox:
            SetWindowSubclass(
                control, &Window::staticProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
            if (design.kind == ControlClass::Label)
                keep(labels_);
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

void Window::layOut() {
    const UINT dpi = dotsPerInch_;
    if (HICON icon = std::exchange(picture_, loadIcon(pictureSize(dpi))))
        DestroyIcon(icon);
    for (const Child& child : children_) {
        const Place& place = child.design.place;
        int width = toPixels(place.width, dpi);
        int height = toPixels(place.height, dpi);
        if (child.design.kind == ControlClass::PictureBox && child.design.picture != Picture::None)
            width = height = pictureSize(dpi) + 2 * pictureBorder(dpi); // sized to its picture
        SetWindowPos(child.handle, nullptr, toPixels(place.left, dpi), toPixels(place.top, dpi),
            width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        const FontDesign& font = child.design.font ? *child.design.font : defaultFont;
        SendMessageW(
            child.handle, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.get(font, dpi)), TRUE);
    }
    fonts_.keepOnly(dpi);
    if (design_.icon == Picture::ApplicationIcon) {
        HICON big = loadIcon(GetSystemMetricsForDpi(SM_CXICON, dpi));
        HICON small = loadIcon(GetSystemMetricsForDpi(SM_CXSMICON, dpi));
        SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
        SendMessageW(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
        for (HICON old : { std::exchange(bigIcon_, big), std::exchange(smallIcon_, small) })
            if (old)
                DestroyIcon(old);
    }
    InvalidateRect(handle_, nullptr, TRUE);
}

void Window::fitClientArea(bool place) {
    const UINT dpi = dotsPerInch_;
    const int width = toPixels(design_.clientWidth, dpi);
    const int height = toPixels(design_.clientHeight, dpi);
    RECT frame { 0, 0, width, height };
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongW(handle_, GWL_STYLE)),
        GetMenu(handle_) != nullptr, static_cast<DWORD>(GetWindowLongW(handle_, GWL_EXSTYLE)), dpi);
    RECT now;
    GetWindowRect(handle_, &now);
    POINT corner { now.left, now.top };
    if (place && design_.position)
        corner = { toPixels(design_.position->x, dpi) + frame.left,
            toPixels(design_.position->y, dpi) + frame.top };
    SetWindowPos(handle_, nullptr, corner.x, corner.y, frame.right - frame.left,
        frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar too narrow for its menus takes more than one row: make up the difference.
    RECT client;
    GetClientRect(handle_, &client);
    if (client.right != width || client.bottom != height)
        SetWindowPos(handle_, nullptr, 0, 0, frame.right - frame.left + width - client.right,
            frame.bottom - frame.top + height - client.bottom,
            SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

const Window::Child* Window::child(HWND handle) const {
    for (const Child& child : children_)
        if (child.handle == handle)
            return &child;
    return nullptr;
}

HWND Window::childNamed(std::string_view name) const {
    for (const Child& child : children_)
        if (!name.empty() && child.design.name == name)
            return child.handle;
    return nullptr;
}

void Window::show() {
    if (IsIconic(handle_))
        ShowWindow(handle_, SW_RESTORE);
    else if (!IsWindowVisible(handle_))
        ShowWindow(handle_, SW_SHOWNORMAL);
    BringWindowToTop(handle_);
    SetForegroundWindow(handle_);
}

void Window::discard() {
    form_ = nullptr;
    ShowWindow(handle_, SW_HIDE);
    PostMessageW(handle_, destroyLater, 0, 0);
}

void Window::onCommand(int command, std::function<void()> run) {
    commands_[command] = std::move(run);
}

void Window::press(HWND button) {
    if (IsWindowEnabled(button) && IsWindowVisible(button))
        SendMessageW(handle_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
            reinterpret_cast<LPARAM>(button));
}

LRESULT CALLBACK Window::procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* window
            = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        window->handle_ = handle;
        SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<Window*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
    if (!window)
        return DefWindowProcW(handle, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
        delete window;
        return DefWindowProcW(handle, message, wParam, lParam);
    }
    return window->handleMessage(message, wParam, lParam);
}

LRESULT Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        onCommandMessage(LOWORD(wParam), reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return onControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_PAINT:
        onPaint();
        return 0;
    case WM_CLOSE:
        onClose();
        return 0;
    case WM_ACTIVATE:
        onActivate(LOWORD(wParam) != WA_INACTIVE);
        if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam))
            return 0; // the focus went to the control that had it (onActivate)
        break;
    case WM_SETFOCUS:
        onSetFocus();
        return 0;
    case WM_DPICHANGED:
        onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DESTROY:
        onDestroy();
        return 0;
    case destroyLater:
        DestroyWindow(handle_);
        return 0;
    case reportOutOfRoom:
        outOfRoomReported_ = false;
        if (form_)
            report(RuntimeError(ErrorNumber::OutOfMemory), form_);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(handle_, message, wParam, lParam);
}

void Window::onCommandMessage(int id, HWND control, UINT code) {
    if (control) {
        const Child* clicked = child(control);
        if (clicked && clicked->design.kind == ControlClass::TextBox
            && (code == EN_ERRSPACE || code == EN_MAXTEXT))
            onTextBoxOutOfRoom();
        if (!clicked || code != BN_CLICKED)
            return;
        if (clicked->design.kind == ControlClass::CheckBox) {
            CheckBox box(control);
            box.setValue(checkBoxValueAfterClick(box.value()));
            return;
        }
    } else if (code != 0) {
        return; // an accelerator: none is defined
    }
    const auto found = commands_.find(id);
    if (found == commands_.end())
        return;
    // The handler may unload this window; the window stays until the message is handled.
    const std::function<void()> run = found->second;
    run();
}

void Window::onTextBoxOutOfRoom() {
    // Text set by a handler is checked where it is set (TextBox::setText), and the handler ends
    // with the error.
    if (win32::textBeingSet() || std::exchange(outOfRoomReported_, true))
        return;
    PostMessageW(handle_, reportOutOfRoom, 0, 0);
}

LRESULT Window::onControlColour(HDC dc, HWND control) {
    const Child* coloured = child(control);
    const Colours colours = coloured ? coloured->design.colours : Colours::Default;
    switch (colours) {
    case Colours::Field:
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    case Colours::BlackText:
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case Colours::Default:
        break;
    }
    return DefWindowProcW(handle_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
        reinterpret_cast<LPARAM>(control));
}

void Window::onPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle_, &paint);
    // In design order, each in front of the ones before; the controls are clipped out
    // (WS_CLIPCHILDREN), so the lines lie behind them.
    for (const LineDesign& line : design_.lines) {
        const PixelRect pixels = lineCovers(line, dotsPerInch_);
        const RECT covered { pixels.left, pixels.top, pixels.right, pixels.bottom };
        HBRUSH brush = CreateSolidBrush(
            RGB((line.rgb >> 16) & 0xFF, (line.rgb >> 8) & 0xFF, line.rgb & 0xFF));
        FillRect(dc, &covered, brush);
        DeleteObject(brush);
    }
    EndPaint(handle_, &paint);
}

void Window::onClose() {
    if (form_)
        form_->closeRequested();
}

void Window::onActivate(bool active) {
    if (!active) {
        if (HWND focus = GetFocus(); focus && IsChild(handle_, focus))
            focus_ = focus;
    } else if (!IsIconic(handle_)) {
        SetFocus(focus_ ? focus_ : handle_);
    }
}

void Window::onSetFocus() {
    if (focus_ && IsWindow(focus_))
        SetFocus(focus_);
}

void Window::onDpiChanged(UINT dotsPerInch, const RECT& suggested) {
    dotsPerInch_ = dotsPerInch;
    SetWindowPos(handle_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
        suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    layOut();
    if (design_.border == Border::FixedDialog)
        fitClientArea(false);
}

void Window::onDestroy() {
    if (Form* form = std::exchange(form_, nullptr))
        form->windowDestroyed(this);
}

LRESULT CALLBACK Window::staticProcedure(
    HWND handle, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR window) {
    switch (message) {
    case WM_PAINT:
        reinterpret_cast<Window*>(window)->paintStatic(handle);
        return 0;
    case WM_ERASEBKGND:
        return 1; // painted whole by WM_PAINT
    case WM_SETTEXT: {
        // Kept as the window's text, which WM_GETTEXT gives, and drawn at the next paint: the
        // static control's own WM_SETTEXT would draw it at once, in its own way.
        const LRESULT set = DefWindowProcW(handle, message, wParam, lParam);
        InvalidateRect(handle, nullptr, FALSE);
        return set;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(handle, &Window::staticProcedure, id);
        break;
    default:
        break;
    }
    return DefSubclassProc(handle, message, wParam, lParam);
}

void Window::paintStatic(HWND control) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(control, &paint);
    RECT area;
    GetClientRect(control, &area);
    // The colours this window gives the control, as a static control asks for them.
    auto* background = reinterpret_cast<HBRUSH>(SendMessageW(handle_, WM_CTLCOLORSTATIC,
        reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    FillRect(dc, &area, background);
    const Child* painted = child(control);
    if (painted && painted->design.kind == ControlClass::PictureBox) {
        for (int i = 0; i < pictureBorder(dotsPerInch_); ++i) {
            FrameRect(dc, &area, GetSysColorBrush(COLOR_WINDOWTEXT));
            InflateRect(&area, -1, -1);
        }
        if (picture_ && painted->design.picture == Picture::ApplicationIcon)
            DrawIconEx(dc, area.left, area.top, picture_, pictureSize(dotsPerInch_),
                pictureSize(dotsPerInch_), 0, nullptr, DI_NORMAL);
    } else {
        HGDIOBJ font
            = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        SetBkMode(dc, TRANSPARENT);
        // DrawText breaks the line at CR LF and LF, not at a lone CR.
        const std::wstring text
            = win32::wide(captionAsShown(win32::utf16(win32::windowText(control)), u"\r\n"));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area,
            DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS);
        SelectObject(dc, font);
    }
    EndPaint(control, &paint);
}

} // namespace quorvel::runtime
