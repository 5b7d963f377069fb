#pragma once
// The Options window: the purge age in days, what a double click on a job does, and the four database
// buttons (New, Load, Save As, Compact; their commands are in options_db.cpp). Every change is applied
// and saved at once; the window has no OK or Cancel and closes by its close box or Esc.
#include "platform/controls/commondialog.h"
#include "platform/forms/form.h"

namespace qs::app {

class Options : public forms::Form {
public:
    Options();

    // Event procedures.
    void Form_Load() override;
    void Form_Paint() override;
    void Form_KeyDown(int& keyCode, int shift) override;
    void Image2_MouseDown(int index, int button, int shift, float x, float y);
    void Image3_MouseDown(int index, int button, int shift, float x, float y);
    void Text1_Change();
    void Image4_MouseUp(int index, int button, int shift, float x, float y);  // New
    void Image5_MouseUp(int index, int button, int shift, float x, float y);  // Load
    void Image6_MouseUp(int index, int button, int shift, float x, float y);  // Save As
    void Image7_MouseUp(int index, int button, int shift, float x, float y);  // Compact

    forms::PictureButton Image1;                          // close box
    forms::TextBox Text1;                                 // days
    forms::PictureButton Image2;                          // open the document itself: (0) empty, (1) ticked
    forms::PictureButton Image3;                          // open Explorer with the document selected
    forms::PictureButton Image4, Image5, Image6, Image7;  // New, Load, Save As, Compact
    controls::CommonDialog CD1;

protected:
    void drawSkin(HDC hdc, const RECT& client) override;

private:
    void showChoice();
    // CD1 prepared as every database button shows it; the chosen path, "" when cancelled.
    std::string askForFile(const char* title, bool save);
};

}  // namespace qs::app
