#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/forms/form.h"
#include "platform/runtime/app.h"
#include "tests/support/pump.h"

using namespace qs::forms;
using qs::test::pumpPending;
using qs::test::pumpUntil;

namespace {

constexpr UINT kRun = WM_APP + 1;  // "run the queued action" inside a modal loop

// A form that logs its events and runs actions posted to it, so a test can act from inside ShowModal.
class LoggingForm : public Form {
public:
    explicit LoggingForm(std::string name, std::vector<std::string>* log) : name_(std::move(name)), log_(log) {
        setClientSize(4005, 1770);
    }
    void Form_Initialize() override { note("Initialize"); }
    void Form_Load() override { note("Load"); }
    void Form_Activate() override { note("Activate"); }
    void Form_Resize() override { ++resizes; }
    void Form_KeyDown(int& keyCode, int shift) override {
        note("KeyDown " + std::to_string(keyCode));
        lastShift = shift;
        if (keyCode == cancelKey) keyCode = 0;
        if (keyCode == VK_ESCAPE && unloadOnEscape) Unload();
    }
    void Form_MouseDown(int button, int /*shift*/, float x, float y) override {
        note("MouseDown " + std::to_string(button));
        lastX = x;
        lastY = y;
        if (throwOnMouseDown) throw std::runtime_error("handler fault");
        if (button == vbLeftButton) beginDrag();
    }
    void Form_Unload(int& cancel) override {
        note("Unload");
        unloadSawWindow = IsWindow(hWnd()) != FALSE;
        if (ownerToWatch) ownerEnabledDuringUnload = IsWindowEnabled(ownerToWatch) != FALSE;
        if (cancelUnloads > 0) {
            --cancelUnloads;
            cancel = 1;
        }
    }
    // Queues `action` to run from this form's window procedure.
    void post(std::function<void()> action) {
        actions_.push_back(std::move(action));
        PostMessageW(hWnd(), kRun, 0, 0);
    }

    int cancelKey = -1;
    bool unloadOnEscape = false;
    bool throwOnMouseDown = false;
    int cancelUnloads = 0;
    int resizes = 0;
    int lastShift = -1;
    float lastX = -1, lastY = -1;
    HWND ownerToWatch = nullptr;
    bool unloadSawWindow = false;
    bool ownerEnabledDuringUnload = true;
    std::vector<UINT> ncButtonDowns;  // WM_NCLBUTTONDOWN hit codes seen
    bool captureReleasedAtDrag = false;

protected:
    bool onMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) override {
        if (msg == kRun && !actions_.empty()) {
            auto action = std::move(actions_.front());
            actions_.erase(actions_.begin());
            action();
            result = 0;
            return true;
        }
        if (msg == WM_NCLBUTTONDOWN) {
            // Recorded instead of entering the system's move loop, which would wait for a real mouse.
            ncButtonDowns.push_back(static_cast<UINT>(wParam));
            captureReleasedAtDrag = GetCapture() == nullptr;
            result = 0;
            return true;
        }
        return false;
    }

private:
    void note(const std::string& what) {
        if (log_) log_->push_back(name_ + " " + what);
    }
    std::string name_;
    std::vector<std::string>* log_;
    std::vector<std::function<void()>> actions_;
};

// A main form, shown, for the modal forms of a test to be owned by; unloaded at the end.
struct ShownMain : LoggingForm {
    ShownMain() : LoggingForm("main", nullptr) { Show(); }
    ~ShownMain() override { Unload(); }
};

class Reporter {
public:
    Reporter() {
        setHandlerErrorReporter([this](const std::string& what) { errors.push_back(what); });
    }
    ~Reporter() { setHandlerErrorReporter(nullptr); }
    std::vector<std::string> errors;
};

}  // namespace

TEST(FormUnits, TwipsAndPixels) {
    EXPECT_EQ(twipsPerPixel(), 15);
    EXPECT_EQ(toPixels(7155), 477);
    EXPECT_EQ(toPixels(4275), 285);
    EXPECT_EQ(toTwips(477), 7155);
    EXPECT_EQ(toPixels(7), 0);
    EXPECT_EQ(toPixels(8), 1);
    EXPECT_EQ(toPixels(-15), -1);
}

