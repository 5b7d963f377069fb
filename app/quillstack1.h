#pragma once
// The main window: tray-resident, borderless, three lists (Jobs, Favorites, Phone) bound to their data
// controls, a search box and sixteen picture buttons. One instance per run, reached through mainWindow().
//
// The data controls are held by pointer (`mainWindow()->Data1->Refresh()`); the grids are controls of the
// window like Text1, made with it, and are reached the same way (`MSgrid1->TopRow()`). All of them live as
// long as the window.
#include <windows.h>

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/lists.h"
#include "platform/controls/flexgrid.h"
#include "platform/controls/scrollbar.h"
#include "platform/forms/form.h"
#include "platform/win/handles.h"
#include "platform/win/settledwork.h"

namespace qs::controls {
class DataControl;
}  // namespace qs::controls

namespace qs::app {

class WatchClient;  // app/watchclient.h
class cTooltip;     // app/tooltip/tooltip.h

inline constexpr char kAppTitle[] = "Quillstack";

// One statement whose failure is skipped, as the window's procedures do step by step.
template <class F>
void attempt(F&& statement) {
    try {
        statement();
    } catch (const std::exception&) {
    }
}

// A control held in the window itself, reached through `->` as the other windows reach the lists'
// grids (`mainWindow()->MSgrid1->TopRow()`).
template <class C>
class InPlace {
public:
    template <class... Args>
    explicit InPlace(Args&&... args) : control_(std::forward<Args>(args)...) {}
    C* operator->() { return &control_; }
    const C* operator->() const { return &control_; }
    C& operator*() { return control_; }
    const C& operator*() const { return control_; }
    C* get() { return &control_; }
    const C* get() const { return &control_; }

private:
    C control_;
};

// The window's code is split by role: its layout, lifecycle, tray and paint (app/quillstack1.cpp), the
// list behaviour over the three ListState records (app/lists.cpp), the buttons' commands and the row
// commands they share with the grids and keys (app/commands.cpp), the grids' event procedures
// (app/gridevents.cpp), the keys (app/keys.cpp) and the job collector's wiring (app/collector.cpp).
class Quillstack1 : public forms::Form {
public:
    Quillstack1();
    ~Quillstack1() override;

    // Window: event procedures.
    void Form_Initialize() override;
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Paint() override;
    void Form_MouseMove(int button, int shift, float x, float y) override;
    void Form_MouseDown(int button, int shift, float x, float y) override;
    void Form_KeyDown(int& keyCode, int shift) override;
    void Form_Unload(int& cancel) override;
    void mnuShow_Click();
    void mnuExit_Click();

    // Lists: search, sort, drawing, scrolling and the list switch.
    void Text1_GotFocus();
    void Text1_KeyUp(int keyCode, int shift);
    void sortJobs(int32_t col);
    void sortFavorites(int32_t col);
    void sortPhone(int32_t col);
    void reselectRow();
    void redrawGrid();
    void redrawGrid3();
    void redrawGrid4();
    void setTooltipColours();
    void dt1_Scroll();
    void dt1_Change();
    void Image12_MouseUp(int index, int button, int shift, float x, float y);
    void Image13_MouseUp(int index, int button, int shift, float x, float y);
    void Image14_MouseUp(int index, int button, int shift, float x, float y);

    // The record of a list by displaywhich (0 Jobs, 1 Favorites, 2 Phone); nullptr for any other value.
    ListState* listOf(int list);
    controls::FlexGrid* gridOf(int list);

    // Grids: each event procedure is one call into the handler written once over the list's record.
    void MSgrid1_KeyDown(int keyCode, int shift);
    void MSgrid1_MouseDown(int button, int shift, float x, float y);
    void MSgrid1_MouseUp(int button, int shift, float x, float y);
    void MSgrid1_SelChange();
    void MSgrid1_DblClick();
    void MSgrid1_MouseMove(int button, int shift, float x, float y);
    void MSgrid2_KeyDown(int keyCode, int shift);
    void MSgrid2_MouseDown(int button, int shift, float x, float y);
    void MSgrid2_MouseUp(int button, int shift, float x, float y);
    void MSgrid2_SelChange();
    void MSgrid2_DblClick();
    void MSgrid2_MouseMove(int button, int shift, float x, float y);
    void MSgrid3_KeyDown(int keyCode, int shift);
    void MSgrid3_MouseDown(int button, int shift, float x, float y);
    void MSgrid3_MouseUp(int button, int shift, float x, float y);
    void MSgrid3_SelChange();
    void MSgrid3_DblClick();
    void MSgrid3_MouseMove(int button, int shift, float x, float y);

