// Connection points and their container, on a small object with two points.
#include <gtest/gtest.h>
#include <windows.h>
#include <ocidl.h>

#include <vector>

#include "platform/com/connection.h"
#include "platform/com/module.h"
#include "platform/com/object.h"

namespace {

const IID kEventsA = {0x6d0b1a10, 0x4b7e, 0x4a55, {0x8a, 0x01, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}};
const IID kEventsB = {0x6d0b1a11, 0x4b7e, 0x4a55, {0x8a, 0x01, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}};

class Source : public qs::com::ObjectRoot, public qs::com::ConnectionPointContainer {
public:
    static constexpr qs::com::InterfaceEntry kInterfaces[] = {
        {&IID_IConnectionPointContainer, qs::com::entry<Source, IConnectionPointContainer>}, {}};
    qs::com::ConnectionPoint a{this, kEventsA};
    qs::com::ConnectionPoint b{this, kEventsB};

protected:
    std::span<qs::com::ConnectionPoint* const> connectionPoints() override { return points_; }

private:
    qs::com::ConnectionPoint* const points_[2] = {&a, &b};
};

// A sink whose QueryInterface for the events answers `answer`.
struct TestSink final : IUnknown {
    LONG refs = 1;
    HRESULT answer = S_OK;
    int calls = 0;
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        *ppv = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && FAILED(answer)) return answer;
        *ppv = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
};

class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(qs::com::Object<Source>::create(nullptr, IID_IConnectionPointContainer,
                                                  reinterpret_cast<void**>(&container)),
                  S_OK);
        source = static_cast<Source*>(container);
    }
    void TearDown() override {
        if (container) container->Release();
    }
    IConnectionPointContainer* container = nullptr;
    Source* source = nullptr;
};

TEST_F(ConnectionTest, FindAndEnumeratePoints) {
    IConnectionPoint* point = nullptr;
    ASSERT_EQ(container->FindConnectionPoint(kEventsB, &point), S_OK);
    EXPECT_EQ(point, static_cast<IConnectionPoint*>(&source->b));
    IID iid;
    point->GetConnectionInterface(&iid);
    EXPECT_TRUE(IsEqualIID(iid, kEventsB));
    IConnectionPointContainer* back = nullptr;
    point->GetConnectionPointContainer(&back);
    EXPECT_EQ(back, container);
    back->Release();
    IEnumConnections* connections = reinterpret_cast<IEnumConnections*>(1);
    EXPECT_EQ(point->EnumConnections(&connections), E_NOTIMPL);
    EXPECT_EQ(connections, nullptr);
    point->Release();
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, &point), CONNECT_E_NOCONNECTION);

    IEnumConnectionPoints* points = nullptr;
    ASSERT_EQ(container->EnumConnectionPoints(&points), S_OK);
    IConnectionPoint* got[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(points->Next(3, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(got[0], static_cast<IConnectionPoint*>(&source->a));
    EXPECT_EQ(got[1], static_cast<IConnectionPoint*>(&source->b));
    got[0]->Release();
    got[1]->Release();
    EXPECT_EQ(points->Reset(), S_OK);
    EXPECT_EQ(points->Skip(1), S_OK);
    IEnumConnectionPoints* clone = nullptr;
    ASSERT_EQ(points->Clone(&clone), S_OK);
    EXPECT_EQ(clone->Next(1, got, nullptr), S_OK);
    EXPECT_EQ(got[0], static_cast<IConnectionPoint*>(&source->b));
    got[0]->Release();
    clone->Release();
    points->Release();
}

TEST_F(ConnectionTest, AdviseResults) {
    DWORD cookie = 9;
    TestSink refusing;
    refusing.answer = E_NOINTERFACE;
    EXPECT_EQ(source->a.Advise(&refusing, &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    refusing.answer = E_ACCESSDENIED;  // any other failure comes back unchanged
    EXPECT_EQ(source->a.Advise(&refusing, &cookie), E_ACCESSDENIED);
    EXPECT_EQ(refusing.refs, 1);

    TestSink s1, s2, s3;
    DWORD c1 = 0, c2 = 0, c3 = 0;
    ASSERT_EQ(source->a.Advise(&s1, &c1), S_OK);
    ASSERT_EQ(source->a.Advise(&s2, &c2), S_OK);
    EXPECT_NE(c1, 0u);
    EXPECT_NE(c1, c2);
    EXPECT_EQ(source->a.Unadvise(c1), S_OK);
    EXPECT_EQ(source->b.Unadvise(c2), CONNECT_E_NOCONNECTION);  // cookies belong to their point
    ASSERT_EQ(source->a.Advise(&s3, &c3), S_OK);
    EXPECT_EQ(c3, c1);  // the freed slot is reused
    container->Release();
    container = nullptr;
    EXPECT_EQ(s2.refs, 1);  // released with the object
    EXPECT_EQ(s3.refs, 1);
}

TEST_F(ConnectionTest, WalkSkipsSlotsEmptiedAndSinksAddedDuringIt) {
    TestSink s1, s2, s3, late;
    DWORD c1, c2, c3, cl = 0;
    source->a.Advise(&s1, &c1);
    source->a.Advise(&s2, &c2);
    source->a.Advise(&s3, &c3);
    std::vector<IUnknown*> seen;
    source->a.forEachSink([&](IUnknown* sink) {
        seen.push_back(sink);
        if (sink == &s1) {
            source->a.Unadvise(c2);
            source->a.Advise(&late, &cl);  // takes s2's freed slot
        }
    });
    // The walk covers the slots that existed when it began, with what they hold when reached.
    EXPECT_EQ(seen, (std::vector<IUnknown*>{&s1, &late, &s3}));
    EXPECT_EQ(s1.refs, 2);  // the walk's own reference is gone again

    TestSink appended;
    DWORD ca;
    seen.clear();
    source->a.forEachSink([&](IUnknown* sink) {
        seen.push_back(sink);
        if (sink == &s1) source->a.Advise(&appended, &ca);
    });
    EXPECT_EQ(seen, (std::vector<IUnknown*>{&s1, &late, &s3}));
    container->Release();  // before the sinks on this stack go
    container = nullptr;
}

}  // namespace
