// The favourites import window on generated folder trees, with the real main window's Favorites list.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <stdexcept>

#include "app/dialogs/favimport.h"
#include "app/dialogs/form2.h"
#include "app/globals.h"
#include "platform/controls/datacontrol.h"
#include "platform/runtime/files.h"
#include "platform/runtime/text.h"
#include "tests/app/app_support.h"
#include "tests/support/pump.h"
#include "tests/support/testdb.h"

using namespace qs;
using namespace qs::test;
using Favourites = std::map<std::string, std::string>;

namespace {

class Import : public ::testing::Test {
protected:
    MainWindowRun run{"import"};
    TempDir tree{"tree"};

    void SetUp() override {
        Seed(run.dbPath).favorite("NEWS", "http://old-news/", "PAPERS").commit();
        ASSERT_TRUE(run.start());
    }

    Favourites stored() {
        Favourites out;
        auto db = db::Engine::OpenDatabase(run.dbPath);
        auto favs = db->OpenRecordset("Favorites");
        for (; !favs->EOF_(); favs->MoveNext()) {
            EXPECT_EQ(db::textOf(favs->get("FavKeywords")),
                      db::textOf(favs->get("FavName")) == "NEWS" ? "PAPERS" : " ");
            out[db::textOf(favs->get("FavName"))] = db::textOf(favs->get("FavURL"));
        }
        return out;
    }

    long listed() { return run.w->Data2->Recordset()->RecordCount(); }

    void addBehindTheListsBack(const std::string& name) { Seed(run.dbPath).favorite(name, "http://x/", " ").commit(); }

