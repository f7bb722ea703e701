// The windows of quorvel.exe on Win32, under Wine: the same forms in this process, driven as a
// user's actions arrive (key and mouse messages through the program's own event loop, the
// clipboard through the Win32 API), read back as other programs read them (WM_GETTEXT); and the
// built quorvel.exe itself, started and ended from outside.
//
//   windows_test QUORVEL.exe [GoogleTest options]
//
// QUORVEL_TEST_DPI (96 when unset) is the resolution the windows must be laid out at: the Wine
// prefix's LogPixels.

#include "../test_window.h"
#include "../window_cases.h"
#include "fonts.h"
#include "message_loop.h"
#include "runtime/handlers.h"
#include "runtime/program.h"
#include "runtime/testing.h"
#include "ui/form1.h"
#include "ui/form1_design.h"
#include "ui/frm_about.h"
#include "ui/frm_about_design.h"
#include "win32.h"
#include "window.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

using namespace quorvel;
using tests::TestWindow;
namespace win32 = runtime::win32;

namespace {

std::wstring quorvelExe; // the program under test, from the command line
UINT expectedDpi = 96;

using tests::note;

void pump() {
    win32::dispatchWaiting();
}

// The first code units of a text, as escapes, for messages about a text that differs.
std::string shown(std::u16string_view text) {
    std::string escaped;
    for (char16_t unit : text.substr(0, 24)) {
        char hex[8];
        std::snprintf(hex, sizeof hex, unit < 0x80 && unit >= 0x20 ? "%c" : "\\x%04X", unit);
        escaped += hex;
    }
    return escaped + (text.size() > 24 ? "... (" + std::to_string(text.size()) + " units)" : "");
}

std::u16string textOf(HWND window) {
    return win32::utf16(win32::windowText(window));
}

// A window's text as another program reads it without a message: Windows' own copy.
std::u16string sharedTextOf(HWND window) {
    std::wstring text(4096, L'\0');
    text.resize(static_cast<std::size_t>(
        InternalGetWindowText(window, text.data(), static_cast<int>(text.size()))));
    return win32::utf16(text);
}

// Twips to pixels as the design promises them: 1440 twips to the inch, rounded.
int pixels(int twips, UINT dpi = expectedDpi) {
    return static_cast<int>(std::lround(twips * static_cast<double>(dpi) / 1440.0));
}

// ---- The user's actions, as messages in the program's queue.

struct Modifiers {
    bool control = false;
    bool shift = false;
};

void holdModifiers(Modifiers held) {
    BYTE state[256];
    GetKeyboardState(state);
    for (int key : { VK_CONTROL, VK_LCONTROL })
        state[key] = held.control ? 0x80 : 0;
    for (int key : { VK_SHIFT, VK_LSHIFT })
        state[key] = held.shift ? 0x80 : 0;
    SetKeyboardState(state);
}

// A key pressed and released over the control with the focus; the event loop makes its
// characters (TranslateMessage), as for a key typed on the keyboard.
void press(WORD key, Modifiers held = {}) {
    holdModifiers(held);
    const HWND focus = GetFocus();
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(focus, WM_KEYDOWN, key, scan | 1);
    PostMessageW(focus, WM_KEYUP, key, scan | 1 | (LPARAM(1) << 30) | (LPARAM(1) << 31));
    pump();
    holdModifiers({});
}

void type(std::u16string_view letters) {
    for (char16_t letter : letters) {
        const SHORT key = VkKeyScanW(static_cast<wchar_t>(letter));
        press(LOBYTE(key), { .shift = (HIBYTE(key) & 1) != 0 });
    }
}

// A click of the left mouse button in the middle of a control.
void click(HWND control) {
    RECT area;
    GetClientRect(control, &area);
    const LPARAM at = MAKELPARAM(area.right / 2, area.bottom / 2);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(control, WM_LBUTTONUP, 0, at);
    pump();
}

void choose(const runtime::MenuItem& item) {
    PostMessageW(item.window(), WM_COMMAND, MAKEWPARAM(item.command(), 0), 0);
    pump();
}

void clickCloseBox(HWND window) {
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    pump();
}

// ---- The clipboard, through the Win32 API of this process.

HWND clipboardOwner() {
    static const HWND owner = CreateWindowExW(
        0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    return owner;
}

void setClipboard(std::u16string_view text) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    auto* units = static_cast<char16_t*>(GlobalLock(memory));
    text.copy(units, text.size());
    units[text.size()] = u'\0';
    GlobalUnlock(memory);
    ASSERT_TRUE(OpenClipboard(clipboardOwner()));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

std::u16string clipboard() {
    std::u16string text;
    if (!OpenClipboard(clipboardOwner()))
        return u"(the clipboard could not be opened)";
    if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
        const auto* units = static_cast<const char16_t*>(GlobalLock(memory));
        const std::size_t room = GlobalSize(memory) / sizeof(char16_t);
        text.assign(units, std::char_traits<char16_t>::find(units, room, u'\0') - units);
        GlobalUnlock(memory);
    }
    CloseClipboard();
    return text;
}

// The windows of the forms that this thread still has.
int formWindows() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM count) {
            *reinterpret_cast<int*>(count) += runtime::Window::of(window) != nullptr;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

// ---- Windows' annotation service, stood in for in this process: Wine's takes the names given but
// gives screen readers none, so the test sees the names as they are given.

std::map<HWND, std::wstring> annotatedNames;
std::map<HWND, LONG> annotatedLiveSettings; // UI Automation's LiveSetting: 1 is Polite

// {C12BCD8E-2A8E-4950-8AE7-3625111D58EB}, UI Automation's LiveSetting property.
constexpr GUID liveSettingProperty
    = { 0xc12bcd8e, 0x2a8e, 0x4950, { 0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb } };

// A COM object that lives as long as the test program, answering for one interface.
template <typename Interface, const IID& interfaceId> class Lasting : public Interface {
public:
    HRESULT WINAPI QueryInterface(REFIID id, void** object) override {
        *object = id == IID_IUnknown || id == interfaceId ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return 1; }
    ULONG WINAPI Release() override { return 1; }
};

class AnnotationService : public Lasting<IAccPropServices, IID_IAccPropServices> {
public:
    HRESULT WINAPI SetHwndPropStr(
        HWND window, DWORD object, DWORD child, MSAAPROPID property, LPCWSTR text) override {
        if (object == static_cast<DWORD>(OBJID_CLIENT) && child == CHILDID_SELF
            && property == PROPID_ACC_NAME)
            annotatedNames[window] = text;
        return S_OK;
    }
    // The rest is not used.
    HRESULT WINAPI SetPropValue(const BYTE*, DWORD, MSAAPROPID, VARIANT) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI SetPropServer(
        const BYTE*, DWORD, const MSAAPROPID*, int, IAccPropServer*, AnnoScope) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ClearProps(const BYTE*, DWORD, const MSAAPROPID*, int) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI SetHwndProp(
        HWND window, DWORD object, DWORD child, MSAAPROPID property, VARIANT value) override {
        if (object != static_cast<DWORD>(OBJID_CLIENT) || child != CHILDID_SELF
            || property != liveSettingProperty || value.vt != VT_I4)
            return E_NOTIMPL;
        annotatedLiveSettings[window] = value.lVal;
        return S_OK;
    }
    HRESULT WINAPI SetHwndPropServer(
        HWND, DWORD, DWORD, const MSAAPROPID*, int, IAccPropServer*, AnnoScope) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ClearHwndProps(HWND, DWORD, DWORD, const MSAAPROPID*, int) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ComposeHwndIdentityString(HWND, DWORD, DWORD, BYTE**, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI DecomposeHwndIdentityString(const BYTE*, DWORD, HWND*, DWORD*, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI SetHmenuProp(HMENU, DWORD, MSAAPROPID, VARIANT) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHmenuPropStr(HMENU, DWORD, MSAAPROPID, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHmenuPropServer(
        HMENU, DWORD, const MSAAPROPID*, int, IAccPropServer*, AnnoScope) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ClearHmenuProps(HMENU, DWORD, const MSAAPROPID*, int) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ComposeHmenuIdentityString(HMENU, DWORD, BYTE**, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI DecomposeHmenuIdentityString(const BYTE*, DWORD, HMENU*, DWORD*) override {
        return E_NOTIMPL;
    }
};

class AnnotationServiceFactory : public Lasting<IClassFactory, IID_IClassFactory> {
public:
    HRESULT WINAPI CreateInstance(IUnknown* outer, REFIID id, void** object) override {
        static AnnotationService service;
        return outer ? CLASS_E_NOAGGREGATION : service.QueryInterface(id, object);
    }
    HRESULT WINAPI LockServer(BOOL) override { return S_OK; }
};

// Registers the stand-in for this process, before the first window is built.
void standInForTheAnnotationService() {
    static AnnotationServiceFactory factory;
    DWORD cookie = 0;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CoRegisterClassObject(
        CLSID_AccPropServices, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
}

// ---- What screen readers are told without asking: the live regions that changed, as a WinEvent
// hook out of context sees them (delivered while the test pumps messages).

std::vector<HWND> liveRegionChanges;

void CALLBACK seeWinEvent(
    HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (event == EVENT_OBJECT_LIVEREGIONCHANGED && object == OBJID_CLIENT && child == CHILDID_SELF)
        liveRegionChanges.push_back(window);
}

// ---- Fixtures.

class Windows : public testing::Test {
protected:
    void TearDown() override {
        runtime::takeAnsweredReports();
        runtime::discardInstances();
        pump();
        EXPECT_EQ(formWindows(), 0) << "a form's window outlived its form";
    }
};

class MainWindow : public Windows {
protected:
    void SetUp() override {
        form = &runtime::defaultInstance<ui::Form1>();
        form->Show();
        pump();
    }

    HWND window() const { return form->window()->handle(); }
    HWND text() const { return form->Text1->handle(); }
    std::u16string display() const { return form->Label1->caption(); }

    void paste(std::u16string_view pasted) {
        click(text());
        setClipboard(pasted);
        press('V', { .control = true });
    }
    void count() {
        liveRegionChanges.clear();
        click(form->Command1->handle());
        pump();
    }
    void setCheck(int value) { form->Check1->setValue(static_cast<runtime::Integer>(value)); }

    ui::Form1* form = nullptr;
};

// ---- The main window.

TEST_F(MainWindow, StartsWithEmptyDisplayTheTwoLineNoteAndTheMenu) {
    EXPECT_EQ(display(), u"");
    EXPECT_EQ(textOf(text()), u"");
    EXPECT_EQ(form->Check1->value(), 0);
    EXPECT_EQ(textOf(form->Label2->handle()), note); // WM_GETTEXT keeps the lone CR
    EXPECT_EQ(textOf(form->Command1->handle()), u"カウント実行");
    EXPECT_EQ(textOf(form->Command2->handle()), u"テキストクリア");
    EXPECT_EQ(textOf(form->Check1->handle()), u"全角ｽﾍﾟｰｽをｶｳﾝﾄする");

    HWND main = window();
    EXPECT_EQ(textOf(main), u"クオルベル");
    HMENU bar = GetMenu(main);
    ASSERT_EQ(GetMenuItemCount(bar), 1);
    wchar_t caption[32];
    GetMenuStringW(bar, 0, caption, 32, MF_BYPOSITION);
    EXPECT_STREQ(caption, L"file");
    HMENU file = GetSubMenu(bar, 0);
    ASSERT_EQ(GetMenuItemCount(file), 2);
    GetMenuStringW(file, 0, caption, 32, MF_BYPOSITION);
    EXPECT_STREQ(caption, L"about");
    EXPECT_EQ(static_cast<int>(GetMenuItemID(file, 0)), form->about->command());
    GetMenuStringW(file, 1, caption, 32, MF_BYPOSITION);
    EXPECT_STREQ(caption, L"end");
}

TEST_F(MainWindow, FontsAreJapaneseFacesOfTheDesignedSize) {
    struct Expected {
        HWND control;
        bool serif;
        double points;
    };
    for (const Expected& expected : { Expected { form->Label1->handle(), true, 9.75 },
             Expected { text(), true, 9.75 }, Expected { form->Command1->handle(), false, 9 },
             Expected { form->Label2->handle(), false, 9 } }) {
        LOGFONTW font {};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(expected.control, WM_GETFONT, 0, 0)),
            sizeof font, &font);
        const std::wstring face = font.lfFaceName;
        const bool mincho = face.find(L"Mincho") != face.npos || face.find(L"明朝") != face.npos;
        EXPECT_EQ(mincho, expected.serif) << std::string(face.begin(), face.end());
        EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
        EXPECT_EQ(font.lfHeight, -std::lround(expected.points * expectedDpi / 72));
    }
}

TEST_F(MainWindow, TypedEnterIsCrLfAndCountsNothing) {
    click(text());
    type(u"ab");
    press(VK_RETURN);
    press(VK_RETURN, { .shift = true });
    press(VK_RETURN, { .control = true });
    type(u"cd");
    EXPECT_EQ(textOf(text()), u"ab\r\n\r\n\r\ncd");
    count();
    EXPECT_EQ(display(), u"4");
    // Once shown, the count is what other programs read too, with or without a message.
    UpdateWindow(form->Label1->handle());
    EXPECT_EQ(sharedTextOf(form->Label1->handle()), u"4");
    EXPECT_EQ(sharedTextOf(form->Label2->handle()), note);
}

TEST_F(MainWindow, EscDoesNothingInTheTextBox) {
    click(text());
    type(u"x");
    press(VK_ESCAPE);
    EXPECT_TRUE(form->isLoaded());
    EXPECT_EQ(textOf(text()), u"x");
}

class Pastes : public MainWindow, public testing::WithParamInterface<tests::PastedCount> { };

TEST_P(Pastes, CountRightAndCopyOutExactly) {
    const tests::PastedCount& pasted = GetParam();
    setCheck(pasted.check);
    if (pasted.click)
        click(form->Check1->handle());
    paste(pasted.text);
    const std::u16string held = textOf(text());
    EXPECT_TRUE(held == pasted.text) << "the box holds " << shown(held);
    count();
    EXPECT_EQ(display(), pasted.count);
    // Screen readers hear of the count once: "0" and then the count are one change.
    EXPECT_EQ(liveRegionChanges, std::vector<HWND> { form->Label1->handle() });
    setClipboard(u"");
    click(text());
    press('A', { .control = true });
    press('C', { .control = true });
    const std::u16string copied = clipboard();
    EXPECT_TRUE(copied == pasted.text) << "copied " << shown(copied);
}

INSTANTIATE_TEST_SUITE_P(MainWindow, Pastes, testing::ValuesIn(tests::pastedCounts()),
    [](const testing::TestParamInfo<tests::PastedCount>& info) { return info.param.name; });

TEST_F(MainWindow, ClearEmptiesTheBoxAndKeepsTheCount) {
    paste(u"abc");
    count();
    click(form->Command2->handle());
    EXPECT_EQ(textOf(text()), u"");
    EXPECT_EQ(display(), u"3");
}

TEST_F(MainWindow, CheckBoxClicksTurnItsMeaningOver) {
    struct Step {
        int before, after;
    };
    for (const Step step : { Step { 0, 1 }, Step { 1, 0 }, Step { 2, 1 } }) {
        form->Check1->setValue(static_cast<runtime::Integer>(step.before));
        click(form->Check1->handle());
        EXPECT_EQ(form->Check1->value(), step.after) << "from " << step.before;
    }
}

TEST_F(MainWindow, TabVisitsTheControlsInTabOrder) {
    EXPECT_EQ(GetFocus(), form->Command1->handle()); // the first control has the focus
    for (HWND next :
        { text(), form->Command2->handle(), form->Check1->handle(), form->Command1->handle() }) {
        press(VK_TAB);
        EXPECT_EQ(GetFocus(), next);
    }
    press(VK_TAB, { .shift = true });
    EXPECT_EQ(GetFocus(), form->Check1->handle());
}

class Overflows : public MainWindow, public testing::WithParamInterface<tests::Overflowing> { };

TEST_P(Overflows, AreReportedAndTheTextIsKept) {
    const tests::Overflowing& overflowing = GetParam();
    setCheck(overflowing.check);
    paste(overflowing.text);
    runtime::answerNextReport();
    count();
    EXPECT_EQ(runtime::takeAnsweredReports(),
        std::vector<runtime::ErrorNumber> { runtime::ErrorNumber::Overflow });
    EXPECT_EQ(display(), u"0");
    EXPECT_TRUE(liveRegionChanges.empty()) << "a count that failed was announced";
    EXPECT_TRUE(textOf(text()) == overflowing.text);
    EXPECT_EQ(form->Check1->value(), overflowing.check);
}

INSTANTIATE_TEST_SUITE_P(MainWindow, Overflows, testing::ValuesIn(tests::overflowingTexts()),
    [](const testing::TestParamInfo<tests::Overflowing>& info) { return info.param.name; });

TEST_F(MainWindow, BelowTheLimitsNothingIsReported) {
    // 16383 CR LF pairs and 32768 full-width spaces, two before each pair and two at the end.
    std::u16string text;
    for (int i = 0; i < 16383; ++i)
        text += u"　　\r\n";
    paste(text + u"　　");
    setCheck(1);
    runtime::answerNextReport();
    count();
    EXPECT_TRUE(runtime::takeAnsweredReports().empty());
    EXPECT_EQ(display(), u"32768");
}

// A paste the text box cannot hold (here: past a limit set for the test, as the control meets the
// end of its memory) is reported as runtime error 7, once; the box keeps what the control kept.
TEST_F(MainWindow, APasteTheBoxCannotHoldIsReportedAsOutOfMemory) {
    paste(u"ab");
    SendMessageW(text(), EM_SETLIMITTEXT, 4, 0);
    runtime::answerNextReport();
    runtime::answerNextReport();
    setClipboard(u"cdefgh");
    press('V', { .control = true });
    EXPECT_EQ(runtime::takeAnsweredReports(),
        std::vector<runtime::ErrorNumber> { runtime::ErrorNumber::OutOfMemory });
    const std::u16string kept = textOf(text());
    EXPECT_TRUE(kept == u"ab" || kept == u"abcd") << "the box holds " << shown(kept);
    count();
    EXPECT_EQ(display(), runtime::Str(static_cast<runtime::Long>(kept.size())));
    EXPECT_TRUE(runtime::takeAnsweredReports().empty());
}

// Answers the next message box of this thread with a click on its OK button, once the box's loop
// runs, after handing the box to seen. The box's loop hands each of its messages to the hook
// first (as the program's loop does with its own windows' messages, which the hook leaves alone).
class ReportBoxAnswer {
public:
    explicit ReportBoxAnswer(std::function<void(HWND box)> seen) {
        seen_ = std::move(seen);
        hook_ = SetWindowsHookExW(
            WH_MSGFILTER, &ReportBoxAnswer::filter, nullptr, GetCurrentThreadId());
    }
    ~ReportBoxAnswer() {
        UnhookWindowsHookEx(hook_);
        seen_ = nullptr;
    }
    ReportBoxAnswer(const ReportBoxAnswer&) = delete;
    ReportBoxAnswer& operator=(const ReportBoxAnswer&) = delete;

private:
    static LRESULT CALLBACK filter(int code, WPARAM wParam, LPARAM lParam) {
        const auto* message = reinterpret_cast<const MSG*>(lParam);
        const HWND box = message->hwnd ? GetAncestor(message->hwnd, GA_ROOT) : nullptr;
        wchar_t kind[16] = {};
        if (code == MSGF_DIALOGBOX && box && seen_ && GetClassNameW(box, kind, 16)
            && std::wstring_view(kind) == L"#32770") {
            std::exchange(seen_, nullptr)(box);
            // A click on OK, which the box's loop takes after this message.
            const HWND ok = GetDlgItem(box, IDOK);
            PostMessageW(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
            PostMessageW(ok, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline std::function<void(HWND)> seen_;
    HHOOK hook_;
};

// The error report as a user meets it: a message box over the window, closed with its OK button,
// after which the program goes on.
TEST_F(MainWindow, TheErrorReportIsAMessageBoxThatOkCloses) {
    std::wstring title, message;
    HWND owner = nullptr;
    runtime::setProgramTitle(u"クオルベル");
    std::u16string pairs;
    for (int i = 0; i < 16384; ++i)
        pairs += u"\r\n";
    paste(pairs);
    {
        const ReportBoxAnswer answer([&](HWND box) {
            title = win32::windowText(box);
            message = win32::windowText(GetDlgItem(box, 0xFFFF)); // its text
            owner = GetWindow(box, GW_OWNER);
        });
        count();
    }
    runtime::setProgramTitle(u"quorvel");
    EXPECT_EQ(title, L"クオルベル");
    EXPECT_EQ(message, L"実行時エラー '6':\n\nオーバーフローしました。");
    EXPECT_EQ(owner, window());
    EXPECT_EQ(display(), u"0");
    EXPECT_TRUE(IsWindowEnabled(window()));
    EXPECT_TRUE(textOf(text()) == pairs);
    click(form->Command2->handle());
    paste(u"abc");
    count();
    EXPECT_EQ(display(), u"3"); // the program goes on
}

// A handler fails while another window is active (an accessibility Press, or a window activated
// between the click and the report): the report is owned by the failing window, which it
// disables, and the active window stays usable.
TEST_F(MainWindow, TheErrorReportIsOwnedByTheWindowWhoseHandlerFailed) {
    TestWindow failing([](TestWindow&) { runtime::raise(runtime::ErrorNumber::Overflow); });
    failing.Show();
    form->Show();
    pump();
    ASSERT_EQ(GetActiveWindow(), window());
    HWND owner = nullptr;
    bool failingEnabled = true, mainEnabled = false;
    {
        const ReportBoxAnswer answer([&](HWND box) {
            owner = GetWindow(box, GW_OWNER);
            failingEnabled = IsWindowEnabled(failing.window()->handle());
            mainEnabled = IsWindowEnabled(window());
        });
        failing.window()->press(failing.Run->handle());
    }
    EXPECT_EQ(owner, failing.window()->handle());
    EXPECT_FALSE(failingEnabled);
    EXPECT_TRUE(mainEnabled);
    EXPECT_TRUE(IsWindowEnabled(failing.window()->handle()));
}

// A handler reads its text box, a message taken meanwhile changes the text (as in the loop of a
// modal error report), and the handler reads the text again: it reads the new text.
TEST_F(Windows, AHandlerReadsTheTextAsAMessageLeftIt) {
    std::u16string before, after;
    TestWindow test([&](TestWindow& window) {
        before = window.Text1->text();
        PostMessageW(window.Text1->handle(), WM_CHAR, L'x', 1);
        pump();
        after = window.Text1->text();
    });
    test.Show();
    test.Text1->setText(u"ab");
    SendMessageW(test.Text1->handle(), EM_SETSEL, 2, 2);
    click(test.Run->handle());
    EXPECT_EQ(before, u"ab");
    EXPECT_EQ(after, u"abx");
}

// ---- The About window.

class AboutWindow : public MainWindow {
protected:
    ui::frmAbout& about() { return runtime::defaultInstance<ui::frmAbout>(); }
    HWND aboutWindow() { return about().isLoaded() ? GetParent(about().cmdOK->handle()) : nullptr; }
    void open() { choose(*form->about); }
};

const std::u16string contact
    = u"ホームページ：\r\nhttps://quorvel.example.jp/\r\nEメール：\r\nquorvel@example.jp";

TEST_F(AboutWindow, OpensOnceModelessOutOfTheTaskbarWithItsContactText) {
    open();
    ASSERT_TRUE(about().isLoaded());
    HWND window = aboutWindow();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(textOf(window), u"ﾊﾞｰｼﾞｮﾝ情報");
    EXPECT_EQ(textOf(about().Text1->handle()), contact);
    EXPECT_EQ(textOf(about().lblTitle->handle()), u"クオルベル　(quorvel.exe)");
    EXPECT_EQ(textOf(about().lblVersion->handle()), u"Ver 1.02  (1998/10/16)");
    EXPECT_EQ(textOf(about().lblDescription->handle()), u"テキスト文字列の数をカウントします。");
    EXPECT_EQ(GetFocus(), about().cmdOK->handle());

    // A fixed dialog frame with a close box; owned by a hidden window, which keeps it out of the
    // taskbar, and not by the main window, which stays usable.
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_NE(style & WS_SYSMENU, 0);
    const HWND owner = GetWindow(window, GW_OWNER);
    EXPECT_NE(owner, nullptr);
    EXPECT_NE(owner, this->window());
    EXPECT_FALSE(IsWindowVisible(owner));
    EXPECT_TRUE(IsWindowEnabled(this->window()));

    // Edits stay while it is open; about again brings the same window to the front.
    click(about().Text1->handle());
    press(VK_END, { .control = true });
    type(u"x");
    open();
    EXPECT_EQ(aboutWindow(), window);
    EXPECT_EQ(textOf(about().Text1->handle()), contact + u"x");

    // The main window works meanwhile.
    paste(u"abc");
    count();
    EXPECT_EQ(display(), u"3");
}

// The controls without a caption of their own have the names they have on Linux for screen readers,
// given to Windows' annotation service; Windows would name a text box after the label before it
// (the count display, for the main window's). The count display is a polite live region.
// Each is given when a screen reader first asks for the control, so that a program no screen
// reader reads never starts COM.
TEST_F(AboutWindow, ScreenReadersAreGivenNamesAndTheLiveRegionWhenTheyAsk) {
    annotatedNames.clear();
    annotatedLiveSettings.clear();
    open();
    EXPECT_TRUE(annotatedNames.empty());
    EXPECT_TRUE(annotatedLiveSettings.empty());
    for (HWND control : { text(), form->Label1->handle(), form->Label2->handle(),
             about().Text1->handle(), about().picIcon->handle() })
        SendMessageW(control, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
    EXPECT_EQ(annotatedNames[text()], L"カウントするテキスト");
    EXPECT_EQ(annotatedNames[about().Text1->handle()], L"連絡先");
    EXPECT_EQ(annotatedNames[about().picIcon->handle()], L"アイコン");
    EXPECT_EQ(annotatedLiveSettings, (std::map<HWND, LONG> { { form->Label1->handle(), 1 } }));
}

struct Closing {
    const char* name;
    std::function<void(runtime::Form&, HWND text, HWND ok)> close;
};

void PrintTo(const Closing& closing, std::ostream* out) {
    *out << closing.name;
}

class AboutCloses : public AboutWindow, public testing::WithParamInterface<Closing> { };

TEST_P(AboutCloses, AndOpensAfreshWithItsContactText) {
    open();
    click(about().Text1->handle());
    press(VK_END, { .control = true });
    type(u"x");
    GetParam().close(about(), about().Text1->handle(), about().cmdOK->handle());
    EXPECT_FALSE(about().isLoaded());
    EXPECT_EQ(formWindows(), 1);
    open();
    EXPECT_EQ(textOf(about().Text1->handle()), contact);
}

INSTANTIATE_TEST_SUITE_P(AboutWindow, AboutCloses,
    testing::Values(Closing { "Ok", [](runtime::Form&, HWND, HWND ok) { click(ok); } },
        Closing { "EnterInTheTextBox", [](runtime::Form&, HWND, HWND) { press(VK_RETURN); } },
        Closing { "EnterOnOk",
            [](runtime::Form&, HWND, HWND) {
                press(VK_TAB, { .shift = true });
                press(VK_RETURN);
            } },
        Closing { "Esc", [](runtime::Form&, HWND, HWND) { press(VK_ESCAPE); } },
        Closing {
            "CloseBox", [](runtime::Form&, HWND text, HWND) { clickCloseBox(GetParent(text)); } }),
    [](const testing::TestParamInfo<Closing>& info) { return info.param.name; });

TEST_F(AboutWindow, CtrlEnterBreaksTheLineInItsTextBox) {
    open();
    click(about().Text1->handle());
    press(VK_END, { .control = true });
    press(VK_RETURN, { .control = true });
    EXPECT_TRUE(about().isLoaded());
    EXPECT_EQ(textOf(about().Text1->handle()), contact + u"\r\n");
}

// The etched separator: the gray line over the top row of the white one, behind the controls.
TEST_F(AboutWindow, SeparatorIsGrayOverWhite) {
    open();
    HWND window = aboutWindow();
    UpdateWindow(window);
    HDC dc = GetDC(window);
    const int row = pixels(2040);
    const int scale = static_cast<int>(expectedDpi) / 48; // 2 rows at 96 dpi, 3 at 144
    const COLORREF gray = RGB(128, 128, 128), white = RGB(255, 255, 255);
    EXPECT_EQ(GetPixel(dc, pixels(3000), row), gray);
    EXPECT_EQ(GetPixel(dc, pixels(3000), row + scale - 1), white);
    EXPECT_EQ(GetPixel(dc, pixels(5684), row), gray); // the gray line is the longer
    EXPECT_NE(GetPixel(dc, pixels(5684), row + scale - 1), white);
    ReleaseDC(window, dc);
}

// ---- Every control where its design puts it, at the resolution of the Wine prefix.

void expectPlaced(HWND control, const runtime::ControlDesign& design, UINT dpi = expectedDpi) {
    RECT rectangle;
    GetWindowRect(control, &rectangle);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rectangle), 2);
    const runtime::Place& place = design.place;
    EXPECT_EQ(rectangle.left, pixels(place.left, dpi)) << design.name;
    EXPECT_EQ(rectangle.top, pixels(place.top, dpi)) << design.name;
    EXPECT_EQ(rectangle.right - rectangle.left, pixels(place.width, dpi)) << design.name;
    EXPECT_EQ(rectangle.bottom - rectangle.top, pixels(place.height, dpi)) << design.name;
}

const runtime::ControlDesign& designOf(const runtime::FormDesign& form, std::string_view name) {
    return *std::ranges::find(form.controls, name, &runtime::ControlDesign::name);
}

// Each control of a form where its design puts it; the picture box, which sizes itself, aside.
void expectPlaced(const runtime::FormDesign& design, std::span<const HWND> controls) {
    ASSERT_EQ(controls.size(), design.controls.size());
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (design.controls[i].kind != runtime::ControlClass::PictureBox)
            expectPlaced(controls[i], design.controls[i]);
}

TEST_F(AboutWindow, ControlsAreWhereTheDesignsPutThem) {
    HWND main = window();
    ASSERT_EQ(GetDpiForWindow(main), expectedDpi);
    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, pixels(ui::form1Design.clientWidth));
    EXPECT_EQ(client.bottom, pixels(ui::form1Design.clientHeight));
    // In the designs' order, which is the tab order.
    const HWND mainControls[] = { form->Command1->handle(), form->Label1->handle(), text(),
        form->Command2->handle(), form->Label2->handle(), form->Check1->handle() };
    expectPlaced(ui::form1Design, mainControls);

    open();
    HWND window = aboutWindow();
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, pixels(ui::frmAboutDesign.clientWidth));
    EXPECT_EQ(client.bottom, pixels(ui::frmAboutDesign.clientHeight));
    POINT corner { 0, 0 };
    ClientToScreen(window, &corner);
    EXPECT_EQ(corner.x, pixels(ui::frmAboutDesign.position->x));
    EXPECT_EQ(corner.y, pixels(ui::frmAboutDesign.position->y));
    const HWND aboutControls[]
        = { about().cmdOK->handle(), about().picIcon->handle(), about().lblDescription->handle(),
              about().lblTitle->handle(), about().lblVersion->handle(), about().Text1->handle() };
    expectPlaced(ui::frmAboutDesign, aboutControls);

    // The picture box sizes itself to the 32 x 32 icon (scaled) inside a one-pixel border.
    RECT picture;
    GetWindowRect(about().picIcon->handle(), &picture);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&picture), 2);
    const int icon = MulDiv(32, static_cast<int>(expectedDpi), 96);
    const int border = MulDiv(1, static_cast<int>(expectedDpi), 96);
    EXPECT_EQ(picture.left, pixels(240));
    EXPECT_EQ(picture.top, pixels(240));
    EXPECT_EQ(picture.right - picture.left, icon + 2 * border);
    EXPECT_EQ(picture.bottom - picture.top, icon + 2 * border);
}

// Moved to a monitor of twice the resolution, each window takes the suggested rectangle and lays
// its controls out again with new fonts; the About window's client area keeps the design's size in
// twips (the main window's frame is the user's to size).
TEST_F(AboutWindow, ANewResolutionLaysEachWindowOutAgain) {
    open();
    const UINT dpi = 2 * expectedDpi;
    auto moveToNewResolution = [&](HWND window) {
        RECT suggested;
        GetWindowRect(window, &suggested);
        suggested.right = suggested.left + 2 * (suggested.right - suggested.left);
        suggested.bottom = suggested.top + 2 * (suggested.bottom - suggested.top);
        SendMessageW(
            window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        RECT moved;
        GetWindowRect(window, &moved);
        EXPECT_EQ(moved.left, suggested.left);
        EXPECT_EQ(moved.top, suggested.top);
    };
    auto fontHeight = [](HWND control) {
        LOGFONTW font {};
        GetObjectW(
            reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
        return font.lfHeight;
    };

    moveToNewResolution(window());
    expectPlaced(form->Command1->handle(), designOf(ui::form1Design, "Command1"), dpi);
    expectPlaced(text(), designOf(ui::form1Design, "Text1"), dpi);
    expectPlaced(form->Label2->handle(), designOf(ui::form1Design, "Label2"), dpi);
    EXPECT_EQ(fontHeight(text()), -std::lround(9.75 * dpi / 72)); // ＭＳ 明朝 9.75 pt
    EXPECT_EQ(fontHeight(form->Label2->handle()), -std::lround(9.0 * dpi / 72));

    moveToNewResolution(aboutWindow());
    RECT client;
    GetClientRect(aboutWindow(), &client);
    EXPECT_EQ(client.right, pixels(ui::frmAboutDesign.clientWidth, dpi));
    EXPECT_EQ(client.bottom, pixels(ui::frmAboutDesign.clientHeight, dpi));
    expectPlaced(about().cmdOK->handle(), designOf(ui::frmAboutDesign, "cmdOK"), dpi);
    expectPlaced(about().Text1->handle(), designOf(ui::frmAboutDesign, "Text1"), dpi);
    EXPECT_EQ(fontHeight(about().lblTitle->handle()), -std::lround(12.0 * dpi / 72)); // 12 pt
}

// ---- quorvel.exe itself, from outside.

// The running program, ended (and waited for) when the test ends.
class Program {
public:
    Program() {
        STARTUPINFOW startup {};
        startup.cb = sizeof startup;
        std::wstring command = L"\"" + quorvelExe + L"\"";
        if (!CreateProcessW(quorvelExe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                nullptr, &startup, &process_))
            return;
        WaitForInputIdle(process_.hProcess, INFINITE);
    }
    ~Program() {
        if (process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process_.hProcess, 99);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }

    /// The program's visible top-level window with this title, or null.
    HWND window(std::wstring_view title) const {
        struct Search {
            DWORD process;
            std::wstring_view title;
            HWND found;
        } search { process_.dwProcessId, title, nullptr };
        EnumWindows(
            [](HWND window, LPARAM data) {
                auto& search = *reinterpret_cast<Search*>(data);
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                if (process == search.process && IsWindowVisible(window)
                    && win32::windowText(window) == search.title)
                    search.found = window;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    /// Sends a message and waits until the program has handled it.
    static void send(HWND window, UINT message, WPARAM wParam) {
        DWORD_PTR ignored;
        SendMessageTimeoutW(window, message, wParam, 0, SMTO_ABORTIFHUNG, 60'000, &ignored);
    }

    /// The exit code once the program has ended; STILL_ACTIVE while it runs.
    DWORD exitCode(bool wait) const {
        WaitForSingleObject(process_.hProcess, wait ? 60'000 : 0);
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

    bool started() const { return process_.hProcess != nullptr; }

private:
    PROCESS_INFORMATION process_ {};
};

// The command that choosing a menu item of the main window sends. Menus belong to their process
// under Wine, so the item's command is read from the same window built here.
WPARAM menuCommand(runtime::Control<runtime::MenuItem> ui::Form1::*item) {
    ui::Form1 form;
    form.Show();
    const WPARAM command = MAKEWPARAM((form.*item)->command(), 0);
    form.Unload();
    pump();
    return command;
}

TEST(QuorvelExe, EndWithTheAboutWindowOpenEndsBoth) {
    Program program;
    ASSERT_TRUE(program.started());
    HWND main = program.window(L"クオルベル");
    ASSERT_NE(main, nullptr);
    Program::send(main, WM_COMMAND, menuCommand(&ui::Form1::about));
    ASSERT_NE(program.window(L"ﾊﾞｰｼﾞｮﾝ情報"), nullptr);
    Program::send(main, WM_COMMAND, menuCommand(&ui::Form1::end));
    EXPECT_EQ(program.exitCode(true), 0u);
}

TEST(QuorvelExe, ClosingTheMainWindowLeavesTheAboutWindowRunning) {
    Program program;
    ASSERT_TRUE(program.started());
    HWND main = program.window(L"クオルベル");
    ASSERT_NE(main, nullptr);
    Program::send(main, WM_COMMAND, menuCommand(&ui::Form1::about));
    HWND about = program.window(L"ﾊﾞｰｼﾞｮﾝ情報");
    ASSERT_NE(about, nullptr);
    Program::send(main, WM_SYSCOMMAND, SC_CLOSE);
    EXPECT_EQ(program.window(L"クオルベル"), nullptr);
    EXPECT_EQ(program.exitCode(false), STILL_ACTIVE);
    Program::send(about, WM_SYSCOMMAND, SC_CLOSE);
    EXPECT_EQ(program.exitCode(true), 0u);
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: windows_test QUORVEL.exe [GoogleTest options]\n");
        return 2;
    }
    // A path of the build machine is on drive Z: under Wine.
    std::string exe = argv[1];
    if (exe.starts_with('/'))
        exe = "Z:" + exe;
    std::replace(exe.begin(), exe.end(), '/', '\\');
    quorvelExe.assign(exe.begin(), exe.end());
    if (const char* dpi = std::getenv("QUORVEL_TEST_DPI"))
        expectedDpi = static_cast<UINT>(std::atoi(dpi));
    runtime::setProgramTitle(u"quorvel");
    standInForTheAnnotationService();
    SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr,
        seeWinEvent, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    return RUN_ALL_TESTS();
}
