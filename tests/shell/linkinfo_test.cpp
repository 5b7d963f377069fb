#include "platform/shell/linkinfo.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "platform/runtime/text.h"
#include "platform/win/handles.h"
#include "tests/support/files.h"

namespace {

using qs::rt::narrow;
using qs::shell::GetLinkInfo;
using qs::shell::kLinkBufferSize;
using qs::test::makeFolder;
using qs::test::TempDir;
using qs::test::writeFile;

// Writes a shortcut through the shell's link object. `setup` gets the link to fill.
template <class F>
void makeLink(const std::wstring& lnk, F setup) {
    qs::win::ComInit com;
    IShellLinkW* link = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                     reinterpret_cast<void**>(&link)));
    setup(link);
    IPersistFile* file = nullptr;
    ASSERT_EQ(S_OK, link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    ASSERT_EQ(S_OK, file->Save(lnk.c_str(), TRUE));
    file->Release();
    link->Release();
}

void linkTo(const std::wstring& lnk, const std::wstring& target, const wchar_t* description = L"") {
    makeLink(lnk, [&](IShellLinkW* l) {
        l->SetPath(target.c_str());
        l->SetDescription(description);
    });
}

std::string ansi(const std::wstring& w) {
    char buf[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, buf, sizeof buf, nullptr, nullptr);
    return buf;
}

// Calls the buffer form the way the program does: 260 blanks each, then reads up to the NUL.
struct AnsiResult {
    int32_t rc;
    std::string target, description;
    bool terminated;
};
AnsiResult callAnsi(const std::string& lnkAnsi) {
    char target[kLinkBufferSize + 8], description[kLinkBufferSize + 8];
    std::memset(target, ' ', sizeof target);
    std::memset(description, ' ', sizeof description);
    AnsiResult r{};
    r.rc = GetLinkInfo(nullptr, lnkAnsi.c_str(), target, description);
    r.terminated = std::memchr(target, 0, kLinkBufferSize) && std::memchr(description, 0, kLinkBufferSize) &&
                   target[kLinkBufferSize] == ' ' && description[kLinkBufferSize] == ' ';
    r.target = target;
    r.description = description;
    return r;
}

TEST(GetLinkInfo, GivesTheTargetOfShortcutsToFilesAndFolders) {
    TempDir dir{"shell test"};
    std::wstring doc = writeFile(dir.wfile(L"Quarterly Report.txt"));
    std::wstring sub = makeFolder(dir.wfile(L"Project Files"));
    linkTo(dir.wpath() + L"\\doc.lnk", doc, L"the report");
    linkTo(dir.wpath() + L"\\folder.lnk", sub);

    EXPECT_EQ(narrow(doc), GetLinkInfo(nullptr, narrow(dir.wpath() + L"\\doc.lnk")));
    EXPECT_EQ(narrow(sub), GetLinkInfo(nullptr, narrow(dir.wpath() + L"\\folder.lnk")));

    AnsiResult r = callAnsi(ansi(dir.wpath() + L"\\doc.lnk"));
    EXPECT_TRUE(r.terminated);
    EXPECT_EQ(ansi(doc), r.target);
    EXPECT_EQ("the report", r.description);
    EXPECT_EQ(0, r.rc);
}

TEST(GetLinkInfo, IsEmptyWithoutAFileSystemTarget) {
    TempDir dir{"shell test"};
    makeLink(dir.wpath() + L"\\printers.lnk", [](IShellLinkW* l) {
        LPITEMIDLIST pidl = nullptr;
        ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, CSIDL_PRINTERS, &pidl));
        l->SetIDList(pidl);
        CoTaskMemFree(pidl);
    });
    EXPECT_EQ("", GetLinkInfo(nullptr, narrow(dir.wpath() + L"\\printers.lnk")));
    AnsiResult r = callAnsi(ansi(dir.wpath() + L"\\printers.lnk"));
    EXPECT_TRUE(r.terminated);
    EXPECT_EQ("", r.target);
}

