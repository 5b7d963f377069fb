#include "platform/runtime/dates.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/files.h"
#include "platform/runtime/text.h"
#include "tests/support/errorof.h"
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>

using namespace qs::rt;
using namespace qs::test;

namespace {

std::set<std::string> asSet(const std::vector<std::string>& v) { return {v.begin(), v.end()}; }

// A folder of its own under the temp folder holding one entry of each kind.
class Files : public ::testing::Test {
protected:
    TempDir dir{"files"};
    const std::string root = dir.path();

    void SetUp() override {
        file("plain.txt");
        file("readonly.txt", FILE_ATTRIBUTE_READONLY);
        file("hidden.txt", FILE_ATTRIBUTE_HIDDEN);
        file("system.txt", FILE_ATTRIBUTE_SYSTEM);
        file("both.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        file("noext");
        folder("Sub Folder");
        folder("hidden dir", FILE_ATTRIBUTE_HIDDEN);
    }

    std::string path(const std::string& name) const { return root + "\\" + name; }

    void file(const std::string& name, DWORD attributes = 0, const std::string& contents = "x") {
        writeFile(path(name), contents);
        if (attributes) SetFileAttributesW(widen(path(name)).c_str(), attributes);
    }

    void folder(const std::string& name, DWORD attributes = 0) {
        CreateDirectoryW(widen(path(name)).c_str(), nullptr);
        if (attributes) SetFileAttributesW(widen(path(name)).c_str(), attributes | FILE_ATTRIBUTE_DIRECTORY);
    }

    std::vector<std::string> dirLoop(const std::string& pattern, int attributes) {
        std::vector<std::string> names;
        for (std::string n = Dir(pattern, attributes); !n.empty(); n = Dir()) names.push_back(n);
        return names;
    }
};

}  // namespace

TEST_F(Files, DirListsOnlyTheKindsAsked) {
    const std::set<std::string> normal = {"plain.txt", "readonly.txt", "noext"};
    auto with = [&](std::set<std::string> extra) {
        extra.insert(normal.begin(), normal.end());
        return extra;
    };
    std::string all = path("*.*");
    EXPECT_EQ(asSet(dirLoop(all, attrNormal)), normal);
    EXPECT_EQ(asSet(dirLoop(all, attrVolume)), normal);
    EXPECT_EQ(asSet(dirLoop(all, attrReadOnly | attrArchive)), normal);
    EXPECT_EQ(asSet(dirLoop(all, attrHidden)), with({"hidden.txt"}));
    EXPECT_EQ(asSet(dirLoop(all, attrSystem)), with({"system.txt"}));
    EXPECT_EQ(asSet(dirLoop(all, attrHidden | attrSystem)), with({"hidden.txt", "system.txt", "both.txt"}));
    EXPECT_EQ(asSet(dirLoop(all, attrDirectory)), with({"Sub Folder"}));
    EXPECT_EQ(asSet(dirLoop(all, 22)), with({"hidden.txt", "system.txt", "both.txt", "Sub Folder", "hidden dir"}));
    // The folder walk: 55 lists every entry (its folders are then told apart by GetAttr), 39 every file.
    EXPECT_EQ(asSet(dirLoop(root + "\\", 55)),
              with({"hidden.txt", "system.txt", "both.txt", "Sub Folder", "hidden dir"}));
    EXPECT_EQ(asSet(dirLoop(all, 39)), with({"hidden.txt", "system.txt", "both.txt"}));
    EXPECT_EQ(asSet(dirLoop(path("*.txt"), attrNormal)), (std::set<std::string>{"plain.txt", "readonly.txt"}));

    for (int attributes : {0, 2, 16, 22, 55})
        EXPECT_EQ(listDir(all, attributes), dirLoop(all, attributes)) << attributes;
}

TEST_F(Files, DirContinuesTheLastListing) {
    EXPECT_EQ(Dir(path("nothing*.zzz")), "");
    EXPECT_EQ(errorOf([] { Dir(); }), 5);  // no listing going on

    std::string first = Dir(path("*.*"), attrNormal);
    ASSERT_FALSE(first.empty());
    // A listDir in between leaves the Dir listing where it was.
    EXPECT_EQ(listDir(path("*"), 22).size(), 8u);
    std::vector<std::string> names = {first};
    for (std::string n = Dir(); !n.empty(); n = Dir()) names.push_back(n);
    EXPECT_EQ(names.size(), 3u);
    EXPECT_EQ(errorOf([] { Dir(); }), 5);  // the listing has ended

    // A new listing replaces the one going on.
    Dir(path("*.*"), attrNormal);
    EXPECT_EQ(Dir(path("plain.txt")), "plain.txt");
    EXPECT_EQ(Dir(), "");
}

TEST_F(Files, DirLooksUpOneEntryByName) {
    EXPECT_EQ(Dir(path("PLAIN.TXT")), "plain.txt");  // the name as stored on the disk
    EXPECT_EQ(Dir(path("hidden.txt")), "");
    EXPECT_EQ(Dir(path("hidden.txt"), 22), "hidden.txt");
    EXPECT_EQ(Dir(path("sub folder"), 22), "Sub Folder");
    EXPECT_EQ(Dir(path("Sub Folder")), "");
    EXPECT_EQ(Dir(path("missing folder\\x.txt"), 22), "");
    EXPECT_EQ(Dir(path("Sub Folder") + "\\", 22), "");  // an empty folder lists neither "." nor ".."

    wchar_t shortName[MAX_PATH];
    DWORD n = GetShortPathNameW(widen(path("Sub Folder")).c_str(), shortName, MAX_PATH);
    if (n > 0 && n < MAX_PATH && narrow(shortName) != path("Sub Folder")) {
        EXPECT_EQ(Dir(narrow(shortName), 22), "Sub Folder");  // the short form answers the long name
    }
}

TEST_F(Files, DatesAndAttributes) {
    SYSTEMTIME local{2022, 11, 0, 20, 8, 9, 10, 0};
    SYSTEMTIME utc;
    FILETIME ft;
    ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
    HANDLE h =
        CreateFileW(widen(path("plain.txt")).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
    EXPECT_DOUBLE_EQ(FileDateTime(path("plain.txt")), makeDate(2022, 11, 20, 8, 9, 10));
    EXPECT_GT(FileDateTime(path("Sub Folder")), makeDate(2020, 1, 1));
    EXPECT_EQ(errorOf([&] { FileDateTime(path("missing.txt")); }), 53);
    EXPECT_EQ(errorOf([&] { FileDateTime(path("missing\\x.txt")); }), 53);
    EXPECT_EQ(errorOf([&] { FileDateTime(path("*.txt")); }), 53);

    EXPECT_EQ(GetAttr(path("plain.txt")) & (attrHidden | attrSystem | attrDirectory | attrReadOnly), 0);
    EXPECT_TRUE(GetAttr(path("readonly.txt")) & attrReadOnly);
    EXPECT_EQ(GetAttr(path("both.txt")) & (attrHidden | attrSystem), attrHidden | attrSystem);
    EXPECT_TRUE(GetAttr(path("Sub Folder")) & attrDirectory);
    EXPECT_TRUE(GetAttr(path("Sub Folder") + "\\") & attrDirectory);
    EXPECT_EQ(GetAttr(path("hidden dir")) & (attrHidden | attrDirectory), attrHidden | attrDirectory);
    EXPECT_EQ(GetAttr(path("plain.txt")) & ~63, 0);
    EXPECT_EQ(errorOf([&] { GetAttr(path("missing.txt")); }), 53);
    EXPECT_EQ(errorOf([] { GetAttr(""); }), 53);

    EXPECT_TRUE(fileExists(path("plain.txt")));
    EXPECT_TRUE(fileExists(path("READONLY.TXT")));
    EXPECT_FALSE(fileExists(path("hidden.txt")));
    EXPECT_FALSE(fileExists(path("Sub Folder")));
    EXPECT_FALSE(fileExists(path("missing.txt")));
    EXPECT_FALSE(fileExists(path("*.txt")));
}

TEST_F(Files, KillDeletesNormalFiles) {
    file("a.tmp");
    file("b.tmp");
    file("c.tmp", FILE_ATTRIBUTE_HIDDEN);
    Kill(path("plain.txt"));
    EXPECT_FALSE(fileExists(path("plain.txt")));
    EXPECT_EQ(errorOf([&] { Kill(path("plain.txt")); }), 53);
    EXPECT_EQ(errorOf([&] { Kill(path("hidden.txt")); }), 53);
    Kill(path("*.tmp"));
    EXPECT_EQ(listDir(path("*.tmp"), 22), std::vector<std::string>{"c.tmp"});
    EXPECT_EQ(errorOf([&] { Kill(path("*.tmp")); }), 53);
    EXPECT_EQ(errorOf([&] { Kill(path("readonly.txt")); }), 75);
}

TEST_F(Files, QuotedRecordRewritesTheFile) {
    std::string log = path("error.log");
    writeQuotedRecord(log, "Error 3024 Could not find file 'C:\\QUILLSTACK.MDB'.");
    EXPECT_EQ(readFile(log), "\"Error 3024 Could not find file 'C:\\QUILLSTACK.MDB'.\"\r\n");
    writeQuotedRecord(log, "Error 6 Overflow");
    EXPECT_EQ(readFile(log), "\"Error 6 Overflow\"\r\n");  // one record, the file rewritten
    writeQuotedRecord(log, "");
    EXPECT_EQ(readFile(log), "\"\"\r\n");
    if (GetACP() == 1252) {
        writeQuotedRecord(log, "Error 53 Fichier introuvable: é");
        EXPECT_EQ(readFile(log), "\"Error 53 Fichier introuvable: \xE9\"\r\n");
    }
    std::string unicodeFolder = path("Übung 日本");
    CreateDirectoryW(widen(unicodeFolder).c_str(), nullptr);
    writeQuotedRecord(unicodeFolder + "\\error.log", "Error 5 x");
    EXPECT_EQ(readFile(unicodeFolder + "\\error.log"), "\"Error 5 x\"\r\n");
    DeleteFileW(widen(unicodeFolder + "\\error.log").c_str());
    RemoveDirectoryW(widen(unicodeFolder).c_str());

    EXPECT_NE(errorOf([&] { writeQuotedRecord(path("missing\\error.log"), "x"); }), 0);
}
