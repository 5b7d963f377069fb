#include "app/dialogs/form2.h"

#include <exception>

#include "app/data/shellutil.h"
#include "app/dialogs/favimport.h"
#include "app/globals.h"
#include "app/quillstack1.h"
#include "platform/controls/datacontrol.h"
#include "platform/runtime/convert.h"
#include "platform/runtime/services.h"

namespace qs::app {

namespace {

constexpr char kNoFavoritesFolder[] = "The Favorites folder could not be found, so nothing was imported.";
constexpr int kFavoritesFolder = 6;
constexpr unsigned long long kBarPaintMs = 30;

void message(const std::string& text) { rt::services().msgBox(text, MB_OK, ""); }

}  // namespace

Form2::Form2()
    : Image1(*this, 120, 450, 1845, 420, forms::Face{"Import Favorites"}),
      Image2(*this, 2160, 450, 1845, 420, forms::Face{"Browse"}),
      Image3(*this, 3255, 1440, 750, 420, forms::Face{"Ok"}),
      Picture1(*this, 195, 1050, 3750, 225),
      Picture2(Picture1, 0, 0, 3750, 225) {
    Caption("Import Favorites");
    setClientSize(4155, 2040);
    Picture1.BackColor(forms::skin::hex(0xC8C8C8));
    Picture2.BackColor(forms::skin::hex(0x686868));
    Picture1.Visible(false);
    Picture2.Visible(false);
    Image1.onMouseDown = [this](int i, int b, int s, float x, float y) { Image1_MouseDown(i, b, s, x, y); };
    Image2.onMouseDown = [this](int i, int b, int s, float x, float y) { Image2_MouseDown(i, b, s, x, y); };
    Image3.onMouseDown = [this](int i, int b, int s, float x, float y) { Image3_MouseDown(i, b, s, x, y); };
    Image1.onMouseUp = [this](int i, int b, int s, float x, float y) { Image1_MouseUp(i, b, s, x, y); };
    Image2.onMouseUp = [this](int i, int b, int s, float x, float y) { Image2_MouseUp(i, b, s, x, y); };
    Image3.onMouseUp = [this](int i, int b, int s, float x, float y) { Image3_MouseUp(i, b, s, x, y); };
}

Form2::~Form2() = default;

void Form2::Form_Load() {
    folderBrowser = std::make_unique<controls::FolderBrowser>(*this);
    folderBrowser->hWndOwner = hWnd();
    if (stayOnTop) setTopmost(true);
    try {
        database = db::Engine::OpenDatabase(myDBname);
        favourites = database->OpenRecordset("Favorites", db::dbOpenDynaset);
        favourites->Requery();
        if (favourites->RecordCount() > 0) {
            favourites->MoveLast();
            favourites->MoveFirst();
        }
    } catch (const std::exception& e) {
        // Nothing can be imported without the table: say why once and close; the program goes on.
        message(FavouritesImport::errorMessage(e, myDBname));
        Unload();
    }
}

// A message about one file pumps messages while the walk waits under it: the window neither closes nor
// starts another walk until that walk has finished.
void Form2::Form_Unload(int& cancel) {
    if (walk_) {
        cancel = 1;
        return;
    }
    if (favourites) favourites->Close();
    favourites.reset();
    if (database) database->Close();
    database.reset();
}

void Form2::Image1_MouseDown(int, int, int, float, float) { Image1.showPressed(); }
void Form2::Image2_MouseDown(int, int, int, float, float) { Image2.showPressed(); }
void Form2::Image3_MouseDown(int, int, int, float, float) { Image3.showPressed(); }

void Form2::Image1_MouseUp(int, int, int, float, float) {
    Image1.showNormal();
    if (walk_) return;
    if (Quillstack1* main = mainWindow()) main->Refresh();
    // Without a Favorites folder the walk would start at the root of the current drive.
    favoritesFolder.clear();
    getSpecialFolder(hWnd(), kFavoritesFolder, favoritesFolder);
    if (favoritesFolder.empty())
        message(kNoFavoritesFolder);
    else
        importFolder(favoritesFolder);
    endRun();
}

void Form2::Image2_MouseUp(int, int, int, float, float) {
    Image2.showNormal();
    if (walk_) return;
    folderBrowser->Prompt = "Select Folder To Import URLs From:";
    folderBrowser->RootFolder = "My Computer";
    folderBrowser->StartFolder = "My Computer";
    if (folderBrowser->Show()) {
        if (Quillstack1* main = mainWindow()) main->Refresh();
        Refresh();
        importFolder(folderBrowser->Path());
        MousePointer(forms::vbDefault);
    }
    endRun();
}

void Form2::Image3_MouseUp(int, int, int, float, float) {
    Image3.showNormal();
    Unload();
}

void Form2::countFolderFiles(std::string& path, const std::string& pattern, int32_t& fileCount) {
    if (walk_) walk_->countFolderFiles(path, pattern, fileCount);
}

void Form2::importFolderURLs(std::string& path, const std::string& pattern, int32_t& fileCount) {
    if (walk_) walk_->importFolderURLs(path, pattern, fileCount);
}

void Form2::importFolder(const std::string& folder) {
    if (!database || !favourites) return;
    Picture1.Visible(true);
    Picture2.Visible(true);
    Picture2.Left(-Picture2.Width());
    barPos = Picture2.Left();
    // The walk does not yield to the message loop: the empty well is painted now, the bar as it moves.
    Picture1.Refresh();
    MousePointer(forms::vbHourglass);

    walk_ = std::make_unique<FavouritesImport>(*database, *favourites,
                                               FavouritesImport::Hooks{[this] { advanceBar(); }, message, {}});
    // Gone on every way out, a step that throws included: while it is set the window refuses to close.
    struct EndWalk {
        std::unique_ptr<FavouritesImport>& walk;
        ~EndWalk() { walk.reset(); }
    } endWalk{walk_};
    int32_t fileCount = 0;
    std::string path = folder;
    countFolderFiles(path, "*.*", fileCount);
    if (fileCount > 0 && !walk_->stopped()) {
        barStep = Picture2.Width() / double(fileCount);
        fileCount = 0;
        path = folder;
        importFolderURLs(path, "*.*", fileCount);
        Picture2.Left(int(rt::roundHalfEven(barPos)));
        Picture2.Refresh();
    }
    walk_->finish();
}

void Form2::advanceBar() {
    barPos += barStep;
    const int left = int(rt::roundHalfEven(barPos));
    // Moved and repainted only when it moves on screen, and not more often than the eye follows: a
    // repaint costs more than reading a file, and a pixel is many files in a large tree.
    const unsigned long long now = GetTickCount64();
    if (forms::toPixels(left) != forms::toPixels(Picture2.Left()) && now - lastBarPaint_ >= kBarPaintMs) {
        Picture2.Left(left);
        Picture2.Refresh();
        lastBarPaint_ = now;
    }
    if (onBarStep) onBarStep();
}

// Every run ends here, an empty tree and a cancelled Browse included.
void Form2::endRun() {
    MousePointer(forms::vbDefault);
    if (Quillstack1* main = mainWindow()) {
        try {
            main->Data2->Refresh();
        } catch (const std::exception&) {
            // The list keeps what it showed; its own next refresh reports a database that is gone.
        }
        main->redrawGrid3();
    }
    Unload();
}

void Form2::drawSkin(HDC hdc, const RECT& client) {
    Form::drawSkin(hdc, client);
    forms::skin::drawTitle(hdc, client, "Import URLs Into Database");
}

void showForm2(HWND owner) {
    Form2 import;
    import.ShowModal(forms::Form::fromHwnd(owner));
}

}  // namespace qs::app
