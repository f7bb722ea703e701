// The yardstick of quorvel.exe's start-up: a bare Win32 window that shows the same two-line
// Japanese note in a static control, in the same Japanese face, and does nothing else.

#include <windows.h>

namespace {
LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    WNDCLASSW windowClass {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"bare";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"bare", L"bare", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
        CW_USEDEFAULT, 437, 226, nullptr, nullptr, instance, nullptr);
    HWND note = CreateWindowExW(0, L"STATIC",
        L"上のﾃｷｽﾄﾎﾞｯｸｽに、ﾃｷｽﾄを貼り付けて、カウント実行ボタンを押して下さい。\r\n"
        L"全角１文字も半角１文字も同じ、１カウントです。",
        WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 0, 192, 433, 33, window, nullptr, instance, nullptr);
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
        L"ＭＳ Ｐゴシック");
    SendMessageW(note, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DeleteObject(font);
    return 0;
}
