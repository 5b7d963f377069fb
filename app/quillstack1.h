#pragma once
// The main window: tray-resident, borderless, three lists (Jobs, Favorites, Phone) bound to their data
// controls, a search box and sixteen picture buttons. One instance per run, reached through mainWindow().
//
// Controls are created when the window loads (they need its handle) and live until it is destroyed, so
// they are held by pointer: `mainWindow()->Data1->Refresh()`, `MSgrid1->TopRow()`.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qs::controls {
class DataControl;
class FlexGrid;
class ScrollBar;
}  // namespace qs::controls

namespace qs::app {

class WatchClient;  // app/watchclient.h
class cTooltip;     // app/tooltip/tooltip.h

class Quillstack1 {
 public:
  Quillstack1();
  ~Quillstack1();
  Quillstack1(const Quillstack1&) = delete;
  Quillstack1& operator=(const Quillstack1&) = delete;

  HWND hWnd() const { return hwnd_; }

  // Event procedures.
  void Form_Initialize();
  void Form_Load();
  void Form_Activate();
  void Form_Paint();
  void Form_MouseMove(int button, int shift, float x, float y);
  void Form_MouseDown(int button, int shift, float x, float y);
  void Form_Unload(int& cancel);
  void mnuShow_Click();
  void mnuExit_Click();
  void Text1_GotFocus();
  void Text1_KeyUp(int keyCode, int shift);
  void dt1_Scroll();
  void dt1_Change();

  // Lists: queries, sort and drawing.
  void sortJobs(int32_t col);
  void sortFavorites(int32_t col);
  void sortPhone(int32_t col);
  void reselectRow();
  void redrawGrid();
  void redrawGrid3();
  void redrawGrid4();
  void setTooltipColours();

  // Job collector (defined in app/collector.cpp).
  void oFoldwatcher_Notify(const std::string& sFileName, int16_t nType);
  std::string resolveShortcut(const std::string& shortcutName);

  // Window state.
  bool firstActivate = false;
  std::string watchPath;                   // the Recent folder, ending in a backslash
  std::string recentPath;                  // the same folder, for the listings
  std::vector<std::string> recentFiles;    // names of the previous listing of recentPath
  int16_t recentFileCount = 0;             // valid names in recentFiles
  std::unique_ptr<WatchClient> oFoldwatcher;
  std::unique_ptr<cTooltip> gridTips;

  int32_t lastSortCol = 0;
  std::string lastSortDir;
  bool suppressSelChange = false;
  std::string lastTipText;
  int32_t currentRow = 0, currentCol = 0;
  std::string targetPath, findCriteria;

  // Controls.
  std::unique_ptr<controls::DataControl> Data1, Data2, Data3;  // Jobs, Favorites, Phone
  std::unique_ptr<controls::FlexGrid> MSgrid1, MSgrid2, MSgrid3;
  std::unique_ptr<controls::ScrollBar> dt1;

 private:
  HWND hwnd_ = nullptr;
};

// The one main window of the run; nullptr before it is created and after it is gone.
Quillstack1* mainWindow();

}  // namespace qs::app
