#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/entry/keywords.h"
#include "app/entry/phoneentry.h"
#include "app/globals.h"
#include "platform/runtime/services.h"
#include "platform/runtime/text.h"
#include "tests/entry/boxdriver.h"

using namespace qs;
using namespace qs::app;
using qs::test::BoxDriver;
using qs::test::mouseDown;
using qs::test::pressKey;
using qs::test::typeText;

namespace {

struct Messages : rt::Services {
    Messages() { rt::setServices(this); }
    ~Messages() override { rt::setServices(nullptr); }
    int msgBox(const std::string& text, int, const std::string&) override {
        shown.push_back(text);
        return IDOK;
    }
    std::vector<std::string> shown;
};

class Owner : public forms::Form {};

class EntryBoxes : public ::testing::Test {
protected:
    void SetUp() override {
        resetGlobals();
        owner.Move(1500, 1500, 7155, 4275);
        owner.Show();
    }
    void TearDown() override { owner.Unload(); }

    // Where the box sits over the owner and how big its client area is, in pixels.
    static void expectCentredOver(HWND box, HWND owner, int clientW, int clientH) {
        RECT b, o, c;
        GetWindowRect(box, &b);
        GetWindowRect(owner, &o);
        GetClientRect(box, &c);
        EXPECT_EQ(c.right, clientW);
        EXPECT_EQ(c.bottom, clientH);
        EXPECT_NEAR((b.left + b.right) / 2, (o.left + o.right) / 2, 1);
        EXPECT_NEAR((b.top + b.bottom) / 2, (o.top + o.bottom) / 2, 1);
    }
    static bool topmost(HWND h) { return (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

    Owner owner;
    Messages messages;
};

std::string repeat(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

TEST_F(EntryBoxes, KeywordsComeBackOnEnterCutToWhatAFieldHolds) {
    stayOnTop = true;  // the keywords box does not follow it
    std::string keywords = "old";
    {
        BoxDriver<Form3> d({[&](Form3& box) {
            expectCentredOver(box.hWnd(), owner.hWnd(), 304, 47);
            EXPECT_FALSE(topmost(box.hWnd()));
            EXPECT_EQ(box.Text1.Text(), "old");
            SetWindowTextW(box.Text1.hWnd(), L"");
            typeText(box.Text1.hWnd(), L"harbour plans");
            pressKey(box.Text1.hWnd(), VK_RETURN);
        }});
        EXPECT_TRUE(editKeywords(owner.hWnd(), keywords));
        EXPECT_TRUE(d.finished());
    }
    EXPECT_EQ(keywordsResult, "harbour plans");  // as typed; the opener's copy is upper case
    EXPECT_EQ(keywords, "HARBOUR PLANS");

    // 255 units pass whole; beyond, the message and the cut, never inside a surrogate pair.
    const std::string e = "\xC3\xA9", smile = "\xF0\x9F\x98\x80";
    struct Case { std::string typed, back; size_t messages; };
    const Case cases[] = {{repeat(e, 255), repeat(e, 255), 0},
                          {repeat(e, 256), repeat(e, 255), 1},
                          {repeat("a", 254) + smile + "b", repeat("a", 254), 2},
                          {"", "", 2}};
    for (const Case& c : cases) {
        BoxDriver<Form3> d({[&](Form3& box) {
            SetWindowTextW(box.Text1.hWnd(), rt::widen(c.typed).c_str());
            pressKey(box.Text1.hWnd(), VK_RETURN);
        }});
        std::string kw = "x";
        EXPECT_TRUE(editKeywords(owner.hWnd(), kw));
        EXPECT_EQ(keywordsResult, c.back);
        EXPECT_EQ(messages.shown.size(), c.messages);
    }
    EXPECT_EQ(messages.shown.back(), "255 characters is the maximum size allowed for keywords");
}

TEST_F(EntryBoxes, KeywordsBoxClosedOtherwiseChangesNothing) {
    keywordsResult = "EARLIER";
    std::string keywords = "KEEP";
    BoxDriver<Form3> d({[&](Form3& box) {
                            typeText(box.Text1.hWnd(), L"new words");
                            pressKey(box.Text1.hWnd(), VK_ESCAPE);
                        },
                        [&](Form3& box) { PostMessageW(box.hWnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }});
    EXPECT_FALSE(editKeywords(owner.hWnd(), keywords));
    EXPECT_TRUE(d.finished());  // Esc left it open; the system's close shut it
    EXPECT_EQ(keywords, "KEEP");
    EXPECT_EQ(keywordsResult, "EARLIER");
}

TEST_F(EntryBoxes, PhoneEntryOkEnterCancelAndClose) {
    stayOnTop = true;
    std::string name = "holm anna", info = "ext 1";
    {
        BoxDriver<Form1> d({[&](Form1& box) {
            expectCentredOver(box.hWnd(), owner.hWnd(), 267, 118);
            EXPECT_TRUE(topmost(box.hWnd()));
            EXPECT_EQ(box.Caption(), "Form1");
            EXPECT_EQ(box.Text1.Text(), "holm anna");
            EXPECT_EQ(box.Text2.Text(), "ext 1");
            SendMessageW(box.Text2.hWnd(), EM_SETSEL, 0, -1);
            typeText(box.Text2.hWnd(), L"2231 r\u00f8d");
            mouseDown(box.Image1.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON);  // acts before any release
        }});
        EXPECT_TRUE(editPhoneEntry(owner.hWnd(), name, info));
        EXPECT_TRUE(d.finished());
    }
    EXPECT_EQ(name, "HOLM ANNA");
    EXPECT_EQ(info, "2231 R\xC3\x98" "D");

    stayOnTop = false;
    name = "berg";
    info = "";
    {
        BoxDriver<Form1> d({[&](Form1& box) {
                                EXPECT_FALSE(topmost(box.hWnd()));
                                pressKey(box.Text1.hWnd(), VK_RETURN);  // nothing in the name box
                            },
                            [&](Form1& box) {
                                typeText(box.Text2.hWnd(), L"site");
                                pressKey(box.Text2.hWnd(), VK_RETURN);
                            }});
        EXPECT_TRUE(editPhoneEntry(owner.hWnd(), name, info));
        EXPECT_TRUE(d.finished());
    }
    EXPECT_EQ(name, "BERG");
    EXPECT_EQ(info, "SITE");

    // Ok with an empty info returns the name alone, and the opener stores nothing.
    name = "lie";
    info = "";
    {
        BoxDriver<Form1> d({[&](Form1& box) { mouseDown(box.Image1.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON); }});
        EXPECT_FALSE(editPhoneEntry(owner.hWnd(), name, info));
    }
    EXPECT_EQ(phoneNameResult, "LIE");
    EXPECT_EQ(phoneInfoResult, "");
    EXPECT_EQ(name, "lie");

    // Cancel with the right button after typing, and a close by the system: both results empty.
    for (bool cancel : {true, false}) {
        phoneNameResult = phoneInfoResult = "EARLIER";
        BoxDriver<Form1> d({[&](Form1& box) {
            typeText(box.Text1.hWnd(), L"dahl");
            typeText(box.Text2.hWnd(), L"912");
            if (cancel)
                mouseDown(box.Image2.hWnd(), WM_RBUTTONDOWN, MK_RBUTTON);
            else
                PostMessageW(box.hWnd(), WM_CLOSE, 0, 0);
        }});
        EXPECT_FALSE(editPhoneEntry(owner.hWnd(), name, info));
        EXPECT_TRUE(d.finished());
        EXPECT_EQ(phoneNameResult, "");
        EXPECT_EQ(phoneInfoResult, "");
        EXPECT_EQ(name, "lie");
    }
}

}  // namespace
