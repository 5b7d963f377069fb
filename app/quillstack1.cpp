#include "app/quillstack1.h"

#include <algorithm>
#include <exception>

#include "app/appicon.h"
#include "app/data/shellutil.h"
#include "app/declares.h"
#include "app/globals.h"
#include "app/lists.h"
#include "app/options.h"
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

constexpr char kApp[] = "Quillstack";
constexpr char kSection[] = "Settings";
constexpr char kLoadDbMessage[] = "Problem with Database...Please Select New One";
constexpr char kSortDbMessage[] = "Problem with Database...Please select a new one";

// Window and control places, in twips.
constexpr int kWidth = 7155, kHeight = 4275;
constexpr int kTopRow = 255, kSecondRow = 795;
constexpr int kWide = 1590, kSmall = 405, kButtonHeight = 345;
constexpr int kListLeft = 195, kListTop = 1320, kListWidth = 6465, kListHeight = 2760;

// One statement whose failure is skipped.
template <class F>
void attempt(F&& statement) {
  try {
    statement();
  } catch (const std::exception&) {
  }
}

std::string setting(const char* key, const std::string& defaultValue) {
  return rt::GetSetting(kApp, kSection, key, defaultValue);
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

int16_t keptTopRowOf(int32_t row) { return int16_t(std::clamp<int32_t>(row, INT16_MIN, INT16_MAX)); }

}  // namespace

std::function<void()> Quillstack1::endProgram;

Quillstack1* mainWindow() { return theWindow; }

Quillstack1::Quillstack1()
    : Text1(*this, 3840, kSecondRow, 3090, kButtonHeight),
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
      mnuPopUp("PopUp") {
  theWindow = this;
  Caption(kApp);
  scaleMode = forms::ScaleMode::Pixels;  // the tray reports its mouse message as the x coordinate
  KeyPreview = true;
  setClientSize(kWidth, kHeight);

  Data1 = std::make_unique<controls::DataControl>();
  Data2 = std::make_unique<controls::DataControl>();
  Data3 = std::make_unique<controls::DataControl>();
  MSgrid1 = std::make_unique<controls::FlexGrid>();
  MSgrid2 = std::make_unique<controls::FlexGrid>();
  MSgrid3 = std::make_unique<controls::FlexGrid>();

  Image4.ToolTipText("Help");
  Image6.ToolTipText("Minimize to Systray");
  Image8.ToolTipText("Stay on top");
  Image7.ToolTipText("Stay on Top");
  Image12.ToolTipText("Display Recent Files");
  Image13.ToolTipText("Display Internet URLs");
  Image14.ToolTipText("Display Phonebook");
  Image15.Visible(false);
  Image9.Visible(false);

  // Every button shows its pressed face from mouse-down to release, then acts.
  forms::PictureButton* all[] = {&Image1, &Image2,  &Image3,  &Image4,  &Image5,  &Image6,  &Image7,  &Image8,
                                 &Image9, &Image10, &Image11, &Image12, &Image13, &Image14, &Image15, &Image16};
  auto showNormal = [](forms::PictureButton& b) {
    b.Visible(0, true);
    b.Visible(1, false);
  };
  for (forms::PictureButton* b : all) {
    b->onMouseDown = [b](int, int, int, float, float) {
      b->Visible(0, false);
      b->Visible(1, true);
    };
    b->onMouseUp = [b, showNormal](int, int, int, float, float) { showNormal(*b); };
  }
  auto after = [showNormal](forms::PictureButton& b, std::function<void()> action) {
    b.onMouseUp = [&b, showNormal, action](int, int, int, float, float) {
      showNormal(b);
      action();
    };
  };
  Image12.onMouseUp = [this](int i, int b, int s, float x, float y) { Image12_MouseUp(i, b, s, x, y); };
  Image13.onMouseUp = [this](int i, int b, int s, float x, float y) { Image13_MouseUp(i, b, s, x, y); };
  Image14.onMouseUp = [this](int i, int b, int s, float x, float y) { Image14_MouseUp(i, b, s, x, y); };
  after(Image3, [this] { hideToTray(); });
  after(Image6, [this] { hideToTray(); });
  // Options shows pressed for as long as it is open.
  Image5.onMouseUp = [this, showNormal](int, int, int, float, float) {
    showOptions(this);
    showNormal(Image5);
  };
  // The stay-on-top pair shares one place: the pressed button hides itself and shows the other one.
  auto stayOnTopToggle = [this, showNormal](forms::PictureButton& pressed, forms::PictureButton& other, bool on) {
    pressed.onMouseUp = [this, showNormal, &pressed, &other, on](int, int, int, float, float) {
      pressed.Visible(false);
      stayOnTop = on;
      setTopmost(on);
      showNormal(other);
    };
  };
  stayOnTopToggle(Image8, Image7, true);
  stayOnTopToggle(Image7, Image8, false);

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
  gridTips.reset();
  if (Data1) Data1->unbind();
  if (Data2) Data2->unbind();
  if (Data3) Data3->unbind();
  if (icon_) DestroyIcon(icon_);
  if (theWindow == this) theWindow = nullptr;
}

