#pragma once
// Job databases for the grid tests and the grid benchmark: a fresh file with the Jobs table, single
// rows through the engine, and many rows at once.
#include <windows.h>
#include <sqlite3.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <variant>

#include "platform/db/db.h"
#include "platform/db/internal.h"

namespace jobsdb {

namespace db = qs::db;

constexpr int kPermanentEvery = 7;  // every seventh job of fillJobs is permanent

inline std::string tempPath(const std::string& tag) {
    wchar_t dir[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, dir);
    std::string out;
    for (DWORD i = 0; i < n; ++i) out += char(dir[i]);  // the prefix's temp folder is plain ASCII
    return out + "qs-grid-" + tag + "-" + std::to_string(GetCurrentProcessId()) + ".mdb";
}

inline void removeDatabase(const std::string& path) { DeleteFileA(path.c_str()); }

// A database file holding an empty Jobs table.
inline void createJobsDatabase(const std::string& path) {
    auto d = db::Engine::CreateDatabase(path, ";LANGID=0x0409;CP=1252;COUNTRY=0");
    auto def = d->CreateTableDef("Jobs");
    def->appendField(def->CreateField("JobName", db::dbText));
    def->appendField(def->CreateField("JobDate", db::dbDate));
    def->appendField(def->CreateField("JobLocation", db::dbText));
    def->appendField(def->CreateField("JobFullName", db::dbText));
    def->appendField(def->CreateField("JobPermanent", db::dbBoolean));
    d->appendTableDef(def);
    d->Close();
}

// A new database file holding an empty Jobs table, under a name of its own.
inline std::string freshDatabase(const std::string& tag) {
    std::string path = tempPath(tag);
    removeDatabase(path);
    createJobsDatabase(path);
    return path;
}

inline void addJob(db::Recordset& rs, const std::string& name, const db::Value& date, const db::Value& location,
                   const db::Value& permanent) {
    rs.AddNew();
    rs.set("JobName", name);
    rs.set("JobDate", date);
    rs.set("JobLocation", location);
    rs.set("JobFullName", std::holds_alternative<std::string>(location)
                              ? db::Value(std::get<std::string>(location) + "\\" + name)
                              : db::Value(name));
    rs.set("JobPermanent", permanent);
    rs.Update();
}

// Names that sort in the order of i.
inline std::string jobName(long i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "REPORT %06ld.DOC", i);
    return buf;
}

// Appends `count` jobs in one transaction. The engine writes each row on its own, which is far too
// slow for lists of this size, so the rows go straight into the file the engine keeps them in
// (text as text, dates as their day number, Booleans as -1 and 0). The engine's text order keeps its
// indexes, so the connection needs it too.
inline void fillJobs(const std::string& path, long count) {
    sqlite3* h = nullptr;
    if (sqlite3_open_v2(path.c_str(), &h, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(h);
        throw std::runtime_error("cannot open " + path);
    }
    qs::db::detail::registerFunctions(h);
    sqlite3_exec(h, "PRAGMA cache_size = -65536", nullptr, nullptr, nullptr);  // no spills of the indexes
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h,
                       "INSERT INTO \"Jobs\" (\"JobName\", \"JobDate\", \"JobLocation\", \"JobFullName\", "
                       "\"JobPermanent\") VALUES (?1, ?2, ?3, ?4, ?5)",
                       -1, &st, nullptr);
    for (long i = 0; i < count; ++i) {
        std::string name = jobName(i);
        std::string folder = "C:\\USERS\\ME\\DOCUMENTS\\PROJECT " + std::to_string(i % 97);
        std::string full = folder + "\\" + name;
        sqlite3_bind_text(st, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 2, 44000.0 + double(i % 2000) + double(i % 1440) / 1440.0);
        sqlite3_bind_text(st, 3, folder.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 4, full.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 5, i % kPermanentEvery == kPermanentEvery - 1 ? -1 : 0);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    int rc = sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(h);
    if (rc != SQLITE_OK) throw std::runtime_error("cannot fill " + path);
}

}  // namespace jobsdb
