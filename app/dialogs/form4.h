#pragma once
// The About window: says what the program is and exports the database in use to a text file.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/controls/commondialog.h"
#include "platform/forms/form.h"

namespace qs::app {

class Form4 : public forms::Form {
public:
    Form4();

    void Form_MouseDown(int button, int shift, float x, float y) override;
    void Image2_MouseDown(int index, int button, int shift, float x, float y);
    void Image3_MouseDown(int index, int button, int shift, float x, float y);
    void Image2_MouseUp(int index, int button, int shift, float x, float y);
    void Image3_MouseUp(int index, int button, int shift, float x, float y);

    forms::PictureButton Image2;  // Cancel
    forms::PictureButton Image3;  // Export Database To Text File
    controls::CommonDialog cd1;

    // Called after each line the export writes (tests look at the database while the export runs).
    std::function<void()> onExportLine;

protected:
    void drawSkin(HDC hdc, const RECT& client) override;

private:
    void exportDatabase();
};

// Shows the About window modal with `owner` as its owner; returns when it has closed.
void showForm4(HWND owner);

}  // namespace qs::app
