#include "tests/collect/collect_support.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/runtime/app.h"
#include "platform/runtime/text.h"

namespace qs::test {
namespace {

void removeTree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = dir + L"\\" + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(full);
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

void check(HRESULT hr, const char* what) {
    if (FAILED(hr)) throw std::runtime_error(std::string(what) + " failed");
}

}  // namespace

TempDir::TempDir(const std::string& tag) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static unsigned serial = 0;
    std::wstring dir = std::wstring(base) + L"qs_" + rt::widen(tag) + L"_" +
                       std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++serial);
    removeTree(dir);
    if (!CreateDirectoryW(dir.c_str(), nullptr)) throw std::runtime_error("cannot make a test folder");
    // The long form, so that paths compare with what the shell and Dir give back.
    wchar_t longPath[MAX_PATH];
    DWORD n = GetLongPathNameW(dir.c_str(), longPath, MAX_PATH);
    path_ = rt::narrow(n && n < MAX_PATH ? std::wstring(longPath, n) : dir);
}

TempDir::~TempDir() { removeTree(rt::widen(path_)); }

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(std::filesystem::path(rt::widen(path)), std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + path);
}

void setAttributes(const std::string& path, DWORD attributes) {
    if (!SetFileAttributesW(rt::widen(path).c_str(), attributes))
        throw std::runtime_error("cannot set attributes of " + path);
}

void setWriteTime(const std::string& path, int year, int month, int day, int hour, int minute) {
    SYSTEMTIME local{};
    local.wYear = WORD(year);
    local.wMonth = WORD(month);
    local.wDay = WORD(day);
    local.wHour = WORD(hour);
    local.wMinute = WORD(minute);
    SYSTEMTIME utc;
    FILETIME ft;
    TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
    SystemTimeToFileTime(&utc, &ft);
    HANDLE h = CreateFileW(rt::widen(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
}

void makeShortcut(const std::string& lnkPath, const std::string& target) {
    IShellLinkW* link = nullptr;
    check(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                           reinterpret_cast<void**>(&link)),
          "CoCreateInstance(ShellLink)");
    HRESULT hr = link->SetPath(rt::widen(target).c_str());
    IPersistFile* file = nullptr;
    if (SUCCEEDED(hr)) hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(hr)) hr = file->Save(rt::widen(lnkPath).c_str(), TRUE);
    if (file) file->Release();
    link->Release();
    check(hr, "saving a shortcut");
}

void createJobsDatabase(const std::string& path) {
    auto database = db::Engine::CreateDatabase(path);
    auto jobs = database->CreateTableDef("Jobs");
    jobs->appendField(jobs->CreateField("JobName", db::dbText));
    jobs->appendField(jobs->CreateField("JobDate", db::dbDate));
    jobs->appendField(jobs->CreateField("JobLocation", db::dbText));
    jobs->appendField(jobs->CreateField("JobFullName", db::dbText));
    jobs->appendField(jobs->CreateField("JobPermanent", db::dbBoolean));
    database->appendTableDef(jobs);
    database->Close();
}

void addJob(const std::string& dbPath, const std::string& fullName, double date, bool permanent) {
    auto database = db::Engine::OpenDatabase(dbPath);
    auto jobs = database->OpenRecordset("Jobs", db::dbOpenDynaset);
    const size_t cut = fullName.rfind('\\');
    jobs->AddNew();
    jobs->set("JobName", fullName.substr(cut + 1));
    jobs->set("JobDate", db::Date{date});
    jobs->set("JobLocation", fullName.substr(0, cut + 1));
    jobs->set("JobFullName", fullName);
    jobs->set("JobPermanent", permanent);
    jobs->Update();
    jobs->Close();
    database->Close();
}

std::vector<JobRow> readJobs(const std::string& dbPath) {
    auto database = db::Engine::OpenDatabase(dbPath);
    auto jobs = database->OpenRecordset("Jobs", db::dbOpenDynaset);
    std::vector<JobRow> rows;
    while (!jobs->EOF_()) {
        rows.push_back({db::textOf(jobs->get("JobName")), db::textOf(jobs->get("JobLocation")),
                        db::textOf(jobs->get("JobFullName")), jobs->get("JobDate"),
                        jobs->get("JobPermanent")});
        jobs->MoveNext();
    }
    jobs->Close();
    database->Close();
    return rows;
}

std::vector<JobRow> jobsNamed(const std::string& dbPath, const std::string& fullName) {
    std::vector<JobRow> found;
    for (JobRow& row : readJobs(dbPath))
        if (row.fullName == fullName) found.push_back(std::move(row));
    return found;
}

void addNumberedJobs(const std::string& dbPath, int count) {
    auto database = db::Engine::OpenDatabase(dbPath);
    auto jobs = database->OpenRecordset("Jobs", db::dbOpenDynaset);
    char name[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "DOCUMENT %06d.TXT", i);
        const std::string location = "C:\\ARCHIVE\\FOLDER " + std::to_string(i % 97) + "\\";
        jobs->AddNew();
        jobs->set("JobName", std::string(name));
        jobs->set("JobDate", db::Date{44000.0 + i % 1500});
        jobs->set("JobLocation", location);
        jobs->set("JobFullName", location + name);
        jobs->set("JobPermanent", i % 10 == 0);
        jobs->Update();
    }
    jobs->Close();
    database->Close();
}

app::RecentRescan recentRescan(const std::string& recent, const std::string& dbPath,
                               std::vector<std::string>* recentFiles, int16_t* recentFileCount,
                               std::function<void()> refresh) {
    return {recent,
            dbPath,
            recentFiles,
            recentFileCount,
            [](const std::string& s) { return app::resolveShortcutPath(nullptr, s); },
            [] { rt::DoEvents(); },
            std::move(refresh)};
}

std::string readFileBytes(const std::string& path) {
    std::ifstream in(std::filesystem::path(rt::widen(path)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

FakeServices::FakeServices(std::string appPath) : appPath_(std::move(appPath)) { rt::setServices(this); }
FakeServices::~FakeServices() { rt::setServices(nullptr); }

int FakeServices::msgBox(const std::string& text, int, const std::string&) {
    messages.push_back(text);
    return IDOK;
}

}  // namespace qs::test
