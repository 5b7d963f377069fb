#pragma once
// The favourites import window: imports the Internet shortcuts of the user's Favorites folder, or of a
// folder the user picks, with all their subfolders, into table Favorites, with a bar sliding into a well
// as the files are read. Every run ends by refreshing the main window's Favorites list and closing.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/controls/folderbrowser.h"
#include "platform/db/db.h"
#include "platform/forms/form.h"

namespace qs::app {

class FavouritesImport;

class Form2 : public forms::Form {
public:
    Form2();
    ~Form2() override;

    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void Image1_MouseDown(int index, int button, int shift, float x, float y);
    void Image2_MouseDown(int index, int button, int shift, float x, float y);
    void Image3_MouseDown(int index, int button, int shift, float x, float y);
    void Image1_MouseUp(int index, int button, int shift, float x, float y);
    void Image2_MouseUp(int index, int button, int shift, float x, float y);
    void Image3_MouseUp(int index, int button, int shift, float x, float y);

    // The two passes of an import run (app/dialogs/favimport.h).
    void countFolderFiles(std::string& path, const std::string& pattern, int32_t& fileCount);
    void importFolderURLs(std::string& path, const std::string& pattern, int32_t& fileCount);

    forms::PictureButton Image1;  // Import Favorites
    forms::PictureButton Image2;  // Browse
    forms::PictureButton Image3;  // Ok
    forms::PictureBox Picture1;   // the well of the progress bar
    forms::PictureBox Picture2;   // the bar, sliding in from the left

    std::unique_ptr<controls::FolderBrowser> folderBrowser;
    std::string favoritesFolder;
    std::shared_ptr<db::Database> database;
    std::shared_ptr<db::Recordset> favourites;
    double barStep = 0;  // advance of the bar per file, in twips
    double barPos = 0;   // the bar's left edge, in twips

    // Called after each step of the bar (tests and screenshots look at the window mid-import).
    std::function<void()> onBarStep;

protected:
    void drawSkin(HDC hdc, const RECT& client) override;

private:
    void importFolder(const std::string& folder);
    void advanceBar();
    void endRun();

    std::unique_ptr<FavouritesImport> walk_;
    unsigned long long lastBarPaint_ = 0;  // tick count of the bar's last repaint
};

// Shows the import window modal with `owner` as its owner; returns when it has closed.
void showForm2(HWND owner);

}  // namespace qs::app
