#include "app/globals.h"

namespace qs::app {

std::string myDBname;
bool openexplorer = false;
int16_t timelimit = 0;
int32_t sortby = 0;
std::string sortdir;
int16_t displaywhich = 0;
int32_t topRow = 0;
bool stayOnTop = false;

std::string keywordsResult;
std::string phoneNameResult;
std::string phoneInfoResult;
std::string editorSQL;

std::string searchTextJobs, searchTextFavorites, searchTextPhone;
std::string sqlJobs, sqlFavorites, sqlPhone;
std::string whereJobs, whereFavorites, wherePhone;
std::string orderJobs, orderFavorites, orderPhone;

std::array<bool, 7> sortAsc{};

std::string selectedName;
std::string selectedNameJobs, selectedNameFavorites, selectedNamePhone;
int32_t topRowJobs = 0, topRowFavorites = 0, topRowPhone = 0;

bool switchingView = false;
bool headerClicked = false;

HWND hWndReceiver = nullptr;
WNDPROC oldWndProc = nullptr;
std::string receivedPath;

void resetGlobals() {
    myDBname.clear();
    openexplorer = false;
    timelimit = 0;
    sortby = 0;
    sortdir.clear();
    displaywhich = 0;
    topRow = 0;
    stayOnTop = false;
    for (std::string* s : {&keywordsResult,
                           &phoneNameResult,
                           &phoneInfoResult,
                           &editorSQL,
                           &searchTextJobs,
                           &searchTextFavorites,
                           &searchTextPhone,
                           &sqlJobs,
                           &sqlFavorites,
                           &sqlPhone,
                           &whereJobs,
                           &whereFavorites,
                           &wherePhone,
                           &orderJobs,
                           &orderFavorites,
                           &orderPhone,
                           &selectedName,
                           &selectedNameJobs,
                           &selectedNameFavorites,
                           &selectedNamePhone,
                           &receivedPath})
        s->clear();
    sortAsc.fill(false);
    topRowJobs = topRowFavorites = topRowPhone = 0;
    switchingView = false;
    headerClicked = false;
    hWndReceiver = nullptr;
    oldWndProc = nullptr;
}

}  // namespace qs::app
