// The shell-folder redirect that tests use for the Recent folder: what a run killed while redirected
// leaves in the prefix is put back by the next redirect, and a redirect that ends keeps nothing saved.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <memory>

#include "platform/runtime/text.h"
#include "tests/support/files.h"
#include "tests/support/shellfolders.h"

using namespace qs::test;

namespace {

std::string recentFolder() {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_RECENT, nullptr, SHGFP_TYPE_CURRENT, path);
    return qs::rt::narrow(path);
}

DWORD savedValues() {
    DWORD count = 0;
    for (const wchar_t* key : {L"User Shell Folders", L"Shell Folders"}) {
        HKEY h;
        const std::wstring path = std::wstring(kSavedShellFolders) + L"\\" + key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) continue;
        DWORD values = 0;
        RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                         nullptr);
        count += values;
        RegCloseKey(h);
    }
    return count;
}

TEST(ShellFolderRedirect, WhatAKilledRunLeftIsPutBackAndAnEndedRedirectKeepsNothing) {
    const std::string before = recentFolder();
    ASSERT_FALSE(before.empty());
    TempDir killed("killedrun"), next("nextrun");

    // A run killed while redirected never ends its redirect.
    auto neverEnded = std::make_unique<RecentRedirect>(killed.path());
    EXPECT_EQ(recentFolder(), killed.path());
    EXPECT_EQ(savedValues(), 2u);
    neverEnded.release();

    {
        RecentRedirect redirect(next.path());
        EXPECT_EQ(recentFolder(), next.path());
    }
    EXPECT_EQ(recentFolder(), before);
    EXPECT_EQ(savedValues(), 0u);
}

}  // namespace
