// The dynaset: moving, reading, editing, adding and deleting rows.
#include <gtest/gtest.h>

#include "tests/db/dbtest.h"

using namespace qs::db;
using namespace qs::db::test;

namespace {

class RecordsetTest : public ::testing::Test {
protected:
    void SetUp() override { database = createJobsDatabase(dir.file("jobs.mdb")); }
    std::shared_ptr<Recordset> jobs() { return database->OpenRecordset("Jobs", dbOpenDynaset); }
    long countInFile(const std::string& where = "") {
        return Engine::OpenDatabase(dir.file("jobs.mdb"))->OpenRecordset("SELECT * FROM Jobs" + where)->RecordCount();
    }
    TempDir dir;
    std::shared_ptr<Database> database;
};

Value text(const char* s) { return std::string(s); }

}  // namespace

TEST_F(RecordsetTest, MovesThroughRowsAndReportsTheEnds) {
    auto rs = jobs();
    EXPECT_TRUE(rs->EOF_());
    EXPECT_TRUE(rs->BOF());
    EXPECT_EQ(rs->AbsolutePosition(), -1);
    EXPECT_EQ(errorOf([&] { rs->MoveFirst(); }), errNoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs->get("JobName"); }), errNoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs->Edit(); }), errNoCurrentRecord);

    for (const char* name : {"A", "B", "C"}) addJob(*rs, name, 45000);
    EXPECT_TRUE(rs->EOF_());  // an addition leaves the position where it was
    rs->MoveFirst();
    std::string seen;
    while (!rs->EOF_()) {
        seen += textOf(rs->get("jobname"));
        rs->MoveNext();
    }
    EXPECT_EQ(seen, "ABC");
    EXPECT_EQ(errorOf([&] { rs->MoveNext(); }), errNoCurrentRecord);
    rs->MoveLast();
    EXPECT_EQ(rs->AbsolutePosition(), 2);
    rs->MovePrevious();
    rs->MovePrevious();
    rs->MovePrevious();
    EXPECT_TRUE(rs->BOF());
    EXPECT_EQ(errorOf([&] { rs->MovePrevious(); }), errNoCurrentRecord);

    rs->AbsolutePosition(1);
    EXPECT_EQ(rs->get(0), text("B"));
    EXPECT_EQ(errorOf([&] { rs->AbsolutePosition(3); }), errInvalidArgument);
    EXPECT_EQ(rs->RecordCount(), 3);
    EXPECT_EQ(errorOf([&] { rs->get("NoSuchField"); }), errItemNotFound);
    EXPECT_EQ(rs->fieldIndex("JOBFULLNAME"), 3);
    EXPECT_EQ(rs->fieldIndex("Nope"), -1);
}

TEST_F(RecordsetTest, NullDiffersFromEmptyText) {
    auto rs = jobs();
    rs->AddNew();
    rs->set("JobName", text("ONLYNAME"));
    rs->Update();
    rs->AddNew();
    rs->set("JobName", text("EMPTY"));
    rs->set("JobLocation", text(""));
    rs->set("JobDate", text(""));  // an empty cell of a date column is no date
    rs->Update();

    rs->MoveFirst();
    EXPECT_TRUE(isNull(rs->get("JobLocation")));
    EXPECT_TRUE(isNull(rs->get("JobDate")));
    EXPECT_TRUE(isNull(rs->get("JobPermanent")));
    EXPECT_EQ(textOf(rs->get("JobLocation")), "");
    rs->MoveNext();
    EXPECT_EQ(rs->get("JobLocation"), text(""));
    EXPECT_TRUE(isNull(rs->get("JobDate")));

    rs->FindFirst("JobLocation = \"\"");
    EXPECT_EQ(rs->get("JobName"), text("EMPTY"));
    rs->FindFirst("JobLocation Is Null");
    EXPECT_EQ(rs->get("JobName"), text("ONLYNAME"));
    EXPECT_EQ(countInFile(" WHERE JobLocation Like \"*\""), 1);  // Null matches no pattern
}

TEST_F(RecordsetTest, TextOverTheFieldSizeIsRefusedAndNothingStored) {
    auto rs = jobs();
    rs->AddNew();
    rs->set("JobName", std::string(256, 'X'));
    EXPECT_EQ(errorOf([&] { rs->Update(); }), errFieldTooSmall);
    EXPECT_EQ(rs->EditMode(), 2);  // still adding; the caller may shorten the text
    rs->CancelUpdate();
    EXPECT_EQ(countInFile(), 0);
    EXPECT_EQ(rs->RecordCount(), 0);

    std::string accents;
    for (int i = 0; i < 255; ++i) accents += "\xC3\x89";  // 255 characters, 510 bytes
    rs->AddNew();
    rs->set("JobName", accents);
    rs->Update();
    rs->MoveFirst();
    EXPECT_EQ(rs->get("JobName"), Value(accents));

    rs->Edit();
    rs->set("JobName", accents + "E");
    EXPECT_EQ(errorOf([&] { rs->Update(); }), errFieldTooSmall);
    rs->CancelUpdate();
    auto fresh = Engine::OpenDatabase(dir.file("jobs.mdb"))->OpenRecordset("Jobs");
    EXPECT_EQ(fresh->get("JobName"), Value(accents));
}

