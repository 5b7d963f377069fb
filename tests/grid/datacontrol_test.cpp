// The data control on a real database file, with a bound grid: what a refresh shows, how it reports,
// what it does on failure, and the lifetimes of the two objects.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <string>

#include "gridtest.h"
#include "platform/controls/datacontrol.h"
#include "platform/controls/flexgrid.h"
#include "platform/db/db.h"
#include "platform/runtime/dates.h"
#include "tests/support/files.h"
#include "tests/support/testdb.h"

using qs::controls::DataControl;
using qs::controls::FlexGrid;
using namespace gridtest;
using namespace qs::test;
namespace db = qs::db;

namespace {

const char kJobsQuery[] =
    "SELECT Jobs.JobName, Jobs.JobDate, Jobs.JobLocation, Jobs.JobFullName, Jobs.JobPermanent FROM Jobs "
    "ORDER BY Jobs.JobName;";

// OLE Automation's own text of a date, asked of the system directly.
std::string systemDateText(double oa) {
    BSTR b = nullptr;
    if (FAILED(VarBstrFromDate(oa, LOCALE_USER_DEFAULT, 0, &b))) return "?";
    std::wstring w(b, SysStringLen(b));
    SysFreeString(b);
    return std::string(w.begin(), w.end());  // digits and separators only
}

class DataControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        createProgramDatabase(path);
        grid = std::make_unique<FlexGrid>(sharedHost(), 0, 0, 6000, 4500);
        grid->create();
        grid->onSelChange = [this] { ++selChanges; };
        data = std::make_unique<DataControl>();
        data->bind(*grid);
    }
    void TearDown() override {
        data.reset();
        grid.reset();
    }

    // Rows as another program may have left them: a folder without its trailing backslash, or none.
    void addJobs() {
        Seed(path)
            .row("Jobs", {{"JobName", "C.DOC"},
                          {"JobDate", db::Date{45000.5}},
                          {"JobLocation", "C:\\DOCS"},
                          {"JobFullName", "C:\\DOCS\\C.DOC"},
                          {"JobPermanent", true}})
            .row("Jobs", {{"JobName", "a.txt"},
                          {"JobDate", db::Date{45001.25}},
                          {"JobFullName", "a.txt"},
                          {"JobPermanent", false}})
            .row("Jobs", {{"JobName", "B.XLS"}, {"JobLocation", "C:\\DATA"}, {"JobFullName", "C:\\DATA\\B.XLS"}})
            .commit();
    }

    TempDir dir{"datacontrol"};
    std::string path = dir.file("jobs.mdb");
    std::unique_ptr<FlexGrid> grid;
    std::unique_ptr<DataControl> data;
    int selChanges = 0;
};

TEST_F(DataControlTest, RefreshShowsTheRecordsInQueryOrder) {
    addJobs();
    data->DatabaseName(path);
    data->RecordSource(kJobsQuery);
    selChanges = 0;
    data->Refresh();

    EXPECT_EQ(selChanges, 1);
    ASSERT_EQ(grid->Rows(), 4);
    ASSERT_EQ(grid->Cols(), 5);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->TopRow(), 1);
    EXPECT_EQ(grid->TextMatrix(0, 0), "JobName");
    EXPECT_EQ(grid->TextMatrix(0, 4), "JobPermanent");
    EXPECT_EQ(grid->TextMatrix(1, 0), "a.txt");  // letter case does not sort
    EXPECT_EQ(grid->TextMatrix(2, 0), "B.XLS");
    EXPECT_EQ(grid->TextMatrix(3, 0), "C.DOC");

    // Boolean fields read True/False, Null reads empty, dates as the system shows a date and time.
    EXPECT_EQ(grid->TextMatrix(3, 4), "True");
    EXPECT_EQ(grid->TextMatrix(1, 4), "False");
    EXPECT_EQ(grid->TextMatrix(2, 4), "");
    EXPECT_EQ(grid->TextMatrix(1, 2), "");
    EXPECT_EQ(grid->TextMatrix(2, 1), "");
    EXPECT_EQ(grid->TextMatrix(3, 1), systemDateText(45000.5));
    EXPECT_EQ(grid->TextMatrix(1, 1), qs::rt::dateTimeText(45001.25));
    EXPECT_NE(grid->TextMatrix(3, 1).find(':'), std::string::npos);  // the time shows
}

