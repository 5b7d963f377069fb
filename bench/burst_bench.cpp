// The main window with the registered Foldwatcher library under bursts, as users and other programs make
// them: shortcuts appearing in its Recent folder at a steady rate and all at once, while another process
// hands in paths (qs_send, a WM_COPYDATA each) and the window's queue is probed with posted messages.
// For each phase: shortcuts recorded of made, the time from a shortcut to its row (median, longest), how
// long a posted message waits (median, longest), the process's peak growth of private memory and threads.
// First a quiet phase, one shortcut a second and no sender: the floor of the same measures.
//   burst_bench [stream] [perSecond] [burst]
#include <windows.h>
#include <psapi.h>
#include <sqlite3.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/quillstack1.h"
#include "bench/baresqlite.h"
#include "bench/benchutil.h"
#include "platform/controls/flexgrid.h"
#include "platform/runtime/text.h"
#include "tests/app/app_support.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/pump.h"
#include "tests/support/shortcutmaker.h"

using namespace qs;
using bench::nowMs;

namespace {

double sinceBoot() { return double(GetTickCount64()); }  // the clock of ShortcutMaker::madeAt

// The process's committed private memory (Wine fills PagefileUsage, not PrivateUsage).
size_t privateBytes() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.PagefileUsage;
}

int threadCount() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return 0;
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    int n = 0;
    for (BOOL more = Thread32First(snap, &te); more; more = Thread32Next(snap, &te))
        if (te.th32OwnerProcessID == GetCurrentProcessId()) ++n;
    CloseHandle(snap);
    return n;
}

// Watches the database from a connection of its own (new rows only, every 25 ms): when each Jobs row
// first appeared; and samples the process's private memory and threads.
class Probe {
public:
    explicit Probe(const std::string& dbPath) : db_(bench::openBare(dbPath, SQLITE_OPEN_READONLY)) {
        thread_ = std::thread([this] {
            while (!done_) {
                poll();
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    peakBytes_ = std::max(peakBytes_, privateBytes());
                    peakThreads_ = std::max(peakThreads_, threadCount());
                }
                Sleep(25);
            }
        });
    }
    ~Probe() {
        done_ = true;
        thread_.join();
        sqlite3_close(db_);
    }

    // When the row of `fullName` appeared (GetTickCount64), 0 while it has not.
    double seen(const std::string& fullName) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = seen_.find(fullName);
        return it == seen_.end() ? 0 : it->second;
    }
    size_t rows() {
        std::lock_guard<std::mutex> lock(mutex_);
        return seen_.size();
    }
    // Starts a phase's peaks from now.
    void resetPeaks(size_t& bytes, int& threads) {
        std::lock_guard<std::mutex> lock(mutex_);
        bytes = peakBytes_ = privateBytes();
        threads = peakThreads_ = threadCount();
    }
    void peaks(size_t& bytes, int& threads) {
        std::lock_guard<std::mutex> lock(mutex_);
        bytes = peakBytes_;
        threads = peakThreads_;
    }

private:
    void poll() {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, "SELECT rowid, JobFullName FROM Jobs WHERE rowid > ?", -1, &st, nullptr) !=
            SQLITE_OK)
            return;
        sqlite3_bind_int64(st, 1, lastRowid_);
        const double now = sinceBoot();
        std::lock_guard<std::mutex> lock(mutex_);
        while (sqlite3_step(st) == SQLITE_ROW) {
            lastRowid_ = sqlite3_column_int64(st, 0);
            const unsigned char* name = sqlite3_column_text(st, 1);
            if (name) seen_.emplace(reinterpret_cast<const char*>(name), now);
        }
        sqlite3_finalize(st);
    }

    sqlite3* db_;
    std::thread thread_;
    std::atomic<bool> done_{false};
    std::mutex mutex_;
    std::map<std::string, double> seen_;
    sqlite3_int64 lastRowid_ = 0;
    size_t peakBytes_ = 0;
    int peakThreads_ = 0;
};

