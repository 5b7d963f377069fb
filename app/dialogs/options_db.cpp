// The Options window's database buttons: New, Load, Save As and Compact. The file work itself is in
// dbfiles.cpp; here are the dialogs, the questions, the messages and the main window's lists.
#include <array>
#include <exception>

#include "app/data/schema.h"
#include "app/dialogs/dbfiles.h"
#include "app/dialogs/options.h"
#include "app/globals.h"
#include "app/quillstack1.h"
#include "platform/controls/datacontrol.h"
#include "platform/controls/flexgrid.h"
#include "platform/db/db.h"
#include "platform/runtime/app.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/files.h"
#include "platform/runtime/services.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/text.h"

namespace qs::app {

namespace {

constexpr char kFilter[] = "Databases (*.mdb)|*.mdb";

int message(const std::string& text, int buttons = MB_OK | MB_ICONEXCLAMATION) {
    return rt::services().msgBox(text, buttons, kAppTitle);
}

// The main window's data controls, Jobs, Favorites, Phone; all null without a main window.
std::array<controls::DataControl*, 3> lists() {
    Quillstack1* w = mainWindow();
    if (!w) return {};
    return {w->Data1.get(), w->Data2.get(), w->Data3.get()};
}

// Closes the database each data control has open; one that has none (the lists never opened) is skipped.
void closeLists() {
    for (controls::DataControl* data : lists())
        if (data && data->Database()) attempt([&] { data->Database()->Close(); });
}

// Points the three lists at `myDBname` with their own search and sort. Every list is tried; the first
// failure is returned ("" when none).
std::string repointLists() {
    const std::array<std::string, 3> sources = {sqlJobs + whereJobs + orderJobs + ";",
                                                sqlFavorites + whereFavorites + orderFavorites + ";",
                                                sqlPhone + wherePhone + orderPhone + ";"};
    std::string failure;
    const std::array<controls::DataControl*, 3> data = lists();
    for (size_t i = 0; i < data.size(); ++i) {
        if (!data[i]) continue;
        try {
            data[i]->DatabaseName(myDBname);
            data[i]->RecordSource(sources[i]);
            data[i]->Refresh();
        } catch (const std::exception& e) {
            if (failure.empty()) failure = e.what();
        }
    }
    return failure;
}

void redrawLists() {
    if (Quillstack1* w = mainWindow()) {
        attempt([&] { w->redrawGrid(); });
        attempt([&] { w->redrawGrid3(); });
        attempt([&] { w->redrawGrid4(); });
    }
}

// New or Save As onto the file of the database in use would destroy it while the lists hold it open.
void refuseDatabaseInUse(const std::string& f) {
    message(f + "\n\nThis file is the database in use and cannot be overwritten. Choose another file name.");
}

// Only a file that is there and is certainly no database of ours holds nothing to lose; a database that
// is locked or unreadable just now still counts as one.
bool certainlyNoDatabase(const std::string& path) {
    try {
        db::Engine::OpenDatabase(path)->Close();
        return false;
    } catch (const db::DbError& e) {
        return e.number == db::errNotADatabase;
    } catch (const std::exception&) {
        return false;
    }
}

bool confirmOverwrite() { return rt::services().msgBox("Overwrite Existing file?", MB_OKCANCEL, "") == IDOK; }

}  // namespace

std::string Options::askForFile(const char* title, bool save) {
    CD1.FileName.clear();
    CD1.DialogTitle = title;
    CD1.InitDir = rt::AppPath();
    CD1.Filter = kFilter;
    if (save)
        CD1.ShowSave();
    else
        CD1.ShowOpen();
    return CD1.FileName;
}

void Options::Image4_MouseUp(int, int, int, float, float) {
    Image4.showNormal();
    const std::string f = askForFile("New Database Name:", true);
    if (f.empty()) return;
    // A file at myDBname that is no database holds nothing to lose: New may replace it.
    const bool exists = rt::anyFileExists(f);
    if (exists && sameFile(f, myDBname) && !certainlyNoDatabase(myDBname)) {
        refuseDatabaseInUse(f);
        return;
    }
    if (exists && !confirmOverwrite()) return;
    // Made beside the file it replaces, which stays as it is until the new database is complete.
    const std::string temp = tempPathBeside(f);
    try {
        CreateDatabaseX(temp);
        CreateTableDefX(temp);
    } catch (const std::exception& e) {
        removeFile(temp);
        message("The new database could not be made:\n" + f + "\n\n" + e.what());
        return;
    }
    try {
        replaceFile(temp, f, exists);
    } catch (const std::exception& e) {
        removeFile(temp);
        message("The file could not be replaced:\n" + f + "\n\n" + e.what());
        return;
    }
    myDBname = f;
    closeLists();
    const std::string failure = repointLists();
    attempt([&] { rt::SaveSetting(kAppTitle, "Settings", "myDBname", myDBname); });
    if (!failure.empty()) message("The lists could not open the new database:\n" + failure);
}

void Options::Image5_MouseUp(int, int, int, float, float) {
    // Every step runs whatever happened before it, and nothing is reported: a file that is no database
    // still becomes the database in use, and the next start says so.
    const std::string f = askForFile("Load Database:", false);
    if (!f.empty()) {
        Quillstack1* w = mainWindow();
        if (w)
            for (auto* grid : {w->MSgrid1.get(), w->MSgrid2.get(), w->MSgrid3.get()})
                if (grid) attempt([&] { grid->Redraw(false); });
        closeLists();
        myDBname = f;
        repointLists();
        attempt([&] { rt::SaveSetting(kAppTitle, "Settings", "myDBname", myDBname); });
    }
    Image5.showNormal();
    Refresh();
    if (Quillstack1* w = mainWindow()) w->Refresh();
    redrawLists();
}

void Options::Image6_MouseUp(int, int, int, float, float) {
    Image6.showNormal();
    const std::string f = askForFile("Save Database As:", true);
    if (f.empty()) return;
    if (sameFile(f, myDBname)) {
        refuseDatabaseInUse(f);
        return;
    }
    const bool exists = rt::anyFileExists(f);
    if (exists && !confirmOverwrite()) return;
    try {
        copyDatabase(myDBname, f, exists);
    } catch (const std::exception& e) {
        message("The database could not be saved as:\n" + f + "\n\n" + e.what() + "\n\nNo file was changed.");
    }
}

void Options::Image7_MouseUp(int, int, int, float, float) {
    Image7.showNormal();
    closeLists();
    std::string failure;
    try {
        compactInPlace(myDBname, compactTempPath(folderOf(myDBname), rt::Now()));
    } catch (const std::exception& e) {
        failure = std::string("The database could not be compacted and was left as it was.\n\n") + e.what();
    }
    // The lists are back on the database before anything is shown.
    const std::string reopen = repointLists();
    redrawLists();
    if (failure.empty() && !reopen.empty()) failure = "The lists could not open the database again:\n" + reopen;
    if (!failure.empty()) message(failure);
}

}  // namespace qs::app