    // A Browse run on `folder` ("" cancels the picker); the bar's place after each file.
    std::vector<int> browse(const std::string& folder) {
        run.services->folderAnswer = folder;
        app::Form2 form;
        shown = &form;
        std::vector<int> bar;
        form.onBarStep = [&] { bar.push_back(form.Picture2.Left()); };
        form.Show();
        form.Image2_MouseDown(0, 1, 0, 0, 0);
        form.Image2_MouseUp(0, 1, 0, 0, 0);
        EXPECT_FALSE(form.Loaded());
        if (!bar.empty()) {
            EXPECT_EQ(form.Picture2.Left(), 0);
        }
        shown = nullptr;
        return bar;
    }
    app::Form2* shown = nullptr;  // the window of the running browse
};

// An open handle that shares nothing, so the import cannot read the file.
struct Locked {
    HANDLE h;
    explicit Locked(const std::string& path)
        : h(CreateFileW(rt::widen(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~Locked() { CloseHandle(h); }
};

}  // namespace

TEST_F(Import, ATreeAddsEveryNewNameOnceInWalkOrder) {
    const std::string longUrl = "http://long.example/" + std::string(280, 'p');
    writeFile(tree.file("a.url"), "[InternetShortcut]\r\nURL=http://a.example/\r\nIconIndex=0\r\n");
    writeFile(tree.file("News.url"), "[InternetShortcut]\r\nURL=http://new-news/\r\n");
    writeFile(tree.file("lower.url"), "[InternetShortcut]\r\nurl=http://lower/\r\n");
    writeFile(tree.file("notes.html"), "<html>\r\nURL=http://html/\r\n");
    writeFile(tree.file("long.url"), "URL=" + longUrl + "\r\n");
    writeFile(tree.file("empty.url"), "URL=\r\nURL=http://second/\r\n");
    writeFile(tree.file("cr.url"), "[InternetShortcut]\rURL=http://cr/");
    writeFile(tree.file("hidden.url"), "URL=http://hidden/");
    setAttributes(tree.file("hidden.url"), FILE_ATTRIBUTE_HIDDEN);
    writeFile(tree.file("pagefile.sys"), "URL=http://sys/");
    writeFile(tree.file("DRIVER.SYS"), "URL=http://SYS/");
    CreateDirectoryW(rt::widen(tree.file("sub")).c_str(), nullptr);
    CreateDirectoryW(rt::widen(tree.file("sub\\deeper")).c_str(), nullptr);
    writeFile(tree.file("sub\\a.url"), "URL=http://sub-a/\r\n");
    writeFile(tree.file("sub\\deeper\\d.url"), "URL=http://d/\r\n");
    for (const char* sibling : {"one", "two"}) {
        CreateDirectoryW(rt::widen(tree.file(sibling)).c_str(), nullptr);
        writeFile(tree.file(sibling) + "\\twin.url", std::string("URL=http://") + sibling + "/");
    }
    Locked sys(tree.file("pagefile.sys")), upper(tree.file("DRIVER.SYS"));
    // While the message is up, the folder watch may write: no transaction of the import is open then.
    // The window neither closes nor starts another walk under the running one.
    bool othersCouldWrite = false, heldOpen = false;
    run.services->whileShown = [&] {
        Seed(run.dbPath).job("C:\\DOCS\\WHILE THE MESSAGE IS UP.TXT", db::Value{}, false).commit();
        othersCouldWrite = true;
        shown->Image1_MouseUp(0, 1, 0, 0, 0);
        heldOpen = !shown->Unload() && shown->Loaded();
    };

    const std::vector<int> bar = browse(tree.path());

    ASSERT_EQ(run.services->browses.size(), 1u);
    EXPECT_EQ(run.services->browses[0].second, "Select Folder To Import URLs From:");
    // Of two files of one name in sibling folders, the one in the folder listed first.
    const std::vector<std::string> entries = rt::listDir(tree.path() + "\\*", rt::attrDirectory);
    const std::string firstTwin =
        *std::find_if(entries.begin(), entries.end(), [](const std::string& n) { return n == "one" || n == "two"; });
    const Favourites expected = {{"A", "http://a.example/"},
                                 {"CR", "http://cr/"},
                                 {"D", "http://d/"},
                                 {"HIDDEN", "http://hidden/"},
                                 {"LONG", longUrl.substr(0, 255)},
                                 {"NEWS", "http://old-news/"},
                                 {"NOTES.", "http://html/"},
                                 {"TWIN", "http://" + firstTwin + "/"}};
    EXPECT_EQ(stored(), expected);
    // The unreadable file whose name ends in ".sys" passes silently, the one in capitals does not.
    EXPECT_EQ(run.services->messages,
              std::vector<std::string>{"Error: 70 - Permission denied " + tree.file("DRIVER.SYS")});
    EXPECT_TRUE(othersCouldWrite && heldOpen);
    EXPECT_EQ(listed(), long(expected.size()));
    // One step per file of the tree, sliding in from wholly left of the well to filling it.
    ASSERT_EQ(bar.size(), 14u);
    EXPECT_GT(bar.front(), -3750);
    EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end()));
}

TEST_F(Import, EmptyTreesAndACancelledPickerImportNothingButRefreshTheList) {
    addBehindTheListsBack("ADDED ELSEWHERE");
    EXPECT_EQ(listed(), 1);
    CreateDirectoryW(rt::widen(tree.file("only folders")).c_str(), nullptr);
    EXPECT_TRUE(browse(tree.path()).empty());
    EXPECT_EQ(listed(), 2);

    addBehindTheListsBack("ADDED AGAIN");
    EXPECT_TRUE(browse("").empty());
    EXPECT_EQ(listed(), 3);
    EXPECT_EQ(stored().size(), 3u);
    EXPECT_TRUE(run.services->messages.empty());
}

TEST_F(Import, ImportFavoritesReadsTheUsersFavoritesFolder) {
    writeFile(tree.file("Weather.url"), "[InternetShortcut]\r\nURL=http://wx.example/\r\n");
    ShellFolderRedirect favorites(L"Favorites", tree.path());
    app::Form2 form;
    form.Show();
    form.Image1_MouseUp(0, 1, 0, 0, 0);
    EXPECT_FALSE(form.Loaded());
    EXPECT_EQ(stored().count("WEATHER"), 1u);
    EXPECT_EQ(listed(), 2);
}

// Runs a program of the host system in `folder` (Wine starts them as they are) and waits until `done`.
static void hostCommand(const std::string& folder, std::wstring command, const std::function<bool()>& done) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, rt::widen(folder).c_str(), &si,
                       &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    pumpUntil(done);
}

