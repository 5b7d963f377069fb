#pragma once
// Test databases: a file with the program's tables (or the Jobs table alone, for a file that lacks the
// others), rows seeded through the engine in one transaction, and the Jobs table read back.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/db/db.h"

namespace qs::test {

// A new database file at `path` with the program's four tables, empty, made by the program's own schema
// procedures.
void createProgramDatabase(const std::string& path);
// A new database file holding only the Jobs table, its fields as the program makes them; left open.
std::shared_ptr<db::Database> createJobsDatabase(const std::string& path);

// One row added through an open recordset of its table (a job's JobName and JobLocation cut from its full
// path as the program cuts them).
void addJob(db::Recordset& jobs, const std::string& fullName, const db::Value& date,
            const db::Value& permanent = false);
void addFavorite(db::Recordset& favorites, const std::string& name, const std::string& url,
                 const std::string& keywords);
void addPhone(db::Recordset& phone, const std::string& name, const std::string& info);

// Rows for a database file, added in one engine transaction: commit() writes them with one synced commit
// (a commit of its own costs a row about 2 ms). Without commit() the file is left as it was.
class Seed {
public:
    explicit Seed(const std::string& path);
    ~Seed();
    Seed(const Seed&) = delete;
    Seed& operator=(const Seed&) = delete;

    // A job by its full path; JobName and JobLocation (with its trailing backslash) are cut from it as the
    // program cuts them.
    Seed& job(const std::string& fullName, const db::Value& date, const db::Value& permanent = false);
    Seed& favorite(const std::string& name, const std::string& url, const std::string& keywords);
    Seed& phone(const std::string& name, const std::string& info);
    // A row of any table: the fields named, the others Null.
    Seed& row(const std::string& table, std::initializer_list<std::pair<std::string, db::Value>> fields);
    // `count` jobs named numberedJob(0) on, in 97 folders, dated over 2,000 days, every seventh permanent.
    Seed& numberedJobs(long count);

    void commit();

private:
    db::Recordset& table(const std::string& name);

    std::shared_ptr<db::Database> database_;
    std::optional<db::Transaction> transaction_;
    std::map<std::string, std::shared_ptr<db::Recordset>> tables_;
};

constexpr int kPermanentEvery = 7;  // every seventh of numberedJobs is permanent
// "REPORT 000042.DOC": names that sort in the order of i.
std::string numberedJob(long i);

struct JobRow {
    std::string name, location, fullName;
    db::Value date;
    db::Value permanent;
};
// The Jobs table in its stored order.
std::vector<JobRow> readJobs(const std::string& dbPath);
// The rows whose JobFullName equals `fullName` exactly.
std::vector<JobRow> jobsNamed(const std::string& dbPath, const std::string& fullName);

}  // namespace qs::test