TEST_F(RecordsetTest, DynasetSeesItsOwnAdditionsAtItsEnd) {
    auto rs = jobs();
    addJob(*rs, "M", 45000);
    auto list = database->OpenRecordset(
        "SELECT Jobs.JobName FROM Jobs WHERE ((Jobs.JobName Like \"*m*\")) ORDER BY Jobs.JobName DESC;");
    list->AddNew();
    list->set("JobName", text("ZZZ"));  // matches neither the filter nor the place in the order
    list->Update();
    addJob(*rs, "MM", 45000);  // another recordset's addition is not in this keyset
    EXPECT_EQ(list->RecordCount(), 2);
    list->MoveLast();
    EXPECT_EQ(list->get("JobName"), text("ZZZ"));
    list->FindFirst("JobName = \"zzz\"");
    EXPECT_FALSE(list->NoMatch());
    list->FindFirst("JobName = \"MM\"");
    EXPECT_TRUE(list->NoMatch());
    EXPECT_EQ(list->get("JobName"), text("ZZZ"));  // a failed find keeps the current row

    list->MoveFirst();
    list->Bookmark(list->LastModified());
    EXPECT_EQ(list->AbsolutePosition(), 1);
    list->Requery();
    EXPECT_EQ(list->RecordCount(), 2);
    EXPECT_EQ(list->get("JobName"), text("MM"));
    EXPECT_EQ(list->at(1, 0), text("M"));
}

// Rows added one after another keep their insert prepared; a row that sets other fields gets its own.
TEST_F(RecordsetTest, RowsAddedInTurnWithDifferentFieldsKeepTheirOwnValues) {
    auto rs = jobs();
    auto add = [&](const char* name, std::optional<double> date) {
        rs->AddNew();
        rs->set("JobName", text(name));
        if (date) rs->set("JobDate", Date{*date});
        rs->Update();
    };
    add("a", 45000);
    add("b", std::nullopt);
    add("c", 45001);
    add("d", 45002);
    rs->AddNew();
    rs->set("JobName", text(std::string(300, 'x').c_str()));
    EXPECT_THROW(rs->Update(), DbError);
    rs->CancelUpdate();
    add("e", std::nullopt);

    auto back = database->OpenRecordset("SELECT JobName, JobDate FROM Jobs ORDER BY JobName");
    const char* names[] = {"a", "b", "c", "d", "e"};
    const Value dates[] = {Date{45000}, Value{}, Date{45001}, Date{45002}, Value{}};
    ASSERT_EQ(back->RecordCount(), 5);
    for (int i = 0; i < 5; ++i, back->MoveNext()) {
        EXPECT_EQ(back->get("JobName"), text(names[i]));
        EXPECT_EQ(back->get("JobDate"), dates[i]) << names[i];
    }
    database->Close();
    EXPECT_THROW(add("f", 45003), DbError);
}

TEST_F(RecordsetTest, EditChangesOnlyTheCurrentRowAndMarksItLastModified) {
    auto rs = jobs();
    for (const char* name : {"A", "B", "C"}) addJob(*rs, name, 45000);
    rs->FindFirst("JobName = \"b\"");
    RowKey b = rs->Bookmark();
    rs->Edit();
    rs->set("JobDate", Date{45100.5});
    EXPECT_EQ(rs->get("JobDate"), Value(Date{45100.5}));  // the pending value reads back
    rs->Update();
    rs->MoveFirst();
    EXPECT_EQ(rs->LastModified(), b);
    rs->Bookmark(rs->LastModified());
    EXPECT_EQ(rs->get("JobName"), text("B"));
    EXPECT_EQ(countInFile(" WHERE JobDate = #06/23/2023 12:00#"), 1);

    rs->Edit();
    rs->set("JobName", text("CHANGED"));
    rs->MoveNext();  // moving drops a pending edit
    EXPECT_EQ(countInFile(" WHERE JobName = \"CHANGED\""), 0);
    EXPECT_EQ(errorOf([&] { rs->Update(); }), errNoEditInProgress);
    EXPECT_EQ(errorOf([&] { rs->set("JobName", text("x")); }), errNoEditInProgress);
}

