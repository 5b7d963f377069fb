#include "app/dialogs/form4.h"

#include <exception>
#include <memory>

#include "app/dialogs/dbfiles.h"
#include "app/dialogs/export.h"
#include "app/globals.h"
#include "platform/db/db.h"
#include "platform/runtime/app.h"
#include "platform/runtime/files.h"
#include "platform/runtime/services.h"

namespace qs::app {

namespace {

constexpr char kOverwrite[] = "Overwrite Existing file?";
constexpr char kOwnDatabase[] =
    "That file is the database in use; exporting onto it would destroy it. Choose another file name.";
constexpr char kFailed[] = "The export stopped before its end; the lines written so far are in the file.\n\n";
constexpr char kNotCreated[] =
    "The export file could not be created: nothing was written, and a file of that name is unchanged.\n\n";

}  // namespace

Form4::Form4()
    : Image2(*this, 5925, 75, 1590, 345, forms::Face{"Cancel"}),
      Image3(*this, 330, 4230, 2565, 345, forms::Face{"Export Database To Text File"}),
      cd1(*this) {
    Caption("About Quillstack");
    setClientSize(7710, 4905);
    // The caption is long for the button: drawn in the plain weight of the caption face so it fits.
    Image3.painter = [this](HDC hdc, const RECT& rc, int element) {
        const bool down = element == 1;
        forms::skin::drawButtonFace(hdc, rc, forms::Face{}, down);
        RECT text{rc.left + 2, rc.top + 2, rc.right - 2, rc.bottom - 2};
        if (down) OffsetRect(&text, 1, 1);
        forms::Font plain = forms::skin::captionFont();
        plain.bold = false;
        forms::skin::drawText(hdc, text, Image3.face(element).caption,
                              down ? forms::skin::kTextBright : forms::skin::kText, plain,
                              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    };
    Image2.onMouseDown = [this](int i, int b, int s, float x, float y) { Image2_MouseDown(i, b, s, x, y); };
    Image3.onMouseDown = [this](int i, int b, int s, float x, float y) { Image3_MouseDown(i, b, s, x, y); };
    Image2.onMouseUp = [this](int i, int b, int s, float x, float y) { Image2_MouseUp(i, b, s, x, y); };
    Image3.onMouseUp = [this](int i, int b, int s, float x, float y) { Image3_MouseUp(i, b, s, x, y); };
}

void Form4::Form_MouseDown(int button, int, float, float) {
    if (button == forms::vbLeftButton) beginDrag();
}

void Form4::Image2_MouseDown(int, int, int, float, float) { Image2.showPressed(); }
void Form4::Image3_MouseDown(int, int, int, float, float) { Image3.showPressed(); }

void Form4::Image2_MouseUp(int, int, int, float, float) {
    Image2.showNormal();
    Unload();
}

// The button keeps its pressed face while the dialog is open and the file is written.
void Form4::Image3_MouseUp(int, int, int, float, float) {
    exportDatabase();
    Image3.showNormal();
}

void Form4::exportDatabase() {
    rt::Services& services = rt::services();
    std::string name;
    try {
        cd1.FileName.clear();
        cd1.DialogTitle = "New Text File Name:";
        cd1.InitDir = rt::AppPath();
        cd1.Filter = "Databases (*.txt)|*.txt";
        cd1.ShowSave();
        name = cd1.FileName;
    } catch (const std::exception&) {
        return;
    }
    if (name.empty()) return;
    // Checked before anything is opened for output: the question below would otherwise empty the
    // database in use when answered OK.
    if (sameFile(name, myDBname)) {
        services.msgBox(kOwnDatabase, MB_OK | MB_ICONEXCLAMATION, "");
        return;
    }
    if (rt::anyFileExists(name) && services.msgBox(kOverwrite, MB_OKCANCEL, "") == IDCANCEL) return;

    std::string failure;
    bool created = false;
    {
        ExportFile out;
        out.afterLine = onExportLine;
        std::shared_ptr<db::Database> database;
        try {
            out.open(name);
            created = true;
            database = db::Engine::OpenDatabase(myDBname);
            writeExport(out, *database, myDBname);
            database->Close();
            out.close();
        } catch (const std::exception& e) {
            failure = e.what();
        }
        if (database && database->isOpen()) database->Close();
    }
    // The file is closed before the message, so it can be looked at while the message is up.
    if (!failure.empty()) services.msgBox((created ? kFailed : kNotCreated) + failure, MB_OK | MB_ICONEXCLAMATION, "");
}

void Form4::drawSkin(HDC hdc, const RECT& client) {
    Form::drawSkin(hdc, client);
    namespace skin = forms::skin;
    skin::drawTitle(hdc, client, "About Quillstack");
    const int px = forms::toPixels(330);
    auto line = [&](int topTwips, int heightTwips, const std::string& text, COLORREF colour, const forms::Font& font,
                    UINT format) {
        RECT r{px, forms::toPixels(topTwips), client.right - px, forms::toPixels(topTwips + heightTwips)};
        skin::drawText(hdc, r, text, colour, font, format);
    };
    const UINT wrap = DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX;
    line(720, 420, "Quillstack", skin::kTextBright, forms::Font{"Tahoma", 16, true}, wrap);
    line(1200, 1500,
         "Keeps the documents you open, your favourite web links and a phone list in one database, each "
         "list searchable as you type. It lives in the notification area of the taskbar and records every "
         "document you open by itself, through its folder watch Foldwatcher.dll.",
         skin::kText, forms::Font{"Tahoma", 9}, wrap);
    line(2700, 900,
         "The export writes the Jobs, Favorites and Phone tables of the database in use to a text file, one "
         "row per line with the fields separated by tabs.",
         skin::kTextDim, forms::Font{"Tahoma", 9}, wrap);
    line(3900, 300, "To retrieve your information:", skin::kText, skin::captionFont(),
         DT_LEFT | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX);
}

void showForm4(HWND owner) {
    Form4 about;
    about.ShowModal(forms::Form::fromHwnd(owner));
}

}  // namespace qs::app
