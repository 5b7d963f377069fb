#include <gtest/gtest.h>

#include "app/globals.h"
#include "app/receiver.h"
#include "platform/runtime/files.h"
#include "platform/runtime/propertybag.h"
#include "platform/runtime/text.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/services.h"
#include "tests/support/testdb.h"

using namespace qs;
using namespace qs::test;

namespace {
int refreshes = 0;

bool fileExists(const std::string& path) {
    return GetFileAttributesW(rt::widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

const char kError[] = "pReceiveMsg Function Error";

std::vector<uint8_t> bagBytes(int32_t numEls, const std::vector<std::pair<std::string, std::string>>& items) {
    rt::PropertyBag bag;
    bag.WriteProperty("NumEls", numEls);
    for (const auto& [name, value] : items) bag.WriteProperty(name, value);
    return bag.Contents();
}

class ReceiverTest : public ::testing::Test {
protected:
    ReceiverTest() : services(root.path()) {
        docs = root.path() + "\\";
        app::myDBname = root.file("jobs.mdb");
        createProgramDatabase(app::myDBname);
        refreshes = 0;
        // The main window's closing steps, as far as these tests can see them.
        app::setReceiveRefresh([] { ++refreshes; });
    }
    ~ReceiverTest() override {
        app::setReceiveRefresh(nullptr);
        app::resetGlobals();
    }

    std::string file(const std::string& name) {
        writeFile(docs + name);
        return docs + name;
    }

    void receive(ULONG_PTR kind, const std::vector<uint8_t>& bytes) {
        app::pReceiveMsg(kind, bytes, [&](LRESULT r) {
            replies.push_back(r);
            rowsAtReply.push_back(fileExists(app::myDBname) ? readJobs(app::myDBname).size() : 0);
        });
    }
    void receivePaths(const std::vector<std::string>& paths) { receive(app::CDS_PATH_LIST, rt::encodePathList(paths)); }

    TempDir root{"receive"};
    FakeServices services;
    std::string docs;
    std::vector<LRESULT> replies;
    std::vector<size_t> rowsAtReply;
};

TEST_F(ReceiverTest, NewFileBecomesAPermanentJobAfterTheReply) {
    const std::string path = file("Letter.txt");
    setWriteTime(path, 2024, 6, 1, 8, 0);

    receivePaths({path});

    EXPECT_EQ(replies, std::vector<LRESULT>{1});
    EXPECT_EQ(rowsAtReply, std::vector<size_t>{0}) << "the reply comes before the database work";
    auto rows = readJobs(app::myDBname);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].location, rt::UCase(docs));
    EXPECT_EQ(rows[0].name, "LETTER.TXT");
    EXPECT_EQ(rows[0].fullName, rt::UCase(path));
    EXPECT_EQ(rows[0].date, db::Value(db::Date{rt::FileDateTime(path)}));
    EXPECT_EQ(rows[0].permanent, db::Value(true));
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(app::receivedPath, path);
}

TEST_F(ReceiverTest, KnownPathInOtherCaseOnlyGetsItsDateRefreshed) {
    const std::string path = file("Known.txt");
    Seed(app::myDBname).job(rt::UCase(path), db::Date{40000.0}, false).commit();

    receivePaths({rt::LCase(path), path});  // the same file twice: still one row

    auto rows = readJobs(app::myDBname);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].date, db::Value(db::Date{rt::FileDateTime(path)}));
    EXPECT_EQ(rows[0].permanent, db::Value(false)) << "a collected job stays non-permanent";
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(ReceiverTest, SameNewFileTwiceGivesOneRow) {
    const std::string path = file("twice.txt");
    receivePaths({path, path});
    EXPECT_EQ(jobsNamed(app::myDBname, rt::UCase(path)).size(), 1u);
}

TEST_F(ReceiverTest, FoldersEmptyElementsAndBarePathsAreSkippedQuietly) {
    const std::string kept = file("kept.txt");
    // "1" is missing and so stays empty; "2" has no folder part; "3" is a folder.
    receive(app::CDS_PATH_LIST, bagBytes(3, {{"0", kept}, {"2", "bare.txt"}, {"3", root.path()}}));

    EXPECT_EQ(replies, std::vector<LRESULT>{1});
    auto rows = readJobs(app::myDBname);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].fullName, rt::UCase(kept));
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(refreshes, 1);
}

