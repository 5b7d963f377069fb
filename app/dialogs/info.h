#pragma once
// The database information window: the database file in use, the rows each list shows now, and the
// three buttons into the table editor.
#include "platform/forms/form.h"

namespace qs::app {

class Info : public forms::Form {
public:
    Info();

    void Form_Load() override;
    void Image2_MouseUp(int index, int button, int shift, float x, float y);  // edit Jobs
    void Image3_MouseUp(int index, int button, int shift, float x, float y);  // edit Favorites
    void Image4_MouseUp(int index, int button, int shift, float x, float y);  // edit Phone

    forms::Label Label1, Label2, Label3, Label4;  // name, files, URLs, phone
    forms::PictureButton Image1;                  // close
    forms::PictureButton Image2, Image3, Image4;

protected:
    void drawSkin(HDC hdc, const RECT& client) override;

private:
    void openEditor(forms::PictureButton& button, const std::string& sql);
};

// Opens Info modal with `owner` as its owner and returns when it has closed.
void showInfo(forms::Form* owner);

}  // namespace qs::app
