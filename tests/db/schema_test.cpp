// The schema procedures that make the program's database files.
#include <gtest/gtest.h>

#include "app/data/schema.h"
#include "tests/db/dbtest.h"

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
    EXPECT_EQ(shapeOf(*database, "Jobs"), (Shape{{"JobName", dbText}, {"JobDate", dbDate}, {"JobLocation", dbText},
                                                 {"JobFullName", dbText}, {"JobPermanent", dbBoolean}}));
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
    makeJobsDatabase(path)->Close();
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
    makeJobsDatabase(path)->Close();
    app::CreateDatabaseX(path);
    EXPECT_TRUE(Engine::OpenDatabase(path)->tableNames().empty());

    writeFile(dir.file("junk.mdb"), "junk");
    app::CreateDatabaseX(dir.file("junk.mdb"));
    app::CreateTableDefX(dir.file("junk.mdb"));
    EXPECT_EQ(Engine::OpenDatabase(dir.file("junk.mdb"))->tableNames().size(), 4u);

    app::CreateDatabaseX(dir.file("fresh.mdb"));
    EXPECT_NO_THROW(Engine::OpenDatabase(dir.file("fresh.mdb")));

    // A database that is open elsewhere cannot be deleted, and stays whole.
    auto inUse = makeJobsDatabase(dir.file("busy.mdb"));
    EXPECT_THROW(app::CreateDatabaseX(dir.file("busy.mdb")), rt::Error);
    EXPECT_EQ(Engine::OpenDatabase(dir.file("busy.mdb"))->tableNames(), std::vector<std::string>{"Jobs"});
}

TEST(Schema, MakedbToolMakesTheDefaultDatabase) {
    TempDir dir;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring tool = self;
    tool = tool.substr(0, tool.rfind(L'\\') + 1) + L"makedb.exe";
    const std::string path = dir.file("quill stack.mdb");
    std::wstring command = L"\"" + tool + L"\" \"" + rt::widen(path) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(tool.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(Engine::OpenDatabase(path)->tableNames().size(), 4u);
}
