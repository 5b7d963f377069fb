// The module of an in-process COM server (or of a program that hosts COM objects of its own): its
// instance handle, type library identifier, lock count and class table.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace qs::com {

class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&cs_); }
    ~CriticalSection() { DeleteCriticalSection(&cs_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void lock() { EnterCriticalSection(&cs_); }
    void unlock() { LeaveCriticalSection(&cs_); }

private:
    CRITICAL_SECTION cs_;
};

// One creatable class. `create` makes an object (outer unknown, interface id, out pointer); the
// class object is made on the first request and kept until the module terminates.
struct ClassEntry {
    const CLSID* clsid;
    HRESULT (*create)(IUnknown* outer, REFIID iid, void** ppv);
    Microsoft::WRL::ComPtr<IClassFactory> factory{};
};

class Module {
public:
    // `classes` must outlive the module (a static table).
    void init(HINSTANCE instance, const GUID& libid, std::span<ClassEntry> classes = {});
    // Runs the terminate functions (newest first) and releases the cached class objects.
    void term();

    HINSTANCE instance() const { return instance_; }
    const GUID& libid() const { return libid_; }
    std::wstring fileName() const;  // full path of the module file

    LONG lock() { return InterlockedIncrement(&locks_); }
    LONG unlock() { return InterlockedDecrement(&locks_); }
    LONG lockCount() const { return locks_; }

    // Guards lazy module-wide state (cached class objects, type information).
    CriticalSection& cs() { return cs_; }

    // fn(arg) runs at term(); E_OUTOFMEMORY when it cannot be recorded.
    HRESULT addTermFunc(void (*fn)(void*), void* arg);

    HRESULT getClassObject(REFCLSID clsid, REFIID iid, void** ppv);
    HRESULT canUnloadNow() const { return locks_ == 0 ? S_OK : S_FALSE; }

    // The type library held in the module file as resource TYPELIB 1.
    HRESULT registerTypeLib();
    HRESULT unregisterTypeLib(WORD major, WORD minor);

private:
    HINSTANCE instance_ = nullptr;
    GUID libid_ = GUID_NULL;
    std::span<ClassEntry> classes_;
    volatile LONG locks_ = 0;
    CriticalSection cs_;
    struct TermFunc {
        void (*fn)(void*);
        void* arg;
    };
    std::vector<TermFunc> termFuncs_;
};

Module& module();

}  // namespace qs::com
