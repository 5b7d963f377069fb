#include "platform/forms/controls.h"

#include <algorithm>
#include <exception>

#include "platform/forms/paint.h"
#include "platform/runtime/text.h"
#include "platform/win/gdi.h"

namespace qs::forms {
namespace {

// Runs an event handler whose message must still reach the control when the handler fails.
template <class F>
void guarded(F&& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        reportHandlerError(e.what());
    } catch (...) {
        reportHandlerError("unknown exception");
    }
}

int buttonOfMessage(UINT msg) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: return vbLeftButton;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: return vbRightButton;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: return vbMiddleButton;
    default: return 0;
    }
}

// The rectangle of `child` in its parent's client coordinates.
RECT rectInParent(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Paints the parent's picture behind a transparent child into `hdc` (child client coordinates).
void paintParentBackdrop(const Control& child, HDC hdc, const RECT& area) {
    RECT inParent = rectInParent(child.hWnd());
    POINT old;
    OffsetViewportOrgEx(hdc, -inParent.left, -inParent.top, &old);
    RECT a = area;
    OffsetRect(&a, inParent.left, inParent.top);
    child.parent().paintBackdrop(hdc, a);
    SetViewportOrgEx(hdc, old.x, old.y, nullptr);
}

}  // namespace

namespace detail {

LRESULT controlColour(HDC hdc, HWND child) {
    auto* box = dynamic_cast<TextBox*>(Control::fromHwnd(child));
    if (!box) return 0;
    SetTextColor(hdc, box->ForeColor());
    SetBkColor(hdc, box->BackColor());
    return reinterpret_cast<LRESULT>(box->backBrush());
}

void drawControlFrames(HDC hdc, const Container& container) {
    for (Control* c : container.controls()) {
        auto* box = dynamic_cast<TextBox*>(c);
        if (!box || !box->hWnd() || !(GetWindowLongW(box->hWnd(), GWL_STYLE) & WS_VISIBLE)) continue;
        RECT r = rectInParent(box->hWnd());
        skin::drawFrame(hdc, RECT{r.left - 2, r.top - 2, r.right + 2, r.bottom + 2}, skin::hex(0x05090C),
                        box->hasFocus() ? skin::kFrameInner : skin::kFrameOuter);
    }
}

void invalidateFrame(HWND child) {
    RECT r = rectInParent(child);
    InflateRect(&r, 2, 2);
    InvalidateRect(GetParent(child), &r, FALSE);
}

bool controlCommand(WPARAM wParam, LPARAM lParam) {
    auto* box = dynamic_cast<TextBox*>(Control::fromHwnd(reinterpret_cast<HWND>(lParam)));
    if (!box) return false;
    if (HIWORD(wParam) == EN_CHANGE) box->textChangedByWindow();
    return true;
}

}  // namespace detail

// ---- picture buttons ------------------------------------------------------------------------------

PictureButton::PictureButton(Container& parent, int left, int top, int width, int height, Face normal)
    : Control(parent, left, top, width, height), faces_{normal, normal} {}

PictureButton::PictureButton(Container& parent, int left, int top, int width, int height, Face normal, Face pressed)
    : Control(parent, left, top, width, height), faces_{std::move(normal), std::move(pressed)} {}

bool PictureButton::Visible() const { return elementVisible_[0] || elementVisible_[1]; }
bool PictureButton::elementVisible(int element) const { return elementVisible_[element & 1]; }

void PictureButton::Visible(int element, bool on) {
    if (elementVisible_[element & 1] == on) return;
    int before = shownElement();
    elementVisible_[element & 1] = on;
    updateShown();
    // Shown at once, so a face change reads even while a long action runs before the next paint.
    if (shownElement() != before && shownElement() >= 0) repaintNow();
}

void PictureButton::Visible(bool on) {
    Visible(0, on);
    Visible(1, on);
}

int PictureButton::shownElement() const { return elementVisible_[0] ? 0 : elementVisible_[1] ? 1 : -1; }

bool PictureButton::windowShown() const { return Visible(); }

