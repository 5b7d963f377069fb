#include "platform/forms/controls.h"

namespace qs::forms {

PictureButton::PictureButton(Container& p, int l, int t, int w, int h, Face normal)
    : Control(p, l, t, w, h), faces_{normal, normal}, pressedFaceIsDefault_(true) {}
PictureButton::PictureButton(Container& p, int l, int t, int w, int h, Face normal, Face pressed)
    : Control(p, l, t, w, h), faces_{normal, pressed} {}
bool PictureButton::Visible() const { return elementVisible_[0] || elementVisible_[1]; }
bool PictureButton::Visible(int e) const { return elementVisible_[e & 1]; }
void PictureButton::Visible(int e, bool on) { elementVisible_[e & 1] = on; }
void PictureButton::Visible(bool on) { elementVisible_[0] = elementVisible_[1] = on; }
int PictureButton::shownElement() const { return elementVisible_[0] ? 0 : elementVisible_[1] ? 1 : -1; }
void PictureButton::setFace(int e, Face f) { faces_[e & 1] = std::move(f); }
HWND PictureButton::createWindow(HWND, const RECT&) { return nullptr; }
bool PictureButton::windowShown() const { return Visible(); }

Label::Label(Container& p, int l, int t, int w, int h, std::string caption)
    : Control(p, l, t, w, h), caption_(std::move(caption)) {}
void Label::Caption(const std::string& text) { caption_ = text; }
void Label::ForeColor(COLORREF c) { foreColor_ = c; }
void Label::BackColor(COLORREF c) { backColor_ = c; }
void Label::Font(const qs::forms::Font& f) { font_ = f; }
void Label::Alignment(int a) { alignment_ = a; }
int Label::fitHeight() const { return Height(); }
HWND Label::createWindow(HWND, const RECT&) { return nullptr; }

TextBox::TextBox(Container& p, int l, int t, int w, int h, std::string text)
    : Control(p, l, t, w, h), text_(std::move(text)) {}
std::string TextBox::Text() const { return text_; }
void TextBox::Text(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    if (onChange) onChange();
}
int TextBox::SelStart() const { return selStart_; }
void TextBox::SelStart(int s) { selStart_ = s; }
int TextBox::SelLength() const { return selLength_; }
void TextBox::SelLength(int n) { selLength_ = n; }
void TextBox::MaxLength(int n) { maxLength_ = n; }
void TextBox::ForeColor(COLORREF c) { foreColor_ = c; }
void TextBox::BackColor(COLORREF c) { backColor_ = c; }
void TextBox::Font(const qs::forms::Font& f) { font_ = f; }
bool TextBox::hasFocus() const { return false; }
HWND TextBox::createWindow(HWND, const RECT&) { return nullptr; }
void TextBox::windowDestroyed() { Control::windowDestroyed(); }

PictureBox::PictureBox(Container& p, int l, int t, int w, int h) : Control(p, l, t, w, h) {}
PictureBox::~PictureBox() = default;
void PictureBox::BackColor(COLORREF c) { backColor_ = c; }
void PictureBox::BorderStyle(bool framed) { framed_ = framed; }
void PictureBox::paintBackdrop(HDC, const RECT&) {}
HWND PictureBox::createWindow(HWND, const RECT&) { return nullptr; }
void PictureBox::windowDestroyed() { Control::windowDestroyed(); }

PopupMenu::PopupMenu(std::string caption) : caption_(std::move(caption)) {}
PopupMenu::~PopupMenu() = default;
int PopupMenu::addItem(const std::string& caption, std::function<void()> onClick, int id) {
    if (id == 0) id = static_cast<int>(items_.size()) + 1;
    items_.push_back({id, caption, std::move(onClick)});
    return id;
}
void PopupMenu::addSeparator() { items_.push_back({0, {}, {}}); }
int PopupMenu::show(HWND) { return 0; }

} // namespace qs::forms
