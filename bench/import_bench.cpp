// The favourites import through its window: a tree of 10,000 .url files in 100 folders into a Favorites
// table of 10,000 rows, half of the names already there. Beside it, in the same run, the floor: the same
// tree listed and every file read, bare.
// Usage: import_bench [runs]   (the tree is made once, in the prefix's Temp)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/dialogs/form2.h"
#include "app/globals.h"
#include "bench/benchutil.h"
#include "platform/db/db.h"
#include "platform/runtime/files.h"
#include "platform/runtime/text.h"
#include "tests/support/files.h"
#include "tests/support/services.h"
#include "tests/support/testdb.h"

using namespace qs;
using bench::median;
using bench::nowMs;

namespace {

constexpr int kFolders = 100, kFilesPerFolder = 100, kRows = 10000;

std::string siteName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "Site %05d", i);
    return name;
}

void makeTree(const std::string& root) {
    test::makeFolder(root);
    for (int f = 0; f < kFolders; ++f) {
        const std::string folder = test::makeFolder(root + "\\Folder " + std::to_string(f));
        for (int n = 0; n < kFilesPerFolder; ++n) {
            const int i = f * kFilesPerFolder + n;
            test::writeFile(folder + "\\" + siteName(i) + ".url",
                            "[DEFAULT]\r\nBASEURL=http://site-" + std::to_string(i) +
                                ".example/\r\n[InternetShortcut]\r\nURL=http://site-" + std::to_string(i) +
                                ".example/start\r\nIconIndex=0\r\n");
        }
    }
    test::writeFile(root + "\\complete", "");
}

// Favourites SITE 05000 to SITE 14999: the tree's second half is there already.
void makeTable(const std::string& path) {
    test::createProgramDatabase(path);
    test::Seed favourites(path);
    for (int i = kRows / 2; i < kRows / 2 + kRows; ++i)
        favourites.favorite(rt::UCase(siteName(i)), "http://site-" + std::to_string(i) + ".example/", " ");
    favourites.commit();
}

// The floor: every folder listed and every file opened and read once, bare.
long readTreeBare(const std::wstring& folder) {
    long bytes = 0;
    std::vector<std::wstring> subfolders;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        if (fd.cFileName[0] == L'.') continue;
        const std::wstring path = folder + L"\\" + fd.cFileName;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            subfolders.push_back(path);
            continue;
        }
        HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        char buf[4096];
        DWORD got = 0;
        if (h != INVALID_HANDLE_VALUE && ReadFile(h, buf, sizeof buf, &got, nullptr)) bytes += long(got);
        CloseHandle(h);
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    for (const std::wstring& sub : subfolders) bytes += readTreeBare(sub);
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::string base = rt::narrow(tmp) + "qs_import_bench";
    const std::string tree = base + "\\tree";
    test::makeFolder(base);
    if (!rt::fileExists(tree + "\\complete")) {
        const double start = nowMs();
        makeTree(tree);
        std::printf("tree of %d files made in %.0f ms\n", kFolders * kFilesPerFolder, nowMs() - start);
    }
    test::TempDir dir("importbench");
    const std::string table = dir.file("favourites.mdb"), work = dir.file("work.mdb");
    makeTable(table);

    test::FakeServices services;
    services.folderAnswer = tree;
    app::myDBname = work;
    std::vector<double> imports, floors;
    long added = -1;
    for (int r = 0; r < runs; ++r) {
        bench::copyFile(table, work);
        {
            app::Form2 form;
            form.Show();
            const double start = nowMs();
            form.Image2_MouseUp(0, 1, 0, 0, 0);
            imports.push_back(nowMs() - start);
        }
        auto database = db::Engine::OpenDatabase(work);
        added = database->OpenRecordset("Favorites")->RecordCount() - kRows;
        database->Close();

        const double start = nowMs();
        const long bytes = readTreeBare(rt::widen(tree));
        floors.push_back(nowMs() - start);
        if (bytes <= 0) std::printf("the bare reading read nothing\n");
    }
    std::printf("import of %d files in %d folders into %d favourites (%ld added, %d messages), median of %d:\n",
                kFolders * kFilesPerFolder, kFolders, kRows, added, int(services.messages.size()), runs);
    std::printf("  through the window %8.1f ms   floor (files listed and read bare) %8.1f ms   ratio %5.2f\n",
                median(imports), median(floors), median(imports) / median(floors));
    return 0;
}
