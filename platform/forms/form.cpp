#include "platform/forms/form.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <mutex>

#include "platform/forms/paint.h"
#include "platform/runtime/app.h"
#include "platform/runtime/text.h"
#include "platform/win/gdi.h"

namespace qs::forms {
namespace {

Form* g_mainForm = nullptr;
// The form activated last, so Form_Activate fires between our own forms and on a first activation,
// not each time the user comes back from another program.
const Form* g_lastActivated = nullptr;

void installFilter() {
    static std::once_flag once;
    std::call_once(once, [] { qs::rt::setMessageFilter(&previewMessage); });
}

// Every control of a container, depth first.
template <class F>
void forEachControl(const Container& c, F&& f) {
    for (Control* child : c.controls()) {
        f(*child);
        if (auto* inner = dynamic_cast<Container*>(child)) forEachControl(*inner, f);
    }
}

RECT workAreaFor(HWND hwnd) {
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    HMONITOR mon = MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY);
    if (GetMonitorInfoW(mon, &mi)) return mi.rcWork;
    RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return r;
}

}  // namespace

// ---- units and shared helpers ---------------------------------------------------------------------

int twipsPerPixel() {
    static const int tpp = [] {
        win::WindowDC screen(nullptr);
        int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
        return dpi > 0 ? std::max(1, 1440 / dpi) : 15;
    }();
    return tpp;
}

int toPixels(int twips) { return static_cast<int>(std::lround(static_cast<double>(twips) / twipsPerPixel())); }

int toTwips(int pixels) { return pixels * twipsPerPixel(); }

int currentShiftState() {
    int s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= vbShiftMask;
    if (GetKeyState(VK_CONTROL) < 0) s |= vbCtrlMask;
    if (GetKeyState(VK_MENU) < 0) s |= vbAltMask;
    return s;
}

void setHandlerErrorReporter(std::function<void(const std::string&)> reporter) {
    win::setHandlerErrorReporter(std::move(reporter));
}

void reportHandlerError(const std::string& what) { win::reportHandlerError(what); }

namespace detail {

BufferedPaint::BufferedPaint(HWND hwnd) : paint_(hwnd) {
    GetClientRect(hwnd, &client_);
    const RECT& area = paint_.area();
    int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return;
    bitmap_.reset(CreateCompatibleBitmap(paint_.get(), w, h));
    if (!bitmap_) return;
    mem_.emplace(paint_.get());
    if (!*mem_) {
        mem_.reset();
        return;
    }
    selected_.emplace(mem_->get(), bitmap_.get());
    SetViewportOrgEx(mem_->get(), -area.left, -area.top, nullptr);
}

BufferedPaint::~BufferedPaint() {
    if (!mem_) return;
    const RECT& area = paint_.area();
    SetViewportOrgEx(mem_->get(), 0, 0, nullptr);
    BitBlt(paint_.get(), area.left, area.top, area.right - area.left, area.bottom - area.top, mem_->get(), 0, 0,
           SRCCOPY);
}

std::string windowText(HWND hwnd) {
    int len = GetWindowTextLengthW(hwnd);
    if (len <= 0) return {};
    std::wstring buf(static_cast<size_t>(len) + 1, L'\0');
    int got = GetWindowTextW(hwnd, buf.data(), len + 1);
    buf.resize(static_cast<size_t>(std::max(0, got)));
    return qs::rt::narrow(buf);
}

const wchar_t* registerClass(const wchar_t* name, UINT style, HCURSOR cursor) {
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    HINSTANCE inst = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(inst, name, &existing)) return name;
    WNDCLASSEXW wc{};
    wc.style = style;
    wc.hInstance = inst;
    wc.hCursor = cursor ? cursor : LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    win::Window::registerClass(wc);
    return name;
}

float twipsX(LPARAM lParam) { return static_cast<float>(toTwips(static_cast<short>(LOWORD(lParam)))); }
float twipsY(LPARAM lParam) { return static_cast<float>(toTwips(static_cast<short>(HIWORD(lParam)))); }

int buttonsOf(WPARAM wParam) {
    int b = 0;
    if (wParam & MK_LBUTTON) b |= vbLeftButton;
    if (wParam & MK_RBUTTON) b |= vbRightButton;
    if (wParam & MK_MBUTTON) b |= vbMiddleButton;
    return b;
}

