// The window at its resolution: every control's place, size and font, the icons' sizes, and the
// window's own size; again when the resolution changes.

#include "window.h"

#include "runtime/twips.h"

#include <algorithm>

namespace quorvel::runtime {

namespace {
// The application icon in the program's resources (its version record's icon).
constexpr WORD applicationIcon = 1;

int scaled(int pixelsAt96, UINT dotsPerInch) {
    return MulDiv(pixelsAt96, static_cast<int>(dotsPerInch), USER_DEFAULT_SCREEN_DPI);
}

win32::Icon loadIcon(int size) {
    return win32::Icon(static_cast<HICON>(LoadImageW(win32::program(),
        MAKEINTRESOURCEW(applicationIcon), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}
} // namespace

int win32::pictureSize(UINT dotsPerInch) {
    return scaled(32, dotsPerInch);
}

int win32::pictureBorder(UINT dotsPerInch) {
    return std::max(1, scaled(1, dotsPerInch));
}

void Window::layOut() {
    const UINT dpi = dotsPerInch_;
    const bool showsIcon = std::ranges::any_of(children_, [](const Child& child) {
        return child.design.kind == ControlClass::PictureBox
            && child.design.picture == Picture::ApplicationIcon;
    });
    picture_ = showsIcon ? loadIcon(win32::pictureSize(dpi)) : win32::Icon();
    for (const Child& child : children_) {
        const Place& place = child.design.place;
        int width = toPixels(place.width, dpi);
        int height = toPixels(place.height, dpi);
        if (child.design.kind == ControlClass::PictureBox && child.design.picture != Picture::None)
            width = height = win32::pictureSize(dpi) + 2 * win32::pictureBorder(dpi);
        SetWindowPos(child.handle, nullptr, toPixels(place.left, dpi), toPixels(place.top, dpi),
            width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        const FontDesign& font = child.design.font ? *child.design.font : defaultFont;
        SendMessageW(
            child.handle, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.get(font, dpi)), TRUE);
    }
    fonts_.keepOnly(dpi);
    if (design_.icon == Picture::ApplicationIcon) {
        // The window keeps using the old icons until it has the new ones.
        win32::Icon big = loadIcon(GetSystemMetricsForDpi(SM_CXICON, dpi));
        win32::Icon small = loadIcon(GetSystemMetricsForDpi(SM_CXSMICON, dpi));
        SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
        SendMessageW(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
        bigIcon_ = std::move(big);
        smallIcon_ = std::move(small);
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

void Window::onDpiChanged(UINT dotsPerInch, const RECT& suggested) {
    dotsPerInch_ = dotsPerInch;
    SetWindowPos(handle_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
        suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    layOut();
    if (design_.border == Border::FixedDialog)
        fitClientArea(false);
}

} // namespace quorvel::runtime
