#pragma once
// Forms: top-level windows with the program's conventions (borderless, drawn by their skin, dragged by
// their body, topmost on request) and the intrinsic controls they host (controls.h, included below).
//
// A form class derives from Form, declares its controls as members (each registers itself with the form
// or picture box it is constructed on) and overrides the Form_* events it handles. Windows exist only
// between Load and Unload; control properties set while the form is not loaded are kept and applied when
// its windows are made, so an opener can fill a box before showing it.
//
// Positions and sizes are twips (15 per pixel at 96 dpi). The mouse coordinates that Form_MouseDown and
// Form_MouseMove receive are in the form's scaleMode: twips by default, or pixels.
//
// Forms and controls are windows bound the one way of qs::win::Window: an event handler that throws is
// reported (setHandlerErrorReporter) and the form and the message loop go on.
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/forms/skin.h"
#include "platform/win/window.h"

namespace qs::forms {

// Twips per pixel of the screen (15 at 96 dpi).
int twipsPerPixel();
int toPixels(int twips);  // rounded to the nearest pixel
int toTwips(int pixels);

// Mouse buttons and shift state as the forms runtime passes them to events.
enum MouseButton : int { vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4 };
enum ShiftState : int { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };
// The shift state of the keyboard now (Shift 1, Ctrl 2, Alt 4).
int currentShiftState();

class Control;

// Something that holds controls: a form or a picture box.
class Container {
public:
    virtual ~Container();
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;

    // The window the controls are children of (nullptr while not loaded).
    virtual HWND containerWindow() const = 0;
    // Paints what a transparent child shows behind itself; `area` is in this container's client pixels.
    virtual void paintBackdrop(HDC hdc, const RECT& area) = 0;

    const std::vector<Control*>& controls() const { return children_; }

protected:
    Container() = default;
    void createChildWindows();

private:
    friend class Control;
    std::vector<Control*> children_;
};

// A control hosted by a container. Geometry in twips relative to the container's client area.
class Control : public win::Window {
public:
    ~Control() override;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    HWND hWnd() const { return hwnd(); }
    Container& parent() const { return parent_; }

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void Left(int twips);
    void Top(int twips);
    void Width(int twips);
    void Height(int twips);
    void Move(int left, int top, int width, int height);

    virtual bool Visible() const { return visible_; }
    virtual void Visible(bool on);
    // Tooltip shown while the pointer rests on the control ("" for none).
    const std::string& ToolTipText() const { return toolTip_; }
    void ToolTipText(const std::string& text);

    void Refresh();  // repaint now
    void SetFocus();

    // The control whose window is hwnd (nullptr when hwnd is not one of ours).
    static Control* fromHwnd(HWND hwnd);
    // Makes the window now, for a control constructed after its container loaded (controls declared as
    // members get theirs when the container loads).
    void create();

protected:
    Control(Container& parent, int left, int top, int width, int height);

    // Makes the control's window as a child of `parent` at `pixels`; called when the container loads.
    // A window of one of our classes is made with createChild (bound from its first message); any other
    // window is bound by subclassing it when this returns.
    virtual HWND createWindow(HWND parent, const RECT& pixels) = 0;
    // A child window of our class `className` (registered with detail::registerClass), bound to this.
    HWND createChild(const wchar_t* className, HWND parent, const RECT& pixels, DWORD style, DWORD exStyle = 0);
    // The container's window is going: forget the handle (the system destroys child windows itself).
    virtual void windowDestroyed();
    // The control's messages; what it leaves unhandled goes to the default procedure.
    bool processMessage(UINT /*msg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& /*result*/) override {
        return false;
    }
    void windowGone() override { windowDestroyed(); }
    // Whether the window is shown: the control's own rule (a picture button is shown while one of its
    // elements is visible).
    virtual bool windowShown() const { return visible_; }
    void updateShown();
    // A property the window shows has changed: the window is painted again at the next paint, or at once
    // with repaintNow (a change that must read while a long action holds up the next paint). `erase`
    // has the background erased first (the system's EDIT paints only its text). Nothing without a window.
    void repaint(bool erase = false);
    void repaintNow();
    // The setter of such a property: stores the value, then repaint().
    template <class T, class V>
    void setAndRepaint(T& property, V&& value) {
        property = std::forward<V>(value);
        repaint();
    }
    RECT pixelRect() const;
    void attach(HWND hwnd);  // binds a window made without createChild to this control

private:
    friend class Container;
    friend class Form;
    void placeWindow();
    void applyToolTip();

