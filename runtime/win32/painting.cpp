// What the window paints itself: the lines of its design behind the controls, and the labels and
// picture boxes, static controls drawn here in the colours the window gives them.

#include "window.h"

#include "runtime/captions.h"
#include "runtime/twips.h"

#include <algorithm>
#include <utility>

namespace quorvel::runtime {

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
        const win32::Brush brush(CreateSolidBrush(
            RGB((line.rgb >> 16) & 0xFF, (line.rgb >> 8) & 0xFF, line.rgb & 0xFF)));
        FillRect(dc, &covered, brush.get());
    }
    EndPaint(handle_, &paint);
}

LRESULT Window::staticProcedure(
    void* window, WNDPROC own, HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    Child* control = static_cast<Window*>(window)->child(handle);
    if (!control)
        return CallWindowProcW(own, handle, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        static_cast<Window*>(window)->paintStatic(*control);
        return 0;
    case WM_ERASEBKGND:
        return 1; // painted whole by WM_PAINT
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        return static_cast<Window*>(window)->onStaticCaption(*control, message, wParam, lParam);
    default:
        return CallWindowProcW(own, handle, message, wParam, lParam);
    }
}

// A label's caption is kept here and drawn at the next paint; the static control's own WM_SETTEXT
// would draw it at once, in its own way. Each change would otherwise cost two requests to the
// Wine server (Windows' copy of the text, and the repaint): a handler that sets a caption twice
// asks for one repaint, and Windows' copy is brought up to date once, when the label is painted.
LRESULT Window::onStaticCaption(Child& label, UINT message, WPARAM wParam, LPARAM lParam) {
    std::wstring& caption = label.caption;
    switch (message) {
    case WM_SETTEXT:
        caption = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
        label.captionShared = false;
        if (!std::exchange(label.repaintAsked, true))
            InvalidateRect(label.handle, nullptr, FALSE);
        return TRUE;
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(caption.size());
    default: { // WM_GETTEXT: as much as the buffer holds, and the terminating null
        auto* buffer = reinterpret_cast<wchar_t*>(lParam);
        if (!buffer || wParam == 0)
            return 0;
        const std::size_t copied = std::min<std::size_t>(caption.size(), wParam - 1);
        std::copy_n(caption.data(), copied, buffer);
        buffer[copied] = L'\0';
        return static_cast<LRESULT>(copied);
    }
    }
}

void Window::paintStatic(Child& painted) {
    const HWND control = painted.handle;
    painted.repaintAsked = false;
    if (!std::exchange(painted.captionShared, true))
        DefWindowProcW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(painted.caption.c_str()));
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(control, &paint);
    RECT area;
    GetClientRect(control, &area);
    // The colours this window gives the control, as a static control asks for them.
    auto* background = reinterpret_cast<HBRUSH>(SendMessageW(handle_, WM_CTLCOLORSTATIC,
        reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    FillRect(dc, &area, background);
    if (painted.design.kind == ControlClass::PictureBox) {
        for (int i = 0; i < win32::pictureBorder(dotsPerInch_); ++i) {
            FrameRect(dc, &area, GetSysColorBrush(COLOR_WINDOWTEXT));
            InflateRect(&area, -1, -1);
        }
        if (picture_ && painted.design.picture == Picture::ApplicationIcon)
            DrawIconEx(dc, area.left, area.top, picture_.get(), win32::pictureSize(dotsPerInch_),
                win32::pictureSize(dotsPerInch_), 0, nullptr, DI_NORMAL);
    } else {
        HGDIOBJ font
            = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        SetBkMode(dc, TRANSPARENT);
        // DrawText breaks the line at CR LF and LF, not at a lone CR.
        const std::wstring text
            = win32::wide(captionAsShown(win32::utf16(painted.caption), u"\r\n"));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area,
            DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS);
        SelectObject(dc, font);
    }
    EndPaint(control, &paint);
}

} // namespace quorvel::runtime
