#include "bench/benchutil.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/runtime/text.h"

namespace qs::bench {

double nowMs() {
    static const LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * double(t.QuadPart) / double(freq.QuadPart);
}

double ms(const std::function<void()>& work) {
    const double start = nowMs();
    work();
    return nowMs() - start;
}

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double timeIt(const std::function<void()>& work, int runs) {
    return timeIt([] {}, work, runs);
}

double timeIt(const std::function<void()>& prepare, const std::function<void()>& work, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        times.push_back(ms(work));
    }
    return median(std::move(times));
}

void report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-44s min %8.2f ms   median %8.2f ms   max %8.2f ms\n", what, times.front(), times[times.size() / 2],
                times.back());
}

void copyFile(const std::string& from, const std::string& to) {
    if (!CopyFileW(rt::widen(from).c_str(), rt::widen(to).c_str(), FALSE)) {
        std::fprintf(stderr, "cannot copy %s to %s\n", from.c_str(), to.c_str());
        std::exit(3);
    }
}

}  // namespace qs::bench
