#include "platform/forms/form.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <mutex>

#include "platform/forms/paint.h"
#include "platform/runtime/app.h"
#include "platform/runtime/text.h"

namespace qs::forms {
namespace {

const wchar_t kFormProp[] = L"QsForm";
const wchar_t kControlProp[] = L"QsControl";

Form* g_mainForm = nullptr;
// The form activated last, so Form_Activate fires between our own forms and on a first activation,
// not each time the user comes back from another program.
const Form* g_lastActivated = nullptr;

std::function<void(const std::string&)>& errorReporter() {
    static std::function<void(const std::string&)> reporter;
    return reporter;
}

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

} // namespace

// ---- units and shared helpers ---------------------------------------------------------------------

int twipsPerPixel() {
    static const int tpp = [] {
        HDC screen = GetDC(nullptr);
        int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
        if (screen) ReleaseDC(nullptr, screen);
        return dpi > 0 ? std::max(1, 1440 / dpi) : 15;
    }();
    return tpp;
}

int toPixels(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / twipsPerPixel()));
}

int toTwips(int pixels) { return pixels * twipsPerPixel(); }

int currentShiftState() {
    int s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= vbShiftMask;
    if (GetKeyState(VK_CONTROL) < 0) s |= vbCtrlMask;
    if (GetKeyState(VK_MENU) < 0) s |= vbAltMask;
    return s;
}

void setHandlerErrorReporter(std::function<void(const std::string&)> reporter) {
    errorReporter() = std::move(reporter);
}

void reportHandlerError(const std::string& what) {
    if (errorReporter()) {
        try {
            errorReporter()(what);
            return;
        } catch (...) {
        }
    }
    OutputDebugStringA(("Quillstack: event handler failed: " + what + "\n").c_str());
}

namespace detail {

BufferedPaint::BufferedPaint(HWND hwnd) : hwnd_(hwnd) {
    BeginPaint(hwnd, &ps_);
    GetClientRect(hwnd, &client_);
    int w = ps_.rcPaint.right - ps_.rcPaint.left, h = ps_.rcPaint.bottom - ps_.rcPaint.top;
    if (w <= 0 || h <= 0) return;
    mem_ = CreateCompatibleDC(ps_.hdc);
    bitmap_ = CreateCompatibleBitmap(ps_.hdc, w, h);
    if (!mem_ || !bitmap_) {
        if (bitmap_) DeleteObject(bitmap_);
        if (mem_) DeleteDC(mem_);
        mem_ = nullptr;
        bitmap_ = nullptr;
        return;
    }
    oldBitmap_ = SelectObject(mem_, bitmap_);
    SetViewportOrgEx(mem_, -ps_.rcPaint.left, -ps_.rcPaint.top, nullptr);
}

BufferedPaint::~BufferedPaint() {
    if (mem_) {
        SetViewportOrgEx(mem_, 0, 0, nullptr);
        BitBlt(ps_.hdc, ps_.rcPaint.left, ps_.rcPaint.top, ps_.rcPaint.right - ps_.rcPaint.left,
               ps_.rcPaint.bottom - ps_.rcPaint.top, mem_, 0, 0, SRCCOPY);
        SelectObject(mem_, oldBitmap_);
        DeleteObject(bitmap_);
        DeleteDC(mem_);
    }
    EndPaint(hwnd_, &ps_);
}

std::string windowText(HWND hwnd) {
    int len = GetWindowTextLengthW(hwnd);
    if (len <= 0) return {};
    std::wstring buf(static_cast<size_t>(len) + 1, L'\0');
    int got = GetWindowTextW(hwnd, buf.data(), len + 1);
    buf.resize(static_cast<size_t>(std::max(0, got)));
    return qs::rt::narrow(buf);
}

const wchar_t* registerClass(const wchar_t* name, WNDPROC proc, UINT style, HCURSOR cursor) {
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    HINSTANCE inst = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(inst, name, &existing)) return name;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = inst;
    wc.hCursor = cursor ? cursor : LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
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

} // namespace detail

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

Control::~Control() {
    auto& list = parent_.children_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    if (hwnd_) {
        HWND h = hwnd_;
        RemovePropW(h, kControlProp);
        hwnd_ = nullptr;
        DestroyWindow(h);
    }
}

