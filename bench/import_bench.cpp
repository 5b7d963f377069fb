// The favourites import through its window: a tree of 10,000 .url files in 100 folders into a Favorites
// table of 10,000 rows, half of the names already there. Beside it, in the same run, the floor: the same
// tree listed and every file read, bare.
// Usage: import_bench [runs]   (the tree and the table are made once, in the prefix's Temp)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/data/schema.h"
#include "app/dialogs/form2.h"
#include "app/globals.h"
#include "platform/db/db.h"
#include "platform/runtime/services.h"
#include "platform/runtime/text.h"

using namespace qs;

namespace {

constexpr int kFolders = 100, kFilesPerFolder = 100, kRows = 10000;

double nowMs() {
  static const LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return 1000.0 * double(t.QuadPart) / double(freq.QuadPart);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The folder picker answers with the tree; messages are counted, not shown.
struct BenchServices : rt::Services {
  std::string folder;
  int messages = 0;
  BenchServices() { rt::setServices(this); }
  ~BenchServices() override { rt::setServices(nullptr); }
  std::string browseForFolder(HWND, const std::string&) override { return folder; }
  int msgBox(const std::string&, int, const std::string&) override { return ++messages, IDOK; }
};

bool exists(const std::string& path) { return GetFileAttributesW(rt::widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

void writeFile(const std::string& path, const std::string& text) {
  HANDLE h = CreateFileW(rt::widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(h, text.data(), DWORD(text.size()), &written, nullptr);
  CloseHandle(h);
}

std::string siteName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "Site %05d", i);
  return name;
}

void makeTree(const std::string& root) {
  CreateDirectoryW(rt::widen(root).c_str(), nullptr);
  for (int f = 0; f < kFolders; ++f) {
    const std::string folder = root + "\\Folder " + std::to_string(f);
    CreateDirectoryW(rt::widen(folder).c_str(), nullptr);
    for (int n = 0; n < kFilesPerFolder; ++n) {
      const int i = f * kFilesPerFolder + n;
      writeFile(folder + "\\" + siteName(i) + ".url",
                "[DEFAULT]\r\nBASEURL=http://site-" + std::to_string(i) + ".example/\r\n[InternetShortcut]\r\nURL=http://site-" +
                    std::to_string(i) + ".example/start\r\nIconIndex=0\r\n");
    }
  }
  writeFile(root + "\\complete", "");
}

// Favourites SITE 05000 to SITE 14999: the tree's second half is there already.
void makeTable(const std::string& path) {
  app::CreateDatabaseX(path);
  app::CreateTableDefX(path);
  auto database = db::Engine::OpenDatabase(path);
  auto favs = database->OpenRecordset("Favorites");
  db::Transaction all(*database);
  for (int i = kRows / 2; i < kRows / 2 + kRows; ++i) {
    favs->AddNew();
    favs->set("FavName", rt::UCase(siteName(i)));
    favs->set("FavURL", "http://site-" + std::to_string(i) + ".example/");
    favs->set("FavKeywords", std::string(" "));
    favs->Update();
  }
  all.commit();
  database->Close();
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
  const std::string tree = base + "\\tree", table = base + "\\favourites.mdb", work = base + "\\work.mdb";
  CreateDirectoryW(rt::widen(base).c_str(), nullptr);
  if (!exists(tree + "\\complete")) {
    const double start = nowMs();
    makeTree(tree);
    std::printf("tree of %d files made in %.0f ms\n", kFolders * kFilesPerFolder, nowMs() - start);
  }
  if (!exists(table)) makeTable(table);

  BenchServices services;
  services.folder = tree;
  app::myDBname = work;
  std::vector<double> imports, floors;
  long added = -1;
  for (int r = 0; r < runs; ++r) {
    CopyFileW(rt::widen(table).c_str(), rt::widen(work).c_str(), FALSE);
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
              kFolders * kFilesPerFolder, kFolders, kRows, added, services.messages, runs);
  std::printf("  through the window %8.1f ms   floor (files listed and read bare) %8.1f ms   ratio %5.2f\n",
              median(imports), median(floors), median(imports) / median(floors));
  DeleteFileW(rt::widen(work).c_str());
  return 0;
}
