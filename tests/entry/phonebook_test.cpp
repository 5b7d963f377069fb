#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/data/schema.h"
#include "app/phonebook.h"
#include "platform/db/db.h"
#include "platform/runtime/services.h"
#include "platform/runtime/text.h"
#include "tests/db/dbtest.h"

using namespace qs;
using qs::db::test::TempDir;

namespace {

const char kImportFailed[] = "You must place Town Staff.mdb in app folder and press Ctrl-F12 to import phonebook";

struct Messages : rt::Services {
    Messages() { rt::setServices(this); }
    ~Messages() override { rt::setServices(nullptr); }
    int msgBox(const std::string& text, int, const std::string&) override {
        shown.push_back(text);
        if (whileShown) whileShown();
        return IDOK;
    }
    std::vector<std::string> shown;
    std::function<void()> whileShown;
};

using Row = std::pair<db::Value, db::Value>;

void makeBook(const std::string& path, const std::vector<Row>& rows) {
    auto book = db::Engine::CreateDatabase(path);
    auto def = book->CreateTableDef("Town Staff");
    def->appendField(def->CreateField("Field1", db::dbText));
    def->appendField(def->CreateField("Field2", db::dbText));
    book->appendTableDef(def);
    auto rs = book->OpenRecordset("Town Staff");
    for (const Row& r : rows) {
        rs->AddNew();
        rs->set("Field1", r.first);
        rs->set("Field2", r.second);
        rs->Update();
    }
}

std::vector<std::string> phoneRows(const std::string& dbPath) {
    std::vector<std::string> out;
    auto rs = db::Engine::OpenDatabase(dbPath)->OpenRecordset("Phone");
    for (; !rs->EOF_(); rs->MoveNext())
        out.push_back((db::isNull(rs->get("PName")) ? "<null>" : db::textOf(rs->get("PName"))) + "|" +
                      db::textOf(rs->get("PInfo")));
    return out;
}

TEST(PhoneBookImport, AddsMissingNamesOnceAndKeepsExistingOnes) {
    TempDir dir;
    const std::string dbPath = dir.file("quillstack.mdb"), bookPath = dir.file("Town Staff.mdb");
    db::Engine::CreateDatabase(dbPath);
    app::CreateTableDefX(dbPath);
    {
        auto phone = db::Engine::OpenDatabase(dbPath)->OpenRecordset("Phone");
        phone->AddNew();
        phone->set("PName", std::string("BERG OLAV"));
        phone->set("PInfo", std::string("OLD INFO"));
        phone->Update();
    }
    makeBook(bookPath, {{std::string("Holm Anna"), std::string("ext 2231")},
                        {std::string("holm ANNA"), std::string("second")},
                        {db::Value{}, std::string("no name")},
                        {std::string("O\"Brien Kate"), std::string("ext 2104")},
                        {std::string("Berg Olav"), std::string("new info")},
                        {std::string("Lie Kari"), db::Value{}}});
    Messages messages;
    const std::vector<std::string> once = {"BERG OLAV|OLD INFO", "HOLM ANNA|EXT 2231", "<null>|NO NAME",
                                           "O\"BRIEN KATE|EXT 2104", "LIE KARI|"};
    EXPECT_TRUE(app::importPhoneBook(dbPath, bookPath));
    EXPECT_EQ(phoneRows(dbPath), once);
    // Again: only the row without a name comes again, as it can never be found.
    EXPECT_TRUE(app::importPhoneBook(dbPath, bookPath));
    std::vector<std::string> twice = once;
    twice.push_back("<null>|NO NAME");
    EXPECT_EQ(phoneRows(dbPath), twice);
    EXPECT_TRUE(messages.shown.empty());

    // An empty phone book and a missing one: the message, nothing added.
    const std::string emptyBook = dir.file("empty.mdb");
    makeBook(emptyBook, {});
    EXPECT_FALSE(app::importPhoneBook(dbPath, emptyBook));
    EXPECT_FALSE(app::importPhoneBook(dbPath, dir.file("missing.mdb")));
    EXPECT_EQ(messages.shown, std::vector<std::string>(2, kImportFailed));
    EXPECT_EQ(phoneRows(dbPath), twice);
}

TEST(PhoneBookImport, RowsBeforeAFailureStayAndAreWrittenBeforeTheMessage) {
    TempDir dir;
    const std::string dbPath = dir.file("quillstack.mdb"), bookPath = dir.file("Town Staff.mdb");
    {
        // A Phone table whose PInfo takes numbers only, so that the third row fails.
        auto db = db::Engine::CreateDatabase(dbPath);
        auto def = db->CreateTableDef("Phone");
        def->appendField(def->CreateField("PName", db::dbText));
        def->appendField(def->CreateField("PInfo", db::dbLong));
        db->appendTableDef(def);
    }
    makeBook(bookPath, {{std::string("a"), std::string("1")},
                        {std::string("b"), std::string("2")},
                        {std::string("c"), std::string("ext")},
                        {std::string("d"), std::string("4")}});
    Messages messages;
    std::vector<std::string> seenByOthers;
    bool othersWrote = false;
    messages.whileShown = [&] {
        // Another connection reads and writes the file while the message is up.
        seenByOthers = phoneRows(dbPath);
        auto probe = std::make_shared<db::TableDef>("Probe");
        probe->appendField(probe->CreateField("x", db::dbLong));
        try {
            db::Engine::OpenDatabase(dbPath)->appendTableDef(probe);
            othersWrote = true;
        } catch (const db::DbError&) {
        }
    };
    EXPECT_FALSE(app::importPhoneBook(dbPath, bookPath));
    EXPECT_EQ(messages.shown, std::vector<std::string>{kImportFailed});
    EXPECT_EQ(seenByOthers, (std::vector<std::string>{"A|1", "B|2"}));
    EXPECT_TRUE(othersWrote);
    EXPECT_EQ(phoneRows(dbPath), (std::vector<std::string>{"A|1", "B|2"}));
}

TEST(CreateTempTable, AddsTempOnceAndOtherwiseChangesNothing) {
    TempDir dir;
    const std::string dbPath = dir.file("quillstack.mdb");
    db::Engine::CreateDatabase(dbPath);
    app::CreateTableDefX(dbPath);
    Messages messages;
    app::createTempTable(dbPath);
    EXPECT_TRUE(messages.shown.empty());
    {
        auto db = db::Engine::OpenDatabase(dbPath);
        EXPECT_EQ(db->tableNames(), (std::vector<std::string>{"Jobs", "Favorites", "Phone", "Shortcuts", "Temp"}));
        auto temp = db->OpenRecordset("Temp");
        ASSERT_EQ(temp->fieldCount(), 2);
        EXPECT_EQ(temp->fieldName(0), "checksum1");
        EXPECT_EQ(temp->fieldType(0), db::dbLong);
        EXPECT_EQ(temp->fieldName(1), "checksum2");
        EXPECT_EQ(temp->fieldType(1), db::dbLong);
    }
    app::createTempTable(dbPath);
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(db::Engine::OpenDatabase(dbPath)->tableNames().size(), 5u);

    // A file another program holds open without write sharing, and a missing one: one message each, no
    // table.
    const std::string held = dir.file("held.mdb");
    db::Engine::CreateDatabase(held);
    app::CreateTableDefX(held);
    HANDLE h = CreateFileW(rt::widen(held).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    app::createTempTable(held);
    app::createTempTable(dir.file("missing.mdb"));
    EXPECT_EQ(messages.shown.size(), 3u);
    CloseHandle(h);
    EXPECT_EQ(db::Engine::OpenDatabase(held)->tableNames().size(), 4u);
}

}  // namespace
