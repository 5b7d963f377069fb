#pragma once
#include <windows.h>
#include <objbase.h>

namespace qs::test {

// An outer object that only forwards, to check the aggregation rules. It lives on the stack: its
// count is only read, never frees it.
struct Outer final : IUnknown {
    LONG refs = 1;
    IUnknown* inner = nullptr;
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (IsEqualIID(iid, IID_IUnknown)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        return inner->QueryInterface(iid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
};

}  // namespace qs::test
