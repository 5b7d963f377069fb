// The Watch object: a list of folders, watched by one worker thread while started; each change
// becomes a Notify event on the thread that created the object.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "foldwatcher/Foldwatcher.h"
#include "foldwatcher/foldwatcher_ids.h"
#include "platform/com/connection.h"
#include "platform/com/dispatch.h"
#include "platform/com/object.h"
#include "platform/com/window.h"
#include "platform/win/handles.h"

namespace qs::foldwatcher {

// Posted by the worker to the hidden window: wParam = nType (1, 2 or 3), lParam = 0.
inline constexpr UINT WM_WATCH_NOTIFY = WM_USER + 101;

// The wait takes at most 64 handles: the stop and reload events and three per folder.
inline constexpr size_t kMaxWatchedFolders = (MAXIMUM_WAIT_OBJECTS - 2) / 3;

class Watch : public com::ObjectRoot,
              public com::DispatchImpl<IWatch, &IID_IWatch, &LIBID_FOLDWATCHER, kTypeLibMajor, kTypeLibMinor>,
              public com::ConnectionPointContainer,
              public com::WindowImpl {
public:
    static constexpr com::InterfaceEntry kInterfaces[] = {
        {&IID_IWatch, com::entry<Watch, IWatch>},
        {&IID_IDispatch, com::entry<Watch, IDispatch>},
        {&IID_IConnectionPointContainer, com::entry<Watch, IConnectionPointContainer>},
        {},
    };

    Watch() = default;

    HRESULT FinalConstruct();
    void FinalRelease();

    // IWatch
    STDMETHODIMP AddPath(BSTR sPathName) override;
    STDMETHODIMP get_Start(VARIANT_BOOL* pVal) override;
    STDMETHODIMP put_Start(VARIANT_BOOL newVal) override;
    STDMETHODIMP RemovePath(BSTR sPathName) override;

protected:
    std::span<com::ConnectionPoint* const> connectionPoints() override { return {m_points, 1}; }
    bool processWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    HRESULT StartWatch();
    void StopWatch();
    LRESULT OnWatchNotify(UINT msg, WPARAM wParam, LPARAM lParam);
    void FireNotify(BSTR sPathName, short nType);
    static DWORD WINAPI WatchThread(LPVOID param);

    // Declared first so that the sinks are released after every other member.
    com::ConnectionPoint m_events{this, DIID__IWatchEvents};
    com::ConnectionPoint* const m_points[1] = {&m_events};
    com::CriticalSection m_lock;  // guards m_paths and m_changedPath between the two threads

    std::vector<std::string> m_paths;  // ANSI, in the order added, no two byte-equal
    win::UniqueHandle m_hStopEvent;    // auto-reset; ends the worker
    win::UniqueHandle m_hReloadEvent;  // auto-reset; the list changed while started
    win::UniqueHandle m_hThread;
    bool m_bStarted = false;
    std::string m_changedPath;  // the folder the worker reported last
};

}  // namespace qs::foldwatcher