TEST(FormLifecycle, LoadShowUnloadInOrderAndGeometryInTwips) {
    std::vector<std::string> log;
    LoggingForm f("main", &log);
    f.Move(1500, 1200, 7155, 4275);
    EXPECT_FALSE(f.Loaded());
    f.Load();
    ASSERT_TRUE(f.Loaded());
    EXPECT_FALSE(f.Visible());
    RECT r;
    GetClientRect(f.hWnd(), &r);
    EXPECT_EQ(r.right, 477);
    EXPECT_EQ(r.bottom, 285);
    EXPECT_EQ(f.Left(), 1500);
    EXPECT_EQ(f.Top(), 1200);
    EXPECT_EQ(f.ScaleWidth(), 7155);
    EXPECT_EQ((GetWindowLongW(f.hWnd(), GWL_STYLE) & WS_POPUP) != 0, true);
    EXPECT_EQ(GetWindowLongW(f.hWnd(), GWL_STYLE) & WS_CAPTION, 0);

    f.Show();
    EXPECT_TRUE(f.Visible());
    pumpUntil([&] { return GetActiveWindow() == f.hWnd(); });
    f.Hide();
    EXPECT_FALSE(f.Visible());
    EXPECT_TRUE(f.Unload());
    EXPECT_FALSE(f.Loaded());
    // Initialize runs once per object, Load once per load.
    f.Load();
    f.Unload();
    std::vector<std::string> expected{"main Initialize", "main Load", "main Activate",
                                      "main Unload",     "main Load", "main Unload"};
    EXPECT_EQ(log, expected);
    EXPECT_GE(f.resizes, 2);
}

TEST(FormLifecycle, UnloadCanBeCancelled) {
    LoggingForm f("f", nullptr);
    f.cancelUnloads = 1;
    f.Load();
    EXPECT_FALSE(f.Unload());
    EXPECT_TRUE(f.Loaded());
    EXPECT_TRUE(f.Unload());
    EXPECT_FALSE(f.Loaded());
}