TEST_F(RecordsetTest, DeleteLeavesThePositionOnTheGap) {
    auto rs = jobs();
    for (int i = 0; i < 6; ++i) addJob(*rs, "J" + std::to_string(i), 45000, i % 2 == 0);
    // The purge at exit: delete, move next, until the end.
    auto purge = database->OpenRecordset(
        "SELECT Jobs.* FROM Jobs WHERE (Jobs.JobPermanent = False) AND (Jobs.JobDate < #03/07/2024#)");
    ASSERT_EQ(purge->RecordCount(), 3);
    purge->MoveFirst();
    while (!purge->EOF_()) {
        purge->Delete();
        EXPECT_EQ(errorOf([&] { purge->get("JobName"); }), errNoCurrentRecord);
        purge->MoveNext();
    }
    EXPECT_EQ(countInFile(), 3);
    EXPECT_EQ(countInFile(" WHERE JobPermanent = True"), 3);

    // The table editor: delete the last row, move next, then back to the new last row.
    rs->Requery();
    rs->MoveLast();
    rs->Delete();
    rs->MoveNext();
    EXPECT_TRUE(rs->EOF_());
    rs->MoveLast();
    EXPECT_EQ(rs->get("JobName"), text("J2"));
    EXPECT_EQ(errorOf([&] { rs->Bookmark(RowKey{9999}); }), errRecordDeleted);
}

TEST_F(RecordsetTest, ValuesConvertToTheFieldType) {
    auto rs = jobs();
    rs->AddNew();
    rs->set("JobName", int32_t{42});
    rs->set("JobDate", text("03/07/2024 09:05:03"));
    rs->set("JobPermanent", text("true"));
    rs->Update();
    rs->MoveFirst();
    EXPECT_EQ(rs->get("JobName"), text("42"));
    EXPECT_EQ(rs->get("JobDate"), Value(Date{45358 + (9 * 3600 + 5 * 60 + 3) / 86400.0}));
    EXPECT_EQ(rs->get("JobPermanent"), Value(true));
    EXPECT_EQ(textOf(rs->get("JobPermanent")), "True");
    rs->Edit();
    EXPECT_EQ(errorOf([&] { rs->set("JobDate", text("no date at all")); }), errConversion);
    EXPECT_EQ(errorOf([&] { rs->set("JobPermanent", text("maybe")); }), errConversion);
    rs->set("JobPermanent", int32_t{0});
    rs->Update();
    EXPECT_EQ(countInFile(" WHERE JobPermanent = False"), 1);
    EXPECT_EQ(countInFile(" WHERE JobPermanent = 0"), 1);
}

TEST_F(RecordsetTest, WholeColumnsOfRowsFarApartMatchTheRecordset) {
    auto rs = jobs();
    Transaction seeding(*database);
    for (int i = 0; i < 2400; ++i) addJob(*rs, "N" + std::to_string(10000 + i), 45000 + i, i % 9 == 0);
    seeding.commit();
    auto list = database->OpenRecordset(
        "SELECT * FROM Jobs WHERE JobPermanent = True OR JobName = \"N10001\" "
        "ORDER BY JobName DESC");
    ASSERT_EQ(list->RecordCount(), 268);
    std::vector<Value> names = list->column(0);
    std::vector<Value> flags = list->column(4);
    ASSERT_EQ(names.size(), 268u);
    ASSERT_EQ(flags.size(), 268u);
    for (long row = 0; row < 268; ++row) {
        EXPECT_EQ(names[row], list->at(row, 0)) << row;
        EXPECT_EQ(flags[row], Value(row != 266)) << row;  // N10001 comes next to last
    }
}

TEST_F(RecordsetTest, GridReadsMatchTheRecordsetAcrossPages) {
    auto rs = jobs();
    Transaction seeding(*database);
    for (int i = 0; i < 700; ++i) addJob(*rs, "N" + std::to_string(1000 + i), 45000 + i, i % 3 == 0);
    seeding.commit();
    auto list = database->OpenRecordset("SELECT * FROM Jobs ORDER BY JobName DESC");
    std::vector<Value> flags = list->column(4);
    ASSERT_EQ(flags.size(), 700u);
    for (long row : {0L, 63L, 64L, 65L, 400L, 699L}) {
        list->AbsolutePosition(row);
        EXPECT_EQ(list->at(row, 0), list->get("JobName"));
        EXPECT_EQ(flags[row], list->get("JobPermanent"));
    }
    EXPECT_EQ(list->at(0, 0), text("N1699"));
    EXPECT_TRUE(isNull(list->at(700, 0)));
    EXPECT_TRUE(isNull(list->at(0, 9)));

    // A row deleted through another connection reads as Null in the grid; its record is gone.
    auto other = Engine::OpenDatabase(dir.file("jobs.mdb"))->OpenRecordset("Jobs");
    other->FindFirst("JobName = \"N1000\"");
    other->Delete();
    list->Requery();  // drops the cached pages but the row is no longer there at all
    EXPECT_EQ(list->RecordCount(), 699);
    auto stale = database->OpenRecordset("SELECT * FROM Jobs");
    auto again = Engine::OpenDatabase(dir.file("jobs.mdb"))->OpenRecordset("Jobs");
    again->Delete();  // the first row, N1001
    EXPECT_TRUE(isNull(stale->at(0, 0)));
    EXPECT_EQ(errorOf([&] { stale->get("JobName"); }), errRecordDeleted);
    EXPECT_TRUE(isNull(stale->column(0)[0]));
}
