// The About window's export, byte for byte, through the real window.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/data/schema.h"
#include "app/dialogs/export.h"
#include "app/dialogs/form4.h"
#include "app/globals.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/files.h"
#include "platform/runtime/text.h"
#include "platform/win/handles.h"
#include "tests/app/app_support.h"
#include "tests/support/testdb.h"

using namespace qs;
using namespace qs::test;

namespace {

std::string dateText(int y, int m, int d) {
    SYSTEMTIME st{};
    st.wYear = WORD(y);
    st.wMonth = WORD(m);
    st.wDay = WORD(d);
    wchar_t buf[64];
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buf, 64);
    return rt::narrow(buf);
}

std::string timeText(int h, int mi, int s) {
    SYSTEMTIME st{};
    st.wYear = 2000;
    st.wMonth = 1;
    st.wDay = 1;
    st.wHour = WORD(h);
    st.wMinute = WORD(mi);
    st.wSecond = WORD(s);
    wchar_t buf[64];
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, 64);
    return rt::narrow(buf);
}

class Export : public ::testing::Test {
protected:
    MainWindowRun run{"export"};
    std::string out = run.dir.file("out.txt");
    app::Form4 about;

    void SetUp() override { about.Show(); }

    void fill() {
        Seed(run.dbPath)
            .job("C:\\DOCS\\LETTER.TXT", db::Date{rt::makeDate(2024, 11, 3, 9, 7, 2)}, false)
            .job("C:\\DOCS\\BUDGET.XLS", db::Date{rt::makeDate(2024, 12, 1)}, true)
            .job("D:\\NO DATE.DOC", db::Value{}, db::Value{})
            .job("D:\\TAB\tIN NAME.TXT", db::Date{0.75}, false)
            .favorite("CAF\xC3\x89 CENTRAL", "http://cafe.example/", " ")
            .phone("SMITH JOHN", "EXT 101")
            .commit();
    }

    // A click on the export button, answering the save dialog with `name`.
    void exportTo(const std::string& name) {
        run.services->saveAnswer = name;
        about.Image3_MouseDown(0, 1, 0, 0, 0);
        about.Image3_MouseUp(0, 1, 0, 0, 0);
        EXPECT_TRUE(about.Image3.elementVisible(0));
        EXPECT_FALSE(about.Image3.elementVisible(1));
        EXPECT_TRUE(about.Loaded());
    }

    std::string heading(const char* table, const char* columns) {
        return std::string("\r\n") + table + "\r\n\r\n" + columns + "\r\n";
    }
};

}  // namespace

TEST_F(Export, EveryRowOfTheThreeTablesInTheLineFormat) {
    fill();
    exportTo(out);
    const std::string expected =
        "Contents of " + run.dbPath + "\r\nTab Delimited\r\n" +
        heading("Jobs", "Job Name\tJob Location\tJob Date\tJob Full Name\tPermanent Record") +
        "LETTER.TXT\tC:\\DOCS\\\t" + dateText(2024, 11, 3) + " " + timeText(9, 7, 2) +
        "\tC:\\DOCS\\LETTER.TXT\tFalse\r\n" + "BUDGET.XLS\tC:\\DOCS\\\t" + dateText(2024, 12, 1) +
        "\tC:\\DOCS\\BUDGET.XLS\tTrue\r\n" + "NO DATE.DOC\tD:\\\tNull\tD:\\NO DATE.DOC\tNull\r\n" +
        "TAB\tIN NAME.TXT\tD:\\\t" + timeText(18, 0, 0) + "\tD:\\TAB\tIN NAME.TXT\tFalse\r\n" +
        heading("Favorites", "Name\tURL\tKeywords") + "CAF\xC9 CENTRAL\thttp://cafe.example/\t \r\n" +
        heading("Phone", "Name\tInfo") + "SMITH JOHN\tEXT 101\r\n";
    EXPECT_EQ(readFile(out), expected);
    EXPECT_TRUE(run.services->messages.empty());
}

TEST_F(Export, CancelAndTheOverwriteQuestionLeaveFilesAlone) {
    exportTo("");
    EXPECT_FALSE(rt::fileExists(out));
    writeFile(out, "keep me");
    run.services->answers = {IDCANCEL};
    exportTo(out);
    EXPECT_EQ(readFile(out), "keep me");
    EXPECT_EQ(run.services->messages, std::vector<std::string>{"Overwrite Existing file?"});
    EXPECT_EQ(run.services->buttons, std::vector<int>{MB_OKCANCEL});
    exportTo(out);
    EXPECT_EQ(readFile(out).rfind("Contents of ", 0), 0u);
}