    // Commands of the buttons.
    void Image1_MouseUp(int index, int button, int shift, float x, float y);
    void Image2_MouseUp(int index, int button, int shift, float x, float y);
    void Image3_MouseUp(int index, int button, int shift, float x, float y);
    void Image4_MouseUp(int index, int button, int shift, float x, float y);
    void Image5_MouseUp(int index, int button, int shift, float x, float y);
    void Image6_MouseUp(int index, int button, int shift, float x, float y);
    void Image7_MouseUp(int index, int button, int shift, float x, float y);
    void Image8_MouseUp(int index, int button, int shift, float x, float y);
    void Image9_MouseUp(int index, int button, int shift, float x, float y);
    void Image10_MouseUp(int index, int button, int shift, float x, float y);
    void Image11_MouseUp(int index, int button, int shift, float x, float y);
    void Image15_MouseUp(int index, int button, int shift, float x, float y);
    void Image16_MouseUp(int index, int button, int shift, float x, float y);

    // Job collector (app/collector.cpp): a Notify asks for a rescan of the Recent folder, which runs 250 ms
    // after the first Notify of a burst and never inside itself.
    void oFoldwatcher_Notify(const std::string& sFileName, int16_t nType);
    std::string resolveShortcut(const std::string& shortcutName);
    void rescanRecent();

    // Window state.
    bool firstActivate = false;
    std::string watchPath;                 // the Recent folder, ending in a backslash
    std::string recentPath;                // the same folder, for the listings
    std::vector<std::string> recentFiles;  // names of the previous listing of recentPath
    int16_t recentFileCount = 0;           // valid names in recentFiles
    std::unique_ptr<WatchClient> oFoldwatcher;
    win::SettledWork recentRescan{250, [this] { rescanRecent(); }};  // stopped by the unload
    std::unique_ptr<cTooltip> gridTips;

    // One pair for the three lists: a sort toggles the direction the last sort of any list settled.
    int32_t lastSortCol = 0;
    std::string lastSortDir;
    bool suppressSelChange = false;
    std::string lastTipText;
    int32_t currentRow = 0, currentCol = 0;
    std::string targetPath, findCriteria;

    // Controls.
    std::unique_ptr<controls::DataControl> Data1, Data2, Data3;  // Jobs, Favorites, Phone
    forms::TextBox Text1;
    controls::ScrollBar dt1;
    forms::PictureButton Image1, Image2, Image3, Image4, Image5, Image6, Image7, Image8;
    forms::PictureButton Image9, Image10, Image11, Image12, Image13, Image14, Image15, Image16;
    // Made after the box, so that the box stays first in the tab order and takes the focus on activation.
    InPlace<controls::FlexGrid> MSgrid1, MSgrid2, MSgrid3;
    forms::PopupMenu mnuPopUp;
    int mnuShow = 0, mnuExit = 0;  // item ids in mnuPopUp

    // The settings the unload writes, as (key, text) in the order they are written.
    std::vector<std::pair<std::string, std::string>> exitSettings() const;

protected:
    bool onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // Lists (app/lists.cpp).
    void bindLists();
    void openLists();
    void showListView(const ListState& list);
    void searchList(ListState& list, const std::string& text);
    void sortList(ListState& list, int32_t col);
    void redrawList(ListState& list);
    void requery(ListState& list);  // the list's query again, then redrawList
    void setColumns(ListState& list);
    void switchList(ListState& list);
    bool databaseStep(const std::function<void()>& step, const char* message, const char* title);

    // Commands (app/commands.cpp). A row is a grid row: 1 is the list's first record.
    void wireButtons();
    void hideToTray();
    void setStayOnTop(bool on);
    void deleteRows(ListState& list);
    void togglePermanent(int row);
    void editFavoriteKeywords(int row);
    void editPhoneRow();
    void newPhoneEntry();
    void openJob(int row, bool inExplorer);
    void openFavorite(int row);
    void enterList(ListState& list);
    void selectAllRows(ListState& list);
    void importPhoneBookKey();

    // Grid events over a list's record (app/gridevents.cpp).
    void wireGrids();
    void gridKeyDown(ListState& list, int keyCode, int shift);
    void gridMouseDown(ListState& list, int button);
    void gridMouseUp();
    void gridSelChange(ListState& list);
    void gridDblClick(ListState& list);
    void gridMouseMove(ListState& list);

    // Receiver (app/collector.cpp): the Jobs list after a path list was recorded.
    void pathsReceived();

    std::array<ListState, 3> lists_;  // by displaywhich
    win::UniqueIcon icon_;
    UINT taskbarCreated_ = 0;
    bool redrawing_ = false;  // range changes of dt1 during a redraw move no grid
    bool activating_ = false;
};

// The one main window of the run; nullptr before it is created and after it is gone.
Quillstack1* mainWindow();

// The program's start: reads the database path and shows the main window.
void Main();

}  // namespace qs::app
