#include "app/receiver.h"

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/collector_core.h"
#include "app/globals.h"
#include "platform/db/db.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/files.h"
#include "platform/runtime/propertybag.h"
#include "platform/runtime/services.h"
#include "platform/runtime/text.h"

namespace qs::app {

FrmInvisible frmInvisible;

namespace {

constexpr wchar_t kReceiverClass[] = L"QuillstackReceiver";
constexpr size_t kStringBuffer = 255;

// A statement on an object that was never set fails as the runtime's error 91 would.
template <class T>
T& need(const std::shared_ptr<T>& object) {
    if (!object) throw rt::Error(91, "Object variable or With block variable not set");
    return *object;
}

// Records each path as a permanent job: an existing row gets the file's date, a new one is added.
void recordReceivedPaths(const std::vector<std::string>& paths) {
    std::shared_ptr<db::Database> database;
    std::shared_ptr<db::Recordset> jobs;

    for (const std::string& path : paths) {
        receivedPath = path;
        // An empty element (a property that could not be read) or a path without a folder part names
        // no file that could be recorded: skipped without a message.
        const size_t cut = path.rfind('\\');
        if (cut == std::string::npos) continue;

        bool isFolder = false;
        receiverStep([&] { isFolder = (rt::GetAttr(path) & rt::attrDirectory) != 0; });
        if (isFolder) continue;

        const std::string location = path.substr(0, cut + 1);
        const std::string name = path.substr(cut + 1);

        jobs.reset();
        database.reset();
        receiverStep([&] { database = db::Engine::OpenDatabase(myDBname); });
        receiverStep([&] { jobs = need(database).OpenRecordset("Jobs", db::dbOpenDynaset); });

        // Without a finished lookup it is unknown whether the path is there: editing would change
        // whichever row is current and adding could double the job, so the path is left alone.
        if (!receiverStep([&] { need(jobs).FindFirst(jobFullNameCriterion(path)); })) continue;
        bool found = false;
        if (!receiverStep([&] { found = !need(jobs).NoMatch(); })) continue;

        if (found) {
            receiverStep([&] { need(jobs).Edit(); });
            receiverStep([&] { need(jobs).set("JobDate", db::Date{rt::FileDateTime(path)}); });
            receiverStep([&] { need(jobs).Update(); });
        } else {
            receiverStep([&] { need(jobs).AddNew(); });
            receiverStep([&] { need(jobs).set("JobLocation", rt::UCase(location)); });
            receiverStep([&] { need(jobs).set("JobName", rt::UCase(name)); });
            receiverStep([&] { need(jobs).set("JobFullName", rt::UCase(path)); });
            receiverStep([&] { need(jobs).set("JobDate", db::Date{rt::FileDateTime(path)}); });
            receiverStep([&] { need(jobs).set("JobPermanent", true); });
            receiverStep([&] { need(jobs).Update(); });
        }
    }

    if (jobs) receiverStep([&] { jobs->Close(); });
    if (database) receiverStep([&] { database->Close(); });
    refreshJobsAfterReceive();
}

}  // namespace

void FrmInvisible::Load() {
    if (hwnd_) return;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    if (!GetClassInfoW(instance, kReceiverClass, &wc)) {
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = instance;
        wc.lpszClassName = kReceiverClass;
        RegisterClassW(&wc);
    }
    // Never shown: created without WS_VISIBLE and left that way.
    hwnd_ = CreateWindowExW(0, kReceiverClass, rt::widen(kReceiverTitle).c_str(), WS_OVERLAPPEDWINDOW,
                            CW_USEDEFAULT, CW_USEDEFAULT, 200, 100, nullptr, nullptr, instance, nullptr);
    if (!hwnd_) throw rt::errorFromWin32(GetLastError());
    txtReceive_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 180, 20, hwnd_,
                                  nullptr, instance, nullptr);
}

void FrmInvisible::Unload() {
    if (!hwnd_) return;
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    txtReceive_ = nullptr;
}

void hookWindow() {
    if (!hWndReceiver) return;
    // Hooking twice would make WindowProc its own previous procedure.
    auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hWndReceiver, GWLP_WNDPROC));
    if (current == WindowProc) return;
    oldWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hWndReceiver, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc)));
}

void unhookWindow() {
    if (!hWndReceiver || !oldWndProc) return;
    SetWindowLongPtrW(hWndReceiver, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldWndProc));
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPYDATA) {
        try {
            pReceiveMsg(lParam);
        } catch (...) {
            // Nothing of a sender's message may tear down the message loop.
        }
    }
    if (!oldWndProc) return DefWindowProcW(hwnd, msg, wParam, lParam);
    return CallWindowProcW(oldWndProc, hwnd, msg, wParam, lParam);
}

void pReceiveMsg(LPARAM lParam) {
    if (!lParam) return;
    COPYDATASTRUCT cds;
    std::memcpy(&cds, reinterpret_cast<const void*>(lParam), sizeof cds);
    std::span<const uint8_t> payload;
    if (cds.lpData && cds.cbData)
        payload = {static_cast<const uint8_t*>(cds.lpData), static_cast<size_t>(cds.cbData)};
    pReceiveMsg(cds.dwData, payload, [](LRESULT result) { ReplyMessage(result); });
}

void pReceiveMsg(ULONG_PTR dwData, std::span<const uint8_t> payload,
                 const std::function<void(LRESULT)>& reply) {
    if (payload.empty()) return;

    if (dwData == CDS_STRING) {
        // The text is acknowledged and otherwise unused; at most 255 bytes of it are taken.
        std::array<char, kStringBuffer> buffer{};
        std::memcpy(buffer.data(), payload.data(), std::min(payload.size(), buffer.size()));
        const std::string text = rt::fromAnsi(std::string_view(buffer.data(), strnlen(buffer.data(), buffer.size())));
        (void)text;
        reply(1);
        return;
    }
    if (dwData != CDS_PATH_LIST) return;

    // The whole list is decoded before the sender is let go; one that does not decode is ignored.
    std::optional<std::vector<std::string>> paths = rt::decodePathList(payload);
    if (!paths) return;
    reply(1);
    recordReceivedPaths(*paths);
}

namespace {
std::function<void()> receiveRefresh;
}  // namespace

void setReceiveRefresh(std::function<void()> refresh) { receiveRefresh = std::move(refresh); }

void refreshJobsAfterReceive() {
    if (receiveRefresh) receiveRefresh();
}

bool receiverStep(const std::function<void()>& statement) {
    try {
        statement();
        return true;
    } catch (...) {
        rt::services().msgBox("pReceiveMsg Function Error", MB_OK, "");
        return false;
    }
}

}  // namespace qs::app
