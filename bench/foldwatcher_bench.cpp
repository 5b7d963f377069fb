// Foldwatcher: time from a file created in a watched folder to Notify on the owner thread (median
// and worst of N changes), and the worker's CPU time while the watch sits idle.
// Usage: foldwatcher_bench [changes=1000] [idle seconds=10]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

#include "bench/benchutil.h"
#include "platform/win/handles.h"
#include "tests/foldwatcher/fw_test_util.h"
#include "tests/support/files.h"
#include "tests/support/pump.h"

using namespace fwtest;
using qs::bench::nowMs;
using qs::test::pumpFor;
using qs::test::pumpUntil;

namespace {

double cpuMs(HANDLE thread) {
    FILETIME c, e, k, u;
    GetThreadTimes(thread, &c, &e, &k, &u);
    auto v = [](const FILETIME& f) { return (ULONGLONG(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    return static_cast<double>(v(k) + v(u)) / 10000.0;
}

}  // namespace

int main(int argc, char** argv) {
    const int changes = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 10;
    qs::win::ComInit com;
    int rc = 0;
    {
        Library lib;
        IWatch* watch = lib.createWatch();
        if (!watch) {
            std::fprintf(stderr, "cannot create Watch from %ls\n", dllPath().c_str());
            return 1;
        }
        qs::test::TempDir dir("fwbench");
        Sink sink;
        double lastNotify = 0;
        sink.onNotify = [&](const Event&) { lastNotify = nowMs(); };
        BSTR path = bstr(dir.wpath());
        watch->AddPath(path);
        SysFreeString(path);
        advise(watch, &sink);
        auto before = threadsOfProcess();
        watch->put_Start(VARIANT_TRUE);
        std::set<DWORD> after = threadsOfProcess();
        HANDLE worker = nullptr;
        for (DWORD id : after)
            if (!before.count(id)) worker = OpenThread(THREAD_QUERY_INFORMATION, FALSE, id);

        // Until the worker watches the folder.
        int n = 0;
        while (sink.events.empty() && n < 50) {
            qs::test::writeFile(dir.wfile(L"warm" + std::to_wstring(++n)), "");
            pumpUntil([&] { return !sink.events.empty(); }, 100);
        }

        std::vector<double> latencies;
        int missed = 0;
        const double cpuBefore = worker ? cpuMs(worker) : 0;
        for (int i = 0; i < changes; ++i) {
            // Let the previous change's other notifications arrive first.
            size_t seen = sink.events.size();
            do {
                seen = sink.events.size();
                pumpFor(3);
            } while (sink.events.size() != seen);

            const std::wstring file = dir.wfile(L"f" + std::to_wstring(i) + L".txt");
            const double start = nowMs();
            HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            CloseHandle(h);
            if (pumpUntil([&] { return sink.events.size() > seen; }, 2000))
                latencies.push_back(lastNotify - start);
            else
                ++missed;
        }
        const double cpuChanges = worker ? cpuMs(worker) - cpuBefore : 0;

        std::sort(latencies.begin(), latencies.end());
        if (!latencies.empty()) {
            std::printf("create -> Notify over %zu changes: median %.3f ms, worst %.3f ms, p99 %.3f ms, missed %d\n",
                        latencies.size(), latencies[latencies.size() / 2], latencies.back(),
                        latencies[latencies.size() * 99 / 100], missed);
            std::printf("worker CPU during the changes: %.1f ms (%.3f ms per change)\n", cpuChanges,
                        cpuChanges / static_cast<double>(changes));
        } else {
            std::printf("no Notify arrived\n");
            rc = 1;
        }

        if (worker) {
            pumpFor(200);
            const double idleStart = cpuMs(worker);
            const double wallStart = nowMs();
            pumpFor(DWORD(idleSeconds) * 1000);
            std::printf("worker CPU while idle for %.1f s: %.3f ms\n", (nowMs() - wallStart) / 1000.0,
                        cpuMs(worker) - idleStart);
            CloseHandle(worker);
        }
        watch->put_Start(VARIANT_FALSE);
        watch->Release();
    }
    return rc;
}
