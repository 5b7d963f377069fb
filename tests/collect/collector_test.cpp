#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "app/collector_core.h"
#include "platform/runtime/app.h"
#include "platform/runtime/files.h"
#include "platform/runtime/text.h"
#include "platform/win/handles.h"
#include "platform/win/settledwork.h"
#include "tests/collect/collect_support.h"
#include "tests/support/files.h"
#include "tests/support/filelock.h"
#include "tests/support/pump.h"
#include "tests/support/services.h"
#include "tests/support/testdb.h"

using namespace qs;
using namespace qs::test;

namespace {

class CollectorTest : public ::testing::Test {
protected:
    CollectorTest() : services(root.path()) {
        recent = makeFolder(root.file("Recent")) + "\\";
        docs = makeFolder(root.file("Docs")) + "\\";
        dbPath = root.file("jobs.mdb");
        createProgramDatabase(dbPath);
    }

    // The listing the main window takes at load: what is there now counts as known.
    void takeBaseline() {
        recentFiles = app::listRecentFolder(recent);
        recentFileCount = static_cast<int16_t>(recentFiles.size());
    }

    app::RecentRescan scan() {
        return recentRescan(recent, dbPath, &recentFiles, &recentFileCount, [this] { ++refreshes; });
    }

    std::string doc(const std::string& name) {
        writeFile(docs + name);
        return docs + name;
    }

    win::ComInit com;
    TempDir root{"collect"};
    FakeServices services;
    std::string recent, docs, dbPath;
    std::vector<std::string> recentFiles;
    int16_t recentFileCount = 0;
    int refreshes = 0;
};

TEST_F(CollectorTest, NewShortcutBecomesAnUpperCasedJobWithTheShortcutsDate) {
    makeShortcut(recent + "old.lnk", doc("old.txt"));
    takeBaseline();
    makeShortcut(recent + "Letter to Bob.txt.lnk", doc("Letter to Bob.txt"));
    setWriteTime(recent + "Letter to Bob.txt.lnk", 2024, 3, 5, 14, 30);

    ASSERT_TRUE(app::rescanRecentFolder(scan()));

    auto rows = readJobs(dbPath);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "LETTER TO BOB.TXT");
    EXPECT_EQ(rows[0].location, rt::UCase(docs));
    EXPECT_EQ(rows[0].fullName, rt::UCase(docs + "Letter to Bob.txt"));
    EXPECT_EQ(rows[0].date, db::Value(db::Date{rt::FileDateTime(recent + "Letter to Bob.txt.lnk")}));
    EXPECT_EQ(rows[0].permanent, db::Value(false));
    EXPECT_EQ(recentFileCount, 2);
    EXPECT_EQ(refreshes, 1);

    // Nothing new: no row changes, the list is still refreshed.
    ASSERT_TRUE(app::rescanRecentFolder(scan()));
    EXPECT_EQ(readJobs(dbPath).size(), 1u);
    EXPECT_EQ(refreshes, 2);
}

TEST_F(CollectorTest, KnownDocumentInOtherCaseOnlyGetsTheShortcutsDate) {
    const std::string target = doc("Report.doc");
    Seed(dbPath).job(rt::UCase(target), db::Date{40000.5}, true).commit();
    takeBaseline();
    makeShortcut(recent + "report.lnk", rt::LCase(target));
    setWriteTime(recent + "report.lnk", 2023, 11, 2, 9, 15);

    ASSERT_TRUE(app::rescanRecentFolder(scan()));

    auto rows = readJobs(dbPath);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].fullName, rt::UCase(target));
    EXPECT_EQ(rows[0].date, db::Value(db::Date{rt::FileDateTime(recent + "report.lnk")}));
    EXPECT_EQ(rows[0].permanent, db::Value(true));
}

TEST_F(CollectorTest, WhatTheFolderListsDecidesWhatIsNew) {
    takeBaseline();
    writeFile(recent + "notes.TXT");
    writeFile(recent + "hidden.lnk");
    setAttributes(recent + "hidden.lnk", FILE_ATTRIBUTE_HIDDEN);
    writeFile(recent + "system.txt");
    setAttributes(recent + "system.txt", FILE_ATTRIBUTE_SYSTEM);
    CreateDirectoryW(rt::widen(recent + "Sub.lnk").c_str(), nullptr);

    EXPECT_EQ(app::listRecentFolder(recent), std::vector<std::string>{"notes.TXT"});
    ASSERT_TRUE(app::rescanRecentFolder(scan()));

    // A file that is no shortcut stands for itself.
    auto rows = readJobs(dbPath);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].fullName, rt::UCase(recent + "notes.TXT"));
    EXPECT_EQ(rows[0].location, rt::UCase(recent));
    EXPECT_EQ(rows[0].name, "NOTES.TXT");
    EXPECT_EQ(recentFileCount, 1);
}

