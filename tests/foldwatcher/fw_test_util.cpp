#include "tests/foldwatcher/fw_test_util.h"

#include <oleauto.h>
#include <tlhelp32.h>

namespace fwtest {

namespace {
// GetProcAddress hands back a generic function pointer; going through void(*)() says the cast is meant.
template <class F>
F procAddress(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
}  // namespace

Library::Library() {
    module = LoadLibraryW(dllPath().c_str());
    if (!module) return;
    canUnloadNow = procAddress<decltype(canUnloadNow)>(module, "DllCanUnloadNow");
    getClassObject = procAddress<decltype(getClassObject)>(module, "DllGetClassObject");
    registerServer = procAddress<decltype(registerServer)>(module, "DllRegisterServer");
    unregisterServer = procAddress<decltype(unregisterServer)>(module, "DllUnregisterServer");
}

Library::~Library() {
    if (module) FreeLibrary(module);
}

IWatch* Library::createWatch() {
    IClassFactory* factory = nullptr;
    if (!getClassObject || FAILED(getClassObject(CLSID_Watch, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
        return nullptr;
    IWatch* watch = nullptr;
    factory->CreateInstance(nullptr, IID_IWatch, reinterpret_cast<void**>(&watch));
    factory->Release();
    return watch;
}

bool Sink::has(const std::wstring& path, short type) const {
    for (const Event& e : events)
        if (e.path == path && e.type == type) return true;
    return false;
}

bool Sink::hasType(short type) const {
    for (const Event& e : events)
        if (e.type == type) return true;
    return false;
}

STDMETHODIMP Sink::QueryInterface(REFIID iid, void** ppv) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, DIID__IWatchEvents)) {
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP Sink::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* excep, UINT* argErr) {
    bool ok = id == 1 && IsEqualIID(riid, IID_NULL) && lcid == LOCALE_USER_DEFAULT && flags == DISPATCH_METHOD &&
              params && params->cArgs == 2 && params->cNamedArgs == 0 && !params->rgdispidNamedArgs && result &&
              !excep && !argErr && params->rgvarg[0].vt == VT_I2 && params->rgvarg[1].vt == VT_BSTR;
    if (!ok) {
        wellFormedCalls = false;
        return DISP_E_MEMBERNOTFOUND;
    }
    BSTR path = params->rgvarg[1].bstrVal;
    Event e{std::wstring(path, SysStringLen(path)), params->rgvarg[0].iVal};
    events.push_back(e);
    if (onNotify) onNotify(e);
    return S_OK;
}

DWORD advise(IUnknown* object, IUnknown* sink) {
    IConnectionPointContainer* container = nullptr;
    if (FAILED(object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)))) return 0;
    IConnectionPoint* point = nullptr;
    DWORD cookie = 0;
    if (SUCCEEDED(container->FindConnectionPoint(DIID__IWatchEvents, &point))) {
        point->Advise(sink, &cookie);
        point->Release();
    }
    container->Release();
    return cookie;
}

void unadvise(IUnknown* object, DWORD cookie) {
    IConnectionPointContainer* container = nullptr;
    if (FAILED(object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)))) return;
    IConnectionPoint* point = nullptr;
    if (SUCCEEDED(container->FindConnectionPoint(DIID__IWatchEvents, &point))) {
        point->Unadvise(cookie);
        point->Release();
    }
    container->Release();
}

std::set<DWORD> threadsOfProcess() {
    std::set<DWORD> ids;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te))
        if (te.th32OwnerProcessID == GetCurrentProcessId()) ids.insert(te.th32ThreadID);
    CloseHandle(snap);
    return ids;
}

}  // namespace fwtest
