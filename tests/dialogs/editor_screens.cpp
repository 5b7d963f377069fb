// The table editor on each table with sample data, and the Jobs table sorted, searched and with a cell
// being edited, smaller and at its smallest, each saved from the screen as a .bmp file into <folder>.
// Usage: editor_screens <folder>   (tests/dialogs/editor_shots.sh runs it under Xvfb)
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/dialogs/form6.h"
#include "app/globals.h"
#include "app/listquery.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/text.h"
#include "platform/win/window.h"
#include "tests/app/app_support.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "tests/support/testdb.h"

using namespace qs;
using namespace qs::test;

namespace {

void seed(const std::string& path) {
    createProgramDatabase(path);
    auto db = db::Engine::OpenDatabase(path);
    auto jobs = db->OpenRecordset("Jobs");
    const char* docs[] = {
        "C:\\USERS\\ANNA\\DOCUMENTS\\QUARTERLY REPORT Q3.DOCX", "C:\\USERS\\ANNA\\DOCUMENTS\\BUDGET 2025.XLSX",
        "C:\\PROJECTS\\HARBOUR\\SITE PLAN REV B.PDF",           "C:\\PROJECTS\\HARBOUR\\MEETING NOTES 14 NOV.TXT",
        "D:\\ARCHIVE\\LETTERS\\LETTER TO COUNCIL.DOC",          "C:\\USERS\\ANNA\\DESKTOP\\TODO.TXT",
        "C:\\PROJECTS\\HARBOUR\\DRAWINGS\\PIER SECTION.DWG",    "D:\\PHOTOS\\2024\\OPENING DAY.JPG",
        "C:\\PROJECTS\\LIBRARY\\TENDER RESPONSE.DOCX",          "C:\\USERS\\ANNA\\DOWNLOADS\\TIMETABLE WINTER.PDF"};
    int i = 0;
    for (const char* d : docs)
        addJob(*jobs, d, db::Date{rt::makeDate(2024, 11, 1 + i * 2, 8 + i, 5 * i)}, i % 4 == 1), ++i;
    addJob(*jobs, "C:\\NOTES\\TYPED WITHOUT A DATE.TXT", db::Value{}, false);
    auto favs = db->OpenRecordset("Favorites");
    addFavorite(*favs, "DEBIAN PACKAGES", "https://packages.debian.org/", "LINUX SOFTWARE");
    addFavorite(*favs, "WEATHER OSLO", "https://www.yr.no/", "FORECAST");
    addFavorite(*favs, "TRAIN TIMES", "https://www.vy.no/", "TRAVEL RAIL");
    addFavorite(*favs, "MDN WEB DOCS", "https://developer.mozilla.org/en-US/docs/Web", "REFERENCE HTML CSS");
    auto phone = db->OpenRecordset("Phone");
    addPhone(*phone, "HOLM ANNA", "EXT 2231  ROOM 4.12");
    addPhone(*phone, "BERG OLAV", "EXT 2290  SITE OFFICE");
    addPhone(*phone, "RECEPTION", "0 OR 2200");
    db->Close();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = shotFolder(argc, argv, "editor_screens");
    if (folder.empty()) return 2;
    win::setHandlerErrorReporter([](const std::string& what) { std::printf("handler failed: %s\n", what.c_str()); });
    TempDir dir("editorscreens");
    FakeServices services(dir.path());
    app::myDBname = dir.file("quillstack.mdb");
    seed(app::myDBname);
    app::sqlJobs = app::kSqlJobs;
    app::sqlFavorites = app::kSqlFavorites;
    app::sqlPhone = app::kSqlPhone;
    SetCursorPos(1200, 1000);
    auto shot = [&](app::Form6& editor, const std::string& name) {
        pumpFor(500);
        saveShot(editor.hWnd(), folder, name);
    };
    const char* names[] = {"editor-jobs", "editor-favorites", "editor-phone"};
    const std::string* sqls[] = {&app::sqlJobs, &app::sqlFavorites, &app::sqlPhone};
    for (int t = 0; t < 3; ++t) {
        app::editorSQL = *sqls[t];
        app::Form6 editor;
        editor.Move(600, 600, editor.Width(), editor.Height());
        editor.Show();
        shot(editor, names[t]);
        if (t != 0) continue;
        editor.DBGrid1_HeadClick(0);  // descending
        editor.Text1.Text("re");
        editor.DBGrid1.Row(2);
        editor.DBGrid1.Col(2);
        SendMessageW(editor.DBGrid1.hWnd(), WM_KEYDOWN, VK_F2, 0);
        shot(editor, "editor-jobs-sorted-searched-editing");
        editor.Move(600, 600, 9000, 6000);
        shot(editor, "editor-jobs-small");
        editor.Move(600, 600, 1500, 1500);  // stops at the smallest size its layout fits
        shot(editor, "editor-jobs-smallest");
    }
    return 0;
}
