#include "app/dialogs/info.h"

#include <exception>

#include "app/data/shellutil.h"
#include "app/dialogs/form6.h"
#include "app/globals.h"
#include "app/quillstack1.h"
#include "platform/controls/flexgrid.h"

namespace qs::app {

namespace {

constexpr int kWidth = 3645, kHeight = 3255;
constexpr COLORREF kGrey = forms::skin::hex(0x555555);
// The rows sit on a light card so that the grey of their texts reads on the dark ground.
constexpr COLORREF kCard = forms::skin::hex(0xDCE7EE);
constexpr int kCaptionTops[] = {555, 855, 1125, 1395};
constexpr const char* kCaptions[] = {"Name:", "Files:", "URLs:", "Phone:"};

RECT pixels(int left, int top, int width, int height) {
    return RECT{forms::toPixels(left), forms::toPixels(top), forms::toPixels(left + width),
                forms::toPixels(top + height)};
}

// The data rows a grid of the main window holds now (its header row not counted), as text.
std::string dataRows(const controls::FlexGrid& grid) { return std::to_string(grid.Rows() - 1); }

}  // namespace

Info::Info()
    : Label1(*this, 840, 555, 2355, 210, " "),
      Label2(*this, 840, 855, 2355, 210, " "),
      Label3(*this, 840, 1125, 2355, 210, " "),
      Label4(*this, 840, 1395, 2355, 210, " "),
      Image1(*this, 3195, 105, 285, 240, forms::Face{"", forms::Glyph::Close}),
      Image2(*this, 990, 1785, 1590, 345, forms::Face{"Edit Files"}),
      Image3(*this, 990, 2250, 1590, 345, forms::Face{"Edit URLs"}),
      Image4(*this, 1005, 2685, 1590, 345, forms::Face{"Edit Phone"}) {
    Caption("Database Information");
    setClientSize(kWidth, kHeight);
    for (forms::Label* label : {&Label1, &Label2, &Label3, &Label4}) {
        label->ForeColor(kGrey);
        label->Font(forms::Font{"MS Sans Serif", 8.25, true});
        label->WordWrap = false;
    }
    for (forms::PictureButton* b : {&Image1, &Image2, &Image3, &Image4})
        b->onMouseDown = [b](int, int, int, float, float) { b->showPressed(); };
    Image1.onMouseUp = [this](int, int, int, float, float) {
        Image1.showNormal();
        Unload();
    };
    Image2.onMouseUp = [this](int i, int b, int s, float x, float y) { Image2_MouseUp(i, b, s, x, y); };
    Image3.onMouseUp = [this](int i, int b, int s, float x, float y) { Image3_MouseUp(i, b, s, x, y); };
    Image4.onMouseUp = [this](int i, int b, int s, float x, float y) { Image4_MouseUp(i, b, s, x, y); };
}

void Info::Form_Load() {
    if (stayOnTop) setTopmost(true);
    Label1.Caption(fileNameOf(myDBname));
    // The lists as last drawn, each with its search applied: not the sizes of the tables.
    if (Quillstack1* w = mainWindow()) {
        Label2.Caption(dataRows(*w->MSgrid1));
        Label3.Caption(dataRows(*w->MSgrid2));
        Label4.Caption(dataRows(*w->MSgrid3));
    }
}

void Info::Image2_MouseUp(int, int, int, float, float) { openEditor(Image2, sqlJobs); }
void Info::Image3_MouseUp(int, int, int, float, float) { openEditor(Image3, sqlFavorites); }
void Info::Image4_MouseUp(int, int, int, float, float) { openEditor(Image4, sqlPhone); }

void Info::openEditor(forms::PictureButton& button, const std::string& sql) {
    button.showNormal();
    editorSQL = sql;
    showForm6(hWnd());
}

void Info::drawSkin(HDC hdc, const RECT& client) {
    Form::drawSkin(hdc, client);
    namespace skin = forms::skin;
    skin::drawTitle(hdc, client, "Database Information");
    const RECT card = pixels(150, 480, kWidth - 300, 1200);
    skin::fillSolid(hdc, card, kCard);
    skin::drawFrame(hdc, card, skin::kFrameOuter, skin::kFrameInner);
    const forms::Font captions{"MS Sans Serif", 8.25};
    for (size_t i = 0; i < std::size(kCaptions); ++i)
        skin::drawText(hdc, pixels(210, kCaptionTops[i], 570, 210), kCaptions[i], kGrey, captions,
                       DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

void showInfo(forms::Form* owner) {
    Info info;
    info.ShowModal(owner);
}

}  // namespace qs::app
