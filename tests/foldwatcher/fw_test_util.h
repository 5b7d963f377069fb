// Helpers shared by the Foldwatcher tests and benchmark: the library loaded by path and a recording
// event sink.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <olectl.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "foldwatcher/Foldwatcher.h"
#include "foldwatcher/foldwatcher_ids.h"
#include "tests/support/process.h"

namespace fwtest {

// Foldwatcher.dll next to the running program.
inline std::wstring dllPath() { return qs::test::besideThisProgram(L"Foldwatcher.dll"); }

struct Library {
    HMODULE module = nullptr;
    HRESULT(STDAPICALLTYPE* canUnloadNow)() = nullptr;
    HRESULT(STDAPICALLTYPE* getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(STDAPICALLTYPE* registerServer)() = nullptr;
    HRESULT(STDAPICALLTYPE* unregisterServer)() = nullptr;

    Library();
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // A new Watch through the class object (no registration needed).
    IWatch* createWatch();
};

struct Event {
    std::wstring path;
    short type;
};

// An _IWatchEvents sink that records every Notify and how it was called.
class Sink final : public IDispatch {
public:
    std::vector<Event> events;
    bool wellFormedCalls = true;  // every Invoke looked exactly like the documented Notify call
    std::function<void(const Event&)> onNotify;
    LONG refs = 1;

    bool has(const std::wstring& path, short type) const;
    bool hasType(short type) const;

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs); }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&refs); }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* argErr) override;
};

// Connects `sink` to the object's _IWatchEvents point; returns the cookie (0 on failure).
DWORD advise(IUnknown* object, IUnknown* sink);
void unadvise(IUnknown* object, DWORD cookie);

// Ids of this process's threads, to find the ones a call starts.
std::set<DWORD> threadsOfProcess();

inline BSTR bstr(const std::wstring& s) { return SysAllocStringLen(s.data(), static_cast<UINT>(s.size())); }

}  // namespace fwtest
