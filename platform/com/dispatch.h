// IDispatch for a dual interface, through the interface's description in its registered type
// library. The description is loaded on first use and kept until the module terminates, so
// late-bound calls need the type library registered; calls through the vtable do not.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

namespace qs::com {

class TypeInfoHolder {
public:
    TypeInfoHolder(const GUID* libid, const IID* iid, WORD major, WORD minor)
        : libid_(libid), iid_(iid), major_(major), minor_(minor) {}

    // The description (with a reference for the caller), or the loading failure.
    HRESULT get(LCID lcid, ITypeInfo** out);
    HRESULT getIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids);
    HRESULT invoke(void* self, DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excep, UINT* argErr);

private:
    HRESULT load(LCID lcid);
    static void release(void* holder);

    const GUID* libid_;
    const IID* iid_;
    WORD major_, minor_;
    Microsoft::WRL::ComPtr<ITypeInfo> info_;
};

template <class Base, const IID* Iid, const GUID* Libid, WORD Major = 1, WORD Minor = 0>
class DispatchImpl : public Base {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    // Every index gives the one description.
    STDMETHODIMP GetTypeInfo(UINT, LCID lcid, ITypeInfo** out) override { return holder().get(lcid, out); }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
        return holder().getIDsOfNames(riid, names, count, lcid, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* argErr) override {
        return holder().invoke(static_cast<Base*>(this), id, riid, lcid, flags, params, result, excep, argErr);
    }

private:
    static TypeInfoHolder& holder() {
        static TypeInfoHolder instance(Libid, Iid, Major, Minor);
        return instance;
    }
};

}  // namespace qs::com