controls::FlexGrid* Quillstack1::gridOf(int list) const {
  switch (list) {
    case listJobs: return MSgrid1.get();
    case listFavorites: return MSgrid2.get();
    case listPhone: return MSgrid3.get();
  }
  return nullptr;
}

controls::DataControl* Quillstack1::dataOf(int list) const {
  switch (list) {
    case listJobs: return Data1.get();
    case listFavorites: return Data2.get();
    case listPhone: return Data3.get();
  }
  return nullptr;
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
  if (!icon_) icon_ = makeAppIcon(GetSystemMetrics(SM_CXSMICON) > 16 ? 32 : 16);
  if (icon_) {
    SendMessageW(hWnd(), WM_SETICON, ICON_SMALL, LPARAM(icon_));
    SendMessageW(hWnd(), WM_SETICON, ICON_BIG, LPARAM(icon_));
  }
  fillTrayRecord(hWnd(), icon_);
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

  // 10: list queries.
  sqlJobs = kSqlJobs;
  sqlFavorites = kSqlFavorites;
  sqlPhone = kSqlPhone;
  whereJobs.clear();
  whereFavorites.clear();
  wherePhone.clear();
  orderJobs = kOrderJobs;
  orderFavorites = kOrderFavorites;
  orderPhone = kOrderPhone;

  // The grids need this window; each data control feeds its grid.
  controls::FlexGrid* grids[] = {MSgrid1.get(), MSgrid2.get(), MSgrid3.get()};
  controls::DataControl* datas[] = {Data1.get(), Data2.get(), Data3.get()};
  for (int i = 0; i < 3; ++i) {
    attempt([&] {
      if (!grids[i]->hWnd()) grids[i]->create(hWnd(), kListLeft, kListTop, kListWidth, kListHeight, 100 + i);
      grids[i]->Visible(false);
      datas[i]->bind(*grids[i]);
    });
  }

  // 11: data binding. Each failing statement shows the message and Options, then the next one runs.
  const std::string* clauses[3][3] = {{&sqlJobs, &whereJobs, &orderJobs},
                                      {&sqlFavorites, &whereFavorites, &orderFavorites},
                                      {&sqlPhone, &wherePhone, &orderPhone}};
  for (int i = 0; i < 3; ++i) {
    databaseStep([&] { datas[i]->DatabaseName(myDBname); }, kLoadDbMessage, kApp);
    databaseStep([&] { datas[i]->RecordSource(recordSource(*clauses[i][0], *clauses[i][1], *clauses[i][2])); },
                 kLoadDbMessage, kApp);
  }

  // 12-16: from here a failing step is skipped.
  attempt([&] { showListView(displaywhich); });
  attempt([&] {
    gridTips = std::make_unique<cTooltip>();
    gridTips->Create(hWnd());
    gridTips->MaxTipWidth(240);
    gridTips->DelayTime(2, 10000);
    for (controls::FlexGrid* g : grids) gridTips->AddTool(g->hWnd(), hWnd(), "");
    for (controls::FlexGrid* g : grids) gridTips->ToolText(g->hWnd(), "datagrid");
  });
  attempt([&] { setTooltipColours(); });
  stayOnTop = false;
  Image7.Visible(false);
  Image8.Visible(0, true);
  Image8.Visible(1, false);

  openLists();
}

// Once loaded, each data control opens the database and runs its query; a database that cannot be
// opened is reported here, as the data control would report it itself.
void Quillstack1::openLists() {
  for (controls::DataControl* data : {Data1.get(), Data2.get(), Data3.get()}) {
    try {
      data->Refresh();
    } catch (const std::exception& e) {
      rt::services().msgBox(e.what(), MB_OK | MB_ICONEXCLAMATION, kApp);
    }
  }
}

