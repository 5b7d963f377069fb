// One WM_COPYDATA of 1,000 paths sent from another thread to the receiver window, against a Jobs table of
// 10,000 rows: first as new files (1,000 rows added), then again (1,000 dates refreshed). Timed from the
// send until the receiver has recorded everything. Next to it the floor: the same 1,000 rows inserted by
// bare SQLite in one transaction on the same file.
//   receive_bench [jobs] [paths] [runs]
#include <windows.h>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/globals.h"
#include "app/receiver.h"
#include "bench/baresqlite.h"
#include "bench/benchutil.h"
#include "platform/db/db.h"
#include "platform/runtime/propertybag.h"
#include "platform/runtime/text.h"
#include "tests/support/files.h"
#include "tests/support/services.h"
#include "tests/support/testdb.h"

using namespace qs;
using bench::nowMs;
using bench::report;

namespace {

// Sends the message from a thread of its own, as another program would, and serves the receiver window
// until the send has returned and the receiver is done: the recording runs inside this thread's
// PeekMessage, so when that returns after the sender has ended, everything is recorded.
double sendAndServe(HWND receiver, const std::vector<uint8_t>& payload, LRESULT& reply) {
    HANDLE sent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const double start = nowMs();
    std::thread sender([&] {
        COPYDATASTRUCT cds{app::CDS_PATH_LIST, DWORD(payload.size()), const_cast<uint8_t*>(payload.data())};
        reply = SendMessageW(receiver, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
        SetEvent(sent);
    });
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (WaitForSingleObject(sent, 0) == WAIT_OBJECT_0) break;
        MsgWaitForMultipleObjects(1, &sent, FALSE, 50, QS_ALLINPUT);
    }
    const double ms = nowMs() - start;
    sender.join();
    CloseHandle(sent);
    return ms;
}

double bareInserts(const std::string& path, const std::vector<std::string>& paths) {
    sqlite3* db = bench::openBare(path);
    const double start = nowMs();
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Jobs VALUES (?1, ?2, ?3, ?4, -1)", -1, &st, nullptr);
    for (const std::string& p : paths) {
        const std::string upper = rt::UCase(p);
        const size_t cut = upper.rfind('\\');
        const std::string name = upper.substr(cut + 1), location = upper.substr(0, cut + 1);
        sqlite3_bind_text(st, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 2, 45000.0);
        sqlite3_bind_text(st, 3, location.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 4, upper.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const double ms = nowMs() - start;
    sqlite3_close(db);
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    const int jobCount = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int pathCount = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 5;

    test::TempDir root("receivebench");
    test::FakeServices services(root.path());
    const std::string seeded = root.file("seeded.mdb");
    double t = nowMs();
    test::createProgramDatabase(seeded);
    test::Seed(seeded).numberedJobs(jobCount).commit();
    std::printf("%d jobs ready in %.0f ms\n", jobCount, nowMs() - t);

    test::makeFolder(root.file("Docs"));
    std::vector<std::string> paths;
    for (int i = 0; i < pathCount; ++i) {
        paths.push_back(root.file("Docs") + "\\received " + std::to_string(i) + ".txt");
        test::writeFile(paths.back());
    }
    const std::vector<uint8_t> payload = rt::encodePathList(paths);

    app::frmInvisible.Load();
    app::hWndReceiver = app::frmInvisible.hWnd();
    app::hookWindow();

    std::vector<double> added, refreshed, floor;
    for (int run = 0; run < runs; ++run) {
        app::myDBname = root.file("jobs.mdb");
        bench::copyFile(seeded, app::myDBname);
        LRESULT reply = 0;
        added.push_back(sendAndServe(app::hWndReceiver, payload, reply));
        refreshed.push_back(sendAndServe(app::hWndReceiver, payload, reply));
        const size_t rows = test::readJobs(app::myDBname).size();
        if (reply != 1 || rows != size_t(jobCount + pathCount) || !services.messages.empty())
            std::printf("run %d: reply %ld, %zu rows, %zu messages\n", run, long(reply), rows,
                        services.messages.size());

        const std::string bare = root.file("bare.mdb");
        bench::copyFile(seeded, bare);
        floor.push_back(bareInserts(bare, paths));
    }
    app::unhookWindow();
    app::frmInvisible.Unload();

    std::printf("%d jobs, %d paths, %d runs\n", jobCount, pathCount, runs);
    report("receiver: new paths", added);
    report("receiver: known paths (date refreshed)", refreshed);
    report("bare SQLite: inserts in one transaction", floor);
    return 0;
}
