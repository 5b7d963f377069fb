// One Notify rescan of a Recent folder holding 10,000 shortcuts of which 10 are new, against a Jobs table
// of 100,000 rows; the handler's 250 ms wait is not part of it.
//   collect_bench [jobs] [shortcuts] [new] [runs]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/collector_core.h"
#include "bench/benchutil.h"
#include "platform/db/db.h"
#include "platform/runtime/app.h"
#include "platform/runtime/text.h"
#include "platform/win/handles.h"
#include "tests/collect/collect_support.h"
#include "tests/support/files.h"
#include "tests/support/services.h"
#include "tests/support/testdb.h"

using namespace qs;

using bench::nowMs;
using bench::report;

int main(int argc, char** argv) {
    const int jobCount = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int shortcutCount = argc > 2 ? std::atoi(argv[2]) : 10000;
    const int newCount = argc > 3 ? std::atoi(argv[3]) : 10;
    const int runs = argc > 4 ? std::atoi(argv[4]) : 7;

    win::ComInit com;
    test::TempDir root("collectbench");
    test::FakeServices services(root.path());
    const std::string recent = test::makeFolder(root.file("Recent")) + "\\";
    const std::string docs = test::makeFolder(root.file("Docs")) + "\\";
    const std::string dbPath = root.file("jobs.mdb");

    double t = nowMs();
    test::createProgramDatabase(dbPath);
    test::Seed(dbPath).numberedJobs(jobCount).commit();
    std::printf("%d jobs ready in %.0f ms\n", jobCount, nowMs() - t);

    t = nowMs();
    test::writeFile(docs + "known.txt");
    test::makeShortcut(root.file("template.lnk"), docs + "known.txt");
    char name[64];
    for (int i = 0; i < shortcutCount - newCount; ++i) {
        std::snprintf(name, sizeof name, "known %05d.txt.lnk", i);
        bench::copyFile(root.file("template.lnk"), recent + name);
    }
    const std::vector<std::string> baseline = app::listRecentFolder(recent);
    std::vector<std::string> fresh;
    for (int i = 0; i < newCount; ++i) {
        std::snprintf(name, sizeof name, "new %02d.txt", i);
        test::writeFile(docs + name);
        test::makeShortcut(recent + name + ".lnk", docs + name);
        fresh.push_back(rt::UCase(docs + name));
    }
    std::printf("made %d shortcuts in %.0f ms\n", shortcutCount, nowMs() - t);

    std::vector<std::string> recentFiles;
    int16_t recentFileCount = 0;
    const app::RecentRescan scan = test::recentRescan(recent, dbPath, &recentFiles, &recentFileCount);

    std::vector<double> adding, refreshing, listing, yielding, opening, openingFile, finding, writing, resolving;
    for (int run = 0; run < runs; ++run) {
        // New rows each time: the documents of the new names are taken out of Jobs first.
        {
            auto database = db::Engine::OpenDatabase(dbPath);
            database->Execute("DELETE FROM Jobs WHERE JobLocation = \"" + rt::UCase(docs) + "\"");
            database->Close();
        }
        recentFiles = baseline;
        recentFileCount = static_cast<int16_t>(baseline.size());
        t = nowMs();
        if (!app::rescanRecentFolder(scan)) {
            std::printf("rescan failed: %s\n", test::readFile(root.file("error.log")).c_str());
            return 1;
        }
        adding.push_back(nowMs() - t);

        // The same documents again: their rows get the shortcut's date.
        recentFiles = baseline;
        recentFileCount = static_cast<int16_t>(baseline.size());
        t = nowMs();
        app::rescanRecentFolder(scan);
        refreshing.push_back(nowMs() - t);

        t = nowMs();
        app::listRecentFolder(recent);
        listing.push_back(nowMs() - t);

        t = nowMs();
        for (int i = 0; i < shortcutCount; ++i) rt::DoEvents();
        yielding.push_back(nowMs() - t);

        t = nowMs();
        auto database = db::Engine::OpenDatabase(dbPath);
        openingFile.push_back(nowMs() - t);
        auto jobs = database->OpenRecordset("Jobs", db::dbOpenDynaset);
        opening.push_back(nowMs() - t);
        t = nowMs();
        for (const std::string& full : fresh) jobs->FindFirst(app::jobFullNameCriterion(full));
        finding.push_back(nowMs() - t);
        t = nowMs();
        for (int i = 0; i < newCount; ++i) {
            jobs->AddNew();
            jobs->set("JobFullName", std::string("C:\\SCRATCH\\") + std::to_string(i));
            jobs->Update();
        }
        writing.push_back(nowMs() - t);
        jobs->Close();
        database->Execute("DELETE FROM Jobs WHERE JobFullName Like \"C:\\SCRATCH\\*\"");
        database->Close();

        t = nowMs();
        for (int i = 0; i < newCount; ++i) {
            std::snprintf(name, sizeof name, "new %02d.txt.lnk", i);
            app::resolveShortcutPath(nullptr, recent + name);
        }
        resolving.push_back(nowMs() - t);
    }
    for (const std::string& full : fresh)
        if (test::jobsNamed(dbPath, full).size() != 1) {
            std::printf("missing or doubled job %s\n", full.c_str());
            return 1;
        }

    std::printf("%d jobs, %d shortcuts, %d new, %d runs\n", jobCount, shortcutCount, newCount, runs);
    report("rescan, new documents added", adding);
    report("rescan, known documents dated", refreshing);
    report("  of which: listing the folder", listing);
    report("(one DoEvents per name, no longer done)", yielding);
    report("  of which: opening the database and Jobs", opening);
    report("    the database alone", openingFile);
    report("  of which: one FindFirst per new name", finding);
    report("  of which: one AddNew/Update per new name", writing);
    report("  of which: resolving the new shortcuts", resolving);
    return 0;
}
