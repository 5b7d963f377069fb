// The query dialect: criteria, Like patterns, dates, ordering and malformed input.
#include <gtest/gtest.h>

#include "platform/db/textrules.h"
#include "platform/runtime/casetable.h"
#include "tests/db/dbtest.h"

using namespace qs::db;
using namespace qs::db::test;

namespace {

class DialectTest : public ::testing::Test {
protected:
    void SetUp() override {
        database = createJobsDatabase(dir.file("d.mdb"));
        auto rs = database->OpenRecordset("Jobs");
        addJob(*rs, "REPORT.DOC", 45358.25);
        addJob(*rs,
               "\xC3\x89"
               "COLE.TXT",
               45358.75);  // ÉCOLE.TXT
        addJob(*rs, "budget 2024.xls", 45357.5, true);
        addJob(*rs, "A\"B.DOC", 45359.0);
        addJob(*rs, "[DRAFT].DOC", 45300.0);
    }
    std::vector<std::string> names(const std::string& sql) {
        std::vector<std::string> out;
        auto rs = database->OpenRecordset(sql);
        for (long i = 0; i < rs->RecordCount(); ++i) out.push_back(textOf(rs->at(i, rs->fieldIndex("JobName"))));
        return out;
    }
    std::vector<std::string> where(const std::string& criterion) {
        return names("SELECT * FROM Jobs WHERE " + criterion);
    }
    std::string found(const std::string& criterion) {
        auto rs = database->OpenRecordset("Jobs");
        rs->FindFirst(criterion);
        return rs->NoMatch() ? "<none>" : textOf(rs->get("JobName"));
    }
    TempDir dir;
    std::shared_ptr<Database> database;
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(DialectTest, TextComparesWithoutLetterCase) {
    EXPECT_EQ(found("JobName = \"report.doc\""), "REPORT.DOC");
    EXPECT_EQ(found("JobFullname = \"c:\\docs\\Report.Doc\""), "REPORT.DOC");
    EXPECT_EQ(found("[JobName] = \"\xC3\xA9"
                    "cole.txt\""),
              "\xC3\x89"
              "COLE.TXT");  // é finds É
    EXPECT_EQ(found("Jobs.JobName LIKE \"BUDGET*\""), "budget 2024.xls");
    EXPECT_EQ(found("JobName = \"a\"\"b.doc\""), "A\"B.DOC");  // "" is one quote
    EXPECT_EQ(found("JobName = 'report.doc'"), "REPORT.DOC");
    EXPECT_EQ(where("((Jobs.JobName Like \"*\xC3\xA9"
                    "co*\"))"),
              Names{"\xC3\x89"
                    "COLE.TXT"});
    EXPECT_EQ(where("JobName <> \"REPORT.DOC\" AND JobName > \"b\""), (Names{"\xC3\x89"
                                                                             "COLE.TXT",
                                                                             "budget 2024.xls"}));
    EXPECT_EQ(where("[Jobs].[JobPermanent] = True"), Names{"budget 2024.xls"});
    EXPECT_EQ(where("NOT JobPermanent = False OR JobName = \"x\""), Names{"budget 2024.xls"});
}

TEST_F(DialectTest, LikeTakesTheEnginePatterns) {
    EXPECT_EQ(where("JobName Like \"*.doc\""), (Names{"REPORT.DOC", "A\"B.DOC", "[DRAFT].DOC"}));
    EXPECT_EQ(where("JobName Like \"?????t.doc\""), Names{"REPORT.DOC"});
    EXPECT_EQ(where("JobName Like \"*####*\""), Names{"budget 2024.xls"});
    EXPECT_EQ(where("JobName Like \"[a-c]*\""), (Names{"budget 2024.xls", "A\"B.DOC"}));
    EXPECT_EQ(where("JobName Like \"[!a-c]*.doc\""), (Names{"REPORT.DOC", "[DRAFT].DOC"}));
    EXPECT_EQ(where("JobName Like \"[[]*\""), Names{"[DRAFT].DOC"});
    EXPECT_EQ(where("JobName Like \"*[*]*\""), Names{});
    EXPECT_EQ(where("JobName Not Like \"*o*\""), Names{"budget 2024.xls"});
    EXPECT_EQ(where("JobName Like \"report.doc\""), Names{"REPORT.DOC"});  // no wildcard: equality
    EXPECT_EQ(where("JobName Like \"**\""), (Names{"REPORT.DOC",
                                                   "\xC3\x89"
                                                   "COLE.TXT",
                                                   "budget 2024.xls", "A\"B.DOC", "[DRAFT].DOC"}));
}

TEST_F(DialectTest, DatesCompareAndSortByTime) {
    EXPECT_EQ(where("JobDate > #03/07/2024 12:00#"), (Names{"\xC3\x89"
                                                            "COLE.TXT",
                                                            "A\"B.DOC"}));
    EXPECT_EQ(where("JobDate >= #3/7/2024 6:00:00 AM# AND JobDate <= #03/07/2024 06:00 PM#"), (Names{"REPORT.DOC",
                                                                                                     "\xC3\x89"
                                                                                                     "COLE.TXT"}));
    EXPECT_EQ(where("(Jobs.JobDate < #03/07/2024#)"), (Names{"budget 2024.xls", "[DRAFT].DOC"}));
    EXPECT_EQ(names("SELECT Jobs.JobName, Jobs.JobDate FROM Jobs ORDER BY Jobs.JobDate DESC;"),
              (Names{"A\"B.DOC",
                     "\xC3\x89"
                     "COLE.TXT",
                     "REPORT.DOC", "budget 2024.xls", "[DRAFT].DOC"}));
}

TEST_F(DialectTest, OrderIgnoresLetterCaseAndDuplicatesKeepTheirOrder) {
    auto rs = database->OpenRecordset("Jobs");
    addJob(*rs, "report.doc", 45000);  // a second row for the same path, as the table editor allows
    EXPECT_EQ(names("SELECT * FROM Jobs ORDER BY JobName;"),
              (Names{"[DRAFT].DOC", "A\"B.DOC", "budget 2024.xls", "REPORT.DOC", "report.doc",
                     "\xC3\x89"
                     "COLE.TXT"}));
    // The first row in recordset order wins, whichever order that is.
    auto byDate = database->OpenRecordset("SELECT * FROM Jobs ORDER BY Jobs.JobDate");
    byDate->FindFirst("JobFullName = \"C:\\DOCS\\REPORT.DOC\"");
    EXPECT_EQ(byDate->get("JobName"), Value(std::string("report.doc")));
    EXPECT_EQ(byDate->AbsolutePosition(), 0);
    auto stored = database->OpenRecordset("Jobs");
    stored->FindFirst("JobName LIKE \"REPORT.DOC\"");
    EXPECT_EQ(stored->get("JobName"), Value(std::string("REPORT.DOC")));
}

TEST_F(DialectTest, MalformedTextGivesAnErrorNeverACrash) {
    for (const char* bad :
         {"", "JobName =", "JobName = \"open", "JobName \"x\"", "(JobName = \"x\"", "JobName = \"x\")",
          "JobName = #13/45/2024#", "JobName = #03/07/2024", "JobName Like \"[abc\"", "JobName Like \"[z-a]\"",
          "JobName Like JobLocation", "JobName = \"x\"; DROP TABLE Jobs", "JobName = [", "JobName == \"x\"",
          "JobName = \"x\" AND", "JobName = @x", "= \"x\"", "JobName IS \"x\""}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(errorOf([&] { found(bad); }), errSyntax);
    }
    EXPECT_EQ(errorOf([&] { found("Nope = \"x\""); }), errUnknownName);
    EXPECT_EQ(errorOf([&] { found("Phone.PName = \"x\""); }), errUnknownName);
    try {
        found("JobName = \"open");
    } catch (const DbError& e) {
        EXPECT_EQ(e.description, "Syntax error in query expression 'JobName = \"open'.");
    }

    EXPECT_EQ(errorOf([&] { names("SELECT Jobs.Nope FROM Jobs"); }), errTooFewParameters);
    EXPECT_EQ(errorOf([&] { names("SELECT * FROM Nope"); }), errTableNotFound);
    EXPECT_EQ(errorOf([&] { names("SELECT * FROM Jobs ORDER BY Nope"); }), errTooFewParameters);
    EXPECT_EQ(errorOf([&] { names("SELECT * FROM Jobs; DELETE FROM Jobs"); }), 3142);
    EXPECT_EQ(errorOf([&] { names("SELECT FROM Jobs"); }), 3141);
    EXPECT_EQ(errorOf([&] { names("SELECT * FROM Jobs ORDER JobName"); }), 3138);
    EXPECT_EQ(errorOf([&] { names("SELECT * FROM Jobs WHERE JobName Like \"*\"\"*\"))"); }), 3142);
    EXPECT_EQ(errorOf([&] { names("SELECT * FROM Jobs WHERE ((JobName Like \"*\"*\"))"); }), errSyntax);
    EXPECT_EQ(database->OpenRecordset("Jobs")->RecordCount(), 5);  // nothing ran
}

TEST_F(DialectTest, ActionQueryDeletesWhatTheCriterionSelects) {
    database->Execute("DELETE * FROM Jobs WHERE JobName Like \"*.doc\";");
    EXPECT_EQ(names("Jobs"), (Names{"\xC3\x89"
                                    "COLE.TXT",
                                    "budget 2024.xls"}));
    EXPECT_EQ(errorOf([&] { database->Execute("DROP TABLE Jobs"); }), errInvalidStatement);
}

// Found by fuzzing: a criterion nested some thousands deep overflowed the stack and ended the program.
TEST_F(DialectTest, NestingTooDeepIsAnErrorNeverACrash) {
    auto nested = [](const std::string& open, int levels, const std::string& close) {
        std::string text;
        for (int i = 0; i < levels; ++i) text += open;
        text += "JobName = \"report.doc\"";
        for (int i = 0; i < levels; ++i) text += close;
        return text;
    };
    EXPECT_EQ(found(nested("(", 20, ")")), "REPORT.DOC");
    EXPECT_EQ(found(nested("NOT NOT ", 10, "")), "REPORT.DOC");
    EXPECT_EQ(errorOf([&] { found(nested("(", 100000, ")")); }), 3360);
    EXPECT_EQ(errorOf([&] { found(nested("NOT ", 100000, "")); }), 3360);
    EXPECT_EQ(errorOf([&] { names("SELECT * FROM Jobs WHERE " + nested("(", 5000, ")")); }), 3360);
}

// The native build (fuzzing) folds text with a table generated under Wine instead of asking the system.
TEST(TextRules, FoldTableAgreesWithTheGeneratedOne) {
    for (char32_t c = 0; c < 0x10000; ++c) {
        char32_t expected = c >= 0xD800 && c < 0xE000 ? c : qs::rt::casetable::lower(c);
        ASSERT_EQ(detail::foldChar(c), expected) << std::hex << unsigned(c);
    }
}
