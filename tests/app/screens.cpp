// Shows the main window with sample data for screenshots taken from outside: each list, the keywords box
// and the phone entry box opened from it, the Phone list after New Record and a cell's tooltip. For each
// scene it writes <folder>\ready-<scene> and waits for <folder>\shot-<scene> before going on.
// Usage: app_screens <folder>   (tests/app/shots.sh drives it)
#include <windows.h>

#include <functional>
#include <string>
#include <utility>

#include "app/entry/keywords.h"
#include "app/entry/phoneentry.h"
#include "app/globals.h"
#include "app/quillstack1.h"
#include "app_support.h"
#include "platform/controls/flexgrid.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/settings.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "tests/support/testdb.h"

using namespace qs;
using namespace qs::test;

namespace {

void seed(const std::string& dbPath) {
    Seed rows(dbPath);
    const char* docs[][2] = {
        {"C:\\USERS\\ANNA\\DOCUMENTS\\", "QUARTERLY REPORT Q3.DOCX"},
        {"C:\\USERS\\ANNA\\DOCUMENTS\\", "BUDGET 2025.XLSX"},
        {"C:\\PROJECTS\\HARBOUR\\", "SITE PLAN REV B.PDF"},
        {"C:\\PROJECTS\\HARBOUR\\", "MEETING NOTES 14 NOV.TXT"},
        {"D:\\ARCHIVE\\LETTERS\\", "LETTER TO COUNCIL.DOC"},
        {"C:\\USERS\\ANNA\\DESKTOP\\", "TODO.TXT"},
        {"C:\\PROJECTS\\HARBOUR\\DRAWINGS\\", "PIER SECTION.DWG"},
        {"C:\\USERS\\ANNA\\DOCUMENTS\\", "INVOICE 1187.PDF"},
        {"D:\\PHOTOS\\2024\\", "OPENING DAY.JPG"},
        {"C:\\PROJECTS\\LIBRARY\\", "FLOOR PLAN.VSD"},
        {"C:\\USERS\\ANNA\\DOCUMENTS\\", "CV ANNA HOLM.DOCX"},
        {"C:\\PROJECTS\\LIBRARY\\", "TENDER RESPONSE.DOCX"},
        {"D:\\ARCHIVE\\LETTERS\\", "REPLY FROM SUPPLIER.PDF"},
        {"C:\\USERS\\ANNA\\DOWNLOADS\\", "TIMETABLE WINTER.PDF"},
    };
    int i = 0;
    for (const auto& d : docs) {
        const double when = rt::makeDate(2024, 11, 1 + (i * 2) % 28, 8 + i % 9, (i * 7) % 60);
        rows.job(std::string(d[0]) + d[1], db::Date{when}, i % 4 == 1);
        ++i;
    }
    rows.favorite("DEBIAN PACKAGES", "https://packages.debian.org/", "LINUX SOFTWARE");
    rows.favorite("WEATHER OSLO", "https://www.yr.no/", "FORECAST");
    rows.favorite("TRAIN TIMES", "https://www.vy.no/", "TRAVEL RAIL");
    rows.favorite("MDN WEB DOCS", "https://developer.mozilla.org/", "REFERENCE HTML CSS");
    rows.favorite("LIBRARY CATALOGUE", "https://bibliotek.example.org/", "BOOKS LOANS");
    rows.favorite("CITY COUNCIL", "https://council.example.org/", "PLANNING HEARINGS");
    rows.favorite("NEWS", "https://news.example.com/", "DAILY");
    rows.phone("HOLM ANNA", "EXT 2231  ROOM 4.12");
    rows.phone("BERG OLAV", "EXT 2290  SITE OFFICE");
    rows.phone("LIE KARI", "EXT 2104  PLANNING");
    rows.phone("DAHL PER", "+47 912 34 567");
    rows.phone("STRAND INGRID", "EXT 2317  ACCOUNTS");
    rows.phone("RECEPTION", "EXT 2000");
    rows.phone("IT HELPDESK", "EXT 2555");
    rows.commit();
}

std::string g_folder;

// What is on screen now, once it has painted.
void snap(const std::string& scene) {
    pumpFor(700);
    markSceneReady(g_folder, scene);
    pumpUntil([&] { return sceneShot(g_folder, scene); }, 60000);
}

// The entry box a command opens, on screen for its shot; then `finish` answers it.
struct BoxScene {
    std::string scene;
    std::function<void(forms::Form&)> finish;
    int ticks = 0;
};
BoxScene* g_box = nullptr;

void CALLBACK boxTick(HWND, UINT, UINT_PTR, DWORD) {
    forms::Form* box = forms::Form::fromHwnd(GetActiveWindow());
    if (!g_box || !box || box == app::mainWindow()) return;
    if (++g_box->ticks == 8) markSceneReady(g_folder, g_box->scene);
    if (g_box->ticks > 8 && sceneShot(g_folder, g_box->scene)) {
        BoxScene* scene = std::exchange(g_box, nullptr);
        scene->finish(*box);
    }
}

void boxScene(const std::string& scene, std::function<void(forms::Form&)> finish, const std::function<void()>& open) {
    BoxScene s{scene, std::move(finish)};
    g_box = &s;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, boxTick);
    open();
    KillTimer(nullptr, timer);
    g_box = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    g_folder = shotFolder(argc, argv, "app_screens");
    if (g_folder.empty()) return 2;
    MainWindowRun run("screens", true);
    run.services->realTray = true;
    seed(run.dbPath);
    {
        if (!run.start(true)) return 1;
        app::Quillstack1& w = *run.w;
        app::selectedNameJobs = "INVOICE 1187.PDF";
        SetCursorPos(2, 2);  // no tooltip over the lists
        const char* names[] = {"jobs", "favorites", "phone"};
        for (int list : {0, 1, 2}) {
            if (list == 0) w.Image12_MouseUp(0, 1, 0, 0, 0);
            if (list == 1) w.Image13_MouseUp(0, 1, 0, 0, 0);
            if (list == 2) w.Image14_MouseUp(0, 1, 0, 0, 0);
            SetForegroundWindow(w.hWnd());
            snap(names[list]);
        }

        // The keywords box from a right click on a favourite, closed without Enter.
        w.Image13_MouseUp(0, 1, 0, 0, 0);
        boxScene(
            "keywords", [](forms::Form& box) { PostMessageW(box.hWnd(), WM_CLOSE, 0, 0); },
            [&] { click(*w.MSgrid2, cellPoint(*w.MSgrid2, 3, 0), true); });
        // The phone entry box from Edit Record, cancelled; then New Record, answered.
        w.Image14_MouseUp(0, 1, 0, 0, 0);
        w.MSgrid3->Row(2);
        boxScene(
            "phoneentry", [](forms::Form& box) { PostMessageW(box.hWnd(), WM_CLOSE, 0, 0); },
            [&] { w.Image9_MouseUp(0, 1, 0, 0, 0); });
        boxScene(
            "newrecord-box",
            [](forms::Form& box) {
                auto& entry = dynamic_cast<app::Form1&>(box);
                entry.Text1.Text("Aas Nina");
                entry.Text2.Text("ext 2402  harbour office");
                entry.Image1_MouseDown(0, 1, 0, 0, 0);
            },
            [&] { w.Image15_MouseUp(0, 1, 0, 0, 0); });
        snap("newrecord");

        // A cell's text as the grid's tooltip, the pointer resting on it.
        w.Image12_MouseUp(0, 1, 0, 0, 0);
        POINT p = cellPoint(*w.MSgrid1, 4, 2);
        ClientToScreen(w.MSgrid1->hWnd(), &p);
        SetCursorPos(p.x - 3, p.y);
        pumpFor(100);
        SetCursorPos(p.x, p.y);
        pumpFor(1500);
        snap("tooltip");
        w.Unload();
    }
    return 0;
}
