#pragma once
// State that the program's windows share: the settings read at start and load, the texts the list
// queries are built from, the kept selections and the dialogs' results. All of it lives on the one
// user-interface thread. Everything starts as 0, False or empty; Main and the main window's load fill in
// the real values.

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

namespace qs::app {

extern std::string myDBname;  // the database file in use
extern bool openexplorer;     // a job opens as "selected in Explorer" instead of itself
extern int16_t timelimit;     // days after which non-permanent jobs are purged at exit
extern int32_t sortby;        // column of the last sort of the shown list
extern std::string sortdir;   // " ASC" or " DESC", with the leading blank
extern int16_t displaywhich;  // 0 Jobs, 1 Favorites, 2 Phone
extern int32_t topRow;        // first visible data row the next redraw restores
extern bool stayOnTop;

extern std::string keywordsResult;
extern std::string phoneNameResult;
extern std::string phoneInfoResult;
extern std::string editorSQL;  // the query the table editor opens

extern std::string searchTextJobs, searchTextFavorites, searchTextPhone;
extern std::string sqlJobs, sqlFavorites, sqlPhone;  // base SELECTs
extern std::string whereJobs, whereFavorites, wherePhone;
extern std::string orderJobs, orderFavorites, orderPhone;

extern std::array<bool, 7> sortAsc;  // the table editor's direction per column

extern std::string selectedName;
extern std::string selectedNameJobs, selectedNameFavorites, selectedNamePhone;
extern int32_t topRowJobs, topRowFavorites, topRowPhone;  // 32-bit: a TopRow past 32,767 is kept too

extern bool switchingView;  // a list switch is redrawing: the scroll bar's events do nothing
extern bool headerClicked;  // the last mouse-down on a grid hit its header row

extern HWND hWndReceiver;
extern WNDPROC oldWndProc;  // the receiver window's procedure before it was hooked
extern std::string receivedPath;

// Back to the values at program start (for tests).
void resetGlobals();

}  // namespace qs::app
