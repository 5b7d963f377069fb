// Transactions: what the database's own recordsets and other connections see, savepoints, failures.
#include <gtest/gtest.h>

#include "tests/db/dbtest.h"

using namespace qs::db;
using namespace qs::db::test;

namespace {

class TransactionTest : public ::testing::Test {
protected:
    void SetUp() override { database = makeJobsDatabase(dir.file("jobs.mdb")); }
    std::shared_ptr<Recordset> jobs() { return database->OpenRecordset("Jobs", dbOpenDynaset); }
    // What another connection finds in the file, in rowid order.
    std::vector<std::string> namesInFile() {
        auto rs = Engine::OpenDatabase(dir.file("jobs.mdb"))->OpenRecordset("Jobs");
        std::vector<std::string> names;
        for (long i = 0; i < rs->RecordCount(); ++i) names.push_back(textOf(rs->at(i, 0)));
        return names;
    }
    TempDir dir;
    std::shared_ptr<Database> database;
};

using Names = std::vector<std::string>;

TEST_F(TransactionTest, CommitShowsTheRowsToOtherConnectionsOnlyThen) {
    auto rs = jobs();
    addJob(*rs, "A.TXT", 1);
    database->BeginTrans();
    EXPECT_TRUE(database->inTransaction());
    addJob(*rs, "B.TXT", 2);
    addJob(*rs, "C.TXT", 3);

    rs->FindFirst("JobName = \"C.TXT\"");
    EXPECT_FALSE(rs->NoMatch());
    EXPECT_EQ(rs->AbsolutePosition(), 2);
    EXPECT_EQ(rs->at(1, 0), Value(std::string("B.TXT")));
    EXPECT_EQ(namesInFile(), Names{"A.TXT"});

    database->CommitTrans();
    EXPECT_FALSE(database->inTransaction());
    EXPECT_EQ(namesInFile(), (Names{"A.TXT", "B.TXT", "C.TXT"}));
}

TEST_F(TransactionTest, RolledBackRowsAndChangesLeaveEveryRecordset) {
    auto rs = jobs();
    addJob(*rs, "A.TXT", 1);
    addJob(*rs, "B.TXT", 2);
    auto other = jobs();
    rs->MoveFirst();
    EXPECT_EQ(rs->at(0, 0), Value(std::string("A.TXT")));  // now in the recordset's pages

    database->BeginTrans();
    rs->Edit();
    rs->set("JobName", std::string("CHANGED"));
    rs->Update();
    addJob(*rs, "NEW.TXT", 3);
    other->Requery();
    EXPECT_EQ(other->RecordCount(), 3);
    EXPECT_EQ(rs->at(0, 0), Value(std::string("CHANGED")));
    database->Rollback();

    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(other->RecordCount(), 2);
    EXPECT_EQ(rs->at(0, 0), Value(std::string("A.TXT")));
    rs->FindFirst("JobName = \"NEW.TXT\"");
    EXPECT_TRUE(rs->NoMatch());

    // The next new row gets the rolled-back row's key again; it must not turn up in its place.
    addJob(*other, "LATER.TXT", 4);
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(other->RecordCount(), 3);
    EXPECT_EQ(other->at(2, 0), Value(std::string("LATER.TXT")));
    EXPECT_EQ(namesInFile(), (Names{"A.TXT", "B.TXT", "LATER.TXT"}));
}

TEST_F(TransactionTest, SavepointRollbackKeepsWhatCameBefore) {
    auto rs = jobs();
    {
        Transaction whole(*database);
        addJob(*rs, "FIRST.TXT", 1);
        {
            Savepoint row(*database);
            addJob(*rs, "DROPPED.TXT", 2);
        }
        {
            Savepoint row(*database);
            addJob(*rs, "KEPT.TXT", 3);
            row.release();
        }
        database->BeginTrans();  // nested: a savepoint as well
        addJob(*rs, "NESTED.TXT", 4);
        auto temp = database->CreateTableDef("Temp");
        temp->appendField(temp->CreateField("Note", dbText));
        database->appendTableDef(temp);
        database->Rollback();
        EXPECT_TRUE(database->inTransaction());
        EXPECT_EQ(rs->RecordCount(), 2);
        whole.commit();
    }
    EXPECT_FALSE(database->inTransaction());
    EXPECT_EQ(namesInFile(), (Names{"FIRST.TXT", "KEPT.TXT"}));
    EXPECT_EQ(database->tableNames(), Names{"Jobs"});
}

TEST_F(TransactionTest, FailuresInTheMiddleAndCommitsWithoutBegin) {
    EXPECT_EQ(errorOf([&] { database->CommitTrans(); }), errNotInTransaction);
    EXPECT_EQ(errorOf([&] { database->Rollback(); }), errNotInTransaction);

    auto rs = jobs();
    addJob(*rs, "BEFORE.TXT", 1);
    EXPECT_EQ(errorOf([&] {
                  Transaction whole(*database);
                  addJob(*rs, "INSIDE.TXT", 2);
                  addJob(*rs, std::string(300, 'X'), 3);  // too long: 3163, and the scope rolls back
                  whole.commit();
              }),
              errFieldTooSmall);
    EXPECT_FALSE(database->inTransaction());
    EXPECT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(namesInFile(), Names{"BEFORE.TXT"});

    Transaction ended(*database);
    database->CommitTrans();
    EXPECT_EQ(errorOf([&] { ended.commit(); }), errNotInTransaction);

    // Closing the database rolls its transaction back.
    database->BeginTrans();
    addJob(*rs, "UNSAVED.TXT", 4);
    database->Close();
    EXPECT_FALSE(database->inTransaction());
    EXPECT_EQ(namesInFile(), Names{"BEFORE.TXT"});
}

}  // namespace