HWND PictureButton::createWindow(HWND parent, const RECT& pixels) {
    return createChild(detail::registerClass(L"QsPictureButton"), parent, pixels, 0);
}

void PictureButton::paint(HDC hdc, const RECT& rc) {
    int element = shownElement();
    if (element < 0) return;
    if (painter)
        painter(hdc, rc, element);
    else
        skin::drawButtonFace(hdc, rc, faces_[element], element == 1);
}

bool PictureButton::processMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const HWND hwnd = hWnd();
    const bool painted = detail::paintMessage(hwnd, msg, result, [&](auto& p) {
        // A check face leaves the window's ground showing round the box.
        int element = shownElement();
        if (element >= 0 && (faces_[element].glyph == Glyph::CheckEmpty || faces_[element].glyph == Glyph::CheckTicked))
            paintParentBackdrop(*this, p.dc(), p.area());
        paint(p.dc(), p.client());
    });
    if (painted) return true;
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        if (pressedIndex_ >= 0) return true;  // a second button while one is held
        int element = shownElement();
        if (element < 0) return true;
        pressedIndex_ = element;
        pressedButton_ = buttonOfMessage(msg);
        SetCapture(hwnd);
        if (onMouseDown)
            onMouseDown(element, pressedButton_, detail::shiftOf(wParam), detail::twipsX(lParam),
                        detail::twipsY(lParam));
        return true;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        if (pressedIndex_ < 0 || buttonOfMessage(msg) != pressedButton_) return true;
        int element = pressedIndex_;
        int button = pressedButton_;
        pressedIndex_ = -1;
        pressedButton_ = 0;
        // Released before the action, which may open a modal window.
        if (GetCapture() == hwnd) ReleaseCapture();
        if (onMouseUp)
            onMouseUp(element, button, detail::shiftOf(wParam), detail::twipsX(lParam), detail::twipsY(lParam));
        return true;
    }
    case WM_CAPTURECHANGED:
        // Taken away by someone else (another window, a menu): the press is over without a release.
        if (pressedIndex_ >= 0 && reinterpret_cast<HWND>(lParam) != hwnd) {
            pressedIndex_ = -1;
            pressedButton_ = 0;
        }
        return true;
    case WM_NCDESTROY: pressedIndex_ = -1; return false;
    default: return false;
    }
}

// ---- labels ---------------------------------------------------------------------------------------

Label::Label(Container& parent, int left, int top, int width, int height, std::string caption)
    : Control(parent, left, top, width, height), caption_(std::move(caption)) {}

void Label::Caption(const std::string& text) { setAndRepaint(caption_, text); }

void Label::ForeColor(COLORREF colour) { setAndRepaint(foreColor_, colour); }

void Label::BackColor(COLORREF colour) { setAndRepaint(backColor_, colour); }

void Label::Font(const qs::forms::Font& font) { setAndRepaint(font_, font); }

UINT Label::drawFormat() const {
    UINT f = DT_NOPREFIX | DT_TOP | DT_LEFT;
    f |= WordWrap ? DT_WORDBREAK : DT_SINGLELINE;
    return f;
}

int Label::fitHeight() const {
    std::wstring text = qs::rt::widen(caption_);
    win::WindowDC screen(nullptr);
    win::Selection font(screen.get(), skin::font(font_));
    RECT r{0, 0, std::max(1, toPixels(Width())), 0};
    DrawTextW(screen.get(), text.empty() ? L" " : text.c_str(), text.empty() ? 1 : static_cast<int>(text.size()), &r,
              drawFormat() | DT_CALCRECT);
    return toTwips(r.bottom - r.top);
}

HWND Label::createWindow(HWND parent, const RECT& pixels) {
    return createChild(detail::registerClass(L"QsLabel"), parent, pixels, 0);
}