TEST(FormLifecycle, CloseMessageUnloads) {
    std::vector<std::string> log;
    LoggingForm f("f", &log);
    f.Load();
    SendMessageW(f.hWnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(f.Loaded());
    EXPECT_EQ(log.back(), "f Unload");
}

TEST(FormModal, OwnerDisabledDuringAndEnabledAndActiveAfter) {
    std::vector<std::string> log;
    LoggingForm owner("owner", &log);
    owner.Move(3000, 3000, 7155, 4275);
    owner.Show();
    ASSERT_TRUE(pumpUntil([&] { return GetActiveWindow() == owner.hWnd(); }));

    LoggingForm box("box", &log);
    box.ownerToWatch = owner.hWnd();
    box.Load();
    bool ownerEnabledInside = true, boxModalInside = false;
    RECT boxRect{}, ownerRect{};
    box.post([&] {
        ownerEnabledInside = IsWindowEnabled(owner.hWnd()) != FALSE;
        boxModalInside = box.isModal();
        GetWindowRect(box.hWnd(), &boxRect);
        GetWindowRect(owner.hWnd(), &ownerRect);
        log.push_back("inside");
        box.Unload();
    });
    box.ShowModal(&owner);
    log.push_back("returned");

    EXPECT_FALSE(ownerEnabledInside);
    EXPECT_TRUE(boxModalInside);
    EXPECT_FALSE(box.Loaded());
    EXPECT_FALSE(box.isModal());
    // Form_Unload ran while the window still stood and the owner was still disabled.
    EXPECT_TRUE(box.unloadSawWindow);
    EXPECT_FALSE(box.ownerEnabledDuringUnload);
    EXPECT_TRUE(IsWindowEnabled(owner.hWnd()));
    EXPECT_TRUE(pumpUntil([&] { return GetActiveWindow() == owner.hWnd(); }));
    // Centred on the owner.
    EXPECT_NEAR((boxRect.left + boxRect.right) / 2, (ownerRect.left + ownerRect.right) / 2, 1);
    EXPECT_NEAR((boxRect.top + boxRect.bottom) / 2, (ownerRect.top + ownerRect.bottom) / 2, 1);

    auto at = [&](const std::string& s) { return std::find(log.begin(), log.end(), s) - log.begin(); };
    EXPECT_LT(at("box Load"), at("box Activate"));
    EXPECT_LT(at("box Activate"), at("inside"));
    EXPECT_LT(at("inside"), at("box Unload"));
    EXPECT_LT(at("box Unload"), at("returned"));
    owner.Unload();
}

TEST(FormModal, NestedModalsKeepTheirOwnersDisabled) {
    ShownMain main;
    LoggingForm help("help", nullptr), about("about", nullptr);
    help.Load();
    bool mainEnabledWhileAbout = true, helpEnabledWhileAbout = true;
    bool mainEnabledAfterAbout = true, helpEnabledAfterAbout = false;
    help.post([&] {
        about.Load();
        about.post([&] {
            mainEnabledWhileAbout = IsWindowEnabled(main.hWnd()) != FALSE;
            helpEnabledWhileAbout = IsWindowEnabled(help.hWnd()) != FALSE;
            about.Unload();
        });
        about.ShowModal(&help);
        mainEnabledAfterAbout = IsWindowEnabled(main.hWnd()) != FALSE;
        helpEnabledAfterAbout = IsWindowEnabled(help.hWnd()) != FALSE;
        help.Unload();
    });
    help.ShowModal(&main);
    EXPECT_FALSE(mainEnabledWhileAbout);
    EXPECT_FALSE(helpEnabledWhileAbout);
    EXPECT_FALSE(mainEnabledAfterAbout);
    EXPECT_TRUE(helpEnabledAfterAbout);
    EXPECT_TRUE(IsWindowEnabled(main.hWnd()));
}

TEST(FormModal, CancelledUnloadKeepsTheLoopRunning) {
    ShownMain main;
    LoggingForm box("box", nullptr);
    box.cancelUnloads = 1;
    box.Load();
    int attempts = 0;
    std::function<void()> tryClose = [&] {
        ++attempts;
        if (!box.Unload()) box.post(tryClose);
    };
    box.post(tryClose);
    box.ShowModal(&main);
    EXPECT_EQ(attempts, 2);
    EXPECT_TRUE(IsWindowEnabled(main.hWnd()));
}

TEST(FormModal, QuitLeavesTheModalLoopAndReachesTheOuterLoop) {
    ShownMain main;
    LoggingForm box("box", nullptr);
    box.Load();
    box.post([] { PostQuitMessage(7); });
    box.ShowModal(&main);
    EXPECT_TRUE(IsWindowEnabled(main.hWnd()));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    box.Unload();
}

TEST(FormModal, ModalWithoutVisibleOwnerIsCentredOnTheScreen) {
    LoggingForm hiddenOwner("owner", nullptr);
    hiddenOwner.Load();
    LoggingForm box("box", nullptr);
    box.Load();
    RECT r{};
    box.post([&] {
        GetWindowRect(box.hWnd(), &r);
        box.Unload();
    });
    box.ShowModal(&hiddenOwner);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((r.left + r.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, (work.top + work.bottom) / 2, 1);
    hiddenOwner.Unload();
}

TEST(FormTopmost, TogglesTheExtendedStyle) {
    LoggingForm f("f", nullptr);
    f.setTopmost(true);  // before load: made topmost
    f.Load();
    EXPECT_TRUE(GetWindowLongW(f.hWnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    f.setTopmost(false);
    EXPECT_FALSE(GetWindowLongW(f.hWnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(f.topmost());
    f.setTopmost(true);
    EXPECT_TRUE(f.topmost());
    f.Unload();
}

TEST(FormDrag, LeftButtonReleasesCaptureAndSendsCaptionHit) {
    LoggingForm f("f", nullptr);
    f.Show();
    SetCapture(f.hWnd());
    SendMessageW(f.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    ASSERT_EQ(f.ncButtonDowns.size(), 1u);
    EXPECT_EQ(f.ncButtonDowns[0], static_cast<UINT>(HTCAPTION));
    EXPECT_TRUE(f.captureReleasedAtDrag);
    EXPECT_FLOAT_EQ(f.lastX, 150.0f);  // twips
    EXPECT_FLOAT_EQ(f.lastY, 300.0f);
    SendMessageW(f.hWnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 20));
    EXPECT_EQ(f.ncButtonDowns.size(), 1u);
    f.Unload();
}

TEST(FormMouse, PixelScaleGivesTheCallbackMessageAsX) {
    // The tray icon calls back with the mouse message number in lParam; a form measuring in pixels
    // sees it as X.
    struct Tray : LoggingForm {
        Tray() : LoggingForm("tray", nullptr) { scaleMode = ScaleMode::Pixels; }
        void Form_MouseMove(int, int, float x, float) override { seen = x; }
        float seen = -1;
    } f;
    f.Load();
    SendMessageW(f.hWnd(), WM_MOUSEMOVE, 1, WM_LBUTTONDBLCLK);
    EXPECT_FLOAT_EQ(f.seen, 515.0f);
    f.Unload();
}

TEST(FormErrors, AFaultInAHandlerIsReportedAndTheLoopGoesOn) {
    Reporter reporter;
    LoggingForm f("f", nullptr);
    f.throwOnMouseDown = true;
    f.Show();
    SendMessageW(f.hWnd(), WM_RBUTTONDOWN, MK_RBUTTON, 0);
    ASSERT_EQ(reporter.errors.size(), 1u);
    EXPECT_EQ(reporter.errors[0], "handler fault");
    bool ran = false;
    f.post([&] { ran = true; });
    EXPECT_TRUE(pumpUntil([&] { return ran; }));
    f.Unload();
}

TEST(FormLoop, RunMessageLoopEndsWhenTheMainFormUnloads) {
    LoggingForm main("main", nullptr);
    setMainForm(&main);
    main.Show();
    main.post([&] { main.Unload(); });
    EXPECT_EQ(runMessageLoop(), 0);
    EXPECT_FALSE(main.Loaded());
    setMainForm(nullptr);
}

// ---- key preview ----------------------------------------------------------------------------------

namespace {

class PreviewForm : public LoggingForm {
public:
    explicit PreviewForm(std::vector<std::string>* log) : LoggingForm("form", log) {
        Text1.onKeyDown = [log](int& key, int) { log->push_back("Text1 KeyDown " + std::to_string(key)); };
        Text1.onKeyUp = [log](int& key, int) { log->push_back("Text1 KeyUp " + std::to_string(key)); };
    }
    TextBox Text1{*this, 300, 300, 1500, 285};
    TextBox Text2{*this, 300, 900, 1500, 285};
};

void postKey(HWND target, int key) {
    PostMessageW(target, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
    PostMessageW(target, WM_KEYUP, static_cast<WPARAM>(key), 0xC0000001);
}

// The keys that reach a form and its first text box, logged; the form is unloaded at the end.
class FormKeyPreview : public ::testing::Test {
protected:
    void TearDown() override { f.Unload(); }
    // Shows the form with the focus in Text1 and starts the log afresh.
    void showWithFocusInText1() {
        f.Show();
        f.Text1.SetFocus();
        log.clear();
    }
    std::vector<std::string> log;
    PreviewForm f{&log};
};

}  // namespace

TEST_F(FormKeyPreview, FormSeesTheKeyFirstAndTheControlStillGetsIt) {
    f.KeyPreview = true;
    showWithFocusInText1();
    postKey(f.Text1.hWnd(), 'A');
    qs::rt::DoEvents();  // the runtime's own pump honours the preview too
    std::vector<std::string> expected{"form KeyDown 65", "Text1 KeyDown 65", "Text1 KeyUp 65"};
    EXPECT_EQ(log, expected);
}

TEST_F(FormKeyPreview, WithoutPreviewOnlyTheControlSeesTheKey) {
    showWithFocusInText1();
    postKey(f.Text1.hWnd(), 'B');
    pumpPending();
    std::vector<std::string> expected{"Text1 KeyDown 66", "Text1 KeyUp 66"};
    EXPECT_EQ(log, expected);
}

TEST_F(FormKeyPreview, AKeyClearedByTheFormNeverReachesTheControl) {
    f.KeyPreview = true;
    f.cancelKey = VK_F5;
    showWithFocusInText1();
    PostMessageW(f.Text1.hWnd(), WM_KEYDOWN, VK_F5, 1);
    pumpPending();
    std::vector<std::string> expected{"form KeyDown 116"};
    EXPECT_EQ(log, expected);
}

TEST_F(FormKeyPreview, KeyToTheFormItselfIsSeenOnce) {
    f.KeyPreview = true;
    f.Show();
    log.clear();
    PostMessageW(f.hWnd(), WM_KEYDOWN, 'C', 1);
    pumpPending();
    std::vector<std::string> expected{"form KeyDown 67"};
    EXPECT_EQ(log, expected);
}

TEST_F(FormKeyPreview, EscapeUnloadsAModalFormWhileItsTextBoxHasTheFocus) {
    ShownMain main;
    f.KeyPreview = true;
    f.unloadOnEscape = true;
    f.Load();
    f.post([&] {
        f.Text1.SetFocus();
        postKey(f.Text1.hWnd(), VK_ESCAPE);
    });
    f.ShowModal(&main);
    EXPECT_FALSE(f.Loaded());
    ASSERT_FALSE(log.empty());
    EXPECT_NE(std::find(log.begin(), log.end(), "form KeyDown 27"), log.end());
    // The window went with the form's handler, so the text box never saw the key.
    EXPECT_EQ(std::find(log.begin(), log.end(), "Text1 KeyDown 27"), log.end());
}

TEST_F(FormKeyPreview, TabMovesBetweenTextBoxes) {
    showWithFocusInText1();
    PostMessageW(f.Text1.hWnd(), WM_KEYDOWN, VK_TAB, 1);
    pumpPending();
    EXPECT_TRUE(f.Text2.hasFocus());
}

TEST(FormFocus, FirstTextBoxHasTheFocusWhenShown) {
    std::vector<std::string> log;
    PreviewForm f(&log);
    f.Show();
    EXPECT_TRUE(pumpUntil([&] { return f.Text1.hasFocus(); }));
    f.Unload();
}
