// Helpers shared by the Foldwatcher tests and benchmark: the library loaded by path, a recording
// event sink, message pumping with a deadline, temporary folders.
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

namespace fwtest {

// Foldwatcher.dll next to the running program.
std::wstring dllPath();

struct Library {
    HMODULE module = nullptr;
    HRESULT (STDAPICALLTYPE* canUnloadNow)() = nullptr;
    HRESULT (STDAPICALLTYPE* getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT (STDAPICALLTYPE* registerServer)() = nullptr;
    HRESULT (STDAPICALLTYPE* unregisterServer)() = nullptr;

    Library();
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // A new Watch through the class object (no registration needed).
    IWatch* createWatch();
};

// Pumps this thread's messages until `done` holds or `timeoutMs` passes; `poke` (when given) runs
// first and then every `pokeMs`, for changes a worker may not be watching for yet.
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000, const std::function<void()>& poke = {},
               DWORD pokeMs = 200);
// Pumps for `ms` (to see that something does not happen).
void pumpFor(DWORD ms);

struct Event {
    std::wstring path;
    short type;
};

// An _IWatchEvents sink that records every Notify and how it was called.
class Sink final : public IDispatch {
public:
    std::vector<Event> events;
    bool wellFormedCalls = true;   // every Invoke looked exactly like the documented Notify call
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

// A fresh folder under %TEMP%, removed with its contents at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

void writeFile(const std::wstring& path, const std::string& text);
void removeTree(const std::wstring& path);

// Ids of this process's threads, to find the ones a call starts.
std::set<DWORD> threadsOfProcess();

// Runs a command line and waits for it; the exit code, or -1 when it could not start.
int runProcess(const std::wstring& commandLine);

inline BSTR bstr(const std::wstring& s) { return SysAllocStringLen(s.data(), static_cast<UINT>(s.size())); }

}  // namespace fwtest
