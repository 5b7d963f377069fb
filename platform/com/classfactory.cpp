#include "platform/com/classfactory.h"

#include <new>

namespace qs::com {
namespace {

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(const ClassEntry& entry) : create_(entry.create) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    // The module's cache holds the first reference; a client holding the class object locks the module.
    STDMETHODIMP_(ULONG) AddRef() override {
        LONG refs = InterlockedIncrement(&refs_);
        if (refs == 2) module().lock();
        return refs;
    }
    STDMETHODIMP_(ULONG) Release() override {
        LONG refs = InterlockedDecrement(&refs_);
        if (refs == 1) module().unlock();
        if (refs == 0) delete this;
        return refs;
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
        return create_(outer, iid, ppv);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            module().lock();
        else
            module().unlock();
        return S_OK;
    }

private:
    HRESULT (*create_)(IUnknown*, REFIID, void**);
    volatile LONG refs_ = 1;
};

}  // namespace

HRESULT createClassFactory(const ClassEntry& entry, IClassFactory** out) {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) ClassFactory(entry);
    return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace qs::com
