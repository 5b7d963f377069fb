// Connection points: a container that offers a fixed set of points, and the point itself, which
// keeps its sinks in slots. A slot freed by Unadvise is filled by the next Advise; the cookie is
// the slot number plus one, so it is never 0. Both live inside the object they belong to and take
// their lifetime from it.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <span>
#include <vector>

namespace qs::com {

class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(IConnectionPointContainer* container, const IID& iid) : container_(container), iid_(iid) {}
    ~ConnectionPoint();  // releases every sink still connected
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    const IID& iid() const { return iid_; }

    // Calls fn(sink) for each sink connected when the walk begins, in slot order, holding a
    // reference for the call; slots emptied during the walk are skipped. `sink` is the interface
    // that Advise obtained for iid().
    template <class Fn>
    void forEachSink(Fn&& fn) {
        const size_t count = slots_.size();
        for (size_t i = 0; i < count && i < slots_.size(); ++i) {
            Microsoft::WRL::ComPtr<IUnknown> sink = slots_[i];
            if (sink) fn(sink.Get());
        }
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return container_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return container_->Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** out) override;  // not supported: E_NOTIMPL

private:
    IConnectionPointContainer* container_;
    IID iid_;
    std::vector<Microsoft::WRL::ComPtr<IUnknown>> slots_;
};

class ConnectionPointContainer : public IConnectionPointContainer {
public:
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

protected:
    // The points this object offers; each lives as long as the object.
    virtual std::span<ConnectionPoint* const> connectionPoints() = 0;
};

}  // namespace qs::com
