// Database files: opening, creating, compacting, table definitions and shared use.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "platform/runtime/text.h"
#include "tests/db/dbtest.h"

using namespace qs::db;
using namespace qs::db::test;

TEST(DatabaseFiles, OpenRefusesWhatIsNoDatabaseOfOurs) {
    TempDir dir;
    EXPECT_EQ(errorOf([&] { Engine::OpenDatabase(dir.file("missing.mdb")); }), errFileNotFound);
    EXPECT_EQ(errorOf([&] { Engine::OpenDatabase(dir.path()); }), errNotADatabase);

    writeFile(dir.file("notes.mdb"), "These are not the tables you are looking for.\r\n");
    EXPECT_EQ(errorOf([&] { Engine::OpenDatabase(dir.file("notes.mdb")); }), errNotADatabase);
    writeFile(dir.file("empty.mdb"), "");
    EXPECT_EQ(errorOf([&] { Engine::OpenDatabase(dir.file("empty.mdb")); }), errNotADatabase);

    // A healthy SQLite file of someone else's is still not ours.
    sqlite3* foreign = nullptr;
    ASSERT_EQ(sqlite3_open(dir.file("foreign.mdb").c_str(), &foreign), SQLITE_OK);
    sqlite3_exec(foreign, "CREATE TABLE Jobs (JobName TEXT)", nullptr, nullptr, nullptr);
    sqlite3_close(foreign);
    EXPECT_EQ(errorOf([&] { Engine::OpenDatabase(dir.file("foreign.mdb")); }), errNotADatabase);

    try {
        Engine::OpenDatabase(dir.file("missing.mdb"));
    } catch (const qs::rt::Error& e) {  // callers may catch the runtime's error type
        EXPECT_EQ(e.description, "Could not find file '" + dir.file("missing.mdb") + "'.");
    }
}