TEST_F(Export, TheDatabaseInUseIsNeverTheExportFile) {
    fill();
    const std::string before = readFile(run.dbPath);
    std::string lower = run.dir.path() + "\\.\\QUILLSTACK.MDB";
    exportTo(lower);
    ASSERT_EQ(run.services->messages.size(), 1u);
    EXPECT_NE(run.services->messages[0].find("database in use"), std::string::npos);
    EXPECT_EQ(readFile(run.dbPath), before);
}

TEST_F(Export, AFailurePartWaySaysSoAndKeepsTheLinesWritten) {
    const std::string partial = run.dir.file("jobs only.mdb");
    createJobsDatabase(partial);
    app::myDBname = partial;
    exportTo(out);
    ASSERT_EQ(run.services->messages.size(), 1u);
    EXPECT_NE(run.services->messages[0].find("Favorites"), std::string::npos);
    const std::string text = readFile(out);
    EXPECT_EQ(text.rfind("Contents of " + partial, 0), 0u);
    EXPECT_TRUE(text.ends_with("\r\nFavorites\r\n\r\nName\tURL\tKeywords\r\n"));
}

// The export reads one picture of the tables without the write lock: another program writes a job while
// the export runs and commits once the export has read; neither fails, and nothing is said.
TEST_F(Export, AnotherProgramWritesAJobWhileTheExportReads) {
    fill();
    std::atomic<bool> rowWritten = false, ended = false;
    std::string committed = "never tried";  // "" once committed, else the failure
    std::thread other;
    int lines = 0;
    about.onExportLine = [&] {
        if (++lines != 7) return;  // the first Jobs row: the reading has begun
        other = std::thread([&] {
            try {
                Seed seed(run.dbPath);
                seed.job("C:\\DOCS\\WRITTEN MEANWHILE.TXT", db::Value{}, false);
                rowWritten = true;
                seed.commit();  // once the export's reading has ended
                committed = "";
            } catch (const std::exception& e) {
                committed = e.what();
            }
            ended = true;
        });
        while (!rowWritten && !ended) Sleep(1);
    };
    exportTo(out);
    other.join();
    EXPECT_EQ(committed, "");
    EXPECT_TRUE(rowWritten && run.services->messages.empty());
    EXPECT_EQ(readJobs(run.dbPath).size(), 5u);
    EXPECT_EQ(readFile(out).find("WRITTEN MEANWHILE"), std::string::npos);
}

// A target that cannot be created at all (held open by another program, a folder) keeps what it held,
// and the message says that nothing was written.
TEST_F(Export, ATargetThatCannotBeCreatedSaysNothingWasWritten) {
    writeFile(out, "keep me");
    win::UniqueFile held(
        CreateFileW(rt::widen(out).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    exportTo(out);
    CreateDirectoryW(rt::widen(run.dir.file("folder.txt")).c_str(), nullptr);
    exportTo(run.dir.file("folder.txt"));
    EXPECT_EQ(readFile(out), "keep me");
    const std::string said =
        "The export file could not be created: nothing was written, and a file of that name is "
        "unchanged.\n\n";
    ASSERT_EQ(run.services->messages.size(), 3u);  // the question and the failure, then the folder's failure
    EXPECT_EQ(run.services->messages[1].rfind(said, 0), 0u);
    EXPECT_EQ(run.services->messages[2].rfind(said, 0), 0u);
}

TEST(ExportDates, MadeOncePerDayAndTimeOfDayTheyReadAsTheSystemWritesThem) {
    app::DateTexts texts;
    std::vector<double> dates = {
        0.0, 0.75, 1.0, -1.25, -700.5, 45000.0, 45000.999988, 2958465.5, 45000.25 + 0.4 / 86400};
    for (int i = 0; i < 3000; ++i) dates.push_back(((i * 7919) % 60000) - 700 + ((i * 104729) % 86400) / 86400.0);
    for (double d : dates) EXPECT_EQ(texts.text(d), rt::dateTimeText(d)) << d;
}