bool Label::processMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    switch (msg) {
    case WM_ERASEBKGND: result = 1; return true;
    case WM_NCHITTEST:
        // Clicks go through to the window beneath, so a form can still be dragged by its captions.
        result = HTTRANSPARENT;
        return true;
    case WM_PAINT: {
        detail::BufferedPaint p(hWnd());
        if (backColor_ == CLR_INVALID)
            paintParentBackdrop(*this, p.dc(), p.area());
        else
            skin::fillSolid(p.dc(), p.client(), backColor_);
        skin::drawText(p.dc(), p.client(), caption_, foreColor_, font_, drawFormat());
        return true;
    }
    default: return false;
    }
}

// ---- text boxes -----------------------------------------------------------------------------------

TextBox::TextBox(Container& parent, int left, int top, int width, int height, std::string text)
    : Control(parent, left, top, width, height), text_(std::move(text)) {
    font_ = qs::forms::Font{"MS Sans Serif", 8.25};
}

TextBox::~TextBox() = default;

HBRUSH TextBox::backBrush() {
    if (!backBrush_ || backBrushColour_ != backColor_) {
        backBrush_.reset(CreateSolidBrush(backColor_));
        backBrushColour_ = backColor_;
    }
    return backBrush_.get();
}

std::string TextBox::Text() const {
    if (hWnd()) text_ = detail::windowText(hWnd());
    return text_;
}

void TextBox::Text(const std::string& text) {
    if (Text() == text) return;
    text_ = text;
    if (hWnd()) {
        settingText_ = true;
        SetWindowTextW(hWnd(), qs::rt::widen(text).c_str());
        settingText_ = false;
        text_ = detail::windowText(hWnd());  // the window may have cut it to MaxLength
    }
    if (onChange) onChange();
}

void TextBox::textChangedByWindow() {
    if (settingText_) return;
    text_ = detail::windowText(hWnd());
    if (onChange) onChange();
}

