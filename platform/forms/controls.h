#pragma once
// The intrinsic controls a form hosts. Include "platform/forms/form.h", which includes this file.
// Events are std::function members; an empty one is not called.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/forms/form.h"
#include "platform/win/gdi.h"

namespace qs::forms {

namespace detail {
bool controlCommand(WPARAM wParam, LPARAM lParam);
LRESULT controlColour(HDC hdc, HWND child);
}  // namespace detail

// A picture button: a pair of pictures at one place, element 0 the normal face and element 1 the pressed
// face. Element 0 lies above element 1, so while both are visible the normal face shows. The button does
// not swap its faces itself: its handlers set Visible(element, ...) as the program decides.
// The mouse going down on the shown element captures the mouse, so the release reaches the same element
// wherever the pointer is then, even when that element has been hidden meanwhile.
class PictureButton : public Control {
public:
    using MouseEvent = std::function<void(int index, int button, int shift, float x, float y)>;

    // The pressed face defaults to the normal face drawn pressed.
    PictureButton(Container& parent, int left, int top, int width, int height, Face normal);
    PictureButton(Container& parent, int left, int top, int width, int height, Face normal, Face pressed);

    // Whether either element is visible.
    bool Visible() const override;
    bool elementVisible(int element) const;
    void Visible(int element, bool on);
    // Sets both elements.
    void Visible(bool on) override;
    // Element 1 (the pressed picture) alone, from the mouse going down until the button acts.
    void showPressed() {
        Visible(0, false);
        Visible(1, true);
    }
    // Element 0 (the normal picture) alone: the button at rest.
    void showNormal() {
        Visible(0, true);
        Visible(1, false);
    }
    // The element the user sees: 0, 1, or -1 when both are hidden.
    int shownElement() const;
    // True from the mouse going down on the button until its release.
    bool pressed() const { return pressedIndex_ >= 0; }

    const Face& face(int element) const { return faces_[element & 1]; }
    // Draws an element's picture in place of the skin's face (element, its rectangle in pixels).
    std::function<void(HDC, const RECT&, int element)> painter;

    MouseEvent onMouseDown;
    MouseEvent onMouseUp;

protected:
    HWND createWindow(HWND parent, const RECT& pixels) override;
    bool windowShown() const override;
    bool processMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void paint(HDC hdc, const RECT& rc);

    Face faces_[2];
    bool elementVisible_[2] = {true, true};
    int pressedIndex_ = -1;  // element the mouse went down on
    int pressedButton_ = 0;  // the button that went down (1, 2, 4)
};

// Text painted on the container; transparent by default, so the skin shows behind it.
class Label : public Control {
public:
    Label(Container& parent, int left, int top, int width, int height, std::string caption = {});

    const std::string& Caption() const { return caption_; }
    void Caption(const std::string& text);
    COLORREF ForeColor() const { return foreColor_; }
    void ForeColor(COLORREF colour);
    // An opaque background colour; CLR_INVALID (the default) is transparent.
    void BackColor(COLORREF colour);
    const qs::forms::Font& Font() const { return font_; }
    void Font(const qs::forms::Font& font);
    bool WordWrap = true;
    // The height in twips the caption needs at the label's width (word-wrapped).
    int fitHeight() const;

protected:
    HWND createWindow(HWND parent, const RECT& pixels) override;
    bool processMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    UINT drawFormat() const;

    std::string caption_;
    COLORREF foreColor_ = skin::kText;
    COLORREF backColor_ = CLR_INVALID;
    qs::forms::Font font_;
};

// A one-line text box (the system's EDIT control, dark skin).
class TextBox : public Control {
public:
    TextBox(Container& parent, int left, int top, int width, int height, std::string text = {});
    ~TextBox() override;

    // The text as the user sees it. Setting a different text raises onChange, loaded or not.
    std::string Text() const;
    void Text(const std::string& text);
    int SelStart() const;
    void SelStart(int start);
    int SelLength() const;
    void SelLength(int length);
    // 0: no limit.
    void MaxLength(int characters);
    void ForeColor(COLORREF colour);
    void BackColor(COLORREF colour);
    COLORREF ForeColor() const { return foreColor_; }
    COLORREF BackColor() const { return backColor_; }
    void Font(const qs::forms::Font& font);
    bool hasFocus() const;

    std::function<void()> onChange;
    // Before the text box acts on the key; set keyCode to 0 to keep the key from it.
    std::function<void(int& keyCode, int shift)> onKeyDown;
    std::function<void(int& keyCode, int shift)> onKeyUp;
    std::function<void()> onGotFocus;

protected:
    HWND createWindow(HWND parent, const RECT& pixels) override;
    void windowDestroyed() override;
    bool processMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    friend bool detail::controlCommand(WPARAM wParam, LPARAM lParam);
    friend LRESULT detail::controlColour(HDC hdc, HWND child);
    void textChangedByWindow();
    HBRUSH backBrush();

    mutable std::string text_;  // kept while not loaded and refreshed from the window when read
    int maxLength_ = 0;
    int selStart_ = 0, selLength_ = 0;
    COLORREF foreColor_ = skin::kWellText;
    COLORREF backColor_ = skin::kWell;
    win::UniqueBrush backBrush_;  // of backBrushColour_, for the box's own painting
    COLORREF backBrushColour_ = CLR_INVALID;
    qs::forms::Font font_;
    bool settingText_ = false;
};

// A box that paints a colour (and what onPaint adds) and can hold other controls, clipped to it.
class PictureBox : public Control, public Container {
public:
    PictureBox(Container& parent, int left, int top, int width, int height);

    void BackColor(COLORREF colour);
    COLORREF BackColor() const { return backColor_; }
    // A thin frame in the skin's colours.
    void BorderStyle(bool framed);

    // Called after the background is painted (the box's client rectangle in pixels).
    std::function<void(HDC, const RECT&)> onPaint;
    std::function<void(int button, int shift, float x, float y)> onMouseDown;

    HWND containerWindow() const override { return hWnd(); }
    void paintBackdrop(HDC hdc, const RECT& area) override;

protected:
    HWND createWindow(HWND parent, const RECT& pixels) override;
    bool processMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    COLORREF backColor_ = skin::kWell;
    bool framed_ = false;
};

// A popup menu shown at the mouse pointer. show() returns the chosen item's id (0 when none was chosen)
// after running that item's onClick.
class PopupMenu {
public:
    explicit PopupMenu(std::string caption = {});
    ~PopupMenu();
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    // Returns the item's id: `id` when not 0, otherwise the next free one from 1. "&" marks the access key.
    int addItem(const std::string& caption, std::function<void()> onClick = {}, int id = 0);
    const std::string& Caption() const { return caption_; }

    // The owner window becomes the foreground window first, so the menu closes when the user clicks
    // elsewhere.
    int show(HWND owner);

private:
    struct Item {
        int id;
        std::string caption;
        std::function<void()> onClick;
    };
    std::string caption_;
    std::vector<Item> items_;
};

}  // namespace qs::forms
