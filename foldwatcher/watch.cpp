// Watch and its worker thread.
//
// Two threads share the object. The owner thread (the one that created it) runs every IWatch
// call, the hidden window's procedure and the events. The worker, WatchThread, runs from
// StartWatch to StopWatch: it sleeps in one WaitForMultipleObjects, without a time-out, on
//   slot 0          m_hStopEvent    StopWatch wants it gone: close everything and end;
//   slot 1          m_hReloadEvent  the list changed: rebuild the handles from the list;
//   slot 2 + 3k + t the change notification of watched folder k for nType t + 1 (last write,
//                   file name, directory name): store the folder's path in m_changedPath, post
//                   WM_WATCH_NOTIFY to the hidden window, re-arm the notification.
// m_lock guards m_paths (copied by the worker at each rebuild) and m_changedPath (written by the
// worker, read by OnWatchNotify); nothing else happens under it. The worker never calls a sink
// and never waits for the owner, so StopWatch can join it from the owner thread. The events and
// the window outlive the worker: they go in FinalRelease, after the join. A worker that cannot be
// started leaves the object stopped, and the Start setter says so with its result.
//
// At most kMaxWatchedFolders (20) folders fit into one wait. The worker watches the first 20
// folders of the list that can be opened; further ones stay listed and take a freed place at the
// next rebuild. A wait or re-arm that fails makes the worker rebuild; when that keeps happening
// it pauses between rebuilds (growing up to one second, still ended at once by the stop event)
// rather than spin.
#include "foldwatcher/watch.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <new>

#include <wrl/client.h>

namespace qs::foldwatcher {
namespace {

// 0x80070000 with the error's low 16 bits: a failure even when the platform left no error code.
HRESULT lastErrorResult() { return static_cast<HRESULT>(0x80070000u | (GetLastError() & 0xFFFFu)); }

// UTF-16 to the ANSI code page; characters without an ANSI form become the default character
// (no best fit, which could turn a look-alike into a path separator).
HRESULT toAnsi(BSTR text, std::string& out) {
    int length = static_cast<int>(SysStringLen(text));
    out.clear();
    if (length == 0) return S_OK;
    const DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;  // UTF-8 takes no such flag
    int n = WideCharToMultiByte(CP_ACP, flags, text, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return HRESULT_FROM_WIN32(GetLastError());
    out.resize(n);
    WideCharToMultiByte(CP_ACP, flags, text, length, out.data(), n, nullptr, nullptr);
    return S_OK;
}

// Null when memory runs out.
BSTR fromAnsi(const std::string& text) {
    if (text.empty()) return SysAllocStringLen(nullptr, 0);
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return SysAllocStringLen(nullptr, 0);
    BSTR out = SysAllocStringLen(nullptr, n);
    if (out) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out, n);
    return out;
}

constexpr DWORD kFilters[3] = {FILE_NOTIFY_CHANGE_LAST_WRITE, FILE_NOTIFY_CHANGE_FILE_NAME,
                               FILE_NOTIFY_CHANGE_DIR_NAME};
constexpr DWORD kMaxPauseMs = 1000;

// The worker's wait array and the path of each watched folder.
struct WaitSet {
    std::array<HANDLE, 2 + 3 * kMaxWatchedFolders> handles{};
    std::array<std::string, kMaxWatchedFolders> paths;
    DWORD used = 0;  // 0: to be rebuilt

    ~WaitSet() { close(); }
    void close() {
        for (DWORD s = 2; s < used; ++s) FindCloseChangeNotification(handles[s]);
        used = 0;
    }
};

}  // namespace

HRESULT Watch::FinalConstruct() {
    RECT rect{0, 0, 100, 100};
    if (!create(nullptr, rect, L"WatchWindow", WS_POPUP, 0)) return lastErrorResult();
    m_hStopEvent.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!m_hStopEvent) return lastErrorResult();
    m_hReloadEvent.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!m_hReloadEvent) return lastErrorResult();
    return S_OK;
}

void Watch::FinalRelease() {
    if (m_bStarted) StopWatch();
    if (hwnd()) destroy();
    m_hStopEvent.reset();
    m_hReloadEvent.reset();
}