TEST(DatabaseFiles, CreationNeverTouchesAnExistingFile) {
    TempDir dir;
    writeFile(dir.file("keep.mdb"), "precious");
    EXPECT_EQ(errorOf([&] { Engine::CreateDatabase(dir.file("keep.mdb")); }), errDatabaseExists);
    EXPECT_EQ(errorOf([&] { Catalog::Create("Provider=Any;Data Source=" + dir.file("keep.mdb")); }), errDatabaseExists);
    EXPECT_EQ(readFile(dir.file("keep.mdb")), "precious");
    EXPECT_EQ(errorOf([&] { Engine::CreateDatabase(dir.file("no such folder\\x.mdb")); }), errInvalidPath);

    Catalog::Create("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dir.file("new.mdb"));
    auto database = Engine::OpenDatabase(dir.file("new.mdb"));
    EXPECT_TRUE(database->tableNames().empty());
    EXPECT_EQ(database->Name(), dir.file("new.mdb"));

    // Names beyond ASCII, and a data source holding ";", reach the file system whole.
    Catalog::Create("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dir.file("caf\xC3\xA9 \xE6\x97\xA5.mdb"));
    EXPECT_NE(GetFileAttributesW((qs::rt::widen(dir.path()) + L"\\caf\u00E9 \u65E5.mdb").c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_NO_THROW(Engine::OpenDatabase(dir.file("caf\xC3\xA9 \xE6\x97\xA5.mdb")));
    Catalog::Create("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dir.file("a;b.mdb"));
    EXPECT_NO_THROW(Engine::OpenDatabase(dir.file("a;b.mdb")));
    EXPECT_EQ(errorOf([&] { Engine::OpenDatabase(dir.file("a")); }), errFileNotFound);
}

TEST(DatabaseFiles, TableExistsOnlyOnceAppended) {
    TempDir dir;
    auto database = Engine::CreateDatabase(dir.file("t.mdb"), ";LANGID=0x0409;CP=1252;COUNTRY=0");
    auto def = database->CreateTableDef("Temp");
    def->appendField(def->CreateField("checksum1", dbLong));
    def->appendField(def->CreateField("checksum2", dbLong));
    EXPECT_EQ(errorOf([&] { database->OpenRecordset("Temp"); }), errTableNotFound);
    EXPECT_TRUE(database->tableNames().empty());
    database->appendTableDef(def);
    EXPECT_EQ(database->tableNames(), std::vector<std::string>{"Temp"});

    auto again = database->CreateTableDef("TEMP");
    again->appendField(again->CreateField("x", dbText));
    EXPECT_EQ(errorOf([&] { database->appendTableDef(again); }), errTableExists);

    EXPECT_EQ(errorOf([&] { def->CreateField("bad", 7); }), errInvalidFieldType);
    EXPECT_EQ(errorOf([&] { def->appendField(def->CreateField("CHECKSUM1", dbLong)); }), errFieldDefinedTwice);
    EXPECT_EQ(errorOf([&] { database->appendTableDef(database->CreateTableDef("Empty")); }), errNoFields);
    auto odd = database->CreateTableDef("Bad.Name");
    odd->appendField(odd->CreateField("x", dbText));
    EXPECT_EQ(errorOf([&] { database->appendTableDef(odd); }), errInvalidName);

    // Names with blanks, as in a phone book "Town Staff".
    auto staff = database->CreateTableDef("Town Staff");
    staff->appendField(staff->CreateField("Field1", dbText));
    database->appendTableDef(staff);
    auto rs = database->OpenRecordset("Town Staff", dbOpenDynaset);
    EXPECT_EQ(rs->fieldName(0), "Field1");
    EXPECT_EQ(database->OpenRecordset("SELECT * FROM [Town Staff]")->fieldCount(), 1);

    auto temp = database->OpenRecordset("Temp");
    temp->AddNew();
    temp->set("checksum1", int32_t{-7});
    temp->set("checksum2", std::string("12"));
    temp->Update();
    temp->MoveFirst();
    EXPECT_EQ(temp->get("checksum1"), Value(int32_t{-7}));
    EXPECT_EQ(temp->get("checksum2"), Value(int32_t{12}));
    EXPECT_EQ(temp->fieldType(0), dbLong);
}

TEST(DatabaseFiles, CompactCopiesIntoANewFileOnly) {
    TempDir dir;
    {
        auto database = createJobsDatabase(dir.file("src.mdb"));
        auto rs = database->OpenRecordset("Jobs");
        for (int i = 0; i < 50; ++i) addJob(*rs, "JOB" + std::to_string(i) + ".DOC", 45000 + i);
        rs->MoveFirst();
        for (int i = 0; i < 25; ++i) {
            rs->Delete();
            rs->MoveNext();
        }
    }
    writeFile(dir.file("taken.mdb"), "x");
    EXPECT_EQ(errorOf([&] { Engine::CompactDatabase(dir.file("src.mdb"), dir.file("taken.mdb")); }), errDatabaseExists);
    EXPECT_EQ(readFile(dir.file("taken.mdb")), "x");
    EXPECT_EQ(errorOf([&] { Engine::CompactDatabase(dir.file("nothing.mdb"), dir.file("c.mdb")); }), errFileNotFound);

    Engine::CompactDatabase(dir.file("src.mdb"), dir.file("compact.mdb"));
    auto copy = Engine::OpenDatabase(dir.file("compact.mdb"));
    auto rs = copy->OpenRecordset("Jobs");
    EXPECT_EQ(rs->RecordCount(), 25);
    EXPECT_EQ(rs->get("JobName"), Value(std::string("JOB25.DOC")));
}

TEST(DatabaseFiles, ConnectionsTakeTurnsWithoutLockingEachOtherOut) {
    TempDir dir;
    createJobsDatabase(dir.file("shared.mdb"));
    // Three long-lived connections as the main window holds them, each with a recordset open.
    std::vector<std::shared_ptr<Database>> held;
    std::vector<std::shared_ptr<Recordset>> lists;
    for (int i = 0; i < 3; ++i) {
        held.push_back(Engine::OpenDatabase(dir.file("shared.mdb")));
        lists.push_back(held.back()->OpenRecordset("SELECT Jobs.JobName FROM Jobs ORDER BY Jobs.JobName;"));
    }
    for (int round = 0; round < 3; ++round) {
        auto other = Engine::OpenDatabase(dir.file("shared.mdb"));
        auto rs = other->OpenRecordset("Jobs", dbOpenDynaset);
        addJob(*rs, "OTHER" + std::to_string(round), 45000);
        other->Close();
        auto mine = held[round]->OpenRecordset("Jobs");
        addJob(*mine, "HELD" + std::to_string(round), 45000);
        mine->FindFirst("JobName = \"other" + std::to_string(round) + "\"");
        ASSERT_FALSE(mine->NoMatch());
        mine->Edit();
        mine->set("JobPermanent", true);
        mine->Update();
    }
    for (auto& list : lists) {
        EXPECT_EQ(list->RecordCount(), 0);  // fixed when opened
        list->Requery();
        EXPECT_EQ(list->RecordCount(), 6);
        EXPECT_EQ(list->get("JobName"), Value(std::string("HELD0")));
    }
    auto check =
        Engine::OpenDatabase(dir.file("shared.mdb"))->OpenRecordset("SELECT * FROM Jobs WHERE JobPermanent = True");
    EXPECT_EQ(check->RecordCount(), 3);
}

TEST(DatabaseFiles, ClosedObjectsReportSo) {
    TempDir dir;
    auto database = createJobsDatabase(dir.file("c.mdb"));
    auto rs = database->OpenRecordset("Jobs");
    auto second = database->OpenRecordset("Jobs");
    second->Close();
    EXPECT_EQ(errorOf([&] { second->MoveFirst(); }), errObjectClosed);
    database->Close();
    EXPECT_FALSE(database->isOpen());
    EXPECT_EQ(errorOf([&] { rs->AddNew(); }), errObjectClosed);
    EXPECT_EQ(errorOf([&] { rs->at(0, 0); }), errObjectClosed);
    EXPECT_EQ(errorOf([&] { database->OpenRecordset("Jobs"); }), errObjectClosed);
    // Once closed, the file can go.
    EXPECT_TRUE(DeleteFileW(qs::rt::widen(dir.file("c.mdb")).c_str()));
}
