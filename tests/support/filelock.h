#pragma once
// Another program's hold on a database file: a connection of its own in an exclusive transaction, so that
// every other connection finds the file locked until release().
#include <windows.h>

#include <sqlite3.h>

#include <string>

namespace qs::test {

class ExclusiveLock {
public:
    explicit ExclusiveLock(const std::string& path) {
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
        held_ = sqlite3_exec(db_, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~ExclusiveLock() { sqlite3_close_v2(db_); }  // rolls back
    bool held() const { return held_; }
    void release() {
        if (held_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        held_ = false;
    }

private:
    sqlite3* db_ = nullptr;
    bool held_ = false;
};

template <class F>
double secondsOf(F&& action) {
    const ULONGLONG start = GetTickCount64();
    action();
    return double(GetTickCount64() - start) / 1000.0;
}

}  // namespace qs::test