TEST(GetLinkInfo, IsEmptyForFilesThatAreNoShortcuts) {
    TempDir dir{"shell test"};
    std::wstring text = writeFile(dir.wfile(L"plain.lnk"), "this is no shortcut at all");
    std::wstring empty = writeFile(dir.wfile(L"empty.lnk"), "");
    for (const std::wstring& p : {text, empty, dir.wpath() + L"\\missing.lnk", dir.wpath()}) {
        EXPECT_EQ("", GetLinkInfo(nullptr, narrow(p))) << narrow(p);
        AnsiResult r = callAnsi(ansi(p));
        EXPECT_TRUE(r.terminated);
        EXPECT_EQ("", r.target);
        EXPECT_NE(0, r.rc);
    }
    EXPECT_EQ("", GetLinkInfo(nullptr, std::string()));
    char target[kLinkBufferSize] = "junk", description[kLinkBufferSize] = "junk";
    EXPECT_NE(0, GetLinkInfo(nullptr, nullptr, target, description));
    EXPECT_EQ('\0', target[0]);
    EXPECT_EQ('\0', description[0]);
}

TEST(GetLinkInfo, AnsiFormGivesTheShortPathForNamesWithoutAnAnsiSpelling) {
    TempDir dir{"shell test"};
    std::wstring doc =
        writeFile(dir.wfile(L"\u0394\u03b5\u03bb\u03c4\u03af\u03bf report.txt"));  // Greek: not in cp1252
    linkTo(dir.wpath() + L"\\greek.lnk", doc);
    EXPECT_EQ(narrow(doc), GetLinkInfo(nullptr, narrow(dir.wpath() + L"\\greek.lnk")));

    AnsiResult r = callAnsi(ansi(dir.wpath() + L"\\greek.lnk"));
    EXPECT_TRUE(r.terminated);
    EXPECT_EQ(std::string::npos, r.target.find('?')) << r.target;
    std::wstring shortForm = qs::test::shortName(doc);
    ASSERT_FALSE(shortForm.empty());
    EXPECT_EQ(ansi(shortForm), r.target);
}

TEST(GetLinkInfo, AnsiFormNeverOverrunsItsBuffers) {
    TempDir dir{"shell test"};
    // A target of exactly MAX_PATH - 1 characters: the longest that fits the 260-byte buffer.
    std::wstring deep = makeFolder(dir.wfile(L"long folder name"));
    deep = makeFolder(dir.wfile(L"long folder name\\" + std::wstring(200 - deep.size(), L'f')));
    std::wstring doc = deep + L"\\" + std::wstring(MAX_PATH - 2 - deep.size() - 4, L'n') + L".txt";
    ASSERT_EQ(static_cast<size_t>(MAX_PATH - 1), doc.size());
    CloseHandle(CreateFileW(doc.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    std::wstring longDesc(600, L'd');
    linkTo(dir.wpath() + L"\\long.lnk", doc, longDesc.c_str());

    AnsiResult r = callAnsi(ansi(dir.wpath() + L"\\long.lnk"));
    EXPECT_TRUE(r.terminated);
    EXPECT_EQ(ansi(doc), r.target);
    EXPECT_LT(r.description.size(), static_cast<size_t>(kLinkBufferSize));
    EXPECT_EQ(narrow(doc), GetLinkInfo(nullptr, narrow(dir.wpath() + L"\\long.lnk")));
}

TEST(GetLinkInfo, WorksWhateverTheCallersApartment) {
    TempDir dir{"shell test"};
    std::wstring doc = writeFile(dir.wfile(L"apartments.txt"));
    const std::string lnk = narrow(dir.wpath() + L"\\apartments.lnk");
    linkTo(dir.wpath() + L"\\apartments.lnk", doc);
    const std::string want = narrow(doc);

    std::string none, sta, mta, staAfter;
    HRESULT staState = S_OK;
    std::thread([&] { none = GetLinkInfo(nullptr, lnk); }).join();
    std::thread([&] {
        CoInitialize(nullptr);
        sta = GetLinkInfo(nullptr, lnk);
        // The caller's apartment is left as it was: still initialised.
        staState = CoInitialize(nullptr);
        if (SUCCEEDED(staState)) CoUninitialize();
        CoUninitialize();
    }).join();
    std::thread([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        mta = GetLinkInfo(nullptr, lnk);
        CoUninitialize();
    }).join();
    EXPECT_EQ(want, none);
    EXPECT_EQ(want, sta);
    EXPECT_EQ(S_FALSE, staState);
    EXPECT_EQ(want, mta);
}

}  // namespace
