// Module entry and the four exports of Foldwatcher.dll.
#include <windows.h>
#include <olectl.h>

#include "foldwatcher/watch.h"
#include "platform/com/module.h"
#include "platform/com/registrar.h"

namespace {

constexpr UINT kRegistryScript = 101;

qs::com::ClassEntry g_classes[] = {
    {&CLSID_Watch, &qs::com::Object<qs::foldwatcher::Watch>::create},
};

HRESULT runScript(bool doRegister) {
    std::wstring path = qs::com::module().fileName();
    if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
    const qs::com::Replacement replacements[] = {{L"MODULE", path}};
    return qs::com::runRegistryResource(qs::com::module().instance(), kRegistryScript, replacements, doRegister);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        qs::com::module().init(instance, LIBID_FOLDWATCHER, g_classes);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        qs::com::module().term();
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() { return qs::com::module().canUnloadNow(); }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* ppv) {
    return qs::com::module().getClassObject(clsid, iid, ppv);
}

STDAPI DllRegisterServer() {
    HRESULT hr = runScript(true);
    if (SUCCEEDED(hr)) hr = qs::com::module().registerTypeLib();
    return hr;
}

STDAPI DllUnregisterServer() {
    HRESULT hr = runScript(false);
    if (SUCCEEDED(hr))
        hr = qs::com::module().unregisterTypeLib(qs::foldwatcher::kTypeLibMajor, qs::foldwatcher::kTypeLibMinor);
    return hr;
}
