// The keywords and phone entry boxes through their real windows, driven while the opener waits in
// ShowModal; the phone-book import and the Temp table on scratch files.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/data/schema.h"
#include "app/entry/keywords.h"
#include "app/entry/phoneentry.h"
#include "app/globals.h"
#include "app/phonebook.h"
#include "platform/db/db.h"
#include "platform/runtime/text.h"
#include "tests/support/files.h"
#include "tests/support/modal.h"
#include "tests/support/services.h"

using namespace qs;
using namespace qs::app;
using namespace qs::test;

namespace {

void type(HWND edit, const wchar_t* text) {
    while (*text) PostMessageW(edit, WM_CHAR, *text++, 1);
}
void enter(HWND edit) { PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1); }

class EntryBoxes : public ::testing::Test {
protected:
    void SetUp() override {
        resetGlobals();
        owner.Move(1500, 1500, 7155, 4275);
        owner.Show();
    }
    // What the user sees: the client size in pixels, the centre the owner's (as "w h x y").
    std::string placed(HWND box) {
        RECT b, o, c;
        GetWindowRect(box, &b), GetWindowRect(owner.hWnd(), &o), GetClientRect(box, &c);
        auto centre = [&](LONG x, LONG y) { return " " + std::to_string(x / 2) + " " + std::to_string(y / 2); };
        return std::to_string(c.right) + " " + std::to_string(c.bottom) +
               centre(b.left + b.right - o.left - o.right, b.top + b.bottom - o.top - o.bottom);
    }
    forms::Form owner;
    FakeServices messages;
};

TEST_F(EntryBoxes, KeywordsComeBackOnEnterOnlyCutAsTheEngineCounts) {
    stayOnTop = true;  // not followed by the keywords box
    std::string kw = "old";
    Answer<Form3> typed([&](Form3& box) {
        EXPECT_EQ(placed(box.hWnd()) + (box.topmost() ? " topmost " : " ") + box.Text1.Text(), "304 47 0 0 old");
        SendMessageW(box.Text1.hWnd(), EM_SETSEL, 0, -1);
        type(box.Text1.hWnd(), L"pier tender");
        enter(box.Text1.hWnd());
    });
    EXPECT_TRUE(editKeywords(owner.hWnd(), kw));
    EXPECT_EQ(keywordsResult + "|" + kw, "pier tender|PIER TENDER");

    // 255 units pass whole; beyond, the message and the cut, a surrogate pair never split.
    auto times = [](std::string s, int n) {
        std::string r;
        while (n--) r += s;
        return r;
    };
    const std::string e = "\xC3\xA9", smile = "\xF0\x9F\x98\x80";
    const std::string cases[][2] = {{times(e, 255), times(e, 255)},
                                    {times(e, 256), times(e, 255)},
                                    {times("a", 254) + smile, times("a", 254)},
                                    {"", ""}};
    for (const auto& c : cases) {
        Answer<Form3> d(
            [&](Form3& box) { SetWindowTextW(box.Text1.hWnd(), rt::widen(c[0]).c_str()), enter(box.Text1.hWnd()); });
        EXPECT_TRUE(editKeywords(owner.hWnd(), kw));
        EXPECT_EQ(keywordsResult, c[1]);
    }
    const std::string tooLong = "255 characters is the maximum size allowed for keywords";
    EXPECT_EQ(messages.messages, std::vector<std::string>(2, tooLong));

    // Closed by the system after typing: nothing handed back, not even an earlier result.
    kw = "KEEP", keywordsResult = "EARLIER";
    Answer<Form3> closed(
        [&](Form3& box) { type(box.Text1.hWnd(), L"new"), PostMessageW(box.hWnd(), WM_SYSCOMMAND, SC_CLOSE, 0); });
    EXPECT_FALSE(editKeywords(owner.hWnd(), kw));
    EXPECT_EQ(kw, "KEEP");
}

TEST_F(EntryBoxes, PhoneEntryOkEnterCancelAndClose) {
    stayOnTop = true;
    std::string name = "holm anna", info = "ext 1";
    Answer<Form1> ok([&](Form1& box) {
        EXPECT_EQ(placed(box.hWnd()) + (box.topmost() ? " topmost " : " ") + box.Caption(),
                  "267 118 0 0 topmost Form1");
        EXPECT_EQ(box.Text1.Text() + "|" + box.Text2.Text(), "holm anna|ext 1");
        SendMessageW(box.Text2.hWnd(), EM_SETSEL, 0, -1);
        type(box.Text2.hWnd(), L"r\u00f8d");
        PostMessageW(box.Image1.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, 0);  // acts before any release
    });
    EXPECT_TRUE(editPhoneEntry(owner.hWnd(), name, info));
    EXPECT_EQ(name + "|" + info,
              "HOLM ANNA|R\xC3\x98"
              "D");

    // Enter in the name box does nothing (the info typed after it still counts); in the info box it is
    // Ok. With the info empty the opener stores nothing.
    stayOnTop = false;
    for (const wchar_t* typedInfo : {L"site", L""}) {
        name = "berg", info = "";
        Answer<Form1> d([&](Form1& box) {
            EXPECT_FALSE(box.topmost());
            enter(box.Text1.hWnd()), type(box.Text2.hWnd(), typedInfo), enter(box.Text2.hWnd());
        });
        EXPECT_EQ(editPhoneEntry(owner.hWnd(), name, info), *typedInfo != 0);
        EXPECT_EQ(phoneNameResult + "|" + phoneInfoResult, *typedInfo ? "BERG|SITE" : "BERG|");
    }

    // Cancel with the right button after typing, and a close by the system: both results empty.
    for (UINT msg : {UINT(WM_RBUTTONDOWN), UINT(WM_CLOSE)}) {
        phoneNameResult = phoneInfoResult = "EARLIER";
        Answer<Form1> d([&](Form1& box) {
            type(box.Text1.hWnd(), L"dahl"), type(box.Text2.hWnd(), L"912");
            PostMessageW(msg == WM_CLOSE ? box.hWnd() : box.Image2.hWnd(), msg, MK_RBUTTON, 0);
        });
        EXPECT_FALSE(editPhoneEntry(owner.hWnd(), name, info));
        EXPECT_EQ(phoneNameResult + phoneInfoResult + "|" + name, "|berg");
    }
}

