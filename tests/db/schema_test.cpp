// The schema procedures that make the program's database files.
#include <gtest/gtest.h>

#include "app/data/schema.h"
#include "platform/runtime/text.h"
#include "tests/db/dbtest.h"
#include "tests/support/process.h"

using namespace qs;
using namespace qs::db;
using namespace qs::db::test;

namespace {

using Shape = std::vector<std::pair<std::string, int>>;

Shape shapeOf(Database& database, const std::string& table) {
    auto rs = database.OpenRecordset(table, dbOpenDynaset);
    Shape shape;
    for (int i = 0; i < rs->fieldCount(); ++i) shape.emplace_back(rs->fieldName(i), rs->fieldType(i));
    return shape;
}

}  // namespace

TEST(Schema, NewDatabaseGetsTheFourTablesInOrder) {
    TempDir dir;
    const std::string path = dir.file("new.mdb");
    ASSERT_TRUE(app::createEmptyDatabase(path));
    app::CreateTableDefX(path);

    auto database = Engine::OpenDatabase(path);
    EXPECT_EQ(database->tableNames(), (std::vector<std::string>{"Jobs", "Favorites", "Phone", "Shortcuts"}));
    EXPECT_EQ(shapeOf(*database, "Jobs"), (Shape{{"JobName", dbText},
                                                 {"JobDate", dbDate},
                                                 {"JobLocation", dbText},
                                                 {"JobFullName", dbText},
                                                 {"JobPermanent", dbBoolean}}));
    EXPECT_EQ(shapeOf(*database, "Favorites"),
              (Shape{{"FavName", dbText}, {"FavURL", dbText}, {"FavKeywords", dbText}}));
    EXPECT_EQ(shapeOf(*database, "Phone"), (Shape{{"PName", dbText}, {"PInfo", dbText}}));
    EXPECT_EQ(shapeOf(*database, "Shortcuts"), (Shape{{"scName", dbText}, {"scDate", dbDate}, {"scFound", dbBoolean}}));

    // The program's own spellings reach the fields.
    auto favorites = database->OpenRecordset("Favorites");
    favorites->AddNew();
    favorites->set("FAVKeywords", std::string(" "));
    favorites->Update();
    favorites->MoveFirst();
    EXPECT_EQ(favorites->get("favkeywords"), Value(std::string(" ")));
}

TEST(Schema, TablesAreNotMadeTwice) {
    TempDir dir;
    const std::string path = dir.file("has-jobs.mdb");
    createJobsDatabase(path)->Close();
    EXPECT_EQ(errorOf([&] { app::CreateTableDefX(path); }), errTableExists);
    EXPECT_EQ(Engine::OpenDatabase(path)->tableNames(), std::vector<std::string>{"Jobs"});
    EXPECT_EQ(errorOf([&] { app::CreateTableDefX(dir.file("missing.mdb")); }), errFileNotFound);
}

TEST(Schema, EmptyDatabaseNeverReplacesAFile) {
    TempDir dir;
    const std::string path = dir.file("there.mdb");
    writeFile(path, "someone's file");
    EXPECT_FALSE(app::createEmptyDatabase(path));
    EXPECT_EQ(readFile(path), "someone's file");
    EXPECT_FALSE(app::createEmptyDatabase(dir.file("no folder\\x.mdb")));
}

TEST(Schema, CreateDatabaseXReplacesAFileThatIsNotInUse) {
    TempDir dir;
    const std::string path = dir.file("old.mdb");
    createJobsDatabase(path)->Close();
    app::CreateDatabaseX(path);
    EXPECT_TRUE(Engine::OpenDatabase(path)->tableNames().empty());

    writeFile(dir.file("junk.mdb"), "junk");
    app::CreateDatabaseX(dir.file("junk.mdb"));
    app::CreateTableDefX(dir.file("junk.mdb"));
    EXPECT_EQ(Engine::OpenDatabase(dir.file("junk.mdb"))->tableNames().size(), 4u);

    app::CreateDatabaseX(dir.file("fresh.mdb"));
    EXPECT_NO_THROW(Engine::OpenDatabase(dir.file("fresh.mdb")));

    // A database that is open elsewhere cannot be deleted, and stays whole.
    auto inUse = createJobsDatabase(dir.file("busy.mdb"));
    EXPECT_THROW(app::CreateDatabaseX(dir.file("busy.mdb")), rt::Error);
    EXPECT_EQ(Engine::OpenDatabase(dir.file("busy.mdb"))->tableNames(), std::vector<std::string>{"Jobs"});
}

TEST(Schema, MakedbToolMakesTheDefaultDatabase) {
    TempDir dir;
    const std::string path = dir.file("quill stack.mdb");
    const std::wstring command = L"\"" + besideThisProgram(L"makedb.exe") + L"\" \"" + rt::widen(path) + L"\"";
    const ProgramRun run = runProgram(command, 20000);
    ASSERT_TRUE(run.started);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(Engine::OpenDatabase(path)->tableNames().size(), 4u);
}
