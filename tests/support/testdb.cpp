#include "tests/support/testdb.h"

#include <cstdio>

#include "app/data/schema.h"

namespace qs::test {

void createProgramDatabase(const std::string& path) {
    app::CreateDatabaseX(path);
    app::CreateTableDefX(path);
}

std::shared_ptr<db::Database> createJobsDatabase(const std::string& path) {
    auto database = db::Engine::CreateDatabase(path);
    auto jobs = database->CreateTableDef("Jobs");
    jobs->appendField(jobs->CreateField("JobName", db::dbText));
    jobs->appendField(jobs->CreateField("JobDate", db::dbDate));
    jobs->appendField(jobs->CreateField("JobLocation", db::dbText));
    jobs->appendField(jobs->CreateField("JobFullName", db::dbText));
    jobs->appendField(jobs->CreateField("JobPermanent", db::dbBoolean));
    database->appendTableDef(jobs);
    return database;
}

Seed::Seed(const std::string& path) : database_(db::Engine::OpenDatabase(path)) { transaction_.emplace(*database_); }

Seed::~Seed() {
    tables_.clear();
    transaction_.reset();  // rolls back what was not committed
    database_->Close();
}

db::Recordset& Seed::table(const std::string& name) {
    auto& rs = tables_[name];
    if (!rs) rs = database_->OpenRecordset(name);
    return *rs;
}

void addJob(db::Recordset& jobs, const std::string& fullName, const db::Value& date, const db::Value& permanent) {
    const size_t cut = fullName.find_last_of('\\');
    jobs.AddNew();
    jobs.set("JobName", fullName.substr(cut + 1));
    jobs.set("JobLocation", fullName.substr(0, cut + 1));
    jobs.set("JobDate", date);
    jobs.set("JobFullName", fullName);
    jobs.set("JobPermanent", permanent);
    jobs.Update();
}

void addFavorite(db::Recordset& favorites, const std::string& name, const std::string& url,
                 const std::string& keywords) {
    favorites.AddNew();
    favorites.set("FavName", name);
    favorites.set("FavURL", url);
    favorites.set("FavKeywords", keywords);
    favorites.Update();
}

void addPhone(db::Recordset& phone, const std::string& name, const std::string& info) {
    phone.AddNew();
    phone.set("PName", name);
    phone.set("PInfo", info);
    phone.Update();
}

Seed& Seed::job(const std::string& fullName, const db::Value& date, const db::Value& permanent) {
    addJob(table("Jobs"), fullName, date, permanent);
    return *this;
}

Seed& Seed::favorite(const std::string& name, const std::string& url, const std::string& keywords) {
    addFavorite(table("Favorites"), name, url, keywords);
    return *this;
}

Seed& Seed::phone(const std::string& name, const std::string& info) {
    addPhone(table("Phone"), name, info);
    return *this;
}

Seed& Seed::row(const std::string& name, std::initializer_list<std::pair<std::string, db::Value>> fields) {
    db::Recordset& rs = table(name);
    rs.AddNew();
    for (const auto& [field, value] : fields) rs.set(field, value);
    rs.Update();
    return *this;
}

std::string numberedJob(long i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "REPORT %06ld.DOC", i);
    return buf;
}

Seed& Seed::numberedJobs(long count) {
    for (long i = 0; i < count; ++i) {
        const std::string folder = "C:\\USERS\\ME\\DOCUMENTS\\PROJECT " + std::to_string(i % 97) + "\\";
        job(folder + numberedJob(i), db::Date{44000.0 + double(i % 2000) + double(i % 1440) / 1440.0},
            i % kPermanentEvery == kPermanentEvery - 1);
    }
    return *this;
}

void Seed::commit() {
    tables_.clear();
    transaction_->commit();
}

std::vector<JobRow> readJobs(const std::string& dbPath) {
    auto database = db::Engine::OpenDatabase(dbPath);
    auto jobs = database->OpenRecordset("Jobs", db::dbOpenDynaset);
    std::vector<JobRow> rows;
    for (; !jobs->EOF_(); jobs->MoveNext())
        rows.push_back({db::textOf(jobs->get("JobName")), db::textOf(jobs->get("JobLocation")),
                        db::textOf(jobs->get("JobFullName")), jobs->get("JobDate"), jobs->get("JobPermanent")});
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

}  // namespace qs::test