// A file with one table: Phone (PName, PInfo) or the phone book's (Field1, Field2), holding `rows` as
// name, info pairs ("" as a name: Null).
void makeFile(const std::string& path, const char* table, int infoType, const std::vector<std::string>& rows) {
    auto f = db::Engine::CreateDatabase(path);
    auto def = f->CreateTableDef(table);
    def->appendField(def->CreateField(table[0] == 'P' ? "PName" : "Field1", db::dbText));
    def->appendField(def->CreateField(table[0] == 'P' ? "PInfo" : "Field2", infoType));
    f->appendTableDef(def);
    auto rs = f->OpenRecordset(table);
    for (std::size_t i = 0; i + 1 < rows.size(); i += 2) {
        rs->AddNew();
        if (!rows[i].empty()) rs->set(0, rows[i]);
        rs->set(1, rows[i + 1]);
        rs->Update();
    }
}

std::vector<std::string> phoneRows(const std::string& dbPath) {
    std::vector<std::string> out;
    for (auto rs = db::Engine::OpenDatabase(dbPath)->OpenRecordset("Phone"); !rs->EOF_(); rs->MoveNext())
        out.push_back((db::isNull(rs->get(0)) ? "<null>" : db::textOf(rs->get(0))) + "|" + db::textOf(rs->get(1)));
    return out;
}

TEST_F(EntryBoxes, PhoneBookImportAddsMissingNamesAndKeepsRowsBeforeAFailure) {
    TempDir dir("phonebook");
    const std::string dbPath = dir.file("q.mdb"), book = dir.file("Town Staff.mdb");
    makeFile(dbPath, "Phone", db::dbText, {"BERG OLAV", "OLD INFO"});
    makeFile(book, "Town Staff", db::dbText,
             {"Holm Anna", "ext 1", "holm ANNA", "again", "", "no name", "O\"Brien", "ext 2", "Berg Olav", "new info"});
    std::vector<std::string> rows = {"BERG OLAV|OLD INFO", "HOLM ANNA|EXT 1", "<null>|NO NAME", "O\"BRIEN|EXT 2"};
    EXPECT_TRUE(importPhoneBook(dbPath, book));
    EXPECT_EQ(phoneRows(dbPath), rows);
    EXPECT_TRUE(importPhoneBook(dbPath, book));  // only the name that cannot be found comes again
    rows.push_back("<null>|NO NAME");
    makeFile(dir.file("empty.mdb"), "Town Staff", db::dbText, {});
    EXPECT_FALSE(importPhoneBook(dbPath, dir.file("empty.mdb")));
    EXPECT_FALSE(importPhoneBook(dbPath, dir.file("missing.mdb")));
    EXPECT_EQ(phoneRows(dbPath), rows);

    // PInfo taking numbers only: the third row fails; the two before it are in the file, for others to
    // read, before the message shows.
    makeFile(dir.file("numbers.mdb"), "Phone", db::dbLong, {});
    makeFile(dir.file("book2.mdb"), "Town Staff", db::dbText, {"a", "1", "b", "2", "c", "ext", "d", "4"});
    messages.whileShown = [&] { rows = phoneRows(dir.file("numbers.mdb")); };
    EXPECT_FALSE(importPhoneBook(dir.file("numbers.mdb"), dir.file("book2.mdb")));
    EXPECT_EQ(rows, (std::vector<std::string>{"A|1", "B|2"}));
    const std::string failed = "You must place Town Staff.mdb in app folder and press Ctrl-F12 to import phonebook";
    EXPECT_EQ(messages.messages, std::vector<std::string>(3, failed));
}

TEST_F(EntryBoxes, CreateTempTableOnceOtherwiseOneMessageAndNothingChanged) {
    TempDir dir("temptable");
    const std::string dbPath = dir.file("q.mdb"), held = dir.file("held.mdb");
    for (const std::string& p : {dbPath, held}) db::Engine::CreateDatabase(p), CreateTableDefX(p);
    createTempTable(dbPath);
    EXPECT_TRUE(messages.messages.empty());
    auto temp = db::Engine::OpenDatabase(dbPath)->OpenRecordset("SELECT checksum1, checksum2 FROM Temp");
    EXPECT_EQ(temp->fieldType(0) * 10 + temp->fieldType(1), db::dbLong * 11);  // two 32-bit integers
    createTempTable(dbPath);
    // Held open by another program without write sharing; missing.
    HANDLE h = CreateFileW(rt::widen(held).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    createTempTable(held);
    CloseHandle(h);
    createTempTable(dir.file("missing.mdb"));
    EXPECT_EQ(messages.messages.size(), 3u);
    EXPECT_EQ(db::Engine::OpenDatabase(dbPath)->tableNames().size(), 5u);
    EXPECT_EQ(db::Engine::OpenDatabase(held)->tableNames().size(), 4u);
}

}  // namespace
