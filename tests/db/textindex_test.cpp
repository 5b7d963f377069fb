// The engine's own indexes on Text fields: the program never sees them, results are those of a scan,
// and files made without them open, work and get them.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "platform/db/internal.h"
#include "tests/db/dbtest.h"

using namespace qs::db;
using namespace qs::db::test;

namespace {

std::vector<std::string> indexNames(const std::string& path) {
    sqlite3* h = nullptr;
    sqlite3_open_v2(path.c_str(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, "SELECT name FROM sqlite_schema WHERE type = 'index' ORDER BY name", -1, &st, nullptr);
    std::vector<std::string> names;
    while (sqlite3_step(st) == SQLITE_ROW)
        names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(h);
    return names;
}

std::vector<std::string> names(Recordset& rs) {
    std::vector<std::string> out;
    for (long i = 0; i < rs.RecordCount(); ++i) out.push_back(textOf(rs.at(i, 0)));
    return out;
}

}  // namespace

TEST(TextIndexes, InvisibleAndGivingTheResultsOfAScan) {
    TempDir dir;
    const std::string path = dir.file("jobs.mdb");
    {
        auto database = createJobsDatabase(path);
        EXPECT_EQ(database->tableNames(), std::vector<std::string>{"Jobs"});
        auto jobs = database->OpenRecordset("Jobs");
        for (const char* n :
             {"b.doc", "A.DOC", "c.doc", "a.doc", "B.DOC", "\xC3\xA9T\xC3\xA9.DOC", "\xC3\x89t\xC3\xA9.doc"})
            addJob(*jobs, n, 45000);
        database->Close();
    }
    EXPECT_EQ(indexNames(path), (std::vector<std::string>{"Jobs!JobFullName", "Jobs!JobLocation", "Jobs!JobName"}));

    auto database = Engine::OpenDatabase(path);
    // Equal names keep the order they were added in, both ways round.
    auto up = database->OpenRecordset("SELECT JobName FROM Jobs ORDER BY JobName;");
    EXPECT_EQ(names(*up), (std::vector<std::string>{"A.DOC", "a.doc", "b.doc", "B.DOC", "c.doc",
                                                    "\xC3\xA9T\xC3\xA9.DOC", "\xC3\x89t\xC3\xA9.doc"}));
    auto down = database->OpenRecordset("SELECT JobName FROM Jobs WHERE JobName Like \"*.doc\" ORDER BY JobName DESC;");
    EXPECT_EQ(names(*down), (std::vector<std::string>{"\xC3\xA9T\xC3\xA9.DOC", "\xC3\x89t\xC3\xA9.doc", "c.doc",
                                                      "b.doc", "B.DOC", "A.DOC", "a.doc"}));

    // FindFirst on equality takes the first match in recordset order, letter case ignored.
    auto sorted = database->OpenRecordset("SELECT * FROM Jobs ORDER BY JobDate, JobName DESC;");
    sorted->FindFirst("JobFullName = \"c:\\docs\\a.DOC\"");
    ASSERT_FALSE(sorted->NoMatch());
    EXPECT_EQ(textOf(sorted->get("JobName")), "A.DOC");
    sorted->FindFirst("JobFullName = \"C:\\DOCS\\\xC3\x89T\xC3\x89.DOC\"");
    EXPECT_EQ(textOf(sorted->get("JobName")), "\xC3\xA9T\xC3\xA9.DOC");
    sorted->FindFirst("JobFullName = \"C:\\DOCS\\A.DOC \"");
    EXPECT_TRUE(sorted->NoMatch());
    EXPECT_EQ(textOf(sorted->get("JobName")), "\xC3\xA9T\xC3\xA9.DOC");

    // Writes and deletes keep the indexes whole.
    database->Execute("DELETE FROM Jobs WHERE JobName = \"B.doc\"");
    sorted->Requery();
    sorted->FindFirst("JobName = \"b.doc\"");
    EXPECT_TRUE(sorted->NoMatch());
    database->Close();
}

TEST(TextIndexes, AFileMadeWithoutThemWorksAndGetsThem) {
    TempDir dir;
    const std::string path = dir.file("old.mdb");
    {
        sqlite3* h = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &h), SQLITE_OK);
        detail::registerFunctions(h);
        sqlite3_exec(h,
                     "PRAGMA application_id = 1364411458; PRAGMA user_version = 1;"
                     "CREATE TABLE \"Phone\" (\"PName\" TEXT COLLATE QSCI, \"PInfo\" TEXT COLLATE QSCI);"
                     "INSERT INTO Phone VALUES ('zed', '1'), ('Amy', '2'), ('bob', NULL);",
                     nullptr, nullptr, nullptr);
        sqlite3_close(h);
    }
    EXPECT_TRUE(indexNames(path).empty());

    auto database = Engine::OpenDatabase(path);
    EXPECT_EQ(indexNames(path), (std::vector<std::string>{"Phone!PInfo", "Phone!PName"}));
    auto again = Engine::OpenDatabase(path);  // a second connection finds nothing to add
    again->Close();
    auto rs = database->OpenRecordset("Phone");
    rs->FindFirst("PName = \"BOB\"");
    ASSERT_FALSE(rs->NoMatch());
    EXPECT_EQ(rs->AbsolutePosition(), 2);
    auto sorted = database->OpenRecordset("SELECT PName FROM Phone ORDER BY PName DESC;");
    EXPECT_EQ(names(*sorted), (std::vector<std::string>{"zed", "bob", "Amy"}));
    database->Close();
}