// Posts a message to a window of the main thread every 20 ms from another thread and keeps how long each
// waited in the queue: a posted message waits behind whatever the thread is doing.
class QueueProbe {
public:
    QueueProbe() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &QueueProbe::procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QsBenchQueueProbe";
        RegisterClassExW(&wc);
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        self = this;
        postedAt_.resize(1 << 16);
    }
    ~QueueProbe() {
        stop();
        DestroyWindow(hwnd_);
    }
    void start() {
        stop();
        waits_.clear();
        done_ = false;
        thread_ = std::thread([this] {
            while (!done_ && next_ < postedAt_.size()) {
                postedAt_[next_] = nowMs();
                PostMessageW(hwnd_, WM_APP, WPARAM(next_), 0);
                ++next_;
                Sleep(20);
            }
        });
    }
    // The waits of the messages handled since start.
    std::vector<double> stop() {
        done_ = true;
        if (thread_.joinable()) thread_.join();
        return waits_;
    }

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_APP) {
            self->waits_.push_back(nowMs() - self->postedAt_[wParam]);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    static inline QueueProbe* self = nullptr;
    HWND hwnd_ = nullptr;
    std::thread thread_;
    std::atomic<bool> done_{true};
    std::vector<double> postedAt_;
    std::atomic<size_t> next_{0};
    std::vector<double> waits_;
};

// Another program handing in paths while the phase runs: qs_send with 25 existing files at a time, one
// process after another, the files over again once all were sent (their jobs' dates refreshed). Counts the
// paths handed in.
class Sender {
public:
    explicit Sender(const std::string& folder) {
        for (int i = 0; i < 2000; ++i)
            files_.push_back(test::writeFile(folder + "\\sent " + std::to_string(i) + ".txt"));
    }
    ~Sender() { stop(); }
    void start() {
        done_ = false;
        thread_ = std::thread([this] {
            const std::wstring program = test::besideThisProgram(L"qs_send.exe");
            while (!done_) {
                std::wstring command = L"\"" + program + L"\" paths";
                for (size_t i = 0; i < 25; ++i) command += L" \"" + rt::widen(files_[next_++ % files_.size()]) + L"\"";
                const test::ProgramRun sent = test::runProgram(command, 60000);
                if (sent.finished && sent.exitCode == 0) handedIn += 25;
            }
        });
    }
    void stop() {
        done_ = true;
        if (thread_.joinable()) thread_.join();
    }
    std::atomic<int> handedIn{0};

private:
    std::vector<std::string> files_;
    size_t next_ = 0;
    std::thread thread_;
    std::atomic<bool> done_{true};
};

void line(const char* what, std::vector<double> v, const char* unit = "ms") {
    if (v.empty()) {
        std::printf("  %-40s none\n", what);
        return;
    }
    std::sort(v.begin(), v.end());
    std::printf("  %-40s median %7.0f %s   longest %7.0f %s   (%zu)\n", what, v[v.size() / 2], unit, v.back(), unit,
                v.size());
}

struct Phase {
    const char* name;
    test::ShortcutMaker* shortcuts;
    double perSecond;
    bool sending;
};

