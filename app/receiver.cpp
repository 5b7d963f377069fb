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
constexpr char kReceiveError[] = "pReceiveMsg Function Error";

// A statement on an object that was never set fails as the runtime's error 91 would.
template <class T>
T& need(const std::shared_ptr<T>& object) {
    if (!object) throw rt::Error(91, "Object variable or With block variable not set");
    return *object;
}

// The recording's steps. A failing one's message is held back until the transaction has ended: a message
// box inside it would serve other messages (another list of paths, a keystroke) while this one keeps the
// file's write lock. The held messages are shown afterwards, in their order.
class HeldSteps {
public:
    bool operator()(const std::function<void()>& statement) {
        try {
            statement();
            return true;
        } catch (...) {
            ++held_;
            return false;
        }
    }
    void show() {
        for (; held_ > 0; --held_) rt::services().msgBox(kReceiveError, MB_OK, "");
    }

private:
    int held_ = 0;
};

// Records each path as a permanent job: an existing row gets the file's date, a new one is added. The paths
// share one connection and one transaction (a synced commit per path made a long list take seconds); the
// file is opened again for the next path only while it cannot be opened, so each path still meets each
// failure with its own message.
void recordReceivedPaths(const std::vector<std::string>& paths) {
    std::shared_ptr<db::Database> database;
    std::shared_ptr<db::Recordset> jobs;
    HeldSteps step;

    for (const std::string& path : paths) {
        receivedPath = path;
        // An empty element (a property that could not be read) or a path without a folder part names
        // no file that could be recorded: skipped without a message.
        const size_t cut = path.rfind('\\');
        if (cut == std::string::npos) continue;

        bool isFolder = false;
        step([&] { isFolder = (rt::GetAttr(path) & rt::attrDirectory) != 0; });
        if (isFolder) continue;

        const std::string location = path.substr(0, cut + 1);
        const std::string name = path.substr(cut + 1);

        if (!database && step([&] { database = db::Engine::OpenDatabase(myDBname); }))
            step([&] { database->BeginTrans(); });
        if (!jobs) step([&] { jobs = need(database).OpenRecordset("Jobs", db::dbOpenDynaset); });

        // Without a finished lookup it is unknown whether the path is there: editing would change
        // whichever row is current and adding could double the job, so the path is left alone.
        if (!step([&] { need(jobs).FindFirst(jobFullNameCriterion(path)); })) continue;
        bool found = false;
        if (!step([&] { found = !need(jobs).NoMatch(); })) continue;

        if (found) {
            step([&] { need(jobs).Edit(); });
            step([&] { need(jobs).set("JobDate", db::Date{rt::FileDateTime(path)}); });
            step([&] { need(jobs).Update(); });
        } else {
            step([&] { need(jobs).AddNew(); });
            step([&] { need(jobs).set("JobLocation", rt::UCase(location)); });
            step([&] { need(jobs).set("JobName", rt::UCase(name)); });
            step([&] { need(jobs).set("JobFullName", rt::UCase(path)); });
            step([&] { need(jobs).set("JobDate", db::Date{rt::FileDateTime(path)}); });
            step([&] { need(jobs).set("JobPermanent", true); });
            step([&] { need(jobs).Update(); });
        }
    }

    // A commit that fails leaves the transaction to the Close after it, which rolls it back.
    if (database && database->inTransaction()) step([&] { database->CommitTrans(); });
    if (jobs) step([&] { jobs->Close(); });
    if (database) step([&] { database->Close(); });
    step.show();
    refreshJobsAfterReceive();
}

}  // namespace

void FrmInvisible::Load() {
    if (hwnd()) return;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(instance, kReceiverClass, &wc)) {
        wc = WNDCLASSEXW{};
        wc.hInstance = instance;
        wc.lpszClassName = kReceiverClass;
        registerClass(wc);
    }
    // Never shown: created without WS_VISIBLE and left that way.
    if (!createBound(0, kReceiverClass, rt::widen(kReceiverTitle).c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                     CW_USEDEFAULT, 200, 100, nullptr, nullptr, instance))
        throw rt::errorFromWin32(GetLastError());
    txtReceive_ =
        CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 180, 20, hwnd(), nullptr, instance, nullptr);
}

void FrmInvisible::Unload() {
    if (hwnd()) DestroyWindow(hwnd());
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
    if (cds.lpData && cds.cbData) payload = {static_cast<const uint8_t*>(cds.lpData), static_cast<size_t>(cds.cbData)};
    pReceiveMsg(cds.dwData, payload, [](LRESULT result) { ReplyMessage(result); });
}

void pReceiveMsg(ULONG_PTR dwData, std::span<const uint8_t> payload, const std::function<void(LRESULT)>& reply) {
    if (dwData == CDS_STRING) {
        // The text is acknowledged and otherwise unused; at most 255 bytes of it are taken. No bytes at all
        // leave the zero-filled buffer as it is: an empty text, acknowledged like any other.
        std::array<char, kStringBuffer> buffer{};
        if (!payload.empty()) std::memcpy(buffer.data(), payload.data(), std::min(payload.size(), buffer.size()));
        const std::string text = rt::fromAnsi(std::string_view(buffer.data(), strnlen(buffer.data(), buffer.size())));
        (void)text;
        reply(1);
        return;
    }
    if (dwData != CDS_PATH_LIST || payload.empty()) return;

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
        rt::services().msgBox(kReceiveError, MB_OK, "");
        return false;
    }
}

}  // namespace qs::app
