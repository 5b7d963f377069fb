// The Watch object loaded straight from Foldwatcher.dll: class object and module rules, its
// interfaces and connection point, and the folder watch itself with a sink on this (pumping) thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>

#include "platform/win/handles.h"
#include "tests/foldwatcher/fw_test_util.h"
#include "tests/support/files.h"
#include "tests/support/outer.h"
#include "tests/support/pump.h"

using namespace fwtest;
using namespace qs::test;

namespace {

constexpr UINT WM_WATCH_NOTIFY = 0x465;

std::vector<DWORD> newThreads(const std::set<DWORD>& before) {
    std::vector<DWORD> added;
    for (DWORD id : threadsOfProcess())
        if (!before.count(id)) added.push_back(id);
    return added;
}

BOOL CALLBACK findWatchWindow(HWND hwnd, LPARAM param) {
    wchar_t title[32] = {};
    GetWindowTextW(hwnd, title, 32);
    if (std::wstring(title) != L"WatchWindow") return TRUE;
    *reinterpret_cast<HWND*>(param) = hwnd;
    return FALSE;
}

HWND watchWindowOfThisThread() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findWatchWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Reserves every free range of the process's address space for its lifetime, so that no new thread
// can get a stack. Nothing may allocate while it lives.
class AddressSpaceFull {
public:
    AddressSpaceFull() {
        held_.reserve(1 << 16);
        for (SIZE_T size = SIZE_T(1) << 30; size >= 64 * 1024; size /= 2)
            while (held_.size() < held_.capacity())
                if (void* p = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS))
                    held_.push_back(p);
                else
                    break;
    }
    ~AddressSpaceFull() {
        for (void* p : held_) VirtualFree(p, 0, MEM_RELEASE);
    }

private:
    std::vector<void*> held_;
};

std::wstring upper(std::wstring s) {
    CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

class WatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(lib.module, nullptr);
        watch = lib.createWatch();
        ASSERT_NE(watch, nullptr);
    }
    void TearDown() override {
        if (watch) watch->Release();
    }
    void add(const std::wstring& path) {
        BSTR b = bstr(path);
        EXPECT_EQ(watch->AddPath(b), S_OK);
        SysFreeString(b);
    }
    void remove(const std::wstring& path) {
        BSTR b = bstr(path);
        EXPECT_EQ(watch->RemovePath(b), S_OK);
        SysFreeString(b);
    }
    VARIANT_BOOL started() {
        VARIANT_BOOL v = 7;
        EXPECT_EQ(watch->get_Start(&v), S_OK);
        return v;
    }
    // Creates new files in `dir` until the sink has seen (path, 2).
    bool seeFileCreated(const std::wstring& dir, const std::wstring& path, DWORD timeoutMs = 5000) {
        int n = 0;
        return pumpUntil([&] { return sink.has(path, 2); }, timeoutMs,
                         [&] { writeFile(dir + L"\\f" + std::to_wstring(++n) + L".txt", "x"); });
    }

    Library lib;
    qs::win::ComInit com;
    IWatch* watch = nullptr;
    Sink sink;
};

// --- class object and module ---

