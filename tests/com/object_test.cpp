// The object root, the final object class, the class factory and the module's lock count.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleidl.h>

#include "platform/com/module.h"
#include "platform/com/object.h"
#include "tests/support/outer.h"

namespace {

struct Counters {
    int constructed = 0, destroyed = 0, finalReleased = 0;
    HRESULT constructResult = S_OK;
} g;

class Probe : public qs::com::ObjectRoot, public IPersist, public IOleWindow {
public:
    static constexpr qs::com::InterfaceEntry kInterfaces[] = {
        {&IID_IPersist, qs::com::entry<Probe, IPersist>},
        {&IID_IOleWindow, qs::com::entry<Probe, IOleWindow>},
        {},
    };
    Probe() { ++g.constructed; }
    ~Probe() { ++g.destroyed; }
    HRESULT FinalConstruct() { return g.constructResult; }
    void FinalRelease() {
        ++g.finalReleased;
        static_cast<IPersist*>(this)->AddRef();  // a tear-down that takes and drops a reference must not destroy twice
        static_cast<IPersist*>(this)->Release();
    }

    STDMETHODIMP GetClassID(CLSID* id) override {
        *id = GUID_NULL;
        return S_OK;
    }
    STDMETHODIMP GetWindow(HWND* hwnd) override {
        *hwnd = nullptr;
        return E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
};

const CLSID kProbeClsid = {0x1b2e7c41, 0x2f0a, 0x4c1e, {0x9d, 0x11, 0x52, 0x7a, 0x33, 0x04, 0x6e, 0x90}};
qs::com::ClassEntry g_classes[] = {{&kProbeClsid, &qs::com::Object<Probe>::create}};

class ObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        qs::com::module().init(GetModuleHandleW(nullptr), GUID_NULL, g_classes);
        g = {};
    }
    void TearDown() override {
        qs::com::module().term();
        EXPECT_EQ(qs::com::module().lockCount(), 0);
    }
};

TEST_F(ObjectTest, LifeQueryAndIdentity) {
    IPersist* persist = nullptr;
    ASSERT_EQ(qs::com::Object<Probe>::create(nullptr, IID_IPersist, reinterpret_cast<void**>(&persist)), S_OK);
    EXPECT_EQ(qs::com::module().lockCount(), 1);
    EXPECT_EQ(qs::com::module().canUnloadNow(), S_FALSE);
    IOleWindow* window = nullptr;
    ASSERT_EQ(persist->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window)), S_OK);
    IUnknown *a = nullptr, *b = nullptr;
    persist->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
    window->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b));
    EXPECT_EQ(a, b);
    a->Release();
    b->Release();
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(persist->QueryInterface(IID_IDispatch, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(persist->QueryInterface(IID_IPersist, nullptr), E_POINTER);
    window->Release();
    EXPECT_EQ(persist->Release(), 0u);
    EXPECT_EQ(g.finalReleased, 1);
    EXPECT_EQ(g.destroyed, 1);
    EXPECT_EQ(qs::com::module().canUnloadNow(), S_OK);
}

TEST_F(ObjectTest, FailedSetUpOrQueryDestroysTheObject) {
    g.constructResult = E_ACCESSDENIED;
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(qs::com::Object<Probe>::create(nullptr, IID_IPersist, &p), E_ACCESSDENIED);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(g.destroyed, 1);
    EXPECT_EQ(g.finalReleased, 1);  // the tear-down undoes a partial set-up

    g.constructResult = S_OK;
    EXPECT_EQ(qs::com::Object<Probe>::create(nullptr, IID_IDispatch, &p), E_NOINTERFACE);
    EXPECT_EQ(g.destroyed, 2);
    EXPECT_EQ(qs::com::Object<Probe>::create(nullptr, IID_IPersist, nullptr), E_POINTER);
    EXPECT_EQ(g.constructed, 2);
}

using qs::test::Outer;

TEST_F(ObjectTest, Aggregation) {
    Outer outer;
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(qs::com::Object<Probe>::create(&outer, IID_IPersist, &p), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(g.constructed, 0);

    ASSERT_EQ(qs::com::Object<Probe>::create(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
    IPersist* persist = nullptr;
    ASSERT_EQ(outer.QueryInterface(IID_IPersist, reinterpret_cast<void**>(&persist)), S_OK);
    EXPECT_EQ(outer.refs, 2);  // the interface counts on the outer object
    IUnknown* identity = nullptr;
    persist->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
    EXPECT_EQ(identity, &outer);
    identity->Release();
    persist->Release();
    EXPECT_EQ(outer.refs, 1);
    IUnknown* again = nullptr;
    outer.inner->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&again));
    EXPECT_EQ(again, outer.inner);  // the inner unknown answers for itself
    again->Release();
    EXPECT_EQ(outer.inner->Release(), 0u);
    EXPECT_EQ(g.destroyed, 1);
}

TEST_F(ObjectTest, ClassFactoryAndModuleLocks) {
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(qs::com::module().getClassObject(IID_IPersist, IID_IClassFactory, &p), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(qs::com::module().getClassObject(kProbeClsid, IID_IClassFactory, nullptr), E_POINTER);

    IClassFactory* factory = nullptr;
    ASSERT_EQ(qs::com::module().getClassObject(kProbeClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    EXPECT_EQ(qs::com::module().lockCount(), 1);  // held by a client
    IClassFactory* second = nullptr;
    qs::com::module().getClassObject(kProbeClsid, IID_IClassFactory, reinterpret_cast<void**>(&second));
    EXPECT_EQ(second, factory);  // one cached class object
    second->Release();
    EXPECT_EQ(qs::com::module().lockCount(), 1);

    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPersist, nullptr), E_POINTER);
    Outer outer;
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IOleWindow, &p), CLASS_E_NOAGGREGATION);
    IOleWindow* window = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IOleWindow, reinterpret_cast<void**>(&window)), S_OK);
    EXPECT_EQ(qs::com::module().lockCount(), 2);
    window->Release();

    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory->Release();
    EXPECT_EQ(qs::com::module().lockCount(), 1);
    EXPECT_EQ(qs::com::module().canUnloadNow(), S_FALSE);
    qs::com::module().getClassObject(kProbeClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory->Release();
    EXPECT_EQ(qs::com::module().canUnloadNow(), S_OK);
}

TEST_F(ObjectTest, TerminateRunsNewestFirst) {
    static std::string order;
    order.clear();
    qs::com::module().addTermFunc([](void*) { order += 'a'; }, nullptr);
    qs::com::module().addTermFunc([](void*) { order += 'b'; }, nullptr);
    qs::com::module().term();
    EXPECT_EQ(order, "ba");
    qs::com::module().term();  // once only
    EXPECT_EQ(order, "ba");
}

}  // namespace
