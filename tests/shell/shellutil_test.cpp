#include "app/data/shellutil.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/files.h"
#include "platform/runtime/services.h"
#include "platform/runtime/text.h"
#include "tests/support/files.h"
#include "tests/support/services.h"

namespace {

using namespace qs::app;
using qs::rt::narrow;
using qs::test::makeFolder;
using qs::test::shortName;
using qs::test::TempDir;
using qs::test::writeFile;

TEST(GetSpecialFolder, RecentFolderWithoutTrailingBackslash) {
    wchar_t want[MAX_PATH] = {};
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_RECENT, nullptr, SHGFP_TYPE_CURRENT, want));
    std::string path = "unchanged";
    EXPECT_TRUE(getSpecialFolder(nullptr, 8, path));
    EXPECT_EQ(narrow(want), path);
    ASSERT_FALSE(path.empty());
    EXPECT_NE('\\', path.back());
    EXPECT_EQ(std::string::npos, path.find('\0'));
}

TEST(GetSpecialFolder, UnknownFolderGivesFalseAndLeavesThePath) {
    for (int32_t csidl : {0x7F, 0x3FFF, -1}) {
        std::string path = "as the caller set it";
        EXPECT_FALSE(getSpecialFolder(nullptr, csidl, path)) << csidl;
        EXPECT_EQ("as the caller set it", path);
    }
}

TEST(TrimNull, CutsAtTheFirstNul) {
    using namespace std::string_literals;
    EXPECT_EQ("plain text", trimNull("plain text"));
    EXPECT_EQ("", trimNull(""));
    EXPECT_EQ("", trimNull("\0after"s));
    EXPECT_EQ("C:\\x", trimNull("C:\\x\0\0   junk\0"s));
    EXPECT_EQ("   ", trimNull("   \0"s));
}

TEST(FileNameOf, TakesTheTextAfterTheLastBackslash) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Program Files\\Quillstack\\Quillstack.mdb", "Quillstack.mdb"},
        {"\\\\server\\share\\x.mdb", "x.mdb"},
        {"Quillstack.mdb", ""},
        {"C:\\", ""},
        {"C:\\data\\", ""},
        {"", ""},
        {"\\no ext", "no ext"},
    };
    for (const auto& [path, name] : cases) EXPECT_EQ(name, fileNameOf(path)) << path;
}

// Each path has no long form to give: the answer is empty.
void expectNoLongForm(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) EXPECT_EQ("", expandLongPath(path)) << path;
}

// A tree with long names, each with its short (8.3) alias.
class ExpandLongPath : public ::testing::Test {
protected:
    void SetUp() override {
        folder = makeFolder(dir.wfile(L"Project Folder With A Long Name"));
        inner = makeFolder(dir.wfile(L"Project Folder With A Long Name\\Inner Documents Folder"));
        doc = writeFile(inner + L"\\Quarterly Report 2024.txt");
        root = dir.path();
    }
    TempDir dir{"shell test"};
    std::wstring folder, inner, doc;
    std::string root;
};

TEST_F(ExpandLongPath, ShortComponentsBecomeTheirLongNames) {
    std::wstring shortDoc = shortName(doc);
    ASSERT_NE(std::wstring::npos, shortDoc.find(L'~')) << "Wine gives long names an 8.3 alias";
    wchar_t longForm[MAX_PATH] = {};
    ASSERT_NE(0u, GetLongPathNameW(shortDoc.c_str(), longForm, MAX_PATH));

    std::string got = expandLongPath(narrow(shortDoc));
    EXPECT_EQ(0, lstrcmpiW(longForm, qs::rt::widen(got).c_str())) << got;
    const std::string tail = "\\Project Folder With A Long Name\\Inner Documents Folder\\Quarterly Report 2024.txt";
    ASSERT_GE(got.size(), tail.size());
    EXPECT_EQ(tail, got.substr(got.size() - tail.size()));
    EXPECT_EQ(narrow(shortDoc).substr(0, 2), got.substr(0, 2));

    // A folder in its short form too.
    std::string gotFolder = expandLongPath(narrow(shortName(inner)));
    EXPECT_EQ(narrow(inner).size(), gotFolder.size());
    EXPECT_EQ(0, lstrcmpiW(inner.c_str(), qs::rt::widen(gotFolder).c_str())) << gotFolder;
}

TEST_F(ExpandLongPath, LongComponentsComeBackInTheirStoredCase) {
    std::wstring lower = doc;
    CharLowerW(lower.data());
    std::string got = expandLongPath(narrow(lower));
    const std::string tail = "\\Project Folder With A Long Name\\Inner Documents Folder\\Quarterly Report 2024.txt";
    ASSERT_GE(got.size(), tail.size()) << got;
    EXPECT_EQ(tail, got.substr(got.size() - tail.size()));
    // The drive letter is taken as given.
    EXPECT_EQ('c', got[0]);
    EXPECT_EQ(expandLongPath(narrow(doc)).substr(1), got.substr(1));
}

