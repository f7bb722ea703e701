#include "accessibility.h"

#include <initguid.h> // the annotation service's identifiers are defined here

#include <oleacc.h>

namespace quorvel::runtime::win32 {

namespace {
// The annotation service, made the first time a name is given and kept until the program ends;
// null where it cannot be made.
IAccPropServices* annotations() {
    static IAccPropServices* const service = [] {
        // COM for this thread, for as long as the program runs (already there: S_FALSE).
        IAccPropServices* made = nullptr;
        if (SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
            CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                IID_IAccPropServices, reinterpret_cast<void**>(&made));
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