TEST_F(DataControlTest, EveryRefreshReloadsAndReports) {
    addJobs();
    data->DatabaseName(path);
    data->RecordSource(kJobsQuery);
    data->Refresh();
    grid->Row(3);
    grid->TopRow(2);
    grid->CellBackColor(0xFFE169);
    selChanges = 0;

    data->Refresh();
    EXPECT_EQ(selChanges, 1);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->TopRow(), 1);
    grid->Row(3);
    EXPECT_EQ(grid->CellBackColor(), FlexGrid::kRowColour);

    // A filter that leaves nothing: the header row alone, no current data row.
    data->RecordSource(
        "SELECT Jobs.JobName, Jobs.JobDate, Jobs.JobLocation, Jobs.JobFullName, Jobs.JobPermanent FROM Jobs "
        "WHERE ((Jobs.JobName Like \"*zzz*\")) ORDER BY Jobs.JobName;");
    selChanges = 0;
    data->Refresh();
    EXPECT_EQ(selChanges, 1);
    EXPECT_EQ(grid->Rows(), 1);
    EXPECT_EQ(grid->Row(), 0);
    EXPECT_EQ(grid->TextMatrix(0, 0), "JobName");
}

TEST_F(DataControlTest, TheRecordsetLocatesGridRows) {
    addJobs();
    data->DatabaseName(path);
    data->RecordSource(kJobsQuery);
    data->Refresh();
    auto rs = data->Recordset();
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->RecordCount(), grid->Rows() - 1);
    rs->FindFirst("JobName LIKE \"b.xls\"");
    ASSERT_FALSE(rs->NoMatch());
    grid->Row(int(rs->AbsolutePosition()) + 1);
    EXPECT_EQ(grid->TextMatrix(grid->Row(), 0), "B.XLS");

    // A change made through the recordset shows after the next refresh.
    rs->AbsolutePosition(2);
    rs->Edit();
    rs->set("JobPermanent", false);
    rs->Update();
    data->Refresh();
    EXPECT_EQ(grid->TextMatrix(3, 4), "False");
}

TEST_F(DataControlTest, SettingPropertiesReadsNothingAndFailuresKeepTheGrid) {
    addJobs();
    data->DatabaseName(path + ".missing");
    data->RecordSource("not a query at all");
    EXPECT_FALSE(data->Database());

    try {
        data->Refresh();
        ADD_FAILURE() << "refresh of a missing file";
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.number, db::errFileNotFound);
    }

    data->DatabaseName(path);
    data->RecordSource(kJobsQuery);
    data->Refresh();
    ASSERT_EQ(grid->Rows(), 4);
    selChanges = 0;

    data->RecordSource("SELECT Jobs.NoSuchField FROM Jobs;");
    EXPECT_THROW(data->Refresh(), db::DbError);
    data->RecordSource("SELECT * FROM NoSuchTable;");
    EXPECT_THROW(data->Refresh(), db::DbError);
    EXPECT_EQ(grid->Rows(), 4);
    EXPECT_EQ(grid->TextMatrix(2, 0), "B.XLS");
    EXPECT_EQ(selChanges, 0);
}