int shiftOf(WPARAM wParam) {
    int s = 0;
    if (wParam & MK_SHIFT) s |= vbShiftMask;
    if (wParam & MK_CONTROL) s |= vbCtrlMask;
    if (GetKeyState(VK_MENU) < 0) s |= vbAltMask;
    return s;
}

}  // namespace detail

// ---- containers and controls ----------------------------------------------------------------------

Container::~Container() {
    for (Control* c : children_) c->windowDestroyed();
}

void Container::createChildWindows() {
    for (Control* c : children_) c->create();
}

Control::Control(Container& parent, int left, int top, int width, int height)
    : parent_(parent), left_(left), top_(top), width_(width), height_(height) {
    parent_.children_.push_back(this);
}

// The window goes with the base (unbound first, then destroyed).
Control::~Control() {
    auto& list = parent_.children_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

Control* Control::fromHwnd(HWND hwnd) { return dynamic_cast<Control*>(win::Window::fromHwnd(hwnd)); }

void Control::attach(HWND hwnd) { subclass(hwnd); }

HWND Control::createChild(const wchar_t* className, HWND parent, const RECT& pixels, DWORD style, DWORD exStyle) {
    return createBound(exStyle, className, L"", WS_CHILD | WS_CLIPSIBLINGS | style, pixels.left, pixels.top,
                       pixels.right - pixels.left, pixels.bottom - pixels.top, parent, nullptr,
                       GetModuleHandleW(nullptr));
}

void Control::windowDestroyed() {
    detach();
    if (auto* c = dynamic_cast<Container*>(this))
        for (Control* child : c->controls()) child->windowDestroyed();
}

RECT Control::pixelRect() const {
    int l = toPixels(left_), t = toPixels(top_);
    return RECT{l, t, l + std::max(0, toPixels(width_)), t + std::max(0, toPixels(height_))};
}

void Control::create() {
    HWND parentWindow = parent_.containerWindow();
    if (!parentWindow || hWnd()) return;
    HWND h = createWindow(parentWindow, pixelRect());
    if (!h) return;
    if (hWnd() != h) attach(h);
    if (auto* c = dynamic_cast<Container*>(this)) c->createChildWindows();
    ShowWindow(h, windowShown() ? SW_SHOWNA : SW_HIDE);
    applyToolTip();
}

void Control::placeWindow() {
    if (!hWnd()) return;
    RECT r = pixelRect();
    SetWindowPos(hWnd(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Control::Left(int twips) { Move(twips, top_, width_, height_); }
void Control::Top(int twips) { Move(left_, twips, width_, height_); }
void Control::Width(int twips) { Move(left_, top_, twips, height_); }
void Control::Height(int twips) { Move(left_, top_, width_, twips); }

void Control::Move(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    placeWindow();
}

void Control::Visible(bool on) {
    visible_ = on;
    updateShown();
}

void Control::updateShown() {
    if (!hWnd()) return;
    bool shown = windowShown();
    if (shown != ((GetWindowLongW(hWnd(), GWL_STYLE) & WS_VISIBLE) != 0))
        ShowWindow(hWnd(), shown ? SW_SHOWNA : SW_HIDE);
}

void Control::ToolTipText(const std::string& text) {
    toolTip_ = text;
    applyToolTip();
}

void Control::applyToolTip() {
    if (!hWnd()) return;
    Form* form = Form::fromHwnd(GetAncestor(hWnd(), GA_ROOT));
    if (!form) return;
    if (!form->tooltip_) {
        if (toolTip_.empty()) return;
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
        form->tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, form->hWnd(),
                                         nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!form->tooltip_) return;
    }
    std::wstring text = qs::rt::widen(toolTip_);
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = form->hWnd();
    ti.uId = reinterpret_cast<UINT_PTR>(hWnd());
    ti.lpszText = text.data();
    SendMessageW(form->tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    if (!toolTip_.empty()) SendMessageW(form->tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void Control::Refresh() {
    if (hWnd()) RedrawWindow(hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Control::repaint(bool erase) {
    if (hWnd()) InvalidateRect(hWnd(), nullptr, erase);
}

void Control::repaintNow() {
    if (!hWnd()) return;
    InvalidateRect(hWnd(), nullptr, FALSE);
    UpdateWindow(hWnd());
}

void Control::SetFocus() {
    if (hWnd()) ::SetFocus(hWnd());
}

// ---- forms ----------------------------------------------------------------------------------------

Form::Form() = default;

Form::~Form() {
    if (g_mainForm == this) g_mainForm = nullptr;
    if (g_lastActivated == this) g_lastActivated = nullptr;
    if (HWND h = hWnd()) {
        // The object is going: its window goes without Form_Unload, and no message reaches it any more.
        detach();
        if (modal_ && modalOwner_) EnableWindow(modalOwner_, TRUE);
        forEachControl(*this, [](Control& c) { c.windowDestroyed(); });
        DestroyWindow(h);
    }
}

Form* Form::fromHwnd(HWND hwnd) { return dynamic_cast<Form*>(win::Window::fromHwnd(hwnd)); }

void Form::Load() {
    if (hWnd() || loading_) return;
    if (!initialized_) {
        initialized_ = true;
        Form_Initialize();
    }
    installFilter();
    const wchar_t* cls = detail::registerClass(L"QsForm");
    DWORD style = WS_CLIPCHILDREN;
    style |= borderStyle == BorderStyle::Sizable ? WS_OVERLAPPEDWINDOW : WS_POPUP;
    DWORD ex = WS_EX_CONTROLPARENT | (topmost_ ? WS_EX_TOPMOST : 0);
    loading_ = true;
    std::wstring title = qs::rt::widen(caption_);
    HWND h = createBound(ex, cls, title.c_str(), style, toPixels(left_), toPixels(top_), toPixels(width_),
                         toPixels(height_), nullptr, nullptr, GetModuleHandleW(nullptr));
    if (!h) {
        loading_ = false;
        return;
    }
    if (!g_mainForm) g_mainForm = this;
    createChildWindows();
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{loading_};
    Form_Load();
    if (hWnd()) Form_Resize();
}

void Form::Show() {
    Load();
    if (!hWnd()) return;
    ShowWindow(hWnd(), SW_SHOW);
    SetForegroundWindow(hWnd());
}

void Form::ShowModal(Form* owner) {
    Load();
    if (!hWnd()) return;
    HWND ownerWindow = owner ? owner->hWnd() : GetActiveWindow();
    if (ownerWindow == hWnd()) ownerWindow = nullptr;
    SetWindowLongPtrW(hWnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(ownerWindow));

    RECT mine;
    GetWindowRect(hWnd(), &mine);
    int w = mine.right - mine.left, h = mine.bottom - mine.top;
    RECT around;
    if (ownerWindow && IsWindowVisible(ownerWindow) && !IsIconic(ownerWindow))
        GetWindowRect(ownerWindow, &around);
    else
        around = workAreaFor(ownerWindow ? ownerWindow : hWnd());
    SetWindowPos(hWnd(), nullptr, around.left + (around.right - around.left - w) / 2,
                 around.top + (around.bottom - around.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    // A control still holding the mouse (a button pressed when this was opened) would keep it from the
    // modal window.
    if (GetCapture()) ReleaseCapture();
    bool ownerWasEnabled = ownerWindow && IsWindowEnabled(ownerWindow);
    modal_ = true;
    modalOwner_ = ownerWasEnabled ? ownerWindow : nullptr;
    if (modalOwner_) EnableWindow(modalOwner_, FALSE);
    ShowWindow(hWnd(), SW_SHOW);
    SetForegroundWindow(hWnd());

    MSG msg;
    while (hWnd()) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The program is quitting: leave the modal loop and let the outer loop see the quit too.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1) break;
        qs::rt::dispatchThroughFilter(msg);
    }
    modal_ = false;
    if (modalOwner_ && IsWindow(modalOwner_)) {
        EnableWindow(modalOwner_, TRUE);
        if (IsWindowVisible(modalOwner_)) SetForegroundWindow(modalOwner_);
    }
    modalOwner_ = nullptr;
}

void Form::Hide() {
    if (hWnd()) ShowWindow(hWnd(), SW_HIDE);
}

bool Form::Unload() {
    if (!hWnd()) return true;
    int cancel = 0;
    Form_Unload(cancel);
    if (cancel != 0) return false;
    if (!hWnd()) return true;
    RECT r;
    if (GetWindowRect(hWnd(), &r)) {
        left_ = toTwips(r.left);
        top_ = toTwips(r.top);
        width_ = toTwips(r.right - r.left);
        height_ = toTwips(r.bottom - r.top);
    }
    topmost_ = topmost();
    // The owner is enabled before the window goes, so the system hands the activation back to it.
    if (modal_ && modalOwner_) EnableWindow(modalOwner_, TRUE);
    DestroyWindow(hWnd());
    return true;
}

bool Form::Visible() const { return hWnd() && IsWindowVisible(hWnd()); }

int Form::Left() const {
    RECT r;
    return hWnd() && GetWindowRect(hWnd(), &r) ? toTwips(r.left) : left_;
}

int Form::Top() const {
    RECT r;
    return hWnd() && GetWindowRect(hWnd(), &r) ? toTwips(r.top) : top_;
}

int Form::Width() const {
    RECT r;
    return hWnd() && GetWindowRect(hWnd(), &r) ? toTwips(r.right - r.left) : width_;
}

int Form::Height() const {
    RECT r;
    return hWnd() && GetWindowRect(hWnd(), &r) ? toTwips(r.bottom - r.top) : height_;
}

void Form::Left(int twips) { Move(twips, Top(), Width(), Height()); }
void Form::Top(int twips) { Move(Left(), twips, Width(), Height()); }
void Form::Width(int twips) { Move(Left(), Top(), twips, Height()); }
void Form::Height(int twips) { Move(Left(), Top(), Width(), twips); }

void Form::Move(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (hWnd())
        SetWindowPos(hWnd(), nullptr, toPixels(left), toPixels(top), toPixels(width), toPixels(height),
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

int Form::ScaleWidth() const {
    RECT r;
    if (hWnd() && GetClientRect(hWnd(), &r)) return toTwips(r.right);
    if (borderStyle == BorderStyle::None) return width_;
    RECT a{0, 0, toPixels(width_), toPixels(height_)}, b{0, 0, 0, 0};
    AdjustWindowRectEx(&b, WS_OVERLAPPEDWINDOW, FALSE, 0);
    return toTwips((a.right - a.left) - (b.right - b.left));
}

int Form::ScaleHeight() const {
    RECT r;
    if (hWnd() && GetClientRect(hWnd(), &r)) return toTwips(r.bottom);
    if (borderStyle == BorderStyle::None) return height_;
    RECT a{0, 0, toPixels(width_), toPixels(height_)}, b{0, 0, 0, 0};
    AdjustWindowRectEx(&b, WS_OVERLAPPEDWINDOW, FALSE, 0);
    return toTwips((a.bottom - a.top) - (b.bottom - b.top));
}

void Form::setClientSize(int widthTwips, int heightTwips) {
    RECT r{0, 0, toPixels(widthTwips), toPixels(heightTwips)};
    if (borderStyle == BorderStyle::Sizable) AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
    Move(Left(), Top(), toTwips(r.right - r.left), toTwips(r.bottom - r.top));
}

void Form::Caption(const std::string& text) {
    caption_ = text;
    if (hWnd()) SetWindowTextW(hWnd(), qs::rt::widen(text).c_str());
}

void Form::BackColor(COLORREF colour) {
    backColor_ = colour;
    if (hWnd()) InvalidateRect(hWnd(), nullptr, TRUE);
}

void Form::setTopmost(bool on) {
    topmost_ = on;
    if (hWnd()) SetWindowPos(hWnd(), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool Form::topmost() const { return hWnd() ? (GetWindowLongW(hWnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0 : topmost_; }

void Form::beginDrag() {
    if (!hWnd()) return;
    ReleaseCapture();
    SendMessageW(hWnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void Form::Refresh() {
    if (hWnd()) RedrawWindow(hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Form::MousePointer(int pointer) {
    mousePointer_ = pointer;
    if (!hWnd()) return;
    POINT pt;
    GetCursorPos(&pt);
    HWND under = WindowFromPoint(pt);
    if (under == hWnd() || IsChild(hWnd(), under))
        SetCursor(LoadCursorA(nullptr, pointer == vbHourglass ? IDC_WAIT : IDC_ARROW));
}

void Form::drawSkin(HDC hdc, const RECT& client) {
    if (backColor_ != CLR_INVALID)
        skin::fillSolid(hdc, client, backColor_);
    else
        skin::drawWindowBackground(hdc, client);
}

void Form::paintBackdrop(HDC hdc, const RECT& area) {
    if (!hWnd()) return;
    RECT client;
    GetClientRect(hWnd(), &client);
    win::SavedDC saved(hdc);
    IntersectClipRect(hdc, area.left, area.top, area.right, area.bottom);
    drawSkin(hdc, client);
}

float Form::scaled(int pixels) const {
    return scaleMode == ScaleMode::Pixels ? static_cast<float>(pixels) : static_cast<float>(toTwips(pixels));
}

void Form::paint() {
    {
        detail::BufferedPaint p(hWnd());
        drawSkin(p.dc(), p.client());
        detail::drawControlFrames(p.dc(), *this);
    }
    Form_Paint();
}

void Form::windowGone() { tooltip_ = nullptr; }

bool Form::processMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (onMessage(msg, wParam, lParam, result)) return true;
    result = 0;
    switch (msg) {
    case WM_ERASEBKGND: result = 1; return true;
    case WM_PAINT: paint(); return true;
    case WM_SIZE:
        if (!loading_ && wParam != SIZE_MINIMIZED) {
            InvalidateRect(hWnd(), nullptr, FALSE);
            Form_Resize();
        }
        return true;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            lastFocus_ = focus && IsChild(hWnd(), focus) ? focus : nullptr;
        } else {
            if (LOWORD(wParam) != WA_CLICKACTIVE || !lastFocus_) {
                HWND target = lastFocus_ && IsWindow(lastFocus_) && IsChild(hWnd(), lastFocus_)
                                  ? lastFocus_
                                  : GetNextDlgTabItem(hWnd(), nullptr, FALSE);
                ::SetFocus(target && IsWindowVisible(target) && IsWindowEnabled(target) ? target : hWnd());
            }
            bool fromOutside = lParam == 0;
            if (!fromOutside || g_lastActivated != this) {
                g_lastActivated = this;
                Form_Activate();
            }
        }
        return true;
    case WM_CLOSE: Unload(); return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        int button = msg == WM_LBUTTONDOWN ? vbLeftButton : msg == WM_RBUTTONDOWN ? vbRightButton : vbMiddleButton;
        Form_MouseDown(button, detail::shiftOf(wParam), scaled(static_cast<short>(LOWORD(lParam))),
                       scaled(static_cast<short>(HIWORD(lParam))));
        return true;
    }
    case WM_MOUSEMOVE:
        Form_MouseMove(detail::buttonsOf(wParam), detail::shiftOf(wParam), scaled(static_cast<short>(LOWORD(lParam))),
                       scaled(static_cast<short>(HIWORD(lParam))));
        return true;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        int key = static_cast<int>(wParam);
        Form_KeyDown(key, currentShiftState());
        if (key == 0 || !hWnd()) return true;
        break;
    }
    case WM_SETCURSOR:
        if (mousePointer_ == vbHourglass) {
            SetCursor(LoadCursorA(nullptr, IDC_WAIT));
            result = TRUE;
            return true;
        }
        break;
    case WM_COMMAND:
        if (detail::controlCommand(wParam, lParam)) return true;
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (LRESULT brush = detail::controlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
            result = brush;
            return true;
        }
        break;
    case WM_DESTROY:
        forEachControl(*this, [](Control& c) { c.windowDestroyed(); });
        if (tooltip_) DestroyWindow(tooltip_);
        tooltip_ = nullptr;
        return true;
    default: break;
    }
    return false;
}

// ---- the program's message loop -------------------------------------------------------------------

void setMainForm(Form* form) { g_mainForm = form; }

int runMessageLoop() {
    MSG msg;
    while (g_mainForm && g_mainForm->Loaded()) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return -1;
        qs::rt::dispatchThroughFilter(msg);
    }
    return 0;
}

bool previewMessage(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    Form* form = Form::fromHwnd(root);
    // Keys sent to the form itself reach Form_KeyDown through its window procedure.
    if (!form || msg.hwnd == root) return false;
    try {
        if (form->KeyPreview) {
            int key = static_cast<int>(msg.wParam);
            form->Form_KeyDown(key, currentShiftState());
            if (!IsWindow(msg.hwnd) || key == 0) return true;
            msg.wParam = static_cast<WPARAM>(key);
        }
    } catch (const std::exception& e) {
        reportHandlerError(e.what());
    } catch (...) {
        reportHandlerError("unknown exception");
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && (currentShiftState() & (vbCtrlMask | vbAltMask)) == 0) {
        HWND next = GetNextDlgTabItem(root, msg.hwnd, (currentShiftState() & vbShiftMask) != 0);
        if (next && next != msg.hwnd) {
            ::SetFocus(next);
            return true;
        }
    }
    return false;
}

}  // namespace qs::forms
