#include "app/quillstack1.h"

#include <exception>

#include "app/appicon.h"
#include "app/data/shellutil.h"
#include "app/declares.h"
#include "app/globals.h"
#include "app/receiver.h"
#include "app/tooltip/tooltip.h"
#include "app/watchclient.h"
#include "platform/controls/datacontrol.h"
#include "platform/controls/flexgrid.h"
#include "platform/db/db.h"
#include "platform/runtime/app.h"
#include "platform/runtime/convert.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/files.h"
#include "platform/runtime/services.h"
#include "platform/runtime/settings.h"

namespace qs::app {

namespace {

Quillstack1* theWindow = nullptr;

constexpr char kSection[] = "Settings";

// Window and control places, in twips.
constexpr int kWidth = 7155, kHeight = 4275;
constexpr int kTopRow = 255, kSecondRow = 795;
constexpr int kWide = 1590, kSmall = 405, kButtonHeight = 345;
constexpr int kListLeft = 195, kListTop = 1320, kListWidth = 6465, kListHeight = 2760;

std::string setting(const char* key, const std::string& defaultValue) {
    return rt::GetSetting(kAppTitle, kSection, key, defaultValue);
}

// A stored value that does not convert (edited by hand) gives the default.
template <class T, class Convert>
T settingAs(const char* key, T defaultValue, const std::string& defaultText, Convert convert) {
    try {
        return convert(setting(key, defaultText));
    } catch (const std::exception&) {
        return defaultValue;
    }
}

}  // namespace

Quillstack1* mainWindow() { return theWindow; }

Quillstack1::Quillstack1()
    : Data1(std::make_unique<controls::DataControl>()),
      Data2(std::make_unique<controls::DataControl>()),
      Data3(std::make_unique<controls::DataControl>()),
      Text1(*this, 3840, kSecondRow, 3090, kButtonHeight),
      dt1(*this, kListLeft + kListWidth + 15, kListTop, 255, kListHeight),
      Image1(*this, 1950, kTopRow, kWide, kButtonHeight, forms::Face{"Open File"}),
      Image2(*this, 3660, kTopRow, kWide, kButtonHeight, forms::Face{"Open Explorer"}),
      Image3(*this, 5340, kTopRow, kWide, kButtonHeight, forms::Face{"Hide"}),
      Image4(*this, 195, kSecondRow, kSmall, kButtonHeight, forms::Face{"", forms::Glyph::Help}),
      Image5(*this, 255, kTopRow, kWide, kButtonHeight, forms::Face{"Options"}),
      Image6(*this, 660, kSecondRow, kSmall, kButtonHeight, forms::Face{"", forms::Glyph::DownArrow}),
      Image7(*this, 1125, kSecondRow, kSmall, kButtonHeight, forms::Face{"", forms::Glyph::Unpin}),
      Image8(*this, 1125, kSecondRow, kSmall, kButtonHeight, forms::Face{"", forms::Glyph::Pin}),
      Image9(*this, 3660, kTopRow, kWide, kButtonHeight, forms::Face{"Edit Record"}),
      Image10(*this, 1950, kTopRow, kWide, kButtonHeight, forms::Face{"Import URLs"}),
      Image11(*this, 3660, kTopRow, kWide, kButtonHeight, forms::Face{"Open Web Page"}),
      Image12(*this, 2280, kSecondRow, kSmall, kButtonHeight, forms::Face{"", forms::Glyph::Document}),
      Image13(*this, 2745, kSecondRow, kSmall, kButtonHeight, forms::Face{"", forms::Glyph::Globe}),
      Image14(*this, 3210, kSecondRow, kSmall, kButtonHeight, forms::Face{"", forms::Glyph::Phone}),
      Image15(*this, 1950, kTopRow, kWide, kButtonHeight, forms::Face{"New Record"}),
      Image16(*this, 1590, kSecondRow, kSmall, kButtonHeight, forms::Face{"", forms::Glyph::Info}),
      MSgrid1(*this, kListLeft, kListTop, kListWidth, kListHeight),
      MSgrid2(*this, kListLeft, kListTop, kListWidth, kListHeight),
      MSgrid3(*this, kListLeft, kListTop, kListWidth, kListHeight),
      mnuPopUp("PopUp"),
      lists_{{
          {listJobs,
           MSgrid1.get(),
           Data1.get(),
           {&Image1, &Image2},
           kSqlJobs,
           kOrderJobs,
           sqlJobs,
           whereJobs,
           orderJobs,
           searchTextJobs,
           topRowJobs,
           selectedNameJobs},
          {listFavorites,
           MSgrid2.get(),
           Data2.get(),
           {&Image10, &Image11},
           kSqlFavorites,
           kOrderFavorites,
           sqlFavorites,
           whereFavorites,
           orderFavorites,
           searchTextFavorites,
           topRowFavorites,
           selectedNameFavorites},
          {listPhone,
           MSgrid3.get(),
           Data3.get(),
           {&Image15, &Image9},
           kSqlPhone,
           kOrderPhone,
           sqlPhone,
           wherePhone,
           orderPhone,
           searchTextPhone,
           topRowPhone,
           selectedNamePhone},
      }} {
    theWindow = this;
    Caption(kAppTitle);
    scaleMode = forms::ScaleMode::Pixels;  // the tray reports its mouse message as the x coordinate
    KeyPreview = true;
    setClientSize(kWidth, kHeight);

    Image4.ToolTipText("Help");
    Image6.ToolTipText("Minimize to Systray");
    Image8.ToolTipText("Stay on top");
    Image7.ToolTipText("Stay on Top");
    Image12.ToolTipText("Display Recent Files");
    Image13.ToolTipText("Display Internet URLs");
    Image14.ToolTipText("Display Phonebook");
    Image15.Visible(false);
    Image9.Visible(false);
    wireButtons();
    wireGrids();

    Text1.onKeyUp = [this](int& keyCode, int shift) { Text1_KeyUp(keyCode, shift); };
    Text1.onGotFocus = [this] { Text1_GotFocus(); };
    dt1.onScroll = [this] { dt1_Scroll(); };
    dt1.onChange = [this] { dt1_Change(); };

    mnuShow = mnuPopUp.addItem("&Quillstack Main Window", [this] { mnuShow_Click(); });
    mnuExit = mnuPopUp.addItem("&Exit Quillstack", [this] { mnuExit_Click(); });
}

Quillstack1::~Quillstack1() {
    if (Loaded()) {
        // Destroyed without an unload (a test ending early): take down what the load set up.
        attempt([&] { oFoldwatcher.reset(); });
        if (trayIconWanted()) deleteTrayIcon();
        if (frmInvisible.isLoaded()) {
            attempt([] { unhookWindow(); });
            attempt([] { frmInvisible.Unload(); });
        }
    }
    setReceiveRefresh(nullptr);
    gridTips.reset();
    for (ListState& list : lists_) list.data->unbind();
    if (theWindow == this) theWindow = nullptr;
}

void Quillstack1::Form_Initialize() {
    const int tpp = forms::twipsPerPixel();
    const double x = rt::roundHalfEven((GetSystemMetrics(SM_CXSCREEN) * tpp - Width()) / 2.0);
    const double y = rt::roundHalfEven((GetSystemMetrics(SM_CYSCREEN) * tpp - Height()) / 2.0);
    auto position = [](const std::string& text) { return rt::CSng(text); };
    const float left = settingAs<float>("myleft", float(x), rt::Str(x), position);
    const float top = settingAs<float>("mytop", float(y), rt::Str(y), position);
    Left(int(rt::roundHalfEven(left)));
    Top(int(rt::roundHalfEven(top)));
}

void Quillstack1::Form_Load() {
    // 1-3: start state and the hidden receiver window.
    topRow = 1;
    firstActivate = true;
    attempt([&] {
        frmInvisible.Load();
        hWndReceiver = frmInvisible.hWnd();
        if (hWndReceiver) ShowWindow(hWndReceiver, SW_HIDE);
    });
    suppressSelChange = false;

    // 4: settings.
    openexplorer = settingAs<bool>("openexplorer", true, "True", [](const std::string& t) { return rt::CBool(t); });
    timelimit = settingAs<int16_t>("timelimit", 90, "90", [](const std::string& t) { return rt::CInt(t); });
    sortby = settingAs<int32_t>("sortby", 0, "0", [](const std::string& t) { return rt::CLng(t); });
    sortdir = setting("sortdir", " ASC");
    displaywhich = settingAs<int16_t>("displaywhich", 0, "0", [](const std::string& t) { return rt::CInt(t); });

    // 5-6: receiver hooked, tray record ready.
    if (hWndReceiver) attempt([] { hookWindow(); });
    setReceiveRefresh([this] { pathsReceived(); });
    if (!icon_) icon_.reset(makeAppIcon(GetSystemMetrics(SM_CXSMICON) > 16 ? 32 : 16));
    if (icon_) {
        SendMessageW(hWnd(), WM_SETICON, ICON_SMALL, LPARAM(icon_.get()));
        SendMessageW(hWnd(), WM_SETICON, ICON_BIG, LPARAM(icon_.get()));
    }
    fillTrayRecord(hWnd(), icon_.get());
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");

    // 7-8: the Recent folder and its baseline listing. Without a Recent folder there is nothing to list or
    // watch: taking "\\" instead would record whatever changes in the root of the current drive.
    watchPath.clear();
    attempt([&] { getSpecialFolder(hWnd(), 8, watchPath); });
    const bool haveRecent = !watchPath.empty();
    recentPath = watchPath;
    if (recentPath.empty() || recentPath.back() != '\\') recentPath += '\\';
    recentFiles.clear();
    recentFileCount = 0;
    if (haveRecent) {
        attempt([&] {
            for (std::string name = rt::Dir(recentPath + "*.*", rt::attrNormal); !name.empty(); name = rt::Dir()) {
                if (recentFileCount == INT16_MAX) throw rt::Error(rt::errOverflow);
                recentFiles.push_back(name);
                ++recentFileCount;
            }
        });
    }

    // 9: the folder watch. Without a registered library the program runs on without one.
    if (watchPath.empty() || watchPath.back() != '\\') watchPath += '\\';
    if (haveRecent) {
        attempt([&] {
            oFoldwatcher = WatchClient::create(
                [this](const std::string& sPathName, int16_t nType) { oFoldwatcher_Notify(sPathName, nType); });
            if (oFoldwatcher) {
                oFoldwatcher->AddPath(watchPath);
                oFoldwatcher->putStart(true);
            }
        });
    }

    // Every list hidden until its view is shown.
    for (ListState& list : lists_) list.grid->Visible(false);

    // 10-11: list queries and data binding.
    bindLists();

    // 12-16: from here a failing step is skipped.
    if (ListState* shown = listOf(displaywhich)) {
        attempt([&] { showListView(*shown); });
        attempt([&] { Text1.Text(shown->searchText); });
    }
    attempt([&] {
        gridTips = std::make_unique<cTooltip>();
        gridTips->Create(hWnd());
        gridTips->MaxTipWidth(240);
        gridTips->DelayTime(2, 10000);
        for (const ListState& list : lists_) gridTips->AddTool(list.grid->hWnd(), hWnd(), "");
        for (const ListState& list : lists_) gridTips->ToolText(list.grid->hWnd(), "datagrid");
    });
    attempt([&] { setTooltipColours(); });
    stayOnTop = false;
    Image7.Visible(false);
    Image8.showNormal();

    openLists();
}

void Quillstack1::Form_Activate() {
    // A modal window opened from here (the sort's database error path) hands the activation back when it
    // closes; that activation belongs to this one.
    if (activating_) return;
    activating_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{activating_};
    ListState* shown = listOf(displaywhich);
    if (shown && firstActivate) {
        redrawList(*shown);
        if (sortdir == " DESC") {
            lastSortCol = sortby;
            lastSortDir = " ASC";
        }
        sortList(*shown, sortby);
        reselectRow();
    }
    if (firstActivate) {
        hideToTray();
        for (ListState& list : lists_) setColumns(list);
        firstActivate = false;
    }
}

void Quillstack1::Form_Paint() {
    if (!firstActivate) return;
    firstActivate = false;
    if (ListState* shown = listOf(displaywhich)) redrawList(*shown);
}

void Quillstack1::Form_MouseMove(int, int, float x, float) {
    const int message = int(x);
    if (message == WM_LBUTTONDBLCLK) {
        mnuShow_Click();
    } else if (message == WM_RBUTTONDOWN) {
        mnuPopUp.show(hWnd());
    }
}

void Quillstack1::Form_MouseDown(int button, int, float, float) {
    if (button == forms::vbLeftButton) beginDrag();
}

void Quillstack1::mnuShow_Click() {
    if (IsIconic(hWnd())) ShowWindow(hWnd(), SW_RESTORE);
    deleteTrayIcon();
    Show();
    attempt([&] { topRow = MSgrid1->TopRow(); });
    redrawGrid();
}

void Quillstack1::mnuExit_Click() { Unload(); }

bool Quillstack1::onMessage(UINT msg, WPARAM, LPARAM, LRESULT&) {
    // A restarted taskbar has forgotten the icon; put it back while the window is in the tray.
    if (taskbarCreated_ && msg == taskbarCreated_ && trayIconWanted()) addTrayIcon();
    return false;
}

void Quillstack1::Form_Unload(int&) {
    // A rescan waiting for its burst never starts, and one under way ends at its next yield.
    recentRescan.stop();

    // 1: purge. The deleting only runs over the purge query's own rows: when that query cannot run, the
    // data control still holds the list's rows, which must stay.
    attempt([&] {
        Data1->RecordSource(purgeSource(rt::Today(), timelimit));
        Data1->Refresh();
        std::shared_ptr<db::Recordset> rs = Data1->Recordset();
        // One commit for the whole purge: a synced commit per row made an exit with thousands of old jobs
        // take seconds. A purge that cannot commit leaves every job for the next exit.
        db::Transaction purge(*Data1->Database());
        rs->MoveFirst();
        while (!rs->EOF_()) {
            attempt([&] { rs->Delete(); });
            rs->MoveNext();
        }
        purge.commit();
    });

    // 2: the nine settings.
    for (const auto& [key, value] : exitSettings()) attempt([&] { rt::SaveSetting(kAppTitle, kSection, key, value); });

    // 3-6: the watch, the receiver and the tray icon go.
    attempt([&] {
        if (oFoldwatcher) oFoldwatcher->putStart(false);
    });
    attempt([&] { oFoldwatcher.reset(); });
    if (hWndReceiver) attempt([] { unhookWindow(); });
    setReceiveRefresh(nullptr);
    deleteTrayIcon();
    attempt([] { frmInvisible.Unload(); });

    // 7: the end of the program.
    rt::services().endProgram();
}

std::vector<std::pair<std::string, std::string>> Quillstack1::exitSettings() const {
    return {
        {"openexplorer", rt::BoolText(openexplorer)},
        {"timelimit", rt::Str(int(timelimit))},
        {"displaywhich", rt::Str(int(displaywhich))},
        {"myleft", rt::Str(float(Left()))},
        {"mytop", rt::Str(float(Top()))},
        {"sortby", rt::Str(long(sortby))},
        {"sortdir", sortdir},
        {"tempdir", ""},
        {"myDBname", myDBname},
    };
}

// --- Start ---

void Main() {
    myDBname = rt::GetSetting(kAppTitle, kSection, "myDBname", rt::AppPath() + "\\quillstack.mdb");
    static std::unique_ptr<Quillstack1> window;
    window = std::make_unique<Quillstack1>();
    window->Show();
}

}  // namespace qs::app
