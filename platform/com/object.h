// Object root, interface table and the final object class that supplies IUnknown.
//
//   class Thing : public qs::com::ObjectRoot, public IThing, public IOther {
//   public:
//       static constexpr qs::com::InterfaceEntry kInterfaces[] = {
//           {&IID_IThing, qs::com::entry<Thing, IThing>}, {&IID_IOther, qs::com::entry<Thing, IOther>}, {}};
//       HRESULT FinalConstruct();   // optional
//       void FinalRelease();        // optional
//   };
//   qs::com::Object<Thing>::create(outer, iid, ppv);
//
// The first entry also answers IUnknown. Aggregation is supported: with an outer unknown the
// object's interfaces delegate IUnknown to it and the creator receives the inner unknown.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <new>

#include "platform/com/module.h"

namespace qs::com {

struct InterfaceEntry {
    const IID* iid = nullptr;
    IUnknown* (*get)(void* object) = nullptr;  // object is the class's `this`
};

template <class T, class I>
IUnknown* entry(void* object) {
    return static_cast<I*>(static_cast<T*>(object));
}

// Holds the reference count and the outer unknown; the module stays locked for the object's life.
class ObjectRoot {
public:
    HRESULT FinalConstruct() { return S_OK; }
    void FinalRelease() {}

protected:
    ObjectRoot() { module().lock(); }
    ~ObjectRoot() { module().unlock(); }
    ObjectRoot(const ObjectRoot&) = delete;
    ObjectRoot& operator=(const ObjectRoot&) = delete;

private:
    template <class T>
    friend class Object;
    volatile LONG refs_ = 0;
    IUnknown* outer_ = nullptr;
};

template <class T>
class Object final : public T {
public:
    // Creates the object, runs its FinalConstruct and queries it for `iid`; a failure on the way
    // destroys it again. An outer unknown requires iid = IUnknown.
    static HRESULT create(IUnknown* outer, REFIID iid, void** ppv) {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
        auto* object = new (std::nothrow) Object(outer);
        if (!object) return E_OUTOFMEMORY;
        object->internalAddRef();  // keeps the object alive through set-up
        HRESULT hr = object->FinalConstruct();
        if (SUCCEEDED(hr)) hr = object->internalQueryInterface(iid, ppv);
        object->internalRelease();
        return hr;
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        return this->outer_ ? this->outer_->QueryInterface(iid, ppv) : internalQueryInterface(iid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return this->outer_ ? this->outer_->AddRef() : internalAddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return this->outer_ ? this->outer_->Release() : internalRelease(); }

private:
    // The non-delegating unknown an aggregator holds.
    struct Inner final : IUnknown {
        Object* self;
        STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override { return self->internalQueryInterface(iid, ppv); }
        STDMETHODIMP_(ULONG) AddRef() override { return self->internalAddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return self->internalRelease(); }
    };

    explicit Object(IUnknown* outer) {
        this->outer_ = outer;
        inner_.self = this;
    }

    HRESULT internalQueryInterface(REFIID iid, void** ppv) {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        IUnknown* found = nullptr;
        if (IsEqualIID(iid, IID_IUnknown)) {
            found = this->outer_ ? static_cast<IUnknown*>(&inner_) : T::kInterfaces[0].get(static_cast<T*>(this));
        } else {
            for (const InterfaceEntry* e = T::kInterfaces; e->iid; ++e) {
                if (IsEqualIID(iid, *e->iid)) {
                    found = e->get(static_cast<T*>(this));
                    break;
                }
            }
        }
        if (!found) return E_NOINTERFACE;
        found->AddRef();
        *ppv = found;
        return S_OK;
    }
    ULONG internalAddRef() { return InterlockedIncrement(&this->refs_); }
    ULONG internalRelease() {
        LONG refs = InterlockedDecrement(&this->refs_);
        if (refs == 0) {
            this->refs_ = 1;  // a FinalRelease that takes and drops a reference must not re-enter
            this->FinalRelease();
            delete this;
        }
        return refs;
    }

    Inner inner_;
};

}  // namespace qs::com