int TextBox::SelStart() const {
    if (!hWnd()) return selStart_;
    DWORD start = 0, end = 0;
    SendMessageW(hWnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

void TextBox::SelStart(int start) {
    selStart_ = std::max(0, start);
    selLength_ = 0;
    if (hWnd()) SendMessageW(hWnd(), EM_SETSEL, selStart_, selStart_);
}

int TextBox::SelLength() const {
    if (!hWnd()) return selLength_;
    DWORD start = 0, end = 0;
    SendMessageW(hWnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void TextBox::SelLength(int length) {
    selLength_ = std::max(0, length);
    if (hWnd()) {
        int start = SelStart();
        SendMessageW(hWnd(), EM_SETSEL, start, start + selLength_);
    }
}

void TextBox::MaxLength(int characters) {
    maxLength_ = std::max(0, characters);
    if (hWnd()) SendMessageW(hWnd(), EM_LIMITTEXT, maxLength_, 0);
}

void TextBox::ForeColor(COLORREF colour) {
    foreColor_ = colour;
    repaint(true);
}

void TextBox::BackColor(COLORREF colour) {
    backColor_ = colour;
    repaint(true);
}

void TextBox::Font(const qs::forms::Font& font) {
    font_ = font;
    if (hWnd()) SendMessageW(hWnd(), WM_SETFONT, reinterpret_cast<WPARAM>(skin::font(font_)), TRUE);
}

bool TextBox::hasFocus() const { return hWnd() && GetFocus() == hWnd(); }

HWND TextBox::createWindow(HWND parent, const RECT& pixels) {
    std::wstring text = qs::rt::widen(text_);
    HWND h = CreateWindowExW(0, L"EDIT", text.c_str(), WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | ES_AUTOHSCROLL,
                             pixels.left, pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top, parent,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!h) return nullptr;
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(skin::font(font_)), FALSE);
    SendMessageW(h, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(3, 3));
    if (maxLength_) SendMessageW(h, EM_LIMITTEXT, maxLength_, 0);
    SendMessageW(h, EM_SETSEL, selStart_, selStart_ + selLength_);
    return h;  // the system's EDIT: bound by subclassing it
}

void TextBox::windowDestroyed() {
    if (hWnd()) text_ = detail::windowText(hWnd());
    Control::windowDestroyed();
}

bool TextBox::processMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_KEYDOWN:
    case WM_KEYUP: {
        const HWND hwnd = hWnd();
        int key = static_cast<int>(wParam);
        auto& handler = msg == WM_KEYDOWN ? onKeyDown : onKeyUp;
        if (handler) guarded([&] { handler(key, currentShiftState()); });
        // The handler may have unloaded the form, taking this window with it.
        if (!IsWindow(hwnd) || !hWnd() || key == 0) return true;
        result = callDefault(msg, static_cast<WPARAM>(key), lParam);
        return true;
    }
    case WM_CHAR:
        // A one-line box has nothing to do with these, and the system would beep.
        return wParam == VK_RETURN || wParam == VK_ESCAPE || wParam == '\n';
    case WM_SETFOCUS:
        result = callDefault(msg, wParam, lParam);
        detail::invalidateFrame(hWnd());
        if (onGotFocus) onGotFocus();
        return true;
    case WM_KILLFOCUS:
        result = callDefault(msg, wParam, lParam);
        detail::invalidateFrame(hWnd());
        return true;
    case WM_NCDESTROY:
        windowDestroyed();  // keeps the text, while the system's box still has it
        return false;
    default: return false;
    }
}

// ---- picture boxes --------------------------------------------------------------------------------

PictureBox::PictureBox(Container& parent, int left, int top, int width, int height)
    : Control(parent, left, top, width, height) {}

void PictureBox::BackColor(COLORREF colour) { setAndRepaint(backColor_, colour); }

void PictureBox::BorderStyle(bool framed) { setAndRepaint(framed_, framed); }

void PictureBox::paintBackdrop(HDC hdc, const RECT& area) {
    if (!hWnd()) return;
    RECT client;
    GetClientRect(hWnd(), &client);
    win::SavedDC saved(hdc);
    IntersectClipRect(hdc, area.left, area.top, area.right, area.bottom);
    skin::fillSolid(hdc, client, backColor_);
    if (framed_) skin::drawFrame(hdc, client, skin::kFrameOuter, skin::kFrameInner);
    detail::drawControlFrames(hdc, *this);
    if (onPaint) onPaint(hdc, client);
}

HWND PictureBox::createWindow(HWND parent, const RECT& pixels) {
    return createChild(detail::registerClass(L"QsPictureBox"), parent, pixels, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
}

bool PictureBox::processMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (detail::paintMessage(hWnd(), msg, result, [&](auto& p) { paintBackdrop(p.dc(), p.area()); })) return true;
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (onMouseDown)
            onMouseDown(buttonOfMessage(msg), detail::shiftOf(wParam), detail::twipsX(lParam), detail::twipsY(lParam));
        return true;
    case WM_COMMAND: return detail::controlCommand(wParam, lParam);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        result = detail::controlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        return result != 0;
    default: return false;
    }
}

// ---- popup menus ----------------------------------------------------------------------------------

PopupMenu::PopupMenu(std::string caption) : caption_(std::move(caption)) {}
PopupMenu::~PopupMenu() = default;

int PopupMenu::addItem(const std::string& caption, std::function<void()> onClick, int id) {
    if (id == 0) {
        id = 1;
        for (const Item& it : items_) id = std::max(id, it.id + 1);
    }
    items_.push_back(Item{id, caption, std::move(onClick)});
    return id;
}

int PopupMenu::show(HWND owner) {
    win::UniqueMenu menu(CreatePopupMenu());
    if (!menu) return 0;
    for (const Item& it : items_)
        AppendMenuW(menu.get(), MF_STRING, static_cast<UINT_PTR>(it.id), qs::rt::widen(it.caption).c_str());
    POINT pt;
    GetCursorPos(&pt);
    if (owner) SetForegroundWindow(owner);
    int chosen = static_cast<int>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, pt.x, pt.y, 0, owner, nullptr));
    // Lets the menu's foreground switch finish (the tray's well-known quirk).
    if (owner) PostMessageW(owner, WM_NULL, 0, 0);
    menu.reset();
    for (const Item& it : items_)
        if (chosen != 0 && it.id == chosen && it.onClick) {
            it.onClick();
            break;
        }
    return chosen;
}

}  // namespace qs::forms
