// New, Load, Save As and Compact through the Options window's buttons, with the main window's lists.
#include <algorithm>

#include "app/dialogs/dbfiles.h"
#include "dialogs_support.h"
#include "platform/controls/datacontrol.h"
#include "platform/controls/flexgrid.h"
#include "platform/runtime/files.h"
#include "platform/runtime/text.h"

using namespace qs;
using namespace qs::test;
using Rows = std::vector<std::string>;

namespace {

bool exists(const std::string& path) { return GetFileAttributesW(rt::widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// Another program's handle on the file, which keeps it from being replaced.
struct Held {
    HANDLE h;
    explicit Held(const std::string& path)
        : h(CreateFileW(rt::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, 0, nullptr)) {}
    ~Held() { CloseHandle(h); }
};

class DatabaseButtons : public ListsWindow {
protected:
    app::Options o;
    std::string other = dir.file("other.mdb");

    void SetUp() override {
        ListsWindow::SetUp();
        start(dbPath);
        o.Show();
    }
    void press(forms::PictureButton& button, const std::string& answer) {
        answers.files = {answer};
        click(button.hWnd());
    }
    bool leftovers() { return !rt::listDir(dir.path() + "\\*.tmp").empty(); }
};

}  // namespace

TEST_F(DatabaseButtons, NewAsksBeforeReplacingAFileAndTheListsFollowTheNewDatabase) {
    search(0, "e");
    writeFile(other, "keep me");
    answers.question = IDCANCEL;
    press(o.Image4, other);
    const rt::FileDialogRequest& r = answers.asked.at(0);
    EXPECT_EQ(r.title, "New Database Name:");
    EXPECT_EQ(r.filter, "Databases (*.mdb)|*.mdb");
    EXPECT_EQ(r.initDir, dir.path());
    EXPECT_EQ(r.defaultExt + r.fileName, "");
    EXPECT_EQ(r.flags, 0);  // no overwrite question of the dialog's own
    EXPECT_TRUE(answers.saving[0]);
    EXPECT_EQ(answers.messages, Rows{"Overwrite Existing file?"});
    EXPECT_EQ(readFileBytes(other), "keep me");

    answers.question = IDOK;
    press(o.Image4, other);
    EXPECT_EQ(app::myDBname, other);
    EXPECT_EQ(setting("myDBname"), other);
    EXPECT_EQ(db::Engine::OpenDatabase(other)->tableNames(), (Rows{"Jobs", "Favorites", "Phone", "Shortcuts"}));
    EXPECT_EQ(w->Data1->RecordSource(), app::sqlJobs + app::whereJobs + app::orderJobs + ";");
    EXPECT_NE(app::whereJobs, "");
    EXPECT_EQ(w->Data1->Recordset()->RecordCount(), 0);
    EXPECT_EQ(answers.messages.size(), 2u);

    press(o.Image4, dir.file("no such folder\\new.mdb"));  // cannot be written: one message, nothing changes
    EXPECT_EQ(answers.messages.size(), 3u);
    EXPECT_EQ(app::myDBname, other);
    EXPECT_TRUE(w->Data1->Database()->isOpen());
}

TEST_F(DatabaseButtons, NewAndSaveAsRefuseTheDatabaseInUseHoweverItIsSpelled) {
    wchar_t shortName[MAX_PATH];
    ASSERT_GT(GetShortPathNameW(rt::widen(dbPath).c_str(), shortName, MAX_PATH), 0u);
    ASSERT_NE(rt::narrow(shortName), dbPath);
    std::string slashed = dbPath;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    const Rows jobs = tableRows(dbPath, "Jobs");
    for (const std::string& f : {dbPath, rt::UCase(dbPath), rt::narrow(shortName), slashed}) {
        answers.messages.clear();
        press(o.Image4, f);
        press(o.Image6, f);
        ASSERT_EQ(answers.messages.size(), 2u) << f;
        EXPECT_NE(answers.messages[1].find("database in use"), std::string::npos);
    }
    EXPECT_EQ(app::myDBname, dbPath);
    EXPECT_EQ(tableRows(dbPath, "Jobs"), jobs);
    EXPECT_EQ(w->MSgrid1->Rows(), 4);
}

TEST_F(DatabaseButtons, LoadTakesAnyFileSilentlyAndRedrawsEvenWhenCancelled) {
    writeFile(other, "no database");
    press(o.Image5, other);
    EXPECT_EQ(answers.asked.back().title, "Load Database:");
    EXPECT_FALSE(answers.saving.back());
    EXPECT_EQ(setting("myDBname"), other);
    EXPECT_EQ(o.Image5.shownElement(), 0);
    press(o.Image5, "");
    EXPECT_EQ(app::myDBname, other);
    EXPECT_TRUE(w->MSgrid1->Redraw());
    press(o.Image5, dbPath);
    EXPECT_EQ(w->MSgrid2->Rows(), 4);
    EXPECT_TRUE(answers.messages.empty());
}

TEST_F(DatabaseButtons, SaveAsCopiesEveryRowWithABlankForEmptyKeywordsAndReplacesOnlyWhenComplete) {
    press(o.Image6, other);
    EXPECT_EQ(answers.asked.back().title, "Save Database As:");
    EXPECT_EQ(tableRows(other, "Jobs"), tableRows(dbPath, "Jobs"));
    EXPECT_EQ(tableRows(other, "Favorites"),
              (Rows{"NEWS SITE|http://news.example/|DAILY HEADLINES", "WEATHER|http://wx.example/| ", "RECIPES|<null>| "}));
    EXPECT_EQ(tableRows(other, "Phone"), tableRows(dbPath, "Phone"));
    EXPECT_TRUE(tableRows(other, "Shortcuts").empty());
    EXPECT_EQ(app::myDBname, dbPath);
    EXPECT_TRUE(answers.messages.empty());

    const std::string before = readFileBytes(other);
    {
        Held held(other);  // in use: it cannot be replaced
        press(o.Image6, other);
    }
    const std::string jobsOnly = dir.file("jobsonly.mdb");  // the copy fails at its second table
    createJobsDatabase(jobsOnly);
    app::myDBname = jobsOnly;
    press(o.Image6, other);
    EXPECT_EQ(answers.messages.size(), 4u);  // twice the question, then the failure
    EXPECT_TRUE(readFileBytes(other) == before);
    EXPECT_FALSE(leftovers());
}

TEST_F(DatabaseButtons, CompactLeavesNoTemporaryFileAndTheListsKeepSearchAndSort) {
    search(0, "t");
    w->sortJobs(1);
    w->reselectRow();
    const std::string source = w->Data1->RecordSource();
    const Rows shown = columnTexts(*w->MSgrid1, 0), jobs = tableRows(dbPath, "Jobs");
    const std::string temp = dir.file("07032024090503.mdb");
    writeFile(temp, "left by a compaction that stopped");
    click(o.Image7.hWnd());
    EXPECT_TRUE(answers.messages.empty());
    EXPECT_FALSE(exists(temp));
    EXPECT_EQ(tableRows(dbPath, "Jobs"), jobs);
    EXPECT_EQ(w->Data1->RecordSource(), source);
    EXPECT_EQ(columnTexts(*w->MSgrid1, 0), shown);
    EXPECT_EQ(shown.size(), 2u);

    {
        Held held(dbPath);  // compacted, then the copy cannot take the database's place
        click(o.Image7.hWnd());
    }
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_NE(answers.messages[0].find("could not be compacted"), std::string::npos);
    EXPECT_FALSE(exists(temp));
    EXPECT_EQ(tableRows(dbPath, "Jobs"), jobs);
    EXPECT_EQ(columnTexts(*w->MSgrid1, 0), shown);
}

TEST_F(ListsWindow, NewWorksFromTheOptionsOfTheDatabaseErrorPathAtStart) {
    const std::string fresh = dir.file("fresh.mdb");
    answers.inOptions = [&](app::Options& o) {
        answers.files = {fresh};
        click(o.Image4.hWnd());
    };
    start(dir.file("missing.mdb"));
    EXPECT_EQ(setting("myDBname"), fresh);
    ASSERT_TRUE(w->Data1->Database());
    EXPECT_TRUE(w->Data1->Database()->isOpen());
    EXPECT_EQ(w->MSgrid1->Rows(), 1);
}