bool Quillstack1::databaseStep(const std::function<void()>& step, const char* message, const char* title) {
  try {
    step();
    return true;
  } catch (const std::exception&) {
    rt::services().msgBox(message, MB_OK, title);
    showOptions(this);
    return false;
  }
}

void Quillstack1::showListView(int list) {
  if (list < 0 || list > 2) return;
  forms::PictureButton* buttons[3][2] = {{&Image1, &Image2}, {&Image10, &Image11}, {&Image15, &Image9}};
  const std::string* texts[] = {&searchTextJobs, &searchTextFavorites, &searchTextPhone};
  for (int i = 0; i < 3; ++i) {
    gridOf(i)->Visible(i == list);
    for (forms::PictureButton* b : buttons[i]) {
      b->Visible(0, i == list);
      b->Visible(1, i == list);
    }
  }
  Text1.Text(*texts[list]);
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
  if (displaywhich >= 0 && displaywhich <= 2 && firstActivate) {
    redrawList(displaywhich);
    if (sortdir == " DESC") {
      lastSortCol = sortby;
      lastSortDir = " ASC";
    }
    sortList(displaywhich, sortby);
    reselectRow();
  }
  if (firstActivate) {
    hideToTray();
    const double w = Width();
    for (int list = 0; list < 3; ++list) {
      controls::FlexGrid* g = gridOf(list);
      const ListLook& look = listLook(list);
      for (size_t c = 0; c < look.widths.size(); ++c) attempt([&] { g->ColWidth(int(c), columnWidth(w, look.widths[c])); });
      for (size_t c = 0; c < look.captions.size(); ++c) attempt([&] { g->TextMatrix(0, int(c), look.captions[c]); });
    }
    firstActivate = false;
  }
}

