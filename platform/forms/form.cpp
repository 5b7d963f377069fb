#include "platform/forms/form.h"

namespace qs::forms {

int twipsPerPixel() { return 15; }
int toPixels(int twips) { return twips / 15; }
int toTwips(int pixels) { return pixels * 15; }
int currentShiftState() { return 0; }

Container::~Container() = default;
void Container::createChildWindows() {}

Control::Control(Container& parent, int left, int top, int width, int height)
    : parent_(parent), left_(left), top_(top), width_(width), height_(height) {
    parent_.children_.push_back(this);
}
Control::~Control() {}
void Control::Left(int v) { left_ = v; }
void Control::Top(int v) { top_ = v; }
void Control::Width(int v) { width_ = v; }
void Control::Height(int v) { height_ = v; }
void Control::Move(int l, int t, int w, int h) { left_ = l; top_ = t; width_ = w; height_ = h; }
void Control::Visible(bool on) { visible_ = on; }
void Control::Enabled(bool on) { enabled_ = on; }
void Control::ToolTipText(const std::string& text) { toolTip_ = text; }
void Control::Refresh() {}
void Control::SetFocus() {}
Control* Control::fromHwnd(HWND) { return nullptr; }
void Control::windowDestroyed() { hwnd_ = nullptr; }
void Control::updateShown() {}
RECT Control::pixelRect() const { return RECT{}; }
void Control::attach(HWND hwnd) { hwnd_ = hwnd; }

Form::Form() = default;
Form::~Form() = default;
void Form::Load() {}
void Form::Show() {}
void Form::ShowModal(Form*) {}
void Form::Hide() {}
bool Form::Unload() { return true; }
bool Form::Visible() const { return false; }
Form* Form::fromHwnd(HWND) { return nullptr; }
int Form::Left() const { return left_; }
int Form::Top() const { return top_; }
int Form::Width() const { return width_; }
int Form::Height() const { return height_; }
void Form::Left(int v) { left_ = v; }
void Form::Top(int v) { top_ = v; }
void Form::Width(int v) { width_ = v; }
void Form::Height(int v) { height_ = v; }
void Form::Move(int l, int t, int w, int h) { left_ = l; top_ = t; width_ = w; height_ = h; }
int Form::ScaleWidth() const { return width_; }
int Form::ScaleHeight() const { return height_; }
void Form::setClientSize(int w, int h) { width_ = w; height_ = h; }
void Form::Caption(const std::string& text) { caption_ = text; }
void Form::BackColor(COLORREF c) { backColor_ = c; }
void Form::setTopmost(bool on) { topmost_ = on; }
bool Form::topmost() const { return topmost_; }
void Form::beginDrag() {}
void Form::Refresh() {}
void Form::MousePointer(int p) { mousePointer_ = p; }
void Form::paintBackdrop(HDC, const RECT&) {}
void Form::drawSkin(HDC, const RECT&) {}

Form* mainForm() { return nullptr; }
void setMainForm(Form*) {}
int runMessageLoop() { return 0; }
bool previewMessage(MSG&) { return false; }
void setHandlerErrorReporter(std::function<void(const std::string&)>) {}
void reportHandlerError(const std::string&) {}

} // namespace qs::forms
