#include "platform/com/module.h"

#include <oleauto.h>

#include <new>

#include "platform/com/classfactory.h"
#include "platform/win/handles.h"

namespace qs::com {

Module& module() {
    static Module instance;
    return instance;
}

void Module::init(HINSTANCE instance, const GUID& libid, std::span<ClassEntry> classes) {
    instance_ = instance;
    libid_ = libid;
    classes_ = classes;
}

void Module::term() {
    std::vector<TermFunc> funcs;
    {
        std::lock_guard guard(cs_);
        funcs.swap(termFuncs_);
    }
    for (auto it = funcs.rbegin(); it != funcs.rend(); ++it) it->fn(it->arg);
    for (ClassEntry& entry : classes_) entry.factory.Reset();
}

std::wstring Module::fileName() const {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(instance_, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

HRESULT Module::addTermFunc(void (*fn)(void*), void* arg) {
    std::lock_guard guard(cs_);
    try {
        termFuncs_.push_back({fn, arg});
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT Module::getClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    for (ClassEntry& entry : classes_) {
        if (!IsEqualCLSID(*entry.clsid, clsid)) continue;
        {
            std::lock_guard guard(cs_);
            if (!entry.factory) {
                HRESULT hr = createClassFactory(entry, entry.factory.ReleaseAndGetAddressOf());
                if (FAILED(hr)) return hr;
            }
        }
        return entry.factory->QueryInterface(iid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT Module::registerTypeLib() {
    std::wstring path = fileName();
    if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
    Microsoft::WRL::ComPtr<ITypeLib> typeLib;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, typeLib.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
    return RegisterTypeLib(typeLib.Get(), path.data(), nullptr);
}

HRESULT Module::unregisterTypeLib(WORD major, WORD minor) {
    // Already unregistered is not a failure.
    win::UniqueBstr path;
    if (FAILED(QueryPathOfRegTypeLib(libid_, major, minor, LOCALE_NEUTRAL, path.put()))) return S_OK;
    return UnRegisterTypeLib(libid_, major, minor, LOCALE_NEUTRAL, SYS_WIN32);
}

}  // namespace qs::com
