#pragma once
// Shared by the engine's tests: a scratch folder and a database with the Jobs table.
#include <windows.h>

#include <string>

#include "platform/db/db.h"
#include "platform/runtime/text.h"

namespace qs::db::test {

// A fresh folder under %TEMP%, removed with its files at the end of the test.
class TempDir {
public:
    TempDir() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        static int serial = 0;
        path_ = rt::narrow(base) + "qsdb_" + std::to_string(GetCurrentProcessId()) + "_" +
                std::to_string(++serial);
        CreateDirectoryW(rt::widen(path_).c_str(), nullptr);
    }
    ~TempDir() {
        WIN32_FIND_DATAW fd;
        std::wstring dir = rt::widen(path_);
        HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = fd.cFileName;
                if (name == L"." || name == L"..") continue;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveDirectoryW((dir + L"\\" + name).c_str());
                else DeleteFileW((dir + L"\\" + name).c_str());
            } while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryW(dir.c_str());
    }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline void writeFile(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileW(rt::widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(h);
}

inline std::string readFile(const std::string& path) {
    HANDLE h = CreateFileW(rt::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string bytes(GetFileSize(h, nullptr), '\0');
    DWORD n = 0;
    ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(h);
    return bytes;
}

// A new database at `path` with table Jobs as the program makes it.
inline std::shared_ptr<Database> makeJobsDatabase(const std::string& path) {
    auto database = Engine::CreateDatabase(path);
    auto jobs = database->CreateTableDef("Jobs");
    jobs->appendField(jobs->CreateField("JobName", dbText));
    jobs->appendField(jobs->CreateField("JobDate", dbDate));
    jobs->appendField(jobs->CreateField("JobLocation", dbText));
    jobs->appendField(jobs->CreateField("JobFullName", dbText));
    jobs->appendField(jobs->CreateField("JobPermanent", dbBoolean));
    database->appendTableDef(jobs);
    return database;
}

inline void addJob(Recordset& rs, const std::string& name, double date, bool permanent = false) {
    rs.AddNew();
    rs.set("JobName", name);
    rs.set("JobDate", Date{date});
    rs.set("JobLocation", std::string("C:\\DOCS\\"));
    rs.set("JobFullName", "C:\\DOCS\\" + name);
    rs.set("JobPermanent", permanent);
    rs.Update();
}

// The error number an action throws, 0 when it throws nothing.
template <class F>
int errorOf(F&& action) {
    try {
        action();
    } catch (const DbError& e) {
        return e.number;
    }
    return 0;
}

}  // namespace qs::db::test