TEST_F(Import, ALinkToAParentFolderIsNotFollowed) {
    writeFile(tree.file("a.url"), "URL=http://a/");
    CreateDirectoryW(rt::widen(tree.file("sub")).c_str(), nullptr);
    writeFile(tree.file("sub\\b.url"), "URL=http://b/");
    // A junction where the system allows one; under Wine a link of the host system, which Wine reports
    // as a reparse point.
    const std::wstring link = rt::widen(tree.file("sub\\up"));
    auto exists = [&] { return GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; };
    if (!CreateSymbolicLinkW(link.c_str(), rt::widen(tree.path()).c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) || !exists())
        hostCommand(tree.file("sub"), L"Z:\\bin\\ln -s .. up", exists);
    const DWORD attributes = GetFileAttributesW(link.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_SKIP() << "no way to make a link to a folder here";
    const size_t files = browse(tree.path()).size();
    const size_t rows = stored().size();
    // The link goes before the tree is removed, which would follow it.
    if (!RemoveDirectoryW(link.c_str())) hostCommand(tree.file("sub"), L"Z:\\bin\\rm up", [&] { return !exists(); });
    EXPECT_EQ(files, 2u);
    EXPECT_EQ(rows, 3u);
}

// A file that never ends (a link to an endless device, which Wine lists as a plain file) is reported as a
// file that cannot be read, and the walk goes on.
TEST_F(Import, AFileThatNeverEndsIsReportedAndTheWalkGoesOn) {
    CreateDirectoryW(rt::widen(tree.file("sub")).c_str(), nullptr);
    writeFile(tree.file("sub\\b.url"), "URL=http://b/");
    const std::string endless = tree.file("endless.url");
    auto exists = [&] { return !rt::listDir(endless).empty(); };  // listed, though it has no attributes to read
    hostCommand(tree.path(), L"Z:\\bin\\ln -s /dev/zero endless.url", exists);
    if (!exists()) GTEST_SKIP() << "no way to make a link to an endless device here";
    const size_t files = browse(tree.path()).size();
    // Wine cannot delete the link itself.
    if (!DeleteFileW(rt::widen(endless).c_str()))
        hostCommand(tree.path(), L"Z:\\bin\\rm endless.url", [&] { return !exists(); });
    EXPECT_EQ(files, 2u);
    EXPECT_EQ(stored(), (Favourites{{"B", "http://b/"}, {"NEWS", "http://old-news/"}}));
    EXPECT_EQ(run.services->messages, std::vector<std::string>{"Error: 75 - Path/File access error " + endless});
}

// Only links (junctions, symbolic links, mount points) are passed over; the placeholder folders of
// cloud-synced files, which are reparse points too, are walked.
TEST_F(Import, TheWalkPassesOverLinksButEntersOtherReparsePoints) {
    for (const char* name : {"cloud", "junction"}) {
        CreateDirectoryW(rt::widen(tree.file(name)).c_str(), nullptr);
        writeFile(tree.file(name) + "\\" + name + ".url", std::string("URL=http://") + name + "/");
    }
    auto database = db::Engine::OpenDatabase(run.dbPath);
    auto favourites = database->OpenRecordset("Favorites", db::dbOpenDynaset);
    app::FavouritesImport::Hooks hooks;
    hooks.list = [](const std::string& pattern) {  // the file system's listing, with the two made reparse points
        std::vector<app::FavouritesImport::Entry> entries = app::FavouritesImport::listFolder(pattern);
        for (auto& e : entries)
            if (e.name == "cloud" || e.name == "junction") {
                e.attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
                e.reparseTag = e.name == "cloud" ? IO_REPARSE_TAG_CLOUD_6 : IO_REPARSE_TAG_MOUNT_POINT;
            }
        return entries;
    };
    app::FavouritesImport walk(*database, *favourites, hooks);
    int32_t files = 0;
    std::string path = tree.path();
    walk.importFolderURLs(path, "*.*", files);
    walk.finish();
    EXPECT_EQ(stored(), (Favourites{{"CLOUD", "http://cloud/"}, {"NEWS", "http://old-news/"}}));
}

// A walk that ends in an exception (reported by the button's handler) leaves the window free to close.
TEST_F(Import, AWalkEndedByAnExceptionLeavesTheWindowFreeToClose) {
    writeFile(tree.file("a.url"), "URL=http://a/");
    run.services->folderAnswer = tree.path();
    app::Form2 form;
    form.onBarStep = [] { throw std::runtime_error("a step of the walk failed"); };
    form.Show();
    auto click = [](forms::PictureButton& button) {
        SendMessageW(button.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
        SendMessageW(button.hWnd(), WM_LBUTTONUP, 0, 0);
    };
    click(form.Image2);
    EXPECT_TRUE(form.Loaded());
    click(form.Image3);
    EXPECT_FALSE(form.Loaded());
}

TEST_F(Import, AWindowWhoseDatabaseCannotBeOpenedSaysSoOnceAndCloses) {
    app::myDBname = run.dir.file("missing.mdb");
    app::Form2 form;
    form.ShowModal(run.w.get());
    EXPECT_FALSE(form.Loaded());
    ASSERT_EQ(run.services->messages.size(), 1u);
    EXPECT_NE(run.services->messages[0].find("Error: 3024"), std::string::npos);
}

TEST_F(Import, WithoutAFavoritesFolderNothingIsWalkedAndTheUserIsToldOnce) {
    ShellFolderRedirect favorites(L"Favorites", "");
    addBehindTheListsBack("ADDED ELSEWHERE");
    app::Form2 form;
    form.Show();
    form.Image1_MouseUp(0, 1, 0, 0, 0);
    EXPECT_FALSE(form.Loaded());
    EXPECT_EQ(run.services->messages,
              std::vector<std::string>{"The Favorites folder could not be found, so nothing was imported."});
    EXPECT_EQ(listed(), 2);
}
