#include <gtest/gtest.h>

#include <thread>

#include "app/collector_core.h"
#include "app/watchclient.h"
#include "platform/runtime/app.h"
#include "platform/runtime/text.h"
#include "platform/win/handles.h"
#include "platform/win/settledwork.h"
#include "tests/collect/collect_support.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/pump.h"
#include "tests/support/services.h"
#include "tests/support/testdb.h"

using namespace qs;
using namespace qs::test;

namespace {

TEST(WatchEndToEnd, CreateHandsBackWhyItFailed) {
    HRESULT hr = S_OK;
    std::unique_ptr<app::WatchClient> watch;
    std::thread([&] { watch = app::WatchClient::create({}, &hr); }).join();  // a thread without COM
    EXPECT_EQ(watch, nullptr);
    EXPECT_EQ(hr, CO_E_NOTINITIALIZED);
}

TEST(WatchEndToEnd, ShortcutDroppedIntoTheWatchedFolderBecomesAJobByItself) {
    ASSERT_TRUE(registerFoldwatcher());
    win::ComInit com;
    TempDir root("watch");
    FakeServices services(root.path());
    const std::string recent = makeFolder(root.file("Recent")) + "\\";
    const std::string dbPath = root.file("jobs.mdb");
    createProgramDatabase(dbPath);
    const std::string target = root.file("Plan for May.txt");
    writeFile(target);

    // What the main window does at load, and what its Notify handler does.
    std::vector<std::string> recentFiles = app::listRecentFolder(recent);
    int16_t recentFileCount = static_cast<int16_t>(recentFiles.size());
    app::RecentRescan scan = recentRescan(recent, dbPath, &recentFiles, &recentFileCount);
    int notifies = 0;
    std::string notifiedPath;
    int16_t notifiedType = 0;
    HRESULT created = E_FAIL;
    win::SettledWork rescan(250, [&] { app::rescanRecentFolder(scan); });
    auto watch = app::WatchClient::create(
        [&](const std::string& path, int16_t type) {
            ++notifies;
            notifiedPath = path;
            notifiedType = type;
            rescan.request();
        },
        &created);
    ASSERT_NE(watch, nullptr);
    EXPECT_EQ(created, S_OK);
    EXPECT_EQ(watch->AddPath(recent), S_OK);
    EXPECT_EQ(watch->putStart(true), S_OK);

    makeShortcut(recent + "Plan for May.txt.lnk", target);
    EXPECT_TRUE(pumpUntil([&] { return jobsNamed(dbPath, rt::UCase(target)).size() == 1; }, 10000));
    EXPECT_GE(notifies, 1);
    EXPECT_EQ(notifiedPath, recent);
    EXPECT_TRUE(notifiedType >= 1 && notifiedType <= 3) << notifiedType;
    EXPECT_EQ(recentFiles, std::vector<std::string>{"Plan for May.txt.lnk"});

    // Once released, changes reach nobody.
    EXPECT_EQ(watch->putStart(false), S_OK);
    watch.reset();
    const int before = notifies;
    writeFile(recent + "later.txt");
    pumpFor(500);
    EXPECT_EQ(notifies, before);
}

}  // namespace