TEST_F(ReceiverTest, NumElsZeroReadsExactlyOnePath) {
    const std::string first = file("first.txt"), second = file("second.txt");
    receive(app::CDS_PATH_LIST, bagBytes(0, {{"0", first}, {"1", second}}));
    auto rows = readJobs(app::myDBname);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].fullName, rt::UCase(first));
}

TEST_F(ReceiverTest, MissingFileIsAddedWithoutADateAfterTwoMessages) {
    const std::string path = docs + "gone.txt";
    receivePaths({path});

    EXPECT_EQ(services.messages, (std::vector<std::string>{kError, kError}));  // attributes, date
    auto rows = readJobs(app::myDBname);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].fullName, rt::UCase(path));
    EXPECT_TRUE(db::isNull(rows[0].date));
    EXPECT_EQ(rows[0].permanent, db::Value(true));
}

TEST_F(ReceiverTest, MessagesOfFailingStepsShowOnlyOnceThePathsAreCommitted) {
    const std::string first = file("first.txt"), last = file("last.txt");
    std::vector<size_t> rowsDuringMessages;
    services.whileShown = [&] { rowsDuringMessages.push_back(readJobs(app::myDBname).size()); };

    receivePaths({first, docs + "missing.txt", last});

    EXPECT_EQ(rowsDuringMessages, (std::vector<size_t>{3, 3}));  // the missing file's attributes and date
    EXPECT_EQ(jobsNamed(app::myDBname, rt::UCase(last)).size(), 1u);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(ReceiverTest, QuotesInAPathNeitherBreakTheLookupNorMatchOtherRows) {
    const std::string other = file("other.txt");
    Seed(app::myDBname).job(rt::UCase(other), db::Date{40000.0}, false).commit();
    const std::string odd = docs + "x\" Or JobFullName <> \"";

    receivePaths({odd});
    receivePaths({odd});

    auto rows = readJobs(app::myDBname);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(jobsNamed(app::myDBname, rt::UCase(other))[0].date, db::Value(db::Date{40000.0}));
    EXPECT_EQ(jobsNamed(app::myDBname, rt::UCase(odd)).size(), 1u);
}

TEST_F(ReceiverTest, DatabaseThatCannotBeOpenedRecordsNothingAndStillRefreshes) {
    const std::string path = file("lost.txt");
    app::myDBname = root.file("absent.mdb");
    receivePaths({path});

    EXPECT_EQ(replies, std::vector<LRESULT>{1});
    // Opening the file, opening Jobs, the lookup; without a lookup the path is left alone.
    EXPECT_EQ(services.messages.size(), 3u);
    EXPECT_EQ(refreshes, 1);
    EXPECT_FALSE(fileExists(app::myDBname));
}

TEST_F(ReceiverTest, StringsAreAcknowledgedOtherKindsAreNot) {
    receive(app::CDS_STRING, {'h', 'i', 0, 'x'});
    receive(app::CDS_STRING, std::vector<uint8_t>(1000, 'a'));
    receive(app::CDS_STRING, {});  // no bytes: the empty text
    EXPECT_EQ(replies, (std::vector<LRESULT>{1, 1, 1}));

    replies.clear();
    receive(7, rt::encodePathList({file("seven.txt")}));
    receive(app::CDS_PATH_LIST, {});
    EXPECT_TRUE(replies.empty());
    EXPECT_TRUE(readJobs(app::myDBname).empty());
    EXPECT_EQ(refreshes, 0);
}

TEST_F(ReceiverTest, PayloadsThatDoNotDecodeAreIgnoredWithoutAReply) {
    const std::vector<uint8_t> valid = rt::encodePathList({file("a.txt"), file("b.txt")});
    for (size_t n = 1; n < valid.size(); ++n)
        receive(app::CDS_PATH_LIST, std::vector<uint8_t>(valid.begin(), valid.begin() + n));
    receive(app::CDS_PATH_LIST, {0xde, 0xad, 0xbe, 0xef});
    std::vector<uint8_t> trailing = valid;
    trailing.push_back(0);
    receive(app::CDS_PATH_LIST, trailing);
    receive(app::CDS_PATH_LIST, bagBytes(-1, {{"0", docs + "a.txt"}}));
    receive(app::CDS_PATH_LIST, bagBytes(1000000, {{"0", docs + "a.txt"}}));
    receive(app::CDS_PATH_LIST, bagBytes(0x7fffffff, {}));

    EXPECT_TRUE(replies.empty());
    EXPECT_TRUE(readJobs(app::myDBname).empty());
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(refreshes, 0);
}

// ---- The real window, with another process sending.

std::wstring quoteArgument(const std::wstring& arg) {
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') backslashes = backslashes * 2 + 1;
        out.append(backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

// Runs tests/tools' qs_send beside this program while this thread keeps the receiver answering.
ProgramRun runSender(const std::vector<std::string>& args) {
    std::wstring command = quoteArgument(besideThisProgram(L"qs_send.exe"));
    for (const std::string& a : args) command += L" " + quoteArgument(rt::widen(a));
    ProgramRun sent = runProgram(command, 30000);
    EXPECT_TRUE(sent.started) << "cannot start qs_send";
    EXPECT_TRUE(!sent.started || sent.finished) << "qs_send did not finish";
    return sent;
}

class ReceiverWindowTest : public ReceiverTest {
protected:
    ReceiverWindowTest() {
        app::frmInvisible.Load();
        app::hWndReceiver = app::frmInvisible.hWnd();
        original = GetWindowLongPtrW(app::hWndReceiver, GWLP_WNDPROC);
        app::hookWindow();
    }
    ~ReceiverWindowTest() override {
        app::unhookWindow();
        EXPECT_EQ(GetWindowLongPtrW(app::hWndReceiver, GWLP_WNDPROC), original);
        app::frmInvisible.Unload();
    }
    LONG_PTR original = 0;
};

TEST_F(ReceiverWindowTest, IsAHiddenTopLevelWindowWithTheExactTitle) {
    HWND hwnd = app::frmInvisible.hWnd();
    ASSERT_NE(hwnd, nullptr);
    wchar_t title[100] = {};
    GetWindowTextW(hwnd, title, 100);
    EXPECT_EQ(rt::narrow(title), "Invisible Window to Receive a String");
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(GetParent(hwnd), nullptr);
    EXPECT_EQ(GetParent(app::frmInvisible.txtReceive()), hwnd);
    EXPECT_EQ(FindWindowW(nullptr, L"Invisible Window to Receive a String"), hwnd);
}

TEST_F(ReceiverWindowTest, PathsFromAnotherProgramAreRecorded) {
    const std::string fresh = file("Fresh.txt");
    const std::string known = file("Known.txt");
    Seed(app::myDBname).job(rt::UCase(known), db::Date{40000.0}, false).commit();
    const std::string missing = docs + "missing.txt";
    const std::string quoted = docs + "say \"hi\".txt";

    ProgramRun sent = runSender({"paths", fresh, rt::LCase(known), root.path(), missing, quoted, fresh});
    EXPECT_EQ(sent.exitCode, 0u) << sent.output;
    EXPECT_EQ(sent.output, "1");

    EXPECT_EQ(readJobs(app::myDBname).size(), 4u);
    auto freshRows = jobsNamed(app::myDBname, rt::UCase(fresh));
    ASSERT_EQ(freshRows.size(), 1u);
    EXPECT_EQ(freshRows[0].permanent, db::Value(true));
    auto knownRows = jobsNamed(app::myDBname, rt::UCase(known));
    ASSERT_EQ(knownRows.size(), 1u);
    EXPECT_EQ(knownRows[0].date, db::Value(db::Date{rt::FileDateTime(known)}));
    EXPECT_EQ(knownRows[0].permanent, db::Value(false));
    ASSERT_EQ(jobsNamed(app::myDBname, rt::UCase(missing)).size(), 1u);
    EXPECT_TRUE(db::isNull(jobsNamed(app::myDBname, rt::UCase(missing))[0].date));
    EXPECT_EQ(jobsNamed(app::myDBname, rt::UCase(quoted)).size(), 1u);
    // Two for each path that does not exist (the missing one and the one with quotes), none else.
    EXPECT_EQ(services.messages.size(), 4u);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(ReceiverWindowTest, RepliesOnlyToWhatItUnderstands) {
    EXPECT_EQ(runSender({"string", "hello"}).output, "1");
    EXPECT_EQ(runSender({"raw", "7", "0102"}).output, "0");
    EXPECT_EQ(runSender({"raw", "2", "deadbeef"}).output, "0");
    EXPECT_EQ(runSender({"raw", "2"}).output, "0");
    EXPECT_EQ(runSender({"raw", "3"}).output, "1");
    EXPECT_TRUE(readJobs(app::myDBname).empty());
    EXPECT_EQ(refreshes, 0);

    // Still answering after all that.
    const std::string path = file("after.txt");
    EXPECT_EQ(runSender({"paths", path}).output, "1");
    EXPECT_EQ(jobsNamed(app::myDBname, rt::UCase(path)).size(), 1u);
}

}  // namespace