TEST_F(CollectorTest, NameDifferingOnlyInCaseCountsAsNew) {
    const std::string target = doc("memo.txt");
    makeShortcut(recent + "Memo.lnk", target);
    recentFiles = {"memo.lnk"};
    recentFileCount = 1;

    ASSERT_TRUE(app::rescanRecentFolder(scan()));
    EXPECT_EQ(jobsNamed(dbPath, rt::UCase(target)).size(), 1u);
    EXPECT_EQ(recentFiles, std::vector<std::string>{"Memo.lnk"});
}

TEST_F(CollectorTest, MissingDatabaseLeavesOneErrorRecordAndTheNextEventRetries) {
    const std::string log = root.file("error.log");
    writeFile(log, "\"an older record\"\r\n\"and another\"\r\n");
    takeBaseline();
    const std::string target = doc("draft.txt");
    makeShortcut(recent + "draft.lnk", target);
    dbPath = root.file("absent.mdb");

    EXPECT_FALSE(app::rescanRecentFolder(scan()));
    const std::string record = readFile(log);
    EXPECT_EQ(record.rfind("\"Error 3024 ", 0), 0u) << record;
    ASSERT_GE(record.size(), 3u);
    EXPECT_EQ(record.substr(record.size() - 3), "\"\r\n");
    EXPECT_EQ(record.find("\r\n"), record.size() - 2) << "one record only";
    EXPECT_EQ(recentFileCount, 0);
    EXPECT_TRUE(recentFiles.empty());
    EXPECT_EQ(refreshes, 0);

    createProgramDatabase(dbPath);
    ASSERT_TRUE(app::rescanRecentFolder(scan()));
    EXPECT_EQ(jobsNamed(dbPath, rt::UCase(target)).size(), 1u);
    EXPECT_EQ(recentFileCount, 1);
}

TEST_F(CollectorTest, LockedDatabaseEndsTheRescanWithinASecondAndTheNextOneRecords) {
    takeBaseline();
    const std::string target = doc("locked.txt");
    makeShortcut(recent + "locked.lnk", target);
    ExclusiveLock lock(dbPath);
    ASSERT_TRUE(lock.held());

    EXPECT_LT(secondsOf([&] { EXPECT_FALSE(app::rescanRecentFolder(scan())); }), 1.5);
    EXPECT_EQ(readFile(root.file("error.log")).rfind("\"Error 3260 ", 0), 0u);
    EXPECT_EQ(recentFileCount, 0);

    lock.release();
    ASSERT_TRUE(app::rescanRecentFolder(scan()));
    EXPECT_EQ(jobsNamed(dbPath, rt::UCase(target)).size(), 1u);
}

