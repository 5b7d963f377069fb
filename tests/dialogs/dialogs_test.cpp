// The Options window (its settings, and New, Load, Save As and Compact with the main window's lists) and
// the database information window, through their real controls. File dialogs are answered from
// `answers.file`, OK/Cancel questions by `answers.question`, other message boxes OK.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/dialogs/form4.h"
#include "app/dialogs/form6.h"
#include "app/dialogs/info.h"
#include "app/dialogs/options.h"
#include "app/globals.h"
#include "platform/controls/datacontrol.h"
#include "platform/controls/flexgrid.h"
#include "platform/runtime/app.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/files.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/text.h"
#include "platform/win/handles.h"
#include "tests/app/app_support.h"
#include "tests/support/pump.h"
#include "tests/support/testdb.h"

using namespace qs;
using namespace qs::test;
using Rows = std::vector<std::string>;

namespace {

std::string setting(const std::string& key) { return rt::GetSetting("Quillstack", "Settings", key, "<missing>"); }

// Row texts of a table: the fields joined by "|", Null as "<null>".
std::vector<std::string> tableRows(const std::string& dbPath, const std::string& table) {
    std::vector<std::string> rows;
    for (auto rs = db::Engine::OpenDatabase(dbPath)->OpenRecordset(table); !rs->EOF_(); rs->MoveNext()) {
        rows.emplace_back();
        for (int f = 0; f < rs->fieldCount(); ++f)
            rows.back() += (f ? "|" : "") + (db::isNull(rs->get(f)) ? std::string("<null>") : db::textOf(rs->get(f)));
    }
    return rows;
}

// Unloads the table editor that a button opened modal, once its loop runs.
BOOL CALLBACK closeEditor(HWND hwnd, LPARAM closed) {
    if (auto* editor = dynamic_cast<app::Form6*>(forms::Form::fromHwnd(hwnd))) {
        editor->Unload();
        *reinterpret_cast<bool*>(closed) = true;
    }
    return TRUE;
}
void CALLBACK closeEditorTimer(HWND, UINT, UINT_PTR id, DWORD) {
    bool closed = false;
    EnumThreadWindows(GetCurrentThreadId(), closeEditor, reinterpret_cast<LPARAM>(&closed));
    if (closed) KillTimer(nullptr, id);
}

class DialogAnswers : public AppServices {
public:
    using AppServices::AppServices;
    std::string openFileDialog(const rt::FileDialogRequest& r) override { return answer(r, "open "); }
    std::string saveFileDialog(const rt::FileDialogRequest& r) override { return answer(r, "save "); }
    int msgBox(const std::string& text, int buttons, const std::string& title) override {
        if ((buttons & 0xF) != MB_OKCANCEL) return AppServices::msgBox(text, buttons, title);
        messages.push_back(text);
        return question;
    }

    std::string file;                // the next dialog's answer
    std::vector<std::string> asked;  // "open " or "save " and the title of every dialog shown
    rt::FileDialogRequest last;
    int question = IDOK;

private:
    std::string answer(const rt::FileDialogRequest& r, const char* kind) {
        asked.push_back(kind + r.title);
        last = r;
        return std::exchange(file, "");
    }
};

class Lists : public ::testing::Test {
protected:
    win::ComInit com;
    TempDir dir{"dialogs"}, recent{"dialogsrecent"};
    std::string dbPath = dir.file("quillstack.mdb");
    DialogAnswers answers{dir.path(), rt::makeDate(2024, 3, 7, 9, 5, 3)};
    RecentRedirect redirect{recent.path()};
    std::unique_ptr<app::Quillstack1> w;
    app::Options o;
    std::string other = dir.file("other.mdb");

