#include "accessibility.h"

#include <initguid.h> // the annotation service's identifiers are defined here

#include <oleacc.h>

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

void nameForScreenReaders(HWND control, std::u16string_view name) {
    if (IAccPropServices* service = annotations())
        service->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
            PROPID_ACC_NAME, wide(name).c_str());
}

} // namespace quorvel::runtime::win32