void Quillstack1::Form_Paint() {
  if (!firstActivate) return;
  firstActivate = false;
  redrawList(displaywhich);
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

void Quillstack1::hideToTray() {
  addTrayIcon();
  Hide();
}

bool Quillstack1::onMessage(UINT msg, WPARAM, LPARAM, LRESULT&) {
  // A restarted taskbar has forgotten the icon; put it back while the window is in the tray.
  if (taskbarCreated_ && msg == taskbarCreated_ && trayIconWanted()) addTrayIcon();
  return false;
}

void Quillstack1::Form_Unload(int&) {
  // 1: purge. The deleting only runs over the purge query's own rows: when that query cannot run, the
  // data control still holds the list's rows, which must stay.
  attempt([&] {
    Data1->RecordSource(purgeSource(rt::Today(), timelimit));
    Data1->Refresh();
    std::shared_ptr<db::Recordset> rs = Data1->Recordset();
    rs->MoveFirst();
    while (!rs->EOF_()) {
      attempt([&] { rs->Delete(); });
      rs->MoveNext();
    }
  });

  // 2: the nine settings.
  for (const auto& [key, value] : exitSettings())
    attempt([&] { rt::SaveSetting(kApp, kSection, key, value); });

  // 3-6: the watch, the receiver and the tray icon go.
  attempt([&] {
    if (oFoldwatcher) oFoldwatcher->putStart(false);
  });
  attempt([&] { oFoldwatcher.reset(); });
  if (hWndReceiver) attempt([] { unhookWindow(); });
  deleteTrayIcon();
  attempt([] { frmInvisible.Unload(); });

  // 7: the end of the program.
  if (endProgram)
    endProgram();
  else
    PostQuitMessage(0);
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

// --- Search and sort ---

void Quillstack1::Text1_GotFocus() {}

void Quillstack1::Text1_KeyUp(int, int) {
  const int list = displaywhich;
  controls::DataControl* data = dataOf(list);
  controls::FlexGrid* grid = gridOf(list);
  if (!data || !grid) return;
  std::string* wheres[] = {&whereJobs, &whereFavorites, &wherePhone};
  const std::string* sqls[] = {&sqlJobs, &sqlFavorites, &sqlPhone};
  const std::string* orders[] = {&orderJobs, &orderFavorites, &orderPhone};
  std::string* kept[] = {&searchTextJobs, &searchTextFavorites, &searchTextPhone};

  const std::string text = Text1.Text();
  const std::string where = searchWhere(list, text);
  const std::string previous = data->RecordSource();
  data->RecordSource(recordSource(*sqls[list], where, *orders[list]));
  try {
    data->Refresh();
  } catch (const std::exception&) {
    // A text that is no valid pattern yet (an unclosed "[") keeps the list as it was; the next key
    // tries again.
    data->RecordSource(previous);
    *kept[list] = text;
    return;
  }
  *wheres[list] = where;
  if (list != listJobs) {
    attempt([&] {
      std::shared_ptr<db::Recordset> rs = data->Recordset();
      if (rs && rs->RecordCount() >= 1) rs->MoveLast();
    });
  }
  attempt([&] { topRow = grid->TopRow(); });
  *kept[list] = text;
  redrawList(list);
}

void Quillstack1::sortJobs(int32_t col) { sortList(listJobs, col); }
void Quillstack1::sortFavorites(int32_t col) { sortList(listFavorites, col); }
void Quillstack1::sortPhone(int32_t col) { sortList(listPhone, col); }

void Quillstack1::sortList(int list, int32_t col) {
  controls::FlexGrid* grid = gridOf(list);
  controls::DataControl* data = dataOf(list);
  if (!grid || !data) return;
  std::string* orders[] = {&orderJobs, &orderFavorites, &orderPhone};
  const std::string* sqls[] = {&sqlJobs, &sqlFavorites, &sqlPhone};
  const std::string* wheres[] = {&whereJobs, &whereFavorites, &wherePhone};
  auto step = [this](const std::function<void()>& s) { databaseStep(s, kSortDbMessage, ""); };

  step([&] { sortby = col; });
  step([&] { grid->Visible(false); });
  if (list == listJobs)
    step([&] { topRow = MSgrid1->TopRow(); });
  else
    step([&] { grid->Refresh(); });
  step([&] { lastSortDir = nextSortDirection(col, lastSortCol, lastSortDir); });
  step([&] {
    if (std::optional<std::string> field = sortField(list, col)) *orders[list] = orderClause(*field, lastSortDir);
  });
  step([&] { data->DatabaseName(myDBname); });
  step([&] { data->RecordSource(recordSource(*sqls[list], *wheres[list], *orders[list])); });
  step([&] { data->Refresh(); });
  step([&] { lastSortCol = col; });
  step([&] { sortdir = lastSortDir; });
  step([&] { redrawList(list); });
}

void Quillstack1::reselectRow() {
  const int list = displaywhich;
  controls::FlexGrid* grid = gridOf(list);
  controls::DataControl* data = dataOf(list);
  if (!grid || !data) return;
  attempt([&] {
    if (grid->Rows() <= 1) return;
    std::shared_ptr<db::Recordset> rs = data->Recordset();
    rs->FindFirst(reselectCriterion(list, selectedName));
    // No such row any more (deleted or filtered out): the selection stays where the redraw put it.
    if (rs->NoMatch()) return;
    const int row = int(rs->AbsolutePosition()) + 1;
    grid->Row(row);
    grid->RowSel(row);
    grid->Col(0);
    grid->ColSel(listLook(list).lastCol);
    grid->Refresh();
  });
  attempt([&] { grid->Visible(true); });
}

// --- Drawing ---

void Quillstack1::redrawGrid() { redrawList(listJobs); }
void Quillstack1::redrawGrid3() { redrawList(listFavorites); }
void Quillstack1::redrawGrid4() { redrawList(listPhone); }

namespace {

// Columns 0 to 3 of each job row in the colour of its JobPermanent. The flags come from the grid's
// record set in one pass when the grid shows it unchanged; otherwise cell by cell from the grid.
void colourJobRows(controls::FlexGrid& g, controls::DataControl* data) {
  const int rows = g.Rows();
  std::vector<signed char> flags;
  if (g.bound() && data && data->Recordset()) {
    try {
      flags = data->Recordset()->booleanColumn(4);
    } catch (const std::exception&) {
      flags.clear();
    }
  }
  for (int r = 1; r < rows; ++r) {
    bool permanent = false;
    if (size_t(r - 1) < flags.size()) {
      permanent = flags[size_t(r - 1)] == 1;
    } else {
      permanent = g.TextMatrix(r, 4) == "True";
    }
    const uint32_t colour = permanent ? kPermanentJobColour : kJobColour;
    g.Row(r);
    for (int c = 0; c <= 3; ++c) {
      g.Col(c);
      g.CellBackColor(colour);
    }
  }
}

}  // namespace

void Quillstack1::redrawList(int list) {
  controls::FlexGrid* g = gridOf(list);
  if (!g) return;
  const ListLook& look = listLook(list);
  attempt([&] { g->Redraw(false); });
  attempt([&] {
    if (g->Rows() > 1) g->TopRow(restoredTopRow(topRow, g->Rows()));
  });
  if (list == listJobs) attempt([&] { colourJobRows(*g, Data1.get()); });
  attempt([&] {
    if (g->TopRow() > 0) {
      attempt([&] { g->Row(g->TopRow()); });
      attempt([&] { g->RowSel(g->TopRow()); });
    }
  });
  attempt([&] { g->Col(0); });
  attempt([&] { g->ColSel(look.lastCol); });
  attempt([&] { g->Redraw(true); });

  // The range follows the grid just drawn; the changes it makes to the value move no grid.
  redrawing_ = true;
  attempt([&] { dt1.Max(scrollMax(g->Rows())); });
  attempt([&] { dt1.Min(1); });
  attempt([&] { dt1.SmallChange(1); });
  attempt([&] { dt1.LargeChange(1); });
  attempt([&] { dt1.Value(g->TopRow()); });
  redrawing_ = false;

  const double w = Width();
  for (size_t c = 0; c < look.widths.size(); ++c) attempt([&] { g->ColWidth(int(c), columnWidth(w, look.widths[c])); });
  for (size_t c = 0; c < look.captions.size(); ++c) attempt([&] { g->TextMatrix(0, int(c), look.captions[c]); });
}

void Quillstack1::dt1_Scroll() { dt1_Change(); }

void Quillstack1::dt1_Change() {
  if (switchingView || redrawing_) return;
  controls::FlexGrid* g = gridOf(displaywhich);
  if (!g) return;
  attempt([&] {
    // The range may belong to another list's grid: the value is held to this grid's rows.
    if (g->Rows() >= 3) g->TopRow(std::clamp(dt1.Value(), 1, g->Rows() - 1));
  });
}

void Quillstack1::setTooltipColours() {
  if (displaywhich < 0 || displaywhich > 2 || !gridTips) return;
  attempt([&] {
    gridTips->BackColor(int32_t(kTipColours[size_t(displaywhich)].back));
    gridTips->ForeColor(int32_t(kTipColours[size_t(displaywhich)].fore));
  });
}

// --- List switch ---

void Quillstack1::Image12_MouseUp(int, int, int, float, float) {
  Image12.Visible(0, true);
  Image12.Visible(1, false);
  switchList(listJobs);
}

void Quillstack1::Image13_MouseUp(int, int, int, float, float) {
  Image13.Visible(0, true);
  Image13.Visible(1, false);
  switchList(listFavorites);
}

void Quillstack1::Image14_MouseUp(int, int, int, float, float) {
  Image14.Visible(0, true);
  Image14.Visible(1, false);
  switchList(listPhone);
}

void Quillstack1::switchList(int16_t n) {
  int16_t* keptTop[] = {&topRowJobs, &topRowFavorites, &topRowPhone};
  const std::string* keptText[] = {&searchTextJobs, &searchTextFavorites, &searchTextPhone};
  const std::string* keptName[] = {&selectedNameJobs, &selectedNameFavorites, &selectedNamePhone};
  for (int i = 0; i < 3; ++i)
    if (i != n) attempt([&] { *keptTop[i] = keptTopRowOf(gridOf(i)->TopRow()); });
  displaywhich = n;
  Text1.Text(*keptText[n]);
  setTooltipColours();
  struct {
    forms::PictureButton* button;
    int list;
  } const commands[] = {{&Image10, 1}, {&Image11, 1}, {&Image1, 0}, {&Image2, 0}, {&Image15, 2}, {&Image9, 2}};
  for (const auto& c : commands) {
    c.button->Visible(0, c.list == n);
    c.button->Visible(1, c.list == n);
  }
  for (int i = 0; i < 3; ++i) attempt([&] { gridOf(i)->Visible(i == n); });
  topRow = *keptTop[n];
  switchingView = true;
  redrawList(n);
  selectedName = *keptName[n];
  reselectRow();
  switchingView = false;
}

// --- Start ---

void Main() {
  myDBname = rt::GetSetting(kApp, kSection, "myDBname", rt::AppPath() + "\\quillstack.mdb");
  static std::unique_ptr<Quillstack1> window;
  window = std::make_unique<Quillstack1>();
  window->Show();
}

}  // namespace qs::app
