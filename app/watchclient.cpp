#include "app/watchclient.h"

#include <ocidl.h>
#include <oleauto.h>

#include <atomic>

#include "foldwatcher/foldwatcher_ids.h"
#include "platform/runtime/text.h"

namespace qs::app {

// The IWatch table after IDispatch's seven slots, as the type library publishes it (slots 7 to 10).
// Not in an unnamed namespace: nothing here implements it, and the optimiser would take a type that no
// other unit can see for one without implementations and drop the calls.
struct IWatchTable : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE AddPath(BSTR sPathName) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Start(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Start(VARIANT_BOOL newVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemovePath(BSTR sPathName) = 0;
};

namespace {

template <class T>
void release(T*& p) {
    if (p) {
        p->Release();
        p = nullptr;
    }
}

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
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, DIID__IWatchEvents)) {
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

    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispId, REFIID, LCID, WORD, DISPPARAMS* params,
                                     VARIANT*, EXCEPINFO*, UINT*) override {
        if (dispId != foldwatcher::DISPID_Notify) return DISP_E_MEMBERNOTFOUND;
        if (!params || params->cArgs != 2 || !params->rgvarg) return DISP_E_BADPARAMCOUNT;
        if (!attached_) return S_OK;

        // Positional arguments arrive last first: rgvarg[0] is nType, rgvarg[1] sPathName.
        std::string path;
        VARIANT v;
        VariantInit(&v);
        if (SUCCEEDED(VariantChangeType(&v, &params->rgvarg[1], 0, VT_BSTR)) && v.bstrVal)
            path = rt::narrow(std::wstring_view(v.bstrVal, SysStringLen(v.bstrVal)));
        VariantClear(&v);
        int16_t type = 0;
        if (SUCCEEDED(VariantChangeType(&v, &params->rgvarg[0], 0, VT_I2))) type = v.iVal;
        VariantClear(&v);

        AddRef();  // the handler may tear the client down
        try {
            onNotify_(path, type);
        } catch (...) {
            // An exception must not cross back into the Watch object; the handler reports its own errors.
        }
        Release();
        return S_OK;
    }

private:
    std::atomic<ULONG> refs_{1};
    bool attached_ = true;
    WatchClient::NotifyHandler onNotify_;
};

}  // namespace

struct WatchClient::Impl {
    IWatchTable* watch = nullptr;
    IConnectionPoint* point = nullptr;
    EventSink* sink = nullptr;
    DWORD cookie = 0;

    ~Impl() {
        if (sink) sink->detach();
        if (point && cookie) point->Unadvise(cookie);
        release(point);
        release(sink);
        release(watch);
    }
};

WatchClient::WatchClient(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
WatchClient::~WatchClient() = default;

std::unique_ptr<WatchClient> WatchClient::create(NotifyHandler onNotify) {
    auto impl = std::make_unique<Impl>();
    HRESULT hr = CoCreateInstance(CLSID_Watch, nullptr, CLSCTX_INPROC_SERVER, IID_IWatch,
                                  reinterpret_cast<void**>(&impl->watch));
    if (FAILED(hr) || !impl->watch) return nullptr;

    IConnectionPointContainer* container = nullptr;
    hr = impl->watch->QueryInterface(IID_IConnectionPointContainer,
                                     reinterpret_cast<void**>(&container));
    if (FAILED(hr) || !container) return nullptr;
    hr = container->FindConnectionPoint(DIID__IWatchEvents, &impl->point);
    container->Release();
    if (FAILED(hr) || !impl->point) return nullptr;

    impl->sink = new EventSink(std::move(onNotify));
    hr = impl->point->Advise(impl->sink, &impl->cookie);
    if (FAILED(hr)) {
        impl->cookie = 0;
        return nullptr;
    }
    return std::unique_ptr<WatchClient>(new WatchClient(std::move(impl)));
}

HRESULT WatchClient::AddPath(const std::string& path) {
    std::wstring wide = rt::widen(path);
    BSTR text = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!text) return E_OUTOFMEMORY;
    HRESULT hr = impl_->watch->AddPath(text);
    SysFreeString(text);
    return hr;
}

HRESULT WatchClient::putStart(bool start) {
    return impl_->watch->put_Start(start ? VARIANT_TRUE : VARIANT_FALSE);
}

}  // namespace qs::app