TEST_F(DataControlTest, ClosedDatabaseOpensAgainOnRefresh) {
    addJobs();
    data->DatabaseName(path);
    data->RecordSource(kJobsQuery);
    data->Refresh();
    auto first = data->Database();
    ASSERT_TRUE(first);
    first->Close();
    // The grid has nothing to read until the next refresh, and must not fail while painting.
    EXPECT_THROW((void)grid->TextMatrix(1, 0), db::DbError);
    grid->Refresh();

    data->Refresh();
    EXPECT_TRUE(data->Database()->isOpen());
    EXPECT_EQ(grid->TextMatrix(1, 0), "a.txt");

    // Another file: its rows.
    const std::string other = dir.file("other.mdb");
    createProgramDatabase(other);
    Seed(other).job("C:\\ONLY.TXT", db::Date{45100}, false).commit();
    data->DatabaseName(other);
    data->Refresh();
    EXPECT_EQ(grid->Rows(), 2);
    EXPECT_EQ(grid->TextMatrix(1, 0), "ONLY.TXT");
    EXPECT_EQ(data->Database()->Name(), other);
    data->Database()->Close();
}

TEST_F(DataControlTest, BindingFollowsTheObjects) {
    addJobs();
    data->DatabaseName(path);
    data->RecordSource(kJobsQuery);
    data->Refresh();

    // A grid bound after the query takes its rows at once; the first grid is let go.
    FlexGrid second{sharedHost(), 6000, 0, 3000, 3000};
    second.create();
    data->bind(second);
    EXPECT_EQ(data->boundGrid(), &second);
    EXPECT_EQ(second.Rows(), 4);
    grid->Rows();  // still usable, no longer reloaded
    data->RecordSource("SELECT Jobs.JobName FROM Jobs;");
    data->Refresh();
    EXPECT_EQ(second.Cols(), 1);
    EXPECT_EQ(grid->Cols(), 5);

    // The data control may go first: the grid keeps reading the rows it was given.
    data.reset();
    EXPECT_EQ(second.TextMatrix(1, 0), "C.DOC");  // the query has no order: the stored order

    // Or the grid: the data control then refreshes without one.
    auto other = std::make_unique<DataControl>();
    {
        FlexGrid shortLived{sharedHost(), 0, 0, 1500, 1500};
        shortLived.create();
        other->bind(shortLived);
    }
    EXPECT_EQ(other->boundGrid(), nullptr);
    other->DatabaseName(path);
    other->RecordSource(kJobsQuery);
    other->Refresh();
    EXPECT_EQ(other->Recordset()->RecordCount(), 3);
    other->Database()->Close();
}

TEST_F(DataControlTest, HundredThousandRowsRefreshAndRecolour) {
    Seed(path).numberedJobs(100000).commit();
    data->DatabaseName(path);
    data->RecordSource(kJobsQuery);
    data->Refresh();
    ASSERT_EQ(grid->Rows(), 100001);
    EXPECT_EQ(grid->TextMatrix(1, 0), numberedJob(0));
    EXPECT_EQ(grid->TextMatrix(100000, 0), numberedJob(99999));

    grid->Redraw(false);
    int permanent = 0;
    for (int r = 1; r < grid->Rows(); ++r) {
        bool on = grid->TextMatrix(r, 4) == "True";
        permanent += on;
        grid->Row(r);
        for (int c = 0; c < 4; ++c) {
            grid->Col(c);
            grid->CellBackColor(on ? 0xFFE169 : 0xA69244);
        }
    }
    grid->TopRow(99990);
    grid->Row(99995);
    grid->Redraw(true);
    grid->Refresh();
    EXPECT_EQ(permanent, 100000 / kPermanentEvery);
    EXPECT_EQ(grid->TopRow(), 99990);
    // Row 99992 is record 99991; its colour is that of its flag (read right of the text).
    POINT p{78, 16 * (99992 - 99990 + 1) + 8};
    bool on = grid->TextMatrix(99992, 4) == "True";
    EXPECT_EQ(pixel(grid->hWnd(), p.x, p.y), on ? RGB(0x69, 0xE1, 0xFF) : RGB(0x44, 0x92, 0xA6));
}

}  // namespace
