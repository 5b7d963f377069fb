#include "platform/com/dispatch.h"

#include "platform/com/module.h"

namespace qs::com {

HRESULT TypeInfoHolder::load(LCID lcid) {
    std::lock_guard guard(module().cs());
    if (info_) return S_OK;
    Microsoft::WRL::ComPtr<ITypeLib> typeLib;
    HRESULT hr = LoadRegTypeLib(*libid_, major_, minor_, lcid, typeLib.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    hr = typeLib->GetTypeInfoOfGuid(*iid_, info.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
    hr = module().addTermFunc(&TypeInfoHolder::release, this);
    if (FAILED(hr)) return hr;
    info_.Swap(info);
    return S_OK;
}

void TypeInfoHolder::release(void* holder) { static_cast<TypeInfoHolder*>(holder)->info_.Reset(); }

HRESULT TypeInfoHolder::get(LCID lcid, ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    HRESULT hr = load(lcid);
    if (FAILED(hr)) return hr;
    return info_.CopyTo(out);
}

HRESULT TypeInfoHolder::getIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    HRESULT hr = load(lcid);
    if (FAILED(hr)) return hr;
    return info_->GetIDsOfNames(names, count, ids);
}

HRESULT TypeInfoHolder::invoke(void* self, DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* excep, UINT* argErr) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    HRESULT hr = load(lcid);
    if (FAILED(hr)) return hr;
    return info_->Invoke(self, id, flags, params, result, excep, argErr);
}

}  // namespace qs::com