// One phase: the shortcuts moved into the Recent folder, the window served until every one has its row
// (or 60 s after the last), then the figures.
void runPhase(const Phase& phase, test::MainWindowRun& run, Probe& probe, QueueProbe& queue, Sender& sender) {
    if (phase.shortcuts->targets().empty()) return;
    size_t startBytes = 0;
    int startThreads = 0;
    probe.resetPeaks(startBytes, startThreads);
    const int sentBefore = sender.handedIn;
    const unsigned rescansBefore = run.w->recentRescan.runs();
    if (phase.sending) sender.start();
    queue.start();
    test::ShortcutMaker& made = *phase.shortcuts;
    std::vector<std::string> rows;  // each target as its row names it
    for (const std::string& target : made.targets()) rows.push_back(rt::UCase(target));
    made.start(run.recent.path(), phase.perSecond);
    auto recorded = [&] {
        size_t n = 0;
        for (const std::string& row : rows) n += probe.seen(row) != 0;
        return n;
    };
    // Until the last shortcut is in the folder, then until every one has its row.
    const size_t count = made.targets().size();
    test::pumpUntil([&] { return made.placed() == count; }, 600000);
    const size_t atLastMade = recorded();
    const double lastMade = sinceBoot();
    test::pumpUntil([&] { return recorded() == count; }, 60000);
    const double caughtUp = sinceBoot() - lastMade;
    made.join();
    std::vector<double> waits = queue.stop();
    if (phase.sending) sender.stop();
    size_t peakBytes = 0;
    int peakThreads = 0;
    probe.peaks(peakBytes, peakThreads);

    std::vector<double> latency;
    for (size_t i = 0; i < count; ++i) {
        const double seen = probe.seen(rows[i]);
        if (seen != 0 && made.madeAt[i] != 0) latency.push_back(std::max(0.0, seen - double(made.madeAt[i])));
    }
    std::printf(
        "%s: %zu shortcuts%s%s\n", phase.name, count,
        phase.perSecond > 0 ? (" at " + std::to_string(int(phase.perSecond)) + " a second").c_str() : " at once",
        phase.sending ? ", another process handing in paths" : "");
    std::printf("  recorded when the last was made: %zu; in all: %zu; all recorded %.0f ms after the last was made\n",
                atLastMade, recorded(), caughtUp);
    std::printf("  rescans: %u; paths handed in meanwhile: %d\n", run.w->recentRescan.runs() - rescansBefore,
                sender.handedIn - sentBefore);
    line("shortcut to its row", latency);
    line("posted message waited", waits);
    std::printf("  private memory %.1f MB at the start, peak growth %.1f MB; threads %d at the start, peak growth %d\n",
                double(startBytes) / 1048576.0, double(peakBytes - startBytes) / 1048576.0, startThreads,
                peakThreads - startThreads);
}

}  // namespace

int main(int argc, char** argv) {
    const int streamCount = argc > 1 ? std::atoi(argv[1]) : 2000;
    const double perSecond = argc > 2 ? std::atof(argv[2]) : 15;
    const int burstCount = argc > 3 ? std::atoi(argv[3]) : 500;

    if (!test::registerFoldwatcher()) {
        std::puts("cannot register Foldwatcher.dll");
        return 1;
    }
    test::MainWindowRun run("burstbench", true);
    run.save("timelimit", "32767");
    const std::string docs = test::makeFolder(run.dir.file("Docs"));
    double t = nowMs();
    test::ShortcutMaker quiet(docs, 10, "quiet"), stream(docs, streamCount, "stream"), alone(docs, burstCount, "alone"),
        burst(docs, burstCount, "burst"), closing(docs, burstCount, "closing");
    Sender sender(test::makeFolder(run.dir.file("Sent")));
    std::printf("made %d shortcuts ready in %.0f ms\n", 10 + streamCount + 3 * burstCount, nowMs() - t);

    if (!run.start(true)) return 1;
    Probe probe(run.dbPath);
    QueueProbe queue;
    test::pumpFor(500);

    runPhase({"quiet (the floor)", &quiet, 1, false}, run, probe, queue, sender);
    runPhase({"stream", &stream, perSecond, true}, run, probe, queue, sender);
    runPhase({"burst alone", &alone, 0, false}, run, probe, queue, sender);
    runPhase({"burst", &burst, 0, true}, run, probe, queue, sender);

    // Closing while a rescan writes the burst's rows: WM_CLOSE posted from another thread once the first rows
    // are in, timed until the window is gone and the rescan has stopped.
    const size_t before = probe.rows();
    std::atomic<double> closeSent{0};
    closing.start(run.recent.path(), 0);
    std::thread closer([&] {
        for (int waited = 0; probe.rows() < before + 20 && waited < 30000; waited += 5) Sleep(5);
        closeSent = nowMs();
        PostMessageW(run.w->hWnd(), WM_CLOSE, 0, 0);
    });
    test::pumpUntil([&] { return closeSent != 0 && !run.w->Loaded() && !run.w->recentRescan.running(); }, 60000);
    const double closed = nowMs() - closeSent;
    closer.join();
    test::pumpFor(500);
    std::printf(
        "close during a burst: %zu of its %d rows recorded, window gone and rescan stopped %.0f ms after "
        "WM_CLOSE was posted\n",
        probe.rows() - before, burstCount, closed);
    closing.join();
    return 0;
}