    Container& parent_;
    int left_, top_, width_, height_;
    bool visible_ = true;
    std::string toolTip_;
};

enum class BorderStyle { None, Sizable };
enum class ScaleMode { Twips, Pixels };
// Mouse pointers of the forms runtime.
enum MousePointer : int { vbDefault = 0, vbArrow = 1, vbHourglass = 11 };

class Form : public Container, public win::Window {
public:
    Form();
    ~Form() override;

    // Creates the window (hidden) and its controls, then runs Form_Load. Form_Initialize runs once per
    // object, before the first load. Loading a loaded form does nothing.
    void Load();
    // Loads if needed, shows the window without disabling others, and activates it.
    void Show();
    // Loads if needed, centres the window on its owner (on the screen when the owner is hidden or
    // nullptr), disables the owner and runs a message loop until this form unloads; the owner is then
    // enabled and activated again. Returns after the unload.
    void ShowModal(Form* owner);
    void Hide();
    // Runs Form_Unload; unless it cancels, destroys the window. Returns false when cancelled.
    bool Unload();

    bool Loaded() const { return hwnd() != nullptr; }
    bool Visible() const;
    bool isModal() const { return modal_; }
    HWND hWnd() const { return hwnd(); }
    static Form* fromHwnd(HWND hwnd);

    // Window rectangle in twips (screen coordinates). Settable before Load.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void Left(int twips);
    void Top(int twips);
    void Width(int twips);
    void Height(int twips);
    void Move(int left, int top, int width, int height);
    // Client area in twips; for a borderless form it equals Width and Height.
    int ScaleWidth() const;
    int ScaleHeight() const;
    void setClientSize(int widthTwips, int heightTwips);

    const std::string& Caption() const { return caption_; }
    void Caption(const std::string& text);

    // Set before Load.
    BorderStyle borderStyle = BorderStyle::None;
    ScaleMode scaleMode = ScaleMode::Twips;
    // The form's Form_KeyDown sees every key before the focused control does; the control still gets it
    // unless the handler sets the key code to 0.
    bool KeyPreview = false;

    // A plain background colour instead of the skin's ground (CLR_INVALID: the skin).
    void BackColor(COLORREF colour);
    COLORREF BackColor() const { return backColor_; }

    void setTopmost(bool on);
    bool topmost() const;
    // Lets the system move the window with the mouse, as if its title bar were dragged.
    void beginDrag();
    void Refresh();
    void MousePointer(int pointer);
    int MousePointer() const { return mousePointer_; }

    // Events. Public so that tests and other windows can run them as the program does.
    virtual void Form_Initialize() {}
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Paint() {}
    virtual void Form_Resize() {}
    virtual void Form_MouseDown(int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {}
    virtual void Form_MouseMove(int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {}
    virtual void Form_KeyDown(int& /*keyCode*/, int /*shift*/) {}
    virtual void Form_Unload(int& /*cancel*/) {}

    HWND containerWindow() const override { return hwnd(); }
    void paintBackdrop(HDC hdc, const RECT& area) override;

protected:
    // Paints the form's picture: the skin's ground, then what the derived form adds (titles, captions).
    virtual void drawSkin(HDC hdc, const RECT& client);
    // Raw messages before the form's own handling; return true with `result` set to handle one.
    virtual bool onMessage(UINT /*msg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& /*result*/) { return false; }

private:
    bool processMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) final;
    void windowGone() final;
    void paint();
    float scaled(int pixels) const;

    bool initialized_ = false;
    bool loading_ = false;
    bool modal_ = false;
    HWND modalOwner_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 4800, height_ = 3600;  // twips, used while not loaded
    std::string caption_;
    COLORREF backColor_ = CLR_INVALID;
    int mousePointer_ = vbDefault;
    bool topmost_ = false;
    HWND tooltip_ = nullptr;
    HWND lastFocus_ = nullptr;  // the control that had the focus when the form was last deactivated
    friend class Control;
};

// Sets the form whose unload ends runMessageLoop (by default the first form loaded).
void setMainForm(Form* form);

// Pumps messages until the main form unloads (or WM_QUIT arrives). Returns the exit code.
int runMessageLoop();

// Pre-translation for every message loop (installed into the runtime's DoEvents): key preview and Tab
// between controls. Returns true when the message was consumed.
bool previewMessage(MSG& msg);

// A fault in an event handler is caught at the window-procedure boundary and reported here (by default
// to the debugger output) so that the message loop goes on. The same as qs::win's.
void setHandlerErrorReporter(std::function<void(const std::string& what)> reporter);
void reportHandlerError(const std::string& what);

}  // namespace qs::forms

#include "platform/forms/controls.h"
