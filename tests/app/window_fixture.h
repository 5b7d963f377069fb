#pragma once
// A test of the real main window: its own settings, services, Recent folder and a database with the
// program's tables (empty; the test adds its rows), a fixed clock, the window made by start().
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/globals.h"
#include "app/quillstack1.h"
#include "app_support.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/settings.h"

namespace qs::test {

class WindowTest : public ::testing::Test {
protected:
    ComApartment com;
    TempDir dir{"window"};
    TempDir recent{"recent"};
    std::string dbPath = dir.file("quillstack.mdb");
    std::unique_ptr<AppServices> services;
    std::unique_ptr<RecentRedirect> redirect;
    std::unique_ptr<app::Quillstack1> w;

    void SetUp() override {
        rt::DeleteSetting("Quillstack");
        app::resetGlobals();
        services = std::make_unique<AppServices>(dir.path(), rt::makeDate(2024, 12, 8, 10, 0));
        redirect = std::make_unique<RecentRedirect>(recent.path());
        createListsDatabase(dbPath);
        // Off the screen, never under the pointer where the tray menu opens (on screen, Wine closes that
        // menu at once).
        save("myleft", "-15000");
        save("mytop", "-15000");
    }

    void TearDown() override {
        if (w && w->Loaded()) w->Unload();
        w.reset();
        forms::setMainForm(nullptr);
        redirect.reset();
        services.reset();
        rt::DeleteSetting("Quillstack");
    }

    void save(const std::string& key, const std::string& value) { rt::SaveSetting("Quillstack", "Settings", key, value); }

    // As Main does: the window shown modeless, then the first activation hides it to the tray; `shown`
    // brings it back from there.
    void start(bool shown = false) {
        app::myDBname = dbPath;
        w = std::make_unique<app::Quillstack1>();
        w->Show();
        ASSERT_TRUE(pumpUntil([&] { return !w->firstActivate; }));
        if (shown) w->mnuShow_Click();
    }
};

}  // namespace qs::test
