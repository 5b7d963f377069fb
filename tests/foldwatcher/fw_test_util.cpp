#include "tests/foldwatcher/fw_test_util.h"

#include <oleauto.h>
#include <tlhelp32.h>

namespace fwtest {

std::wstring dllPath() {
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"Foldwatcher.dll";
}

namespace {
// GetProcAddress hands back a generic function pointer; going through void(*)() says the cast is meant.
template <class F>
F procAddress(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
}  // namespace

Library::Library() {
    module = LoadLibraryW(dllPath().c_str());
    if (!module) return;
    canUnloadNow = procAddress<decltype(canUnloadNow)>(module, "DllCanUnloadNow");
    getClassObject = procAddress<decltype(getClassObject)>(module, "DllGetClassObject");
    registerServer = procAddress<decltype(registerServer)>(module, "DllRegisterServer");
    unregisterServer = procAddress<decltype(unregisterServer)>(module, "DllUnregisterServer");
}

Library::~Library() {
    if (module) FreeLibrary(module);
}

IWatch* Library::createWatch() {
    IClassFactory* factory = nullptr;
    if (!getClassObject || FAILED(getClassObject(CLSID_Watch, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
        return nullptr;
    IWatch* watch = nullptr;
    factory->CreateInstance(nullptr, IID_IWatch, reinterpret_cast<void**>(&watch));
    factory->Release();
    return watch;
}

static void pumpOnce(DWORD waitMs) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, waitMs, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs, const std::function<void()>& poke, DWORD pokeMs) {
    const DWORD start = GetTickCount();
    DWORD lastPoke = start;
    if (poke) poke();
    while (!done()) {
        DWORD now = GetTickCount();
        if (now - start >= timeoutMs) return false;
        if (poke && now - lastPoke >= pokeMs) {
            poke();
            lastPoke = now;
        }
        pumpOnce(20);
    }
    return true;
}

void pumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) pumpOnce(20);
}

bool Sink::has(const std::wstring& path, short type) const {
    for (const Event& e : events)
        if (e.path == path && e.type == type) return true;
    return false;
}

bool Sink::hasType(short type) const {
    for (const Event& e : events)
        if (e.type == type) return true;
    return false;
}

STDMETHODIMP Sink::QueryInterface(REFIID iid, void** ppv) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, DIID__IWatchEvents)) {
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP Sink::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* excep, UINT* argErr) {
    bool ok = id == 1 && IsEqualIID(riid, IID_NULL) && lcid == LOCALE_USER_DEFAULT && flags == DISPATCH_METHOD &&
              params && params->cArgs == 2 && params->cNamedArgs == 0 && !params->rgdispidNamedArgs && result &&
              !excep && !argErr && params->rgvarg[0].vt == VT_I2 && params->rgvarg[1].vt == VT_BSTR;
    if (!ok) {
        wellFormedCalls = false;
        return DISP_E_MEMBERNOTFOUND;
    }
    BSTR path = params->rgvarg[1].bstrVal;
    Event e{std::wstring(path, SysStringLen(path)), params->rgvarg[0].iVal};
    events.push_back(e);
    if (onNotify) onNotify(e);
    return S_OK;
}

DWORD advise(IUnknown* object, IUnknown* sink) {
    IConnectionPointContainer* container = nullptr;
    if (FAILED(object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)))) return 0;
    IConnectionPoint* point = nullptr;
    DWORD cookie = 0;
    if (SUCCEEDED(container->FindConnectionPoint(DIID__IWatchEvents, &point))) {
        point->Advise(sink, &cookie);
        point->Release();
    }
    container->Release();
    return cookie;
}

void unadvise(IUnknown* object, DWORD cookie) {
    IConnectionPointContainer* container = nullptr;
    if (FAILED(object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)))) return;
    IConnectionPoint* point = nullptr;
    if (SUCCEEDED(container->FindConnectionPoint(DIID__IWatchEvents, &point))) {
        point->Unadvise(cookie);
        point->Release();
    }
    container->Release();
}

TempDir::TempDir() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static LONG counter = 0;
    for (;;) {
        path_ = std::wstring(temp) + L"qsfw" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(InterlockedIncrement(&counter));
        if (CreateDirectoryW(path_.c_str(), nullptr)) return;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return;
    }
}

TempDir::~TempDir() { removeTree(path_); }

void writeFile(const std::wstring& path, const std::string& text) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    SetFilePointer(h, 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
}

void removeTree(const std::wstring& path) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = path + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(full);
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

std::set<DWORD> threadsOfProcess() {
    std::set<DWORD> ids;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te))
        if (te.th32OwnerProcessID == GetCurrentProcessId()) ids.insert(te.th32ThreadID);
    CloseHandle(snap);
    return ids;
}

int runProcess(const std::wstring& commandLine) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = commandLine;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

}  // namespace fwtest