Control* Control::fromHwnd(HWND hwnd) {
    return hwnd ? static_cast<Control*>(GetPropW(hwnd, kControlProp)) : nullptr;
}

void Control::attach(HWND hwnd) {
    hwnd_ = hwnd;
    SetPropW(hwnd, kControlProp, this);
}

void Control::windowDestroyed() {
    if (hwnd_) RemovePropW(hwnd_, kControlProp);
    hwnd_ = nullptr;
    if (auto* c = dynamic_cast<Container*>(this))
        for (Control* child : c->controls()) child->windowDestroyed();
}

RECT Control::pixelRect() const {
    int l = toPixels(left_), t = toPixels(top_);
    return RECT{l, t, l + std::max(0, toPixels(width_)), t + std::max(0, toPixels(height_))};
}

void Control::create() {
    HWND parentWindow = parent_.containerWindow();
    if (!parentWindow || hwnd_) return;
    HWND h = createWindow(parentWindow, pixelRect());
    if (!h) return;
    attach(h);
    EnableWindow(h, enabled_);
    if (auto* c = dynamic_cast<Container*>(this)) c->createChildWindows();
    ShowWindow(h, windowShown() ? SW_SHOWNA : SW_HIDE);
    applyToolTip();
}

void Control::placeWindow() {
    if (!hwnd_) return;
    RECT r = pixelRect();
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
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
    if (!hwnd_) return;
    bool shown = windowShown();
    if (shown != ((GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0)) ShowWindow(hwnd_, shown ? SW_SHOWNA : SW_HIDE);
}

void Control::Enabled(bool on) {
    enabled_ = on;
    if (hwnd_) EnableWindow(hwnd_, on);
}

void Control::ToolTipText(const std::string& text) {
    toolTip_ = text;
    applyToolTip();
}

void Control::applyToolTip() {
    if (!hwnd_) return;
    Form* form = Form::fromHwnd(GetAncestor(hwnd_, GA_ROOT));
    if (!form) return;
    if (!form->tooltip_) {
        if (toolTip_.empty()) return;
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
        form->tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                         form->hWnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!form->tooltip_) return;
    }
    std::wstring text = qs::rt::widen(toolTip_);
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = form->hWnd();
    ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    ti.lpszText = text.data();
    SendMessageW(form->tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    if (!toolTip_.empty()) SendMessageW(form->tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void Control::Refresh() {
    if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Control::SetFocus() {
    if (hwnd_) ::SetFocus(hwnd_);
}

// ---- forms ----------------------------------------------------------------------------------------

Form::Form() = default;

Form::~Form() {
    if (g_mainForm == this) g_mainForm = nullptr;
    if (g_lastActivated == this) g_lastActivated = nullptr;
    if (hwnd_) {
        // The object is going: its window goes without Form_Unload, and no message reaches it any more.
        HWND h = hwnd_;
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        if (modal_ && modalOwner_) EnableWindow(modalOwner_, TRUE);
        forEachControl(*this, [](Control& c) { c.windowDestroyed(); });
        RemovePropW(h, kFormProp);
        hwnd_ = nullptr;
        DestroyWindow(h);
    }
}

Form* Form::fromHwnd(HWND hwnd) {
    return hwnd ? static_cast<Form*>(GetPropW(hwnd, kFormProp)) : nullptr;
}

void Form::Load() {
    if (hwnd_ || loading_) return;
    if (!initialized_) {
        initialized_ = true;
        Form_Initialize();
    }
    installFilter();
    const wchar_t* cls = detail::registerClass(L"QsForm", &Form::windowProc);
    DWORD style = WS_CLIPCHILDREN;
    style |= borderStyle == BorderStyle::Sizable ? WS_OVERLAPPEDWINDOW : WS_POPUP;
    DWORD ex = WS_EX_CONTROLPARENT | (topmost_ ? WS_EX_TOPMOST : 0);
    loading_ = true;
    std::wstring title = qs::rt::widen(caption_);
    HWND h = CreateWindowExW(ex, cls, title.c_str(), style, toPixels(left_), toPixels(top_), toPixels(width_),
                             toPixels(height_), nullptr, nullptr, GetModuleHandleW(nullptr), this);
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
    if (hwnd_) Form_Resize();
}

void Form::Show() {
    Load();
    if (!hwnd_) return;
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
}

void Form::ShowModal(Form* owner) {
    Load();
    if (!hwnd_) return;
    HWND ownerWindow = owner ? owner->hwnd_ : GetActiveWindow();
    if (ownerWindow == hwnd_) ownerWindow = nullptr;
    SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(ownerWindow));

    RECT mine;
    GetWindowRect(hwnd_, &mine);
    int w = mine.right - mine.left, h = mine.bottom - mine.top;
    RECT around;
    if (ownerWindow && IsWindowVisible(ownerWindow) && !IsIconic(ownerWindow))
        GetWindowRect(ownerWindow, &around);
    else
        around = workAreaFor(ownerWindow ? ownerWindow : hwnd_);
    SetWindowPos(hwnd_, nullptr, around.left + (around.right - around.left - w) / 2,
                 around.top + (around.bottom - around.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    // A control still holding the mouse (a button pressed when this was opened) would keep it from the
    // modal window.
    if (GetCapture()) ReleaseCapture();
    bool ownerWasEnabled = ownerWindow && IsWindowEnabled(ownerWindow);
    modal_ = true;
    modalOwner_ = ownerWasEnabled ? ownerWindow : nullptr;
    if (modalOwner_) EnableWindow(modalOwner_, FALSE);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);

    MSG msg;
    while (hwnd_) {
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
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

bool Form::Unload() {
    if (!hwnd_) return true;
    int cancel = 0;
    Form_Unload(cancel);
    if (cancel != 0) return false;
    if (!hwnd_) return true;
    RECT r;
    if (GetWindowRect(hwnd_, &r)) {
        left_ = toTwips(r.left);
        top_ = toTwips(r.top);
        width_ = toTwips(r.right - r.left);
        height_ = toTwips(r.bottom - r.top);
    }
    topmost_ = topmost();
    // The owner is enabled before the window goes, so the system hands the activation back to it.
    if (modal_ && modalOwner_) EnableWindow(modalOwner_, TRUE);
    DestroyWindow(hwnd_);
    return true;
}

bool Form::Visible() const { return hwnd_ && IsWindowVisible(hwnd_); }

int Form::Left() const {
    RECT r;
    return hwnd_ && GetWindowRect(hwnd_, &r) ? toTwips(r.left) : left_;
}

int Form::Top() const {
    RECT r;
    return hwnd_ && GetWindowRect(hwnd_, &r) ? toTwips(r.top) : top_;
}

int Form::Width() const {
    RECT r;
    return hwnd_ && GetWindowRect(hwnd_, &r) ? toTwips(r.right - r.left) : width_;
}

int Form::Height() const {
    RECT r;
    return hwnd_ && GetWindowRect(hwnd_, &r) ? toTwips(r.bottom - r.top) : height_;
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
    if (hwnd_)
        SetWindowPos(hwnd_, nullptr, toPixels(left), toPixels(top), toPixels(width), toPixels(height),
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

int Form::ScaleWidth() const {
    RECT r;
    if (hwnd_ && GetClientRect(hwnd_, &r)) return toTwips(r.right);
    if (borderStyle == BorderStyle::None) return width_;
    RECT a{0, 0, toPixels(width_), toPixels(height_)}, b{0, 0, 0, 0};
    AdjustWindowRectEx(&b, WS_OVERLAPPEDWINDOW, FALSE, 0);
    return toTwips((a.right - a.left) - (b.right - b.left));
}

int Form::ScaleHeight() const {
    RECT r;
    if (hwnd_ && GetClientRect(hwnd_, &r)) return toTwips(r.bottom);
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
    if (hwnd_) SetWindowTextW(hwnd_, qs::rt::widen(text).c_str());
}

void Form::BackColor(COLORREF colour) {
    backColor_ = colour;
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form::setTopmost(bool on) {
    topmost_ = on;
    if (hwnd_) SetWindowPos(hwnd_, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool Form::topmost() const {
    return hwnd_ ? (GetWindowLongW(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0 : topmost_;
}

void Form::beginDrag() {
    if (!hwnd_) return;
    ReleaseCapture();
    SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void Form::Refresh() {
    if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Form::MousePointer(int pointer) {
    mousePointer_ = pointer;
    if (!hwnd_) return;
    POINT pt;
    GetCursorPos(&pt);
    HWND under = WindowFromPoint(pt);
    if (under == hwnd_ || IsChild(hwnd_, under))
        SetCursor(LoadCursorA(nullptr, pointer == vbHourglass ? IDC_WAIT : IDC_ARROW));
}

void Form::drawSkin(HDC hdc, const RECT& client) {
    if (backColor_ != CLR_INVALID)
        skin::fillSolid(hdc, client, backColor_);
    else
        skin::drawWindowBackground(hdc, client);
}

void Form::paintBackdrop(HDC hdc, const RECT& area) {
    if (!hwnd_) return;
    RECT client;
    GetClientRect(hwnd_, &client);
    int saved = SaveDC(hdc);
    IntersectClipRect(hdc, area.left, area.top, area.right, area.bottom);
    drawSkin(hdc, client);
    RestoreDC(hdc, saved);
}

float Form::scaled(int pixels) const {
    return scaleMode == ScaleMode::Pixels ? static_cast<float>(pixels) : static_cast<float>(toTwips(pixels));
}

void Form::paint() {
    {
        detail::BufferedPaint p(hwnd_);
        drawSkin(p.dc(), p.client());
        detail::drawControlFrames(p.dc(), *this);
    }
    Form_Paint();
}

LRESULT CALLBACK Form::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Form* self;
    if (msg == WM_NCCREATE) {
        self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        SetPropW(hwnd, kFormProp, self);
    } else {
        self = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        RemovePropW(hwnd, kFormProp);
        self->hwnd_ = nullptr;
        self->tooltip_ = nullptr;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    try {
        return self->handle(msg, wParam, lParam);
    } catch (const std::exception& e) {
        reportHandlerError(e.what());
    } catch (...) {
        reportHandlerError("unknown exception");
    }
    return 0;
}

LRESULT Form::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (onMessage(msg, wParam, lParam, result)) return result;
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint();
        return 0;
    case WM_SIZE:
        if (!loading_ && wParam != SIZE_MINIMIZED) {
            InvalidateRect(hwnd_, nullptr, FALSE);
            Form_Resize();
        }
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            lastFocus_ = focus && IsChild(hwnd_, focus) ? focus : nullptr;
        } else {
            if (LOWORD(wParam) != WA_CLICKACTIVE || !lastFocus_) {
                HWND target = lastFocus_ && IsWindow(lastFocus_) && IsChild(hwnd_, lastFocus_)
                                  ? lastFocus_
                                  : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
                ::SetFocus(target && IsWindowVisible(target) && IsWindowEnabled(target) ? target : hwnd_);
            }
            bool fromOutside = lParam == 0;
            if (!fromOutside || g_lastActivated != this) {
                g_lastActivated = this;
                Form_Activate();
            }
        }
        return 0;
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        int button = msg == WM_LBUTTONDOWN ? vbLeftButton : msg == WM_RBUTTONDOWN ? vbRightButton : vbMiddleButton;
        Form_MouseDown(button, detail::shiftOf(wParam), scaled(static_cast<short>(LOWORD(lParam))),
                       scaled(static_cast<short>(HIWORD(lParam))));
        return 0;
    }
    case WM_MOUSEMOVE:
        Form_MouseMove(detail::buttonsOf(wParam), detail::shiftOf(wParam), scaled(static_cast<short>(LOWORD(lParam))),
                       scaled(static_cast<short>(HIWORD(lParam))));
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        int key = static_cast<int>(wParam);
        Form_KeyDown(key, currentShiftState());
        if (key == 0 || !hwnd_) return 0;
        break;
    }
    case WM_SETCURSOR:
        if (mousePointer_ == vbHourglass) {
            SetCursor(LoadCursorA(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_COMMAND:
        if (detail::controlCommand(wParam, lParam)) return 0;
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (LRESULT brush = detail::controlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
            return brush;
        break;
    case WM_DESTROY:
        forEachControl(*this, [](Control& c) { c.windowDestroyed(); });
        if (tooltip_) DestroyWindow(tooltip_);
        tooltip_ = nullptr;
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

// ---- the program's message loop -------------------------------------------------------------------

Form* mainForm() { return g_mainForm; }
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

} // namespace qs::forms