TEST_F(WatchTest, ClassObjectOnlyForTheWatchClass) {
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(lib.getClassObject(IID_IWatch, IID_IClassFactory, &p), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(p, nullptr);
    IUnknown* factory = nullptr;
    ASSERT_EQ(lib.getClassObject(CLSID_Watch, IID_IUnknown, reinterpret_cast<void**>(&factory)), S_OK);
    factory->Release();
}

TEST_F(WatchTest, CanUnloadNowFollowsObjectsFactoriesAndLockServer) {
    EXPECT_EQ(lib.canUnloadNow(), S_FALSE);  // the fixture's object lives
    watch->Release();
    watch = nullptr;
    EXPECT_EQ(lib.canUnloadNow(), S_OK);

    IClassFactory* factory = nullptr;
    ASSERT_EQ(lib.getClassObject(CLSID_Watch, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    EXPECT_EQ(lib.canUnloadNow(), S_FALSE);  // a client holds the class object
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory->Release();
    EXPECT_EQ(lib.canUnloadNow(), S_FALSE);
    ASSERT_EQ(lib.getClassObject(CLSID_Watch, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory->Release();
    EXPECT_EQ(lib.canUnloadNow(), S_OK);
}

using qs::test::Outer;

TEST_F(WatchTest, CreationRulesAndAggregation) {
    IClassFactory* factory = nullptr;
    ASSERT_EQ(lib.getClassObject(CLSID_Watch, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IWatch, nullptr), E_POINTER);
    Outer outer;
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IWatch, &p), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(p, nullptr);

    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
    IWatch* inner = nullptr;
    ASSERT_EQ(outer.inner->QueryInterface(IID_IWatch, reinterpret_cast<void**>(&inner)), S_OK);
    LONG before = outer.refs;
    inner->AddRef();  // the inner object's interfaces count on the outer object
    EXPECT_EQ(outer.refs, before + 1);
    inner->Release();
    IUnknown* identity = nullptr;
    ASSERT_EQ(inner->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, static_cast<IUnknown*>(&outer));
    identity->Release();
    inner->Release();
    EXPECT_EQ(outer.inner->Release(), 0u);
    EXPECT_EQ(outer.refs, 1);
    factory->Release();
}

TEST_F(WatchTest, AnswersExactlyItsFourInterfaces) {
    const IID* answered[] = {&IID_IUnknown, &IID_IWatch, &IID_IDispatch, &IID_IConnectionPointContainer};
    for (const IID* iid : answered) {
        IUnknown* p = nullptr;
        EXPECT_EQ(watch->QueryInterface(*iid, reinterpret_cast<void**>(&p)), S_OK);
        if (p) p->Release();
    }
    const IID* refused[] = {&IID_ISupportErrorInfo, &IID_IProvideClassInfo, &IID_IProvideClassInfo2,
                            &IID_IConnectionPoint,  &DIID__IWatchEvents,    &IID_IMarshal};
    for (const IID* iid : refused) {
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(watch->QueryInterface(*iid, &p), E_NOINTERFACE);
        EXPECT_EQ(p, nullptr);
    }
    UINT count = 0;
    EXPECT_EQ(watch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(watch->GetTypeInfo(0, 0, nullptr), E_POINTER);
    EXPECT_EQ(watch->get_Start(nullptr), E_POINTER);
}

TEST_F(WatchTest, ConnectionPointAdviseAndUnadvise) {
    IConnectionPointContainer* container = nullptr;
    ASSERT_EQ(watch->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)), S_OK);
    IConnectionPoint* point = reinterpret_cast<IConnectionPoint*>(1);
    EXPECT_EQ(container->FindConnectionPoint(IID_IWatch, &point), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point, nullptr);
    EXPECT_EQ(container->FindConnectionPoint(DIID__IWatchEvents, nullptr), E_POINTER);
    ASSERT_EQ(container->FindConnectionPoint(DIID__IWatchEvents, &point), S_OK);

    DWORD cookie = 5;
    EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(point->Advise(&sink, nullptr), E_POINTER);
    Outer notASink;  // answers nothing but IUnknown
    struct Nothing final : IUnknown {
        STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
            *ppv = nullptr;
            return IsEqualIID(iid, IID_IUnknown) ? E_FAIL : E_NOINTERFACE;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return 1; }
        STDMETHODIMP_(ULONG) Release() override { return 1; }
    } nothing;
    cookie = 5;
    EXPECT_EQ(point->Advise(&nothing, &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);

    Sink a, b, c;
    DWORD ca = 0, cb = 0, cc = 0;
    ASSERT_EQ(point->Advise(&a, &ca), S_OK);
    ASSERT_EQ(point->Advise(&b, &cb), S_OK);
    EXPECT_NE(ca, 0u);
    EXPECT_NE(cb, 0u);
    EXPECT_NE(ca, cb);
    EXPECT_EQ(a.refs, 2);  // the point holds each sink
    EXPECT_EQ(point->Unadvise(ca), S_OK);
    EXPECT_EQ(a.refs, 1);
    EXPECT_EQ(point->Unadvise(ca), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point->Unadvise(0), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point->Unadvise(12345), CONNECT_E_NOCONNECTION);

    // The freed slot goes to the next sink, which then hears events before b.
    ASSERT_EQ(point->Advise(&c, &cc), S_OK);
    EXPECT_EQ(cc, ca);
    std::vector<char> order;
    b.onNotify = [&](const Event&) { order.push_back('b'); };
    c.onNotify = [&](const Event&) { order.push_back('c'); };
    PostMessageW(watchWindowOfThisThread(), WM_WATCH_NOTIFY, 2, 0);
    EXPECT_TRUE(pumpUntil([&] { return order.size() == 2; }));
    EXPECT_EQ(order, (std::vector<char>{'c', 'b'}));

    point->Release();
    container->Release();
    watch->Release();  // the object's last reference releases the sinks still connected
    watch = nullptr;
    EXPECT_EQ(b.refs, 1);
    EXPECT_EQ(c.refs, 1);
}

// --- the hidden window and the event call ---

TEST_F(WatchTest, HiddenWindowAndNotifyBeforeAnyChange) {
    HWND hwnd = watchWindowOfThisThread();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & ~WS_CLIPSIBLINGS, static_cast<LONG>(WS_POPUP));
    EXPECT_EQ(GetWindowLongW(hwnd, GWL_EXSTYLE), 0);
    EXPECT_EQ(GetClassLongW(hwnd, GCL_STYLE), static_cast<DWORD>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 100);
    EXPECT_EQ(r.bottom - r.top, 100);

    // No sink: the message costs nothing and raises nothing.
    PostMessageW(hwnd, WM_WATCH_NOTIFY, 1, 0);
    pumpFor(50);

    ASSERT_NE(advise(watch, &sink), 0u);
    PostMessageW(hwnd, WM_WATCH_NOTIFY, 0x10003, 0);  // nType is the low 16 bits
    ASSERT_TRUE(pumpUntil([&] { return !sink.events.empty(); }));
    EXPECT_EQ(sink.events[0].path, L"");
    EXPECT_EQ(sink.events[0].type, 3);
    EXPECT_TRUE(sink.wellFormedCalls);

    // A failing sink does not keep the event from the others.
    Sink second;
    ASSERT_NE(advise(watch, &second), 0u);
    sink.onNotify = [](const Event&) {};
    struct Failing final : IDispatch {
        int calls = 0;
        STDMETHODIMP QueryInterface(REFIID, void** ppv) override {
            *ppv = this;
            return S_OK;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return 1; }
        STDMETHODIMP_(ULONG) Release() override { return 1; }
        STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
        STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
        STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
        STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
            ++calls;
            return E_FAIL;
        }
    } failing;
    watch->Release();  // re-created below so that the failing sink sits in the first slot
    watch = lib.createWatch();
    ASSERT_NE(watch, nullptr);
    Sink after;
    ASSERT_NE(advise(watch, &failing), 0u);
    ASSERT_NE(advise(watch, &after), 0u);
    PostMessageW(watchWindowOfThisThread(), WM_WATCH_NOTIFY, 2, 0);
    EXPECT_TRUE(pumpUntil([&] { return !after.events.empty(); }));
    EXPECT_EQ(failing.calls, 1);
    watch->Release();  // before the stack sinks go
    watch = nullptr;
}

// A handler may drop the client's last reference while it is notified: the other sinks still get
// the event and the object goes afterwards.
TEST_F(WatchTest, SinkReleasingTheObjectDuringNotify) {
    Sink second;
    ASSERT_NE(advise(watch, &sink), 0u);
    ASSERT_NE(advise(watch, &second), 0u);
    HWND hwnd = watchWindowOfThisThread();
    sink.onNotify = [&](const Event&) {
        watch->Release();
        watch = nullptr;
    };
    PostMessageW(hwnd, WM_WATCH_NOTIFY, 1, 0);
    EXPECT_TRUE(pumpUntil([&] { return !second.events.empty(); }));
    pumpFor(50);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(second.refs, 1);
    EXPECT_EQ(lib.canUnloadNow(), S_OK);
}

// --- the watch ---

TEST_F(WatchTest, ReportsCreatedWrittenFilesAndSubfolders) {
    TempDir dir;
    std::wstring existing = dir.wfile(L"existing.txt");
    writeFile(existing, "start");
    add(dir.wpath());
    ASSERT_NE(advise(watch, &sink), 0u);
    EXPECT_EQ(watch->put_Start(VARIANT_TRUE), S_OK);
    EXPECT_EQ(started(), VARIANT_TRUE);

    EXPECT_TRUE(seeFileCreated(dir.wpath(), dir.wpath()));
    EXPECT_TRUE(pumpUntil([&] { return sink.has(dir.wpath(), 1); }, 5000, [&] { writeFile(existing, "more"); }));
    int n = 0;
    EXPECT_TRUE(pumpUntil([&] { return sink.has(dir.wpath(), 3); }, 5000,
                          [&] { CreateDirectoryW(dir.wfile(L"sub" + std::to_wstring(++n)).c_str(), nullptr); }));
    EXPECT_TRUE(sink.wellFormedCalls);
    for (const Event& e : sink.events) EXPECT_EQ(e.path, dir.wpath());
}

TEST_F(WatchTest, PathsCompareAsExactBytes) {
    TempDir a, b;
    add(a.wpath());
    add(a.wpath());         // kept once: one removal below empties it
    add(upper(b.wpath()));  // the same folder in two spellings: two entries, both watched
    add(b.wpath() + L"\\");
    add(b.wpath());
    remove(a.wpath());
    remove(L"C:\\no\\such\\entry");
    ASSERT_NE(advise(watch, &sink), 0u);
    watch->put_Start(VARIANT_TRUE);

    EXPECT_TRUE(seeFileCreated(b.wpath(), upper(b.wpath())));
    EXPECT_TRUE(seeFileCreated(b.wpath(), b.wpath() + L"\\"));
    EXPECT_TRUE(seeFileCreated(b.wpath(), b.wpath()));
    int n = 0;
    pumpUntil([] { return false; }, 600, [&] { writeFile(a.wfile(L"g" + std::to_wstring(++n)), "x"); });
    for (const Event& e : sink.events) EXPECT_NE(e.path, a.wpath());
}

TEST_F(WatchTest, NullPathsChangeNothing) {
    TempDir dir;
    EXPECT_EQ(watch->AddPath(nullptr), S_OK);
    EXPECT_EQ(watch->RemovePath(nullptr), S_OK);
    add(dir.wpath());
    EXPECT_EQ(watch->RemovePath(nullptr), S_OK);
    ASSERT_NE(advise(watch, &sink), 0u);
    watch->put_Start(VARIANT_TRUE);
    EXPECT_TRUE(seeFileCreated(dir.wpath(), dir.wpath()));
}

TEST_F(WatchTest, StartSetterAndGetter) {
    EXPECT_EQ(started(), VARIANT_FALSE);
    EXPECT_EQ(watch->put_Start(VARIANT_FALSE), S_OK);  // stopping a stopped watch does nothing
    auto before = threadsOfProcess();
    EXPECT_EQ(watch->put_Start(VARIANT_TRUE), S_OK);
    EXPECT_EQ(watch->put_Start(VARIANT_TRUE), S_OK);
    EXPECT_EQ(newThreads(before).size(), 1u);  // one worker
    EXPECT_EQ(started(), VARIANT_TRUE);
    EXPECT_EQ(watch->put_Start(1), S_OK);  // anything but VARIANT_TRUE stops
    EXPECT_EQ(started(), VARIANT_FALSE);
    EXPECT_TRUE(newThreads(before).empty());
    watch->put_Start(VARIANT_TRUE);
    EXPECT_EQ(watch->put_Start(0x1234), S_OK);
    EXPECT_EQ(started(), VARIANT_FALSE);
}

TEST_F(WatchTest, StartThatCannotStartTheWorkerFailsAndStaysStopped) {
    HRESULT hr = S_OK;
    VARIANT_BOOL afterwards = 7;
    {
        AddressSpaceFull full;
        hr = watch->put_Start(VARIANT_TRUE);
        watch->get_Start(&afterwards);
    }
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_EQ(afterwards, VARIANT_FALSE);
    EXPECT_EQ(watch->put_Start(VARIANT_TRUE), S_OK);  // with room again it starts
    EXPECT_EQ(started(), VARIANT_TRUE);
}

TEST_F(WatchTest, EmptyListThenAddPathIsWatchedWithoutRestart) {
    TempDir dir;
    ASSERT_NE(advise(watch, &sink), 0u);
    watch->put_Start(VARIANT_TRUE);
    pumpFor(100);
    add(dir.wpath());
    EXPECT_TRUE(seeFileCreated(dir.wpath(), dir.wpath()));

    // And a removal while started stops its reports.
    remove(dir.wpath());
    pumpFor(300);
    sink.events.clear();
    int n = 0;
    pumpUntil([] { return false; }, 600, [&] { writeFile(dir.wfile(L"h" + std::to_wstring(++n)), "x"); });
    EXPECT_TRUE(sink.events.empty());
}

TEST_F(WatchTest, PathNamingNoFolderIsListedButNeverReported) {
    TempDir dir;
    std::wstring bogus = dir.wfile(L"missing");
    add(bogus);
    add(dir.wpath());
    ASSERT_NE(advise(watch, &sink), 0u);
    watch->put_Start(VARIANT_TRUE);
    EXPECT_TRUE(seeFileCreated(dir.wpath(), dir.wpath()));
    pumpFor(200);
    for (const Event& e : sink.events) EXPECT_EQ(e.path, dir.wpath());
}

TEST_F(WatchTest, MessagesPostedBeforeStopArriveButNoneAfterRelease) {
    TempDir dir;
    add(dir.wpath());
    ASSERT_NE(advise(watch, &sink), 0u);
    watch->put_Start(VARIANT_TRUE);
    // Wait, without dispatching, until the worker has posted a report.
    auto posted = [] { return HIWORD(GetQueueStatus(QS_POSTMESSAGE)) != 0; };
    int n = 0;
    DWORD start = GetTickCount();
    while (!posted() && GetTickCount() - start < 5000) {
        writeFile(dir.wfile(L"p" + std::to_wstring(++n)), "x");
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_POSTMESSAGE);
    }
    ASSERT_TRUE(posted());
    watch->put_Start(VARIANT_FALSE);
    EXPECT_TRUE(pumpUntil([&] { return sink.has(dir.wpath(), 2) || sink.has(dir.wpath(), 1); }));

    watch->put_Start(VARIANT_TRUE);
    start = GetTickCount();
    while (!posted() && GetTickCount() - start < 5000) {
        writeFile(dir.wfile(L"q" + std::to_wstring(++n)), "x");
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_POSTMESSAGE);
    }
    ASSERT_TRUE(posted());
    sink.events.clear();
    watch->Release();
    watch = nullptr;
    pumpFor(200);
    EXPECT_TRUE(sink.events.empty());
}

