#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>

#include "platform/win/window.h"

namespace qs::app {

// WM_COPYDATA kinds the receiver answers.
inline constexpr ULONG_PTR CDS_PATH_LIST = 2;  // a property bag: "NumEls" and the paths "0".."NumEls"
inline constexpr ULONG_PTR CDS_STRING = 3;     // ANSI text, at most 255 bytes taken

// Senders find the receiver by this title.
inline constexpr char kReceiverTitle[] = "Invisible Window to Receive a String";

// The hidden top-level window other programs send their paths to. Never shown. Its own procedure
// leaves every message to the system; hookWindow puts WindowProc in front of it.
class FrmInvisible : public win::Window {
public:
    void Load();    // creates the window (and its text box txtReceive); does nothing when loaded
    void Unload();  // destroys it
    bool isLoaded() const { return hwnd() != nullptr; }
    HWND hWnd() const { return hwnd(); }
    HWND txtReceive() const { return txtReceive_; }

private:
    bool processMessage(UINT, WPARAM, LPARAM, LRESULT&) override { return false; }
    void windowGone() override { txtReceive_ = nullptr; }

    HWND txtReceive_ = nullptr;
};
extern FrmInvisible frmInvisible;

// Replace / restore the window procedure of hWndReceiver; the previous one is kept in oldWndProc.
void hookWindow();
void unhookWindow();
LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// lParam of WM_COPYDATA. Replies through ReplyMessage.
void pReceiveMsg(LPARAM lParam);

// The same without a window: decodes the whole payload, calls reply(1) for a kind it understands, then
// records the paths of a CDS_PATH_LIST in Jobs of myDBname. A payload that does not decode gets no reply
// and changes nothing.
void pReceiveMsg(ULONG_PTR dwData, std::span<const uint8_t> payload, const std::function<void(LRESULT)>& reply);

// Runs one recording statement; when it fails shows "pReceiveMsg Function Error" and returns false.
bool receiverStep(const std::function<void()>& statement);

// The main window's share of ending a path list (topRow from MSgrid1, Data1.Refresh, redrawGrid, each
// through receiverStep): registered by the window when it loads, taken back (nullptr) when it goes.
// refreshJobsAfterReceive runs it, and does nothing while none is registered.
void setReceiveRefresh(std::function<void()> refresh);
void refreshJobsAfterReceive();

}  // namespace qs::app