TEST_F(CollectorTest, TargetsThatCannotBeStoredAreSkippedWithoutError) {
    takeBaseline();
    for (const char* name : {"a.lnk", "b.lnk", "c.lnk", "d.lnk"}) writeFile(recent + name);
    const std::map<std::string, std::string> targets = {
        {"a.lnk", "NOSLASH.TXT"},
        {"b.lnk", ""},
        {"c.lnk", "C:\\" + std::string(253, 'x')},  // 256 characters
        {"d.lnk", docs + "d.txt"},
    };
    auto s = scan();
    s.resolve = [&](const std::string& path) { return targets.at(path.substr(recent.size())); };

    ASSERT_TRUE(app::rescanRecentFolder(s));
    auto rows = readJobs(dbPath);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].fullName, rt::UCase(docs + "d.txt"));
    EXPECT_EQ(recentFileCount, 4) << "skipped names still join the listing";
    EXPECT_EQ(GetFileAttributesW(rt::widen(root.file("error.log")).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(CollectorTest, AStopInTheYieldKeepsTheRowsWrittenAndTheNextRescanTakesTheRest) {
    takeBaseline();
    for (const char* name : {"n1.lnk", "n2.lnk", "n3.lnk"}) writeFile(recent + name);
    std::map<std::string, int> resolved;
    auto s = scan();
    s.resolve = [&](const std::string& path) {
        std::string name = path.substr(recent.size());
        ++resolved[name];
        return docs + name + ".txt";
    };
    s.yield = [&] {
        // The window unloads while the first name's row is in: a change meanwhile is left for later.
        writeFile(recent + "late.txt");
        return false;
    };

    EXPECT_FALSE(app::rescanRecentFolder(s));
    EXPECT_EQ(readJobs(dbPath).size(), 1u);
    EXPECT_EQ(jobsNamed(dbPath, rt::UCase(docs + "n1.lnk.txt")).size(), 1u);
    EXPECT_EQ(recentFileCount, 0) << "the listing is not stored";
    EXPECT_EQ(refreshes, 0);
    EXPECT_EQ(GetFileAttributesW(rt::widen(root.file("error.log")).c_str()), INVALID_FILE_ATTRIBUTES);

    s.yield = [] { return true; };
    ASSERT_TRUE(app::rescanRecentFolder(s));
    for (const char* name : {"n1.lnk", "n2.lnk", "n3.lnk", "late.txt"})
        EXPECT_EQ(jobsNamed(dbPath, rt::UCase(docs + name + ".txt")).size(), 1u) << name;
    EXPECT_EQ(resolved["n1.lnk"], 2);
    EXPECT_EQ(recentFileCount, 4);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(CollectorTest, ShortcutsResolveToTheirDocumentsInLongForm) {
    const std::string target = doc("A long document name.txt");
    makeShortcut(recent + "long.LNK", target);
    EXPECT_EQ(app::resolveShortcutPath(nullptr, recent + "long.LNK"), target);

    wchar_t shortForm[MAX_PATH];
    DWORD n = GetShortPathNameW(rt::widen(target).c_str(), shortForm, MAX_PATH);
    std::string shortPath = rt::narrow(std::wstring(shortForm, n));
    if (shortPath.find('~') != std::string::npos) {
        makeShortcut(recent + "short.lnk", shortPath);
        EXPECT_EQ(app::resolveShortcutPath(nullptr, recent + "short.lnk"), target);
    }

    EXPECT_EQ(app::resolveShortcutPath(nullptr, recent + "notes.txt"), recent + "notes.txt");
    EXPECT_EQ(app::resolveShortcutPath(nullptr, recent + "missing.lnk"), "");
}

// The main window runs its rescans through this: a burst of Notifys, and more during the rescan, which
// pumps messages as the rescan's yields do.
TEST(RescanSchedule, EventsJoinTheWaitOrTheRunAndNeverNestIt) {
    int depth = 0, deepest = 0;
    std::vector<ULONGLONG> starts;
    win::SettledWork* self = nullptr;
    win::SettledWork work(60, [&] {
        deepest = std::max(deepest, ++depth);
        starts.push_back(GetTickCount64());
        if (starts.size() == 1)
            for (int i = 0; i < 5; ++i) self->request();
        pumpFor(100);
        --depth;
    });
    self = &work;

    const ULONGLONG first = GetTickCount64();
    for (int i = 0; i < 20; ++i) work.request();
    EXPECT_TRUE(work.waiting());
    ASSERT_TRUE(pumpUntil([&] { return work.runs() == 2 && !work.running() && !work.waiting(); }, 3000));
    pumpFor(200);
    EXPECT_EQ(work.runs(), 2u) << "one run for the burst, one for what came during it";
    EXPECT_EQ(deepest, 1);
    EXPECT_GE(starts[0] - first, 50u) << "the burst settles first";

    // Stopped (the window unloads): a waiting run never starts, later events start none.
    work.request();
    work.stop();
    work.request();
    pumpFor(150);
    EXPECT_EQ(work.runs(), 2u);
}

TEST(JobCriterion, DoublesQuotesInsideThePath) {
    EXPECT_EQ(app::jobFullNameCriterion("C:\\A\\B.TXT"), "JobFullName = \"C:\\A\\B.TXT\"");
    EXPECT_EQ(app::jobFullNameCriterion("C:\\a\"b\"\\c"), "JobFullName = \"C:\\a\"\"b\"\"\\c\"");
}

}  // namespace