TEST_F(WatchTest, ReleasingAStartedObjectJoinsTheWorker) {
    TempDir dir;
    add(dir.wpath());
    auto before = threadsOfProcess();
    watch->put_Start(VARIANT_TRUE);
    auto added = newThreads(before);
    ASSERT_EQ(added.size(), 1u);
    HANDLE worker = OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, added[0]);
    ASSERT_NE(worker, nullptr);
    EXPECT_EQ(WaitForSingleObject(worker, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    watch->Release();
    watch = nullptr;
    EXPECT_EQ(WaitForSingleObject(worker, 0), WAIT_OBJECT_0);  // ended before Release returned
    DWORD code = 1;
    GetExitCodeThread(worker, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(worker);
    EXPECT_EQ(lib.canUnloadNow(), S_OK);
}

// More folders than one wait can hold: the first 20 are watched, the rest stay listed and take a
// freed place; the worker does not spin.
TEST_F(WatchTest, MoreThanTwentyFoldersWatchesTheFirstTwenty) {
    std::vector<std::unique_ptr<TempDir>> dirs;
    for (int i = 0; i < 24; ++i) {
        dirs.push_back(std::make_unique<TempDir>());
        add(dirs.back()->wpath());
    }
    ASSERT_NE(advise(watch, &sink), 0u);
    auto before = threadsOfProcess();
    watch->put_Start(VARIANT_TRUE);
    auto added = newThreads(before);
    ASSERT_EQ(added.size(), 1u);
    HANDLE worker = OpenThread(THREAD_QUERY_INFORMATION, FALSE, added[0]);

    EXPECT_TRUE(seeFileCreated(dirs[0]->wpath(), dirs[0]->wpath()));
    EXPECT_TRUE(seeFileCreated(dirs[19]->wpath(), dirs[19]->wpath()));
    int n = 0;
    pumpUntil([] { return false; }, 500, [&] { writeFile(dirs[21]->wfile(L"r" + std::to_wstring(++n)), "x"); });
    EXPECT_FALSE(sink.has(dirs[21]->wpath(), 2));

    remove(dirs[0]->wpath());
    remove(dirs[1]->wpath());
    EXPECT_TRUE(seeFileCreated(dirs[21]->wpath(), dirs[21]->wpath()));

    FILETIME created, ended, kernel, user;
    ASSERT_TRUE(GetThreadTimes(worker, &created, &ended, &kernel, &user));
    ULONGLONG cpu100ns = (ULONGLONG(kernel.dwHighDateTime) << 32 | kernel.dwLowDateTime) +
                         (ULONGLONG(user.dwHighDateTime) << 32 | user.dwLowDateTime);
    EXPECT_LT(cpu100ns, 5000000u);  // well under half a second of CPU in several seconds
    CloseHandle(worker);
}

TEST_F(WatchTest, AWatchedFolderThatVanishesDoesNotStopTheOthers) {
    TempDir keep;
    std::wstring gone;
    {
        TempDir doomed;
        gone = doomed.wpath();
        add(gone);
        add(keep.wpath());
        ASSERT_NE(advise(watch, &sink), 0u);
        watch->put_Start(VARIANT_TRUE);
        EXPECT_TRUE(seeFileCreated(gone, gone));
    }  // removed with its contents while watched
    pumpFor(300);
    EXPECT_TRUE(seeFileCreated(keep.wpath(), keep.wpath()));
    sink.events.clear();
    pumpFor(1000);
    size_t spurious =
        std::count_if(sink.events.begin(), sink.events.end(), [&](const Event& e) { return e.path == gone; });
    EXPECT_LT(spurious, 5u);  // no storm of reports from a dead handle
}

}  // namespace
