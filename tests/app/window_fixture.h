#pragma once
// A test of the real main window: its own settings, services, Recent folder and a database with the
// program's tables (empty; the test adds its rows), a fixed clock, the window made by start().
#include <gtest/gtest.h>

#include "app/globals.h"
#include "app/quillstack1.h"
#include "app_support.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/settings.h"
#include "tests/support/pump.h"

namespace qs::test {

class WindowTest : public ::testing::Test, protected MainWindowRun {
protected:
    WindowTest() : MainWindowRun("window") {}

    void start(bool shown = false) { ASSERT_TRUE(MainWindowRun::start(shown)); }
};

}  // namespace qs::test