STDMETHODIMP Watch::AddPath(BSTR sPathName) {
    if (!sPathName) return S_OK;
    bool added = false;
    try {
        std::string path;
        if (HRESULT hr = toAnsi(sPathName, path); FAILED(hr)) return hr;
        std::lock_guard guard(m_lock);
        if (std::find(m_paths.begin(), m_paths.end(), path) == m_paths.end()) {
            m_paths.push_back(std::move(path));
            added = true;
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (added && m_bStarted) SetEvent(m_hReloadEvent.get());
    return S_OK;
}

STDMETHODIMP Watch::RemovePath(BSTR sPathName) {
    if (!sPathName) return S_OK;
    bool removed = false;
    try {
        std::string path;
        if (HRESULT hr = toAnsi(sPathName, path); FAILED(hr)) return hr;
        std::lock_guard guard(m_lock);
        auto it = std::find(m_paths.begin(), m_paths.end(), path);
        if (it != m_paths.end()) {
            m_paths.erase(it);
            removed = true;
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (removed && m_bStarted) SetEvent(m_hReloadEvent.get());
    return S_OK;
}

STDMETHODIMP Watch::get_Start(VARIANT_BOOL* pVal) {
    if (!pVal) return E_POINTER;
    *pVal = m_bStarted ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP Watch::put_Start(VARIANT_BOOL newVal) {
    if (newVal == VARIANT_TRUE) return StartWatch();
    StopWatch();
    return S_OK;
}

HRESULT Watch::StartWatch() {
    if (m_bStarted) return S_OK;
    win::UniqueHandle thread(CreateThread(nullptr, 0, &Watch::WatchThread, this, 0, nullptr));
    if (!thread) return lastErrorResult();  // stays stopped
    m_hThread = std::move(thread);
    m_bStarted = true;
    return S_OK;
}

void Watch::StopWatch() {
    if (!m_bStarted || !m_hStopEvent) return;
    SetEvent(m_hStopEvent.get());
    WaitForSingleObject(m_hThread.get(), INFINITE);
    m_hThread.reset();
    m_bStarted = false;
}

bool Watch::processWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg != WM_WATCH_NOTIFY) return false;
    result = OnWatchNotify(msg, wParam, lParam);
    return true;
}

LRESULT Watch::OnWatchNotify(UINT, WPARAM wParam, LPARAM) {
    win::UniqueBstr path;
    try {
        std::string changed;
        {
            std::lock_guard guard(m_lock);
            changed = m_changedPath;
        }
        path.reset(fromAnsi(changed));
    } catch (const std::bad_alloc&) {
    }
    if (!path) return 0;  // out of memory: no event rather than a wrong one
    // A sink may let go of the object while it is notified (its handler can pump messages and
    // close its owner); the object stays until every sink has had the event.
    Microsoft::WRL::ComPtr<IWatch> self(static_cast<IWatch*>(this));
    FireNotify(path.get(), static_cast<short>(LOWORD(wParam)));
    return 0;
}

void Watch::FireNotify(BSTR sPathName, short nType) {
    m_events.forEachSink([&](IUnknown* sink) {
        // The sink was obtained for _IWatchEvents, a dispatch interface.
        auto* events = reinterpret_cast<IDispatch*>(sink);
        win::UniqueVariant args[2];  // positional arguments, last parameter first
        static_assert(sizeof args == 2 * sizeof(VARIANTARG), "DISPPARAMS takes them as one array");
        args[0]->vt = VT_I2;
        args[0]->iVal = nType;
        if (BSTR copy = SysAllocStringLen(sPathName, SysStringLen(sPathName))) {
            args[1]->vt = VT_BSTR;
            args[1]->bstrVal = copy;
        } else {
            args[1]->vt = VT_ERROR;
            args[1]->scode = E_OUTOFMEMORY;
        }
        DISPPARAMS params{args[0].get(), nullptr, 2, 0};
        win::UniqueVariant result;
        events->Invoke(DISPID_Notify, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.get(), nullptr,
                       nullptr);
    });
}

DWORD WINAPI Watch::WatchThread(LPVOID param) {
    auto* self = static_cast<Watch*>(param);
    const HANDLE stop = self->m_hStopEvent.get();
    const HANDLE reload = self->m_hReloadEvent.get();
    const HWND window = self->hwnd();
    WaitSet set;
    unsigned failures = 0;  // failed waits, re-arms or rebuilds in a row

    for (;;) {
        bool failed = false;
        if (set.used == 0) {
            set.handles[0] = stop;
            set.handles[1] = reload;
            set.used = 2;
            std::vector<std::string> paths;
            try {
                std::lock_guard guard(self->m_lock);
                paths = self->m_paths;
            } catch (const std::bad_alloc&) {
                failed = true;
            }
            size_t watched = 0;
            for (std::string& path : paths) {
                if (watched == kMaxWatchedFolders) break;
                win::UniqueChangeNotification triple[3];
                bool opened = true;
                for (int t = 0; t < 3 && opened; ++t) {
                    triple[t].reset(FindFirstChangeNotificationA(path.c_str(), FALSE, kFilters[t]));
                    opened = static_cast<bool>(triple[t]);
                }
                if (!opened) continue;  // not watched until the next rebuild
                for (auto& handle : triple) set.handles[set.used++] = handle.release();
                set.paths[watched++] = std::move(path);
            }
        }

        if (!failed) {
            DWORD r = WaitForMultipleObjects(set.used, set.handles.data(), FALSE, INFINITE);
            if (r == WAIT_OBJECT_0) break;
            if (r == WAIT_OBJECT_0 + 1) {
                set.close();
                continue;
            }
            DWORD slot = r - WAIT_OBJECT_0;
            if (r >= WAIT_OBJECT_0 + 2 && slot < set.used) {
                try {
                    std::lock_guard guard(self->m_lock);
                    self->m_changedPath = set.paths[(slot - 2) / 3];
                } catch (const std::bad_alloc&) {
                }
                PostMessageW(window, WM_WATCH_NOTIFY, (slot - 2) % 3 + 1, 0);
                if (FindNextChangeNotification(set.handles[slot])) {
                    failures = 0;
                    continue;
                }
            }
            // A failed wait, or a notification that cannot be re-armed (its folder went away).
        }

        set.close();
        if (++failures > 1) {
            DWORD pause = std::min<DWORD>(kMaxPauseMs, 10u << std::min(failures - 2, 7u));
            HANDLE events[2] = {stop, reload};
            DWORD r = WaitForMultipleObjects(2, events, FALSE, pause);
            if (r == WAIT_OBJECT_0) break;
            if (r == WAIT_FAILED) Sleep(pause);
        }
    }
    set.close();
    return 0;
}

}  // namespace qs::foldwatcher
