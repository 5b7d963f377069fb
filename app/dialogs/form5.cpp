#include "app/dialogs/form5.h"

#include <memory>
#include <string>
#include <vector>

#include "app/dialogs/form4.h"
#include "app/dialogs/helpfigures.h"
#include "app/globals.h"
#include "app/quillstack1.h"

namespace qs::app {

namespace {

namespace skin = forms::skin;

constexpr COLORREF kWhite = skin::hex(0xFFFFFF);
constexpr COLORREF kCyan = skin::hex(0x00FFFF);
constexpr COLORREF kGreen = skin::hex(0x00FF00);
constexpr COLORREF kYellow = skin::hex(0xFFFF00);

// Page geometry, in twips.
constexpr int kPageWidth = 7125;
constexpr int kMargin = 120;
constexpr int kCaptionWidth = 1000;
constexpr int kFigureLeft = 1200, kFigureWidth = 3600, kFigureHeight = 1350;
constexpr int kAfterHeading = 60, kAfterItem = 120, kAfterSection = 240;

// One entry of a section: a paragraph, or a figure with its number (its caption reads "Figure n:").
struct Item {
    const char* text;
    int figure;
};
struct Section {
    const char* heading;
    COLORREF colour;  // of the section's paragraphs and captions
    std::vector<Item> items;
};

const std::vector<Section>& page() {
    static const std::vector<Section> sections = {
        {"QUILLSTACK",
         kWhite,
         {{"Quillstack keeps what you reach for every day in one place: the documents you have opened lately, the "
           "web links you keep and a phone list of your own. Each list is searched as you type, so a few letters "
           "are usually enough to find what you need.",
           0}}},
        {"FILES",
         kCyan,
         {{"To display the Recent Files list, click on the button as illustrated in Figure 1.", 0},
          {nullptr, figJobsButton},
          {"Quillstack watches your Recent Files folder, where Windows leaves a shortcut for every document you "
           "open. Whenever a shortcut appears there, Quillstack stores the document's name and folder with the "
           "time, so the list fills itself while you work.",
           0},
          {"To find a file, type part of its name into the Find box (Figure 2). The list keeps only the rows whose "
           "file name contains what you typed; empty the box to see every row again.",
           0},
          {nullptr, figFindBox},
          {"Other programs can hand file names to Quillstack while it runs, for example a command on Explorer's "
           "context menu that passes on the selected files (Figure 3). Files handed over this way are stored as "
           "permanent records.",
           0},
          {nullptr, figContextMenu},
          {"Open File opens the selected document with its program; Open Explorer shows it selected in an "
           "Explorer window. A double-click on a row does one of the two, as chosen in the Options window. Click a "
           "column heading to sort by that column, and click it again to reverse the order. The arrow keys move "
           "through the list, and Enter shows the selected file in Explorer.",
           0},
          {"The Delete key deletes the selected rows from the list (the files themselves are never touched); "
           "Ctrl+A selects every row first. When Quillstack closes, it deletes the records older than the number "
           "of days set in the Options window, unless a record is permanent.",
           0},
          {"A right click on a row makes it permanent, or ordinary again. Permanent rows are drawn in bright blue "
           "and stay until you delete them. The settings of the Options window concern the Recent Files list "
           "only.",
           0}}},
        {"URLs",
         kGreen,
         {{"To display the URL list, click on the button as illustrated in Figure 4 below.", 0},
          {nullptr, figUrlButton},
          {"Import URLs opens the import window. It reads the Internet shortcuts of your own Favorites folder, or "
           "of any folder you choose with Browse together with all its subfolders, and adds every link whose name "
           "is not in the list yet. A link already in the list is never overwritten.",
           0},
          {"A double-click on a row opens the web site in your browser. Deleting a row removes only the record, "
           "not the shortcut it came from; Ctrl+A selects every row. A right click, or Ctrl+K, lets you edit the "
           "row's keywords, up to 255 characters.",
           0},
          {"Every field holds at most 255 characters; a longer URL is stored cut to that length. The Find box "
           "searches the names and the keywords.",
           0}}},
        {"PHONEBOOK",
         kYellow,
         {{"To display the phonebook list, click on the button as illustrated in Figure 5 below.", 0},
          {nullptr, figPhoneButton},
          {"The phone list takes any entry you like: a name and whatever belongs with it, a number, a room or a "
           "note. The Find box searches the Name field.",
           0},
          {"New Record adds an entry and Edit Record changes the selected one; a double-click on a row edits it "
           "too. The Delete key deletes the selected rows. Each field holds up to 255 characters.",
           0}}},
        {"Stay On Top Button",
         kWhite,
         {{"This button keeps the main window above all other windows; press it again to let other windows cover "
           "it once more. Quillstack always starts without it.",
           0},
          {nullptr, figStayOnTop}}},
        {"Minimizing To The System Tray or Exiting Quillstack",
         kWhite,
         {{"Press Escape, or the down-arrow button, to hide the window into the notification area of the taskbar. "
           "A double-click on the Quillstack icon there brings it back; a right click on the icon opens a menu "
           "from which you can exit Quillstack.",
           0},
          {nullptr, figHideButton}}},
        {"Backing Up The Database and Repairing It",
         kWhite,
         {{"The Database Utilities of the Options window look after the database file: New creates an empty "
           "database, Load opens another one, Save As copies the database in use to a new file and Compact "
           "rewrites it, smaller and repaired. Copy your database with Save As now and then, and keep the copy "
           "somewhere safe.",
           0}}},
        {"Database Information and Help",
         kWhite,
         {{"To display the total amount of records and the current database name, click on the Info button as "
           "illustrated below in figure 8.",
           0},
          {nullptr, figInfoButton},
          {"Pressing F1 or clicking the help button opens this help window.", 0}}},
    };
    return sections;
}

}  // namespace

Form5::Form5()
    : Image10(*this, 4365, 75, 1590, 345, forms::Face{"About", forms::Glyph::Info}),
      Image8(*this, 6030, 75, 1590, 345, forms::Face{"Close"}),
      Picture1(*this, 180, 495, 7115, 4200),
      Picture2(Picture1, 0, 0, kPageWidth, 4200),
      dt1(*this, 7335, 480, 180, 4245) {
    Caption("Quillstack Documentation");
    setClientSize(7695, 4905);
    Picture1.BackColor(skin::hex(0x000000));
    Picture2.BackColor(skin::hex(0x000000));
    dt1.Arrows(false);
    dt1.BackColor(skin::hex(0xC0C0C0));

    const forms::Font headingFont{"Times New Roman", 14.25};
    const forms::Font textFont{"MS Sans Serif", 9.75};
    const int textWidth = kPageWidth - 2 * kMargin;
    int y = kMargin;
    auto addLabel = [&](int left, int width, const std::string& text, COLORREF colour, const forms::Font& font) {
        labels_.push_back(std::make_unique<forms::Label>(Picture2, left, y, width, 0, text));
        forms::Label& l = *labels_.back();
        l.ForeColor(colour);
        l.Font(font);
        l.Height(l.fitHeight());
        return l.Height();
    };
    for (const Section& section : page()) {
        y += addLabel(kMargin, textWidth, section.heading, kWhite, headingFont) + kAfterHeading;
        for (const Item& item : section.items) {
            if (item.figure == 0) {
                y += addLabel(kMargin, textWidth, item.text, section.colour, textFont) + kAfterItem;
                continue;
            }
            addLabel(kMargin, kCaptionWidth, "Figure " + std::to_string(item.figure) + ":", section.colour, textFont);
            figures_.push_back(
                std::make_unique<forms::PictureBox>(Picture2, kFigureLeft, y, kFigureWidth, kFigureHeight));
            forms::PictureBox& picture = *figures_.back();
            picture.BackColor(skin::kWell);
            const int number = item.figure;
            picture.onPaint = [number](HDC hdc, const RECT& rc) { drawHelpFigure(hdc, rc, number, mainWindow()); };
            y += kFigureHeight + kAfterItem;
        }
        y += kAfterSection - kAfterItem;
    }
    Picture2.Height(y + kMargin - kAfterSection);

    Image8.onMouseDown = [this](int i, int b, int s, float x, float yy) { Image8_MouseDown(i, b, s, x, yy); };
    Image10.onMouseDown = [this](int i, int b, int s, float x, float yy) { Image10_MouseDown(i, b, s, x, yy); };
    Image8.onMouseUp = [this](int i, int b, int s, float x, float yy) { Image8_MouseUp(i, b, s, x, yy); };
    Image10.onMouseUp = [this](int i, int b, int s, float x, float yy) { Image10_MouseUp(i, b, s, x, yy); };
    dt1.onChange = [this] { dt1_Change(); };
}

Form5::~Form5() = default;

void Form5::Form_Load() {
    if (stayOnTop) setTopmost(true);
    dt1.Value(dt1.Min());  // where a fresh control starts, also when this object is shown again
    const int page = Picture2.Height(), viewport = Picture1.Height();
    dt1.Max(page - viewport);
    dt1.Min(1);
    // The control takes its steps in scroll units: the page being page/viewport viewports long, a page
    // step is one viewport, which also sizes the thumb to the share of the page on view.
    const float viewports = float(page) / float(viewport);
    const double pageStep = viewports > 1 ? (page - viewport) / (viewports - 1.0) : viewport;
    dt1.LargeChange(pageStep);
    dt1.SmallChange(pageStep / 8);
    Picture2.Top(0);
}

void Form5::Form_MouseDown(int button, int, float, float) {
    if (button == forms::vbLeftButton) beginDrag();
}

void Form5::dt1_Change() { Picture2.Top(-dt1.Value()); }

void Form5::Image8_MouseDown(int, int, int, float, float) { Image8.showPressed(); }
void Form5::Image10_MouseDown(int, int, int, float, float) { Image10.showPressed(); }

void Form5::Image8_MouseUp(int, int, int, float, float) {
    Image8.showNormal();
    Unload();
}

void Form5::Image10_MouseUp(int, int, int, float, float) {
    Image10.showNormal();
    showForm4(hWnd());
}

void Form5::drawSkin(HDC hdc, const RECT& client) {
    Form::drawSkin(hdc, client);
    skin::drawTitle(hdc, client, "Quillstack Documentation");
    // Frames round the viewport and the scroll bar.
    for (const forms::Control* c :
         {static_cast<const forms::Control*>(&Picture1), static_cast<const forms::Control*>(&dt1)}) {
        const int l = forms::toPixels(c->Left()), t = forms::toPixels(c->Top());
        RECT r{l - 2, t - 2, l + forms::toPixels(c->Width()) + 2, t + forms::toPixels(c->Height()) + 2};
        skin::drawFrame(hdc, r, skin::kFrameOuter, skin::hex(0x05090C));
    }
}

void showForm5(HWND owner) {
    Form5 help;
    help.ShowModal(forms::Form::fromHwnd(owner));
}

}  // namespace qs::app