    void SetUp() override {
        rt::DeleteSetting("Quillstack");
        app::resetGlobals();
        createProgramDatabase(dbPath);
        Seed(dbPath)
            .job("C:\\DOCS\\LETTER.TXT", db::Date{rt::makeDate(2024, 2, 1, 9)}, false)
            .job("C:\\DOCS\\BUDGET.XLS", db::Value{}, db::Value{})
            .job("D:\\WORK\\ALPHA.DOC", db::Date{rt::makeDate(2024, 1, 15)}, true)
            .favorite("NEWS SITE", "http://news.example/", "DAILY HEADLINES")
            .favorite("WEATHER", "http://wx.example/", "")
            .row("Favorites", {{"FavName", "RECIPES"}})  // URL and keywords Null
            .phone("SMITH JOHN", "EXT 101")
            .phone("JONES MARY", "EXT 202")
            .commit();
        start(dbPath);
    }
    void TearDown() override {
        w.reset();
        rt::DeleteSetting("Quillstack");
    }
    // The main window on `database` up to its first activation (Options of a database error path closed),
    // then Options over it.
    void start(const std::string& database) {
        app::myDBname = database;
        w = std::make_unique<app::Quillstack1>();
        w->Show();
        ASSERT_TRUE(pumpUntil([&] { return !w->firstActivate; }));
        o.Show();
        UpdateWindow(o.hWnd());
    }
    // A left click on the button, with the answer for the file dialog it may show.
    void press(forms::PictureButton& button, const std::string& answer = "") {
        answers.file = answer;
        SendMessageW(button.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
        SendMessageW(button.hWnd(), WM_LBUTTONUP, 0, 0);
    }
    // Select all, delete, then the text key by key, as a user types it.
    void type(const std::string& text) {
        SendMessageW(o.Text1.hWnd(), EM_SETSEL, 0, -1);
        for (char c : "\b" + text) SendMessageW(o.Text1.hWnd(), WM_CHAR, WPARAM(c), 0);
    }
    void search(int list, const std::string& text) {
        const int16_t shown = std::exchange(app::displaywhich, int16_t(list));
        w->Text1.Text(text);
        w->Text1_KeyUp(0, 0);
        app::displaywhich = shown;
    }
};

}  // namespace

TEST_F(Lists, DaysBoxStoresWhatConvertsAndKeepsTheLastValidDaysOtherwise) {
    EXPECT_EQ(o.Text1.Text(), "90");
    type("045");
    EXPECT_EQ(setting("timelimit"), "45");
    EXPECT_EQ(o.Text1.Text(), "045");
    o.Refresh();
    EXPECT_EQ(o.Text1.Text(), "45");
    type("7.5");
    EXPECT_EQ(app::timelimit, 8);
    type("6.5");
    for (const char* text : {"", "abc"}) {
        type(text);
        EXPECT_EQ(o.Text1.Text(), text);
        EXPECT_EQ(setting("timelimit") + " " + std::to_string(app::timelimit), "6 6");
    }
    o.Refresh();
    EXPECT_EQ(o.Text1.Text(), "6");
    type("40000");  // key by key, 4000 is the last text that fits in 16 bits
    EXPECT_EQ(setting("timelimit"), "4000");
    type("-3");  // no range check
    EXPECT_EQ(setting("timelimit"), "-3");
}

TEST_F(Lists, CheckBoxesActOnMouseDownWithAnyButtonAndOnlyEscCloses) {
    EXPECT_EQ(o.Image3.shownElement(), 1);  // ticked: Explorer, the default
    SendMessageW(o.Image2.hWnd(), WM_RBUTTONDOWN, MK_RBUTTON, 0);
    EXPECT_EQ(setting("openexplorer"), "False");
    EXPECT_EQ(o.Image2.shownElement(), 1);
    EXPECT_EQ(o.Image3.shownElement(), 0);
    SendMessageW(o.Image3.hWnd(), WM_MBUTTONDOWN, MK_MBUTTON, 0);
    EXPECT_EQ(setting("openexplorer"), "True");

    o.Text1.SetFocus();
    PostMessageW(o.Text1.hWnd(), WM_KEYDOWN, VK_RETURN, 0);
    rt::DoEvents();
    EXPECT_TRUE(o.Loaded());
    PostMessageW(o.Text1.hWnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    rt::DoEvents();
    EXPECT_FALSE(o.Loaded());
}

TEST_F(Lists, NewAsksBeforeReplacingAFileAndTheListsFollowTheNewDatabase) {
    search(0, "e");
    writeFile(other, "keep me");
    answers.question = IDCANCEL;
    press(o.Image4, other);
    const rt::FileDialogRequest& r = answers.last;
    EXPECT_EQ(answers.asked, Rows{"save New Database Name:"});
    EXPECT_EQ(r.filter + "|" + r.initDir, "Databases (*.mdb)|*.mdb|" + dir.path());
    EXPECT_EQ(r.defaultExt + r.fileName + std::to_string(r.flags), "0");  // no overwrite question of its own
    EXPECT_EQ(answers.messages, Rows{"Overwrite Existing file?"});
    EXPECT_EQ(readFile(other), "keep me");

    answers.question = IDOK;
    press(o.Image4, other);
    EXPECT_EQ(setting("myDBname"), other);
    EXPECT_EQ(db::Engine::OpenDatabase(other)->tableNames(), (Rows{"Jobs", "Favorites", "Phone", "Shortcuts"}));
    EXPECT_EQ(w->Data1->RecordSource(), app::sqlJobs + app::whereJobs + app::orderJobs + ";");
    EXPECT_EQ(w->Data1->Recordset()->RecordCount(), 0);

    press(o.Image4, dir.file("no such folder\\new.mdb"));  // cannot be written: one message, nothing changes
    EXPECT_EQ(answers.messages.size(), 3u);
    EXPECT_EQ(app::myDBname, other);
    EXPECT_TRUE(w->Data1->Database()->isOpen());

    // A file held open by another program keeps its bytes, and the new database made beside it goes again.
    const std::string kept = dir.file("kept.mdb");
    writeFile(kept, "keep me too");
    {
        win::UniqueFile held(
            CreateFileW(rt::widen(kept).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        press(o.Image4, kept);
    }
    EXPECT_TRUE(readFile(kept) == "keep me too");
    EXPECT_EQ(answers.messages.size(), 5u);  // the question, then the one failure
    EXPECT_EQ(app::myDBname, other);
    EXPECT_EQ(rt::Dir(dir.file("~kept.mdb*")), "");
}

TEST_F(Lists, NewAndSaveAsRefuseTheDatabaseInUseHoweverItIsSpelled) {
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
    EXPECT_EQ(tableRows(dbPath, "Jobs"), jobs);
}

// A hidden or system file of the chosen name is asked about before New, Save As or the export replaces it.
TEST_F(Lists, AHiddenOrSystemFileIsAskedAboutBeforeNewSaveAsOrTheExportReplacesIt) {
    const std::string hidden = dir.file("hidden.mdb"), system = dir.file("system.txt");
    writeFile(hidden, "keep me");
    setAttributes(hidden, FILE_ATTRIBUTE_HIDDEN);
    writeFile(system, "keep me too");
    setAttributes(system, FILE_ATTRIBUTE_SYSTEM);
    app::Form4 about;
    about.Show();
    answers.question = IDCANCEL;
    press(o.Image4, hidden);
    press(o.Image6, hidden);
    press(about.Image3, system);
    EXPECT_EQ(answers.messages, Rows(3, "Overwrite Existing file?"));
    EXPECT_EQ(readFile(hidden), "keep me");
    EXPECT_EQ(readFile(system), "keep me too");
    EXPECT_EQ(app::myDBname, dbPath);

    answers.question = IDOK;
    press(o.Image6, hidden);
    EXPECT_EQ(tableRows(hidden, "Phone"), tableRows(dbPath, "Phone"));
}

TEST_F(Lists, LoadTakesAnyFileWithoutAMessageAndACancelledLoadChangesNothing) {
    writeFile(other, "no database");
    press(o.Image5, other);
    EXPECT_EQ(setting("myDBname"), other);
    // No rows shown and none counted, rather than the old rows' number with blank cells.
    EXPECT_EQ(w->MSgrid1->Rows() * 100 + w->MSgrid2->Rows() * 10 + w->MSgrid3->Rows(), 111);
    {
        app::Info info;
        info.Show();
        EXPECT_EQ(info.Label2.Caption() + info.Label3.Caption() + info.Label4.Caption(), "000");
    }
    press(o.Image5, "");
    EXPECT_EQ(app::myDBname, other);
    press(o.Image5, dbPath);
    EXPECT_EQ(w->MSgrid2->Rows(), 4);
    EXPECT_EQ(answers.asked, Rows(3, "open Load Database:"));
    EXPECT_TRUE(answers.messages.empty());
}

TEST_F(Lists, SaveAsCopiesEveryRowWithABlankForEmptyKeywordsAndReplacesOnlyWhenComplete) {
    press(o.Image6, other);
    EXPECT_EQ(answers.asked, Rows{"save Save Database As:"});
    EXPECT_EQ(tableRows(other, "Jobs"), tableRows(dbPath, "Jobs"));
    EXPECT_EQ(tableRows(other, "Favorites"), (Rows{"NEWS SITE|http://news.example/|DAILY HEADLINES",
                                                   "WEATHER|http://wx.example/| ", "RECIPES|<null>| "}));
    EXPECT_EQ(tableRows(other, "Phone"), tableRows(dbPath, "Phone"));
    EXPECT_EQ(app::myDBname, dbPath);

    const std::string before = readFile(other);
    const std::string jobsOnly = dir.file("jobsonly.mdb");  // the copy fails at its second table
    createJobsDatabase(jobsOnly);
    app::myDBname = jobsOnly;
    press(o.Image6, other);
    EXPECT_EQ(answers.messages.size(), 2u);  // the question, then the failure
    EXPECT_TRUE(readFile(other) == before);
    EXPECT_TRUE(rt::listDir(dir.path() + "\\*.tmp").empty());
}

TEST_F(Lists, CompactLeavesNoTemporaryFileAndTheListsKeepSearchAndSort) {
    search(0, "t");
    w->sortJobs(1);
    w->reselectRow();
    const Rows shown = columnTexts(*w->MSgrid1, 0), jobs = tableRows(dbPath, "Jobs");
    const std::string temp = dir.file("07032024090503.mdb");
    writeFile(temp, "left by a compaction that stopped");
    press(o.Image7);
    EXPECT_FALSE(rt::fileExists(temp));
    EXPECT_EQ(columnTexts(*w->MSgrid1, 0), shown);
    EXPECT_EQ(shown.size(), 2u);

    // Another program's handle: the compacted copy cannot take the database's place.
    HANDLE held = CreateFileW(rt::widen(dbPath).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    press(o.Image7);
    CloseHandle(held);
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_NE(answers.messages[0].find("could not be compacted"), std::string::npos);
    EXPECT_FALSE(rt::fileExists(temp));
    EXPECT_EQ(tableRows(dbPath, "Jobs"), jobs);
    EXPECT_EQ(columnTexts(*w->MSgrid1, 0), shown);
}

TEST_F(Lists, CompactLoadAndNewWhileTheListsHaveNoDatabase) {
    w.reset();
    start(dir.file("missing.mdb"));
    press(o.Image7);
    press(o.Image5);  // cancelled
    press(o.Image4, other);
    EXPECT_EQ(setting("myDBname"), other);
    ASSERT_TRUE(w->Data1->Database() && w->Data1->Database()->isOpen());
    EXPECT_EQ(w->MSgrid1->Rows(), 1);
}

TEST_F(Lists, InfoShowsTheFileNameAndTheRowsEachListShowsNow) {
    search(1, "news");
    app::stayOnTop = true;
    app::Info info;
    info.Show();
    EXPECT_EQ(info.Label1.Caption() + " " + info.Label2.Caption(), "quillstack.mdb 3");
    EXPECT_EQ(info.Label3.Caption(), "1");  // the search's rows, not the table's
    EXPECT_EQ(info.Label4.Caption(), "2");
    EXPECT_TRUE(info.topmost());
    SetTimer(nullptr, 0, 30, closeEditorTimer);
    press(info.Image3);
    EXPECT_EQ(app::editorSQL, app::sqlFavorites);
    press(info.Image1);
    EXPECT_FALSE(info.Loaded());
}
