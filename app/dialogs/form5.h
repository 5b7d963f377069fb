#pragma once
// The help window: one long page of headings, paragraphs and figures scrolling in a viewport beside a
// scroll bar, and the About button.
#include <windows.h>

#include <memory>
#include <vector>

#include "platform/controls/scrollbar.h"
#include "platform/forms/form.h"

namespace qs::app {

class Form5 : public forms::Form {
public:
    Form5();
    ~Form5() override;

    void Form_Load() override;
    void Form_MouseDown(int button, int shift, float x, float y) override;
    void dt1_Change();
    void Image8_MouseDown(int index, int button, int shift, float x, float y);
    void Image10_MouseDown(int index, int button, int shift, float x, float y);
    void Image8_MouseUp(int index, int button, int shift, float x, float y);
    void Image10_MouseUp(int index, int button, int shift, float x, float y);

    forms::PictureButton Image10;  // About
    forms::PictureButton Image8;   // Close
    forms::PictureBox Picture1;    // the viewport
    forms::PictureBox Picture2;    // the page, inside the viewport
    controls::ScrollBar dt1;

    // Label1 to Label36 of the page, top to bottom.
    forms::Label& label(int n) { return *labels_.at(size_t(n - 1)); }
    int labelCount() const { return int(labels_.size()); }
    // The picture of figure n (1 to 8): Image1 to Image7, and Image9 for figure 8.
    forms::PictureBox& figure(int n) { return *figures_.at(size_t(n - 1)); }

protected:
    void drawSkin(HDC hdc, const RECT& client) override;

private:
    std::vector<std::unique_ptr<forms::Label>> labels_;
    std::vector<std::unique_ptr<forms::PictureBox>> figures_;
};

// Shows the help window modal with `owner` as its owner; returns when it has closed.
void showForm5(HWND owner);

}  // namespace qs::app
