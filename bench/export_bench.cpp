// The export through the About window: 100,000 jobs, 10,000 favourites and 10,000 phone rows to a text
// file. Beside it, in the same run, the floor: the same bytes written to a file bare.
// Usage: export_bench [runs]   (the database is made once, in the prefix's Temp)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/data/schema.h"
#include "app/dialogs/form4.h"
#include "app/globals.h"
#include "platform/db/db.h"
#include "platform/runtime/services.h"
#include "platform/runtime/text.h"

using namespace qs;

namespace {

constexpr int kJobs = 100000, kFavourites = 10000, kPhone = 10000;

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

// The save dialog answers with the output file; the overwrite question with OK.
struct BenchServices : rt::Services {
  std::string file;
  int messages = 0;
  BenchServices() { rt::setServices(this); }
  ~BenchServices() override { rt::setServices(nullptr); }
  std::string saveFileDialog(const rt::FileDialogRequest&) override { return file; }
  int msgBox(const std::string&, int, const std::string&) override { return ++messages, IDOK; }
};

bool exists(const std::string& path) { return GetFileAttributesW(rt::widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

void makeDatabase(const std::string& path) {
  const std::string building = path + ".new";
  DeleteFileW(rt::widen(building).c_str());
  app::CreateDatabaseX(building);
  app::CreateTableDefX(building);
  auto database = db::Engine::OpenDatabase(building);
  {
    db::Transaction all(*database);
    auto jobs = database->OpenRecordset("Jobs");
    static const char* const words[] = {"LETTER", "BUDGET", "INVOICE", "NOTES", "MINUTES", "PLAN", "REPORT"};
    for (int i = 0; i < kJobs; ++i) {
      const std::string folder = "C:\\USERS\\CLERK\\DOCUMENTS\\PROJECT " + std::to_string(i % 200) + "\\";
      const std::string name = std::string(words[i % 7]) + " " + std::to_string(i) + ".DOC";
      jobs->AddNew();
      jobs->set("JobName", name);
      jobs->set("JobDate", db::Date{45000.0 + i / 97.0});
      jobs->set("JobLocation", folder);
      jobs->set("JobFullName", folder + name);
      jobs->set("JobPermanent", i % 7 == 0);
      jobs->Update();
    }
    auto favs = database->OpenRecordset("Favorites");
    for (int i = 0; i < kFavourites; ++i) {
      favs->AddNew();
      favs->set("FavName", "SITE " + std::to_string(i));
      favs->set("FavURL", "http://site-" + std::to_string(i) + ".example/start");
      favs->set("FavKeywords", std::string(i % 3 ? " " : "NEWS DAILY"));
      favs->Update();
    }
    auto phone = database->OpenRecordset("Phone");
    for (int i = 0; i < kPhone; ++i) {
      phone->AddNew();
      phone->set("PName", "PERSON " + std::to_string(i));
      phone->set("PInfo", "EXT " + std::to_string(2000 + i % 900) + "  ROOM " + std::to_string(i % 60));
      phone->Update();
    }
    all.commit();
  }
  database->Close();
  MoveFileW(rt::widen(building).c_str(), rt::widen(path).c_str());
}

std::string readAll(const std::string& path) {
  std::string bytes;
  HANDLE h = CreateFileW(rt::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  bytes.resize(GetFileSize(h, nullptr));
  DWORD got = 0;
  ReadFile(h, bytes.data(), DWORD(bytes.size()), &got, nullptr);
  bytes.resize(got);
  CloseHandle(h);
  return bytes;
}

// The floor: the export's bytes written by one call.
void writeBare(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileW(rt::widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  CloseHandle(h);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  const std::string base = rt::narrow(tmp) + "qs_export_bench";
  CreateDirectoryW(rt::widen(base).c_str(), nullptr);
  const std::string dbPath = base + "\\export.mdb", out = base + "\\export.txt", bare = base + "\\bare.txt";
  if (!exists(dbPath)) {
    const double start = nowMs();
    makeDatabase(dbPath);
    std::printf("database made in %.0f ms\n", nowMs() - start);
  }

  BenchServices services;
  services.file = out;
  app::myDBname = dbPath;
  app::Form4 about;
  about.Show();
  std::vector<double> exports, floors;
  for (int r = 0; r < runs; ++r) {
    double start = nowMs();
    about.Image3_MouseUp(0, 1, 0, 0, 0);
    exports.push_back(nowMs() - start);

    const std::string bytes = readAll(out);
    start = nowMs();
    writeBare(bare, bytes);
    floors.push_back(nowMs() - start);
  }
  const std::string bytes = readAll(out);
  const long lines = long(std::count(bytes.begin(), bytes.end(), '\n'));
  std::printf("export of %d jobs, %d favourites, %d phone rows (%ld lines, %.1f MB), median of %d:\n", kJobs,
              kFavourites, kPhone, lines, bytes.size() / 1048576.0, runs);
  std::printf("  through the window %8.1f ms   floor (same bytes written bare) %8.1f ms   ratio %5.2f\n",
              median(exports), median(floors), median(exports) / median(floors));
  DeleteFileW(rt::widen(out).c_str());
  DeleteFileW(rt::widen(bare).c_str());
  return 0;
}
