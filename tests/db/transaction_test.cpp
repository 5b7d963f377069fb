// Transactions: what the database's recordsets and other connections see, savepoints, failures.
#include <gtest/gtest.h>

#include "tests/db/dbtest.h"

using namespace qs::db;
using namespace qs::db::test;

namespace {

using Names = std::vector<std::string>;

class TransactionTest : public ::testing::Test {
protected:
    void SetUp() override { database = createJobsDatabase(dir.file("jobs.mdb")); }
    std::shared_ptr<Recordset> jobs() { return database->OpenRecordset("Jobs"); }
    Names namesInFile() {  // as another connection finds them
        auto rs = Engine::OpenDatabase(dir.file("jobs.mdb"))->OpenRecordset("Jobs");
        Names names;
        for (long i = 0; i < rs->RecordCount(); ++i) names.push_back(textOf(rs->at(i, 0)));
        return names;
    }
    TempDir dir;
    std::shared_ptr<Database> database;
};

TEST_F(TransactionTest, CommitShowsTheRowsToOtherConnectionsOnlyThen) {
    EXPECT_EQ(errorOf([&] { database->CommitTrans(); }), errNotInTransaction);
    EXPECT_EQ(errorOf([&] { database->Rollback(); }), errNotInTransaction);
    auto rs = jobs();
    database->BeginTrans();
    addJob(*rs, "A.TXT", 1);
    addJob(*rs, "B.TXT", 2);
    rs->FindFirst("JobName = \"B.TXT\"");
    EXPECT_EQ(rs->AbsolutePosition(), 1);
    EXPECT_TRUE(namesInFile().empty());
    database->CommitTrans();
    EXPECT_FALSE(database->inTransaction());
    EXPECT_EQ(namesInFile(), (Names{"A.TXT", "B.TXT"}));
}

TEST_F(TransactionTest, RolledBackRowsAndChangesLeaveEveryRecordset) {
    auto rs = jobs(), other = jobs();
    addJob(*rs, "A.TXT", 1);
    EXPECT_EQ(rs->at(0, 0), Value(std::string("A.TXT")));  // now in the recordset's pages
    database->BeginTrans();
    rs->MoveFirst();
    rs->Edit();
    rs->set("JobName", std::string("CHANGED"));
    rs->Update();
    addJob(*rs, "NEW.TXT", 2);
    other->Requery();
    EXPECT_EQ(other->RecordCount(), 2);
    database->Rollback();

    EXPECT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->at(0, 0), Value(std::string("A.TXT")));
    EXPECT_EQ(other->RecordCount(), 1);
    // The next new row gets the rolled-back row's key again; it must not turn up in that row's place.
    addJob(*other, "LATER.TXT", 3);
    EXPECT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(other->at(1, 0), Value(std::string("LATER.TXT")));
    EXPECT_EQ(namesInFile(), (Names{"A.TXT", "LATER.TXT"}));
}

TEST_F(TransactionTest, SavepointRollbackKeepsWhatCameBefore) {
    auto rs = jobs();
    Transaction whole(*database);
    addJob(*rs, "FIRST.TXT", 1);
    {
        Savepoint row(*database);
        addJob(*rs, "DROPPED.TXT", 2);
        auto temp = database->CreateTableDef("Temp");
        temp->appendField(temp->CreateField("Note", dbText));
        database->appendTableDef(temp);  // a savepoint of its own inside this one
    }
    addJob(*rs, "LAST.TXT", 3);
    whole.commit();
    EXPECT_EQ(namesInFile(), (Names{"FIRST.TXT", "LAST.TXT"}));
    EXPECT_EQ(database->tableNames(), Names{"Jobs"});
}

TEST_F(TransactionTest, FailureInTheMiddleRollsTheScopeBack) {
    auto rs = jobs();
    EXPECT_EQ(errorOf([&] {
                  Transaction whole(*database);
                  addJob(*rs, "INSIDE.TXT", 1);
                  addJob(*rs, std::string(300, 'X'), 2);  // 3163
                  whole.commit();
              }),
              errFieldTooSmall);
    EXPECT_FALSE(database->inTransaction());
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_TRUE(namesInFile().empty());
}

}  // namespace
