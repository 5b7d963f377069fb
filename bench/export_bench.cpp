// The export through the About window: 100,000 jobs, 10,000 favourites and 10,000 phone rows to a text
// file. Beside it, in the same run, the floor: the same bytes written to a file bare.
// Usage: export_bench [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/dialogs/form4.h"
#include "app/globals.h"
#include "bench/benchutil.h"
#include "platform/db/db.h"
#include "platform/runtime/text.h"
#include "tests/support/files.h"
#include "tests/support/services.h"
#include "tests/support/testdb.h"

using namespace qs;
using bench::median;
using bench::nowMs;

namespace {

constexpr int kJobs = 100000, kFavourites = 10000, kPhone = 10000;

void makeDatabase(const std::string& path) {
    test::createProgramDatabase(path);
    test::Seed rows(path);
    static const char* const words[] = {"LETTER", "BUDGET", "INVOICE", "NOTES", "MINUTES", "PLAN", "REPORT"};
    for (int i = 0; i < kJobs; ++i) {
        const std::string folder = "C:\\USERS\\CLERK\\DOCUMENTS\\PROJECT " + std::to_string(i % 200) + "\\";
        const std::string name = std::string(words[i % 7]) + " " + std::to_string(i) + ".DOC";
        rows.job(folder + name, db::Date{45000.0 + i / 97.0}, i % 7 == 0);
    }
    for (int i = 0; i < kFavourites; ++i)
        rows.favorite("SITE " + std::to_string(i), "http://site-" + std::to_string(i) + ".example/start",
                      i % 3 ? " " : "NEWS DAILY");
    for (int i = 0; i < kPhone; ++i)
        rows.phone("PERSON " + std::to_string(i),
                   "EXT " + std::to_string(2000 + i % 900) + "  ROOM " + std::to_string(i % 60));
    rows.commit();
}

// The floor: the export's bytes written by one call.
void writeBare(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileW(rt::widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    test::TempDir dir("exportbench");
    const std::string dbPath = dir.file("export.mdb"), out = dir.file("export.txt"), bare = dir.file("bare.txt");
    const double made = nowMs();
    makeDatabase(dbPath);
    std::printf("database made in %.0f ms\n", nowMs() - made);

    test::FakeServices services;
    services.saveAnswer = out;
    app::myDBname = dbPath;
    app::Form4 about;
    about.Show();
    std::vector<double> exports, floors;
    for (int r = 0; r < runs; ++r) {
        double start = nowMs();
        about.Image3_MouseUp(0, 1, 0, 0, 0);
        exports.push_back(nowMs() - start);

        const std::string bytes = test::readFile(out);
        start = nowMs();
        writeBare(bare, bytes);
        floors.push_back(nowMs() - start);
    }
    const std::string bytes = test::readFile(out);
    const long lines = long(std::count(bytes.begin(), bytes.end(), '\n'));
    std::printf("export of %d jobs, %d favourites, %d phone rows (%ld lines, %.1f MB), median of %d:\n", kJobs,
                kFavourites, kPhone, lines, bytes.size() / 1048576.0, runs);
    std::printf("  through the window %8.1f ms   floor (same bytes written bare) %8.1f ms   ratio %5.2f\n",
                median(exports), median(floors), median(exports) / median(floors));
    return 0;
}
