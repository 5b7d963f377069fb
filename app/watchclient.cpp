#include "app/watchclient.h"

#include <ocidl.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <atomic>

#include "foldwatcher/Foldwatcher.h"
#include "foldwatcher/foldwatcher_ids.h"
#include "platform/runtime/text.h"
#include "platform/win/handles.h"

namespace qs::app {

using Microsoft::WRL::ComPtr;

namespace {

// The _IWatchEvents sink. The connection point holds a reference to it until Unadvise, and a Notify may
// be running (and pumping messages) while the client goes away, so the handler lives as long as the sink
// and `detach` only stops further calls.
class EventSink final : public IDispatch {
public:
    explicit EventSink(WatchClient::NotifyHandler onNotify) : onNotify_(std::move(onNotify)) {}

    void detach() { attached_ = false; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, DIID__IWatchEvents)) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override {
        if (!pctinfo) return E_POINTER;
        *pctinfo = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override {
        if (ppTInfo) *ppTInfo = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispId, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        if (dispId != foldwatcher::DISPID_Notify) return DISP_E_MEMBERNOTFOUND;
        if (!params || params->cArgs != 2 || !params->rgvarg) return DISP_E_BADPARAMCOUNT;
        if (!attached_) return S_OK;

        // Positional arguments arrive last first: rgvarg[0] is nType, rgvarg[1] sPathName.
        std::string path;
        {
            win::UniqueVariant v;
            if (SUCCEEDED(VariantChangeType(v.get(), &params->rgvarg[1], 0, VT_BSTR)) && v->bstrVal)
                path = rt::narrow(std::wstring_view(v->bstrVal, SysStringLen(v->bstrVal)));
        }
        int16_t type = 0;
        {
            win::UniqueVariant v;
            if (SUCCEEDED(VariantChangeType(v.get(), &params->rgvarg[0], 0, VT_I2))) type = v->iVal;
        }

        ComPtr<EventSink> self(this);  // the handler may tear the client down
        try {
            onNotify_(path, type);
        } catch (...) {
            // An exception must not cross back into the Watch object; the handler reports its own errors.
        }
        return S_OK;
    }

private:
    std::atomic<ULONG> refs_{0};  // the first ComPtr takes the first reference
    bool attached_ = true;
    WatchClient::NotifyHandler onNotify_;
};

}  // namespace

// Released in reverse order: the connection point, the sink, then the object.
struct WatchClient::Impl {
    ComPtr<IWatch> watch;
    ComPtr<EventSink> sink;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;

    ~Impl() {
        if (sink) sink->detach();
        if (point && cookie) point->Unadvise(cookie);
    }
};

WatchClient::WatchClient(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
WatchClient::~WatchClient() = default;

std::unique_ptr<WatchClient> WatchClient::create(NotifyHandler onNotify, HRESULT* result) {
    auto impl = std::make_unique<Impl>();
    HRESULT hr = CoCreateInstance(CLSID_Watch, nullptr, CLSCTX_INPROC_SERVER, IID_IWatch,
                                  reinterpret_cast<void**>(impl->watch.ReleaseAndGetAddressOf()));
    ComPtr<IConnectionPointContainer> container;
    if (SUCCEEDED(hr))
        hr = impl->watch->QueryInterface(IID_IConnectionPointContainer,
                                         reinterpret_cast<void**>(container.ReleaseAndGetAddressOf()));
    if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(DIID__IWatchEvents, impl->point.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr)) {
        impl->sink = new EventSink(std::move(onNotify));
        hr = impl->point->Advise(impl->sink.Get(), &impl->cookie);
        if (FAILED(hr)) impl->cookie = 0;
    }
    if (result) *result = hr;
    if (FAILED(hr)) return nullptr;
    return std::unique_ptr<WatchClient>(new WatchClient(std::move(impl)));
}

HRESULT WatchClient::AddPath(const std::string& path) {
    win::UniqueBstr text = win::UniqueBstr::from(rt::widen(path));
    if (!text) return E_OUTOFMEMORY;
    return impl_->watch->AddPath(text.get());
}

HRESULT WatchClient::putStart(bool start) { return impl_->watch->put_Start(start ? VARIANT_TRUE : VARIANT_FALSE); }

}  // namespace qs::app