TEST_F(ExpandLongPath, FindsHiddenSystemAndReadOnlyEntries) {
    std::wstring hidden = makeFolder(dir.wfile(L"Hidden Long Folder"));
    std::wstring sys = writeFile(dir.wfile(L"Hidden Long Folder\\System Long File.dat"));
    std::wstring ro = writeFile(dir.wfile(L"Read Only Long File.txt"));
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    SetFileAttributesW(sys.c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_READONLY);

    std::string got = expandLongPath(narrow(shortName(sys)));
    EXPECT_NE(std::string::npos, got.find("\\Hidden Long Folder\\System Long File.dat")) << got;
    got = expandLongPath(narrow(shortName(ro)));
    EXPECT_NE(std::string::npos, got.find("\\Read Only Long File.txt")) << got;
    SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW(sys.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ExpandLongPath, AnyComponentThatCannotBeFoundGivesEmpty) {
    expectNoLongForm({narrow(shortName(folder)) + "\\MISSIN~1\\QUARTE~1.TXT",
                      narrow(shortName(doc)) + "\\beyond a file", root + "\\No Such Folder\\x.txt",
                      root + "\\no such file.txt"});
}

TEST_F(ExpandLongPath, PathsWithoutADrivePrefixGiveEmpty) {
    expectNoLongForm(
        {"\\\\server\\share\\LONGFO~1\\file.txt", "\\\\localhost\\c$\\windows", "PROJEC~1\\file.txt", "~", "", "C:"});
}

TEST_F(ExpandLongPath, NeverAnswersWithSomeOtherEntry) {
    // The root alone, an empty component or a trailing backslash would list a folder; a wildcard
    // would match some other name.
    const std::string f = narrow(folder);
    expectNoLongForm({"C:\\", f + "\\", f + "\\\\Inner Documents Folder", f + "\\Inner*",
                      f + "\\Inner Documents Folde?\\Quarterly Report 2024.txt"});
}

TEST_F(ExpandLongPath, DriveThatIsNotThereGivesEmptyWithoutThrowing) {
    DWORD drives = GetLogicalDrives();
    char letter = 0;
    for (char c = 'Q'; c <= 'Y' && !letter; ++c)
        if (!(drives & (1u << (c - 'A')))) letter = c;
    ASSERT_NE(0, letter);
    std::string path = std::string(1, letter) + ":\\PROGRA~1\\file.txt";
    EXPECT_NO_THROW(EXPECT_EQ("", expandLongPath(path)));
}

TEST_F(ExpandLongPath, LeavesACallersDirListingAlone) {
    writeFile(dir.wfile(L"a.txt"));
    writeFile(dir.wfile(L"b.txt"));
    std::string first = qs::rt::Dir(root + "\\*.txt", 0);
    ASSERT_FALSE(first.empty());
    EXPECT_FALSE(expandLongPath(narrow(shortName(doc))).empty());
    std::string second = qs::rt::Dir();
    EXPECT_FALSE(second.empty());
    EXPECT_NE(first, second);
}

// Whatever text was handed in as the path, Explorer gets it as one argument: quoted as a whole where it
// holds a comma (Explorer splits its switches at commas outside quotes), without the quotes inside it.
TEST(ExplorerCommand, ExplorerGetsExactlyOnePath) {
    EXPECT_EQ("Explorer /select, C:\\DOCS\\A B.DOC", explorerCommand("C:\\DOCS\\A B.DOC"));
    EXPECT_EQ("Explorer /select, \"C:\\A,B\\C.DOC\"", explorerCommand("C:\\A,B\\C.DOC"));
    EXPECT_EQ("Explorer /select, \"C:\\A,B /root,C:\\X\"", explorerCommand("C:\\A,B\" /root,\"C:\\X"));
    EXPECT_EQ("Explorer /select, \"C:\\A /e,C:\\X\"", explorerCommand("C:\\A\" /e,\"C:\\X"));
    EXPECT_EQ("Explorer /select, \"C:\\QUOTED.DOC\"", explorerCommand("\"C:\\QUOTED.DOC\""));
}

// Records what the program hands to the shell instead of starting anything.
struct CapturingServices : qs::test::FakeServices {
    struct Call {
        HWND owner;
        std::string verb, file, params, dir;
        int show;
    };
    std::vector<Call> calls;
    void shellExecute(HWND owner, const std::string& verb, const std::string& file, const std::string& params,
                      const std::string& dir, int show) override {
        calls.push_back({owner, verb, file, params, dir, show});
    }
};

TEST(ShellOpen, OpensWithTheOpenVerbOwnedByTheForegroundWindow) {
    CapturingServices fake;
    HWND w = CreateWindowExW(0, L"STATIC", L"foreground", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(w);
    HWND foreground = GetForegroundWindow();

    shellOpen("C:\\Documents\\Quarterly Report.doc");
    shellOpen("http://example.com/page?a=1&b=2");
    shellOpen("");
    DestroyWindow(w);

    ASSERT_EQ(3u, fake.calls.size());
    for (const auto& c : fake.calls) {
        EXPECT_EQ(foreground, c.owner);
        EXPECT_EQ("Open", c.verb);
        EXPECT_EQ("", c.params);
        EXPECT_EQ("", c.dir);
        EXPECT_EQ(SW_SHOWNORMAL, c.show);
    }
    EXPECT_EQ("C:\\Documents\\Quarterly Report.doc", fake.calls[0].file);
    EXPECT_EQ("http://example.com/page?a=1&b=2", fake.calls[1].file);
    EXPECT_EQ("", fake.calls[2].file);
}

}  // namespace
