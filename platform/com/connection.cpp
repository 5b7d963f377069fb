#include "platform/com/connection.h"

#include <new>

namespace qs::com {

ConnectionPoint::~ConnectionPoint() {
    // Each slot is emptied before its sink goes, since a sink's release may call back into us.
    for (auto& slot : slots_) {
        Microsoft::WRL::ComPtr<IUnknown> sink;
        sink.Swap(slot);
    }
}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IConnectionPoint)) return E_NOINTERFACE;
    *ppv = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (!out) return E_POINTER;
    container_->AddRef();
    *out = container_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie) *cookie = 0;
    if (!sink || !cookie) return E_POINTER;
    Microsoft::WRL::ComPtr<IUnknown> events;
    HRESULT hr = sink->QueryInterface(iid_, reinterpret_cast<void**>(events.ReleaseAndGetAddressOf()));
    if (hr == E_NOINTERFACE) return CONNECT_E_CANNOTCONNECT;
    if (FAILED(hr)) return hr;
    size_t slot = 0;
    while (slot < slots_.size() && slots_[slot]) ++slot;
    if (slot == slots_.size()) {
        try {
            if (slots_.size() >= MAXDWORD - 1) throw std::bad_alloc();
            slots_.push_back(nullptr);
        } catch (const std::bad_alloc&) {
            return CONNECT_E_ADVISELIMIT;
        }
    }
    slots_[slot].Swap(events);
    *cookie = static_cast<DWORD>(slot + 1);
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
    if (cookie == 0 || cookie > slots_.size() || !slots_[cookie - 1]) return CONNECT_E_NOCONNECTION;
    Microsoft::WRL::ComPtr<IUnknown> sink;
    sink.Swap(slots_[cookie - 1]);  // emptied before the release, which may call back into us
    return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return E_NOTIMPL;
}

namespace {

// A snapshot of the container's points; holds the container alive while it lives.
class PointEnum final : public IEnumConnectionPoints {
public:
    PointEnum(IConnectionPointContainer* owner, std::span<ConnectionPoint* const> points, size_t pos)
        : owner_(owner), points_(points), pos_(pos) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IEnumConnectionPoints)) return E_NOINTERFACE;
        *ppv = static_cast<IEnumConnectionPoints*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG refs = InterlockedDecrement(&refs_);
        if (refs == 0) delete this;
        return refs;
    }

    STDMETHODIMP Next(ULONG count, IConnectionPoint** out, ULONG* fetched) override {
        if (!out || (count > 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        for (; n < count && pos_ < points_.size(); ++n, ++pos_) {
            out[n] = points_[pos_];
            out[n]->AddRef();
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        size_t left = points_.size() - pos_;
        pos_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        pos_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumConnectionPoints** out) override {
        if (!out) return E_POINTER;
        *out = new (std::nothrow) PointEnum(owner_.Get(), points_, pos_);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

private:
    volatile LONG refs_ = 1;
    Microsoft::WRL::ComPtr<IConnectionPointContainer> owner_;
    std::span<ConnectionPoint* const> points_;
    size_t pos_;
};

}  // namespace

STDMETHODIMP ConnectionPointContainer::EnumConnectionPoints(IEnumConnectionPoints** out) {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) PointEnum(this, connectionPoints(), 0);
    return *out ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP ConnectionPointContainer::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (ConnectionPoint* point : connectionPoints()) {
        if (IsEqualIID(iid, point->iid())) {
            point->AddRef();
            *out = point;
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

}  // namespace qs::com
