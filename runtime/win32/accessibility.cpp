#include "accessibility.h"

#include <initguid.h> // the annotation service's identifiers are defined here

#include <oleacc.h>

#include "runtime/controls.h"
#include "runtime/toolkit.h"

namespace quorvel::runtime::win32 {

namespace {
template <typename Function> Function* function(HMODULE module, const char* name) {
    // Through a function pointer of no type, as GetProcAddress's own result is.
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The annotation service, made the first time a name is given and kept until the program ends;
// null where it cannot be made. ole32 is loaded only then.
IAccPropServices* annotations() {
    static IAccPropServices* const service = []() -> IAccPropServices* {
        HMODULE ole = LoadLibraryW(L"ole32.dll");
        if (!ole)
            return nullptr;
        auto* initialize = function<decltype(CoInitializeEx)>(ole, "CoInitializeEx");
        auto* create = function<decltype(CoCreateInstance)>(ole, "CoCreateInstance");
        // COM for this thread, for as long as the program runs (already there: S_FALSE).
        IAccPropServices* made = nullptr;
        if (initialize && create && SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED)))
            create(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                reinterpret_cast<void**>(&made));
        return made;
    }();
    return service;
}
} // namespace

// UI Automation's LiveSetting property, which the annotation service passes on to screen readers
// (UIAutomationClient.h, which mingw-w64 lacks), and its value Polite.
// {C12BCD8E-2A8E-4950-8AE7-3625111D58EB}
DEFINE_GUID(liveSettingProperty, 0xc12bcd8e, 0x2a8e, 0x4950, 0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d,
    0x58, 0xeb);
constexpr LONG polite = 1;

void giveScreenReaders(HWND control, const ForScreenReaders& given) {
    IAccPropServices* service = annotations();
    if (!service)
        return;
    const auto client = static_cast<DWORD>(OBJID_CLIENT);
    if (!given.name.empty())
        service->SetHwndPropStr(
            control, client, CHILDID_SELF, PROPID_ACC_NAME, wide(given.name).c_str());
    if (given.liveRegion) {
        VARIANT setting;
        VariantInit(&setting);
        setting.vt = VT_I4;
        setting.lVal = polite;
        service->SetHwndProp(control, client, CHILDID_SELF, liveSettingProperty, setting);
    }
}

} // namespace quorvel::runtime::win32

namespace quorvel::runtime {

// Narrator and NVDA read a live region's text when told it changed.
void toolkit::announce(void* label, std::u16string_view) {
    NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, static_cast<Label*>(label)->handle(),
        OBJID_CLIENT, CHILDID_SELF);
}

} // namespace quorvel::runtime
