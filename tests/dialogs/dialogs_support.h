#pragma once
// The main window on a test database with the dialogs answered: file dialogs from a list of answers,
// OK/Cancel questions by `question`, other message boxes OK.
#include <gtest/gtest.h>

#include "../app/app_support.h"
#include "app/declares.h"
#include "app/dialogs/options.h"
#include "app/globals.h"
#include "platform/runtime/app.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/settings.h"

namespace qs::test {

inline std::string setting(const std::string& key) { return rt::GetSetting("Quillstack", "Settings", key, "<missing>"); }

inline void click(HWND control) {
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageW(control, WM_LBUTTONUP, 0, 0);
}

// Row texts of a table: the fields joined by "|", Null as "<null>".
inline std::vector<std::string> tableRows(const std::string& dbPath, const std::string& table) {
    auto rs = db::Engine::OpenDatabase(dbPath)->OpenRecordset(table);
    std::vector<std::string> rows;
    for (; !rs->EOF_(); rs->MoveNext()) {
        std::string row;
        for (int f = 0; f < rs->fieldCount(); ++f)
            row += (f ? "|" : "") + (db::isNull(rs->get(f)) ? std::string("<null>") : db::textOf(rs->get(f)));
        rows.push_back(row);
    }
    return rows;
}

class DialogAnswers : public AppServices {
public:
    using AppServices::AppServices;
    std::string openFileDialog(const rt::FileDialogRequest& r) override { return answer(r, false); }
    std::string saveFileDialog(const rt::FileDialogRequest& r) override { return answer(r, true); }
    int msgBox(const std::string& text, int buttons, const std::string& title) override {
        if ((buttons & 0xF) == MB_OKCANCEL) {
            messages.push_back(text);
            return question;
        }
        if (!inOptions || text.rfind("Problem with Database", 0) != 0) return AppServices::msgBox(text, buttons, title);
        // The Options window opens when this box has closed: act in it once its loop runs.
        SetTimer(nullptr, 0, 30, actInOptions);
        current = this;
        return FakeServices::msgBox(text, buttons, title);
    }

    std::vector<std::string> files;            // the next dialogs' answers, first first
    std::vector<rt::FileDialogRequest> asked;  // every dialog shown, and whether it saved
    std::vector<bool> saving;
    int question = IDOK;
    std::function<void(app::Options&)> inOptions;  // instead of closing the database error path's Options

private:
    static inline DialogAnswers* current = nullptr;
    static void CALLBACK actInOptions(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        EnumThreadWindows(GetCurrentThreadId(), eachWindow, 0);
    }
    static BOOL CALLBACK eachWindow(HWND hwnd, LPARAM) {
        auto* options = dynamic_cast<app::Options*>(forms::Form::fromHwnd(hwnd));
        if (!options) return TRUE;
        current->inOptions(*options);
        options->Unload();
        return FALSE;
    }
    std::string answer(const rt::FileDialogRequest& r, bool save) {
        asked.push_back(r);
        saving.push_back(save);
        std::string f = files.empty() ? "" : files.front();
        if (!files.empty()) files.erase(files.begin());
        return f;
    }
};

class ListsWindow : public ::testing::Test {
protected:
    ComApartment com;
    TempDir dir{"dialogs"}, recent{"dialogsrecent"};
    std::string dbPath = dir.file("quillstack.mdb");
    DialogAnswers answers{dir.path(), rt::makeDate(2024, 3, 7, 9, 5, 3)};
    RecentRedirect redirect{recent.path()};
    std::unique_ptr<app::Quillstack1> w;

    void SetUp() override {
        rt::DeleteSetting("Quillstack");
        app::resetGlobals();
        createListsDatabase(dbPath);
        auto db = db::Engine::OpenDatabase(dbPath);
        auto jobs = db->OpenRecordset("Jobs"), favs = db->OpenRecordset("Favorites"), phone = db->OpenRecordset("Phone");
        addJobRow(*jobs, "C:\\DOCS\\LETTER.TXT", db::Date{rt::makeDate(2024, 2, 1, 9)}, false);
        addJobRow(*jobs, "C:\\DOCS\\BUDGET.XLS", db::Value{}, true);
        addJobRow(*jobs, "D:\\WORK\\ALPHA.DOC", db::Date{rt::makeDate(2024, 1, 15)}, db::Value{});
        addFavorite(*favs, "NEWS SITE", "http://news.example/", "DAILY HEADLINES");
        addFavorite(*favs, "WEATHER", "http://wx.example/", "");
        favs->AddNew();
        favs->set("FavName", std::string("RECIPES"));
        favs->Update();  // URL and keywords Null
        addPhone(*phone, "SMITH JOHN", "EXT 101");
        addPhone(*phone, "JONES MARY", "EXT 202");
        app::Quillstack1::endProgram = [] {};
        app::setTrayCall([](DWORD, app::NotifyIconData88*) -> BOOL { return TRUE; });
        rt::SaveSetting("Quillstack", "Settings", "myleft", "-15000");  // off the screen
        rt::SaveSetting("Quillstack", "Settings", "mytop", "-15000");
    }
    void TearDown() override {
        if (w && w->Loaded()) w->Unload();
        w.reset();
        forms::setMainForm(nullptr);
        app::setTrayCall(nullptr);
        rt::DeleteSetting("Quillstack");
    }
    // The main window on `database`, up to its first activation.
    void start(const std::string& database) {
        app::myDBname = database;
        w = std::make_unique<app::Quillstack1>();
        w->Show();
        ASSERT_TRUE(pumpUntil([&] { return !w->firstActivate; }));
    }
    void search(int list, const std::string& text) {
        const int16_t shown = std::exchange(app::displaywhich, int16_t(list));
        w->Text1.Text(text);
        w->Text1_KeyUp(0, 0);
        app::displaywhich = shown;
    }
};

}  // namespace qs::test
