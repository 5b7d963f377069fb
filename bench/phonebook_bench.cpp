// The phone-book import of 10,000 names, half of them in the Phone table of 10,000 names already, next to
// the floor: the same lookups and inserts by bare SQLite in one transaction, on a fresh copy of the same
// file each run.
#include <windows.h>

#include <sqlite3.h>

#include <cstdio>
#include <string>

#include "app/phonebook.h"
#include "bench/baresqlite.h"
#include "bench/benchutil.h"
#include "platform/db/db.h"
#include "platform/runtime/text.h"
#include "tests/support/files.h"
#include "tests/support/services.h"
#include "tests/support/testdb.h"

using namespace qs;
using bench::check;
using bench::openBare;

namespace {

constexpr int kNames = 10000;
constexpr int kRuns = 5;  // each figure the median of five

std::string personName(int i) {
    static const char* const surnames[] = {"Holm", "Berg", "Lie", "Dahl", "Strand", "Moen", "Bakke", "Haugen"};
    unsigned h = static_cast<unsigned>(i) * 2654435761u;
    return std::string(surnames[h % 8]) + " " + std::to_string(i);
}

// `count` rows of (name i, info) from `first` on, into the table's two fields.
void fill(const std::string& path, const char* table, const char* nameField, const char* infoField, int first,
          int count, bool upper) {
    test::Seed rows(path);
    for (int i = first; i < first + count; ++i) {
        std::string name = personName(i), info = "ext " + std::to_string(1000 + i % 9000);
        if (upper) name = rt::UCase(name), info = rt::UCase(info);
        rows.row(table, {{nameField, name}, {infoField, info}});
    }
    rows.commit();
}

// What the import does, with nothing in between: each name looked up in the engine's text order
// through its index, added when missing, all in one transaction.
void bareImport(const std::string& dbPath, const std::string& bookPath) {
    sqlite3* db = openBare(dbPath);
    sqlite3* book = openBare(bookPath);
    sqlite3_stmt *read = nullptr, *find = nullptr, *add = nullptr;
    check(sqlite3_prepare_v2(book, "SELECT Field1, Field2 FROM \"Town Staff\" ORDER BY rowid", -1, &read, nullptr),
          book);
    check(sqlite3_prepare_v2(db, "SELECT rowid FROM Phone WHERE PName = ?1 COLLATE QSCI", -1, &find, nullptr), db);
    check(sqlite3_prepare_v2(db, "INSERT INTO Phone VALUES (?1, ?2)", -1, &add, nullptr), db);
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    while (sqlite3_step(read) == SQLITE_ROW) {
        std::string name = reinterpret_cast<const char*>(sqlite3_column_text(read, 0));
        std::string info = reinterpret_cast<const char*>(sqlite3_column_text(read, 1));
        sqlite3_bind_text(find, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        bool found = sqlite3_step(find) == SQLITE_ROW;
        sqlite3_reset(find);
        if (found) continue;
        name = rt::UCase(name);
        info = rt::UCase(info);
        sqlite3_bind_text(add, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(add, 2, info.c_str(), -1, SQLITE_TRANSIENT);
        check(sqlite3_step(add), db);
        sqlite3_reset(add);
    }
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    for (sqlite3_stmt* st : {read, find, add}) sqlite3_finalize(st);
    sqlite3_close(book);
    sqlite3_close(db);
}

long phoneCount(const std::string& path) {
    return db::Engine::OpenDatabase(path)->OpenRecordset("Phone")->RecordCount();
}

}  // namespace

int main() {
    test::TempDir dir("phonebookbench");
    const std::string seeded = dir.file("seeded.mdb"), run = dir.file("run.mdb"), book = dir.file("book.mdb");
    test::FakeServices services;

    test::createProgramDatabase(seeded);
    fill(seeded, "Phone", "PName", "PInfo", 0, kNames, true);
    {
        auto b = db::Engine::CreateDatabase(book);
        auto def = b->CreateTableDef("Town Staff");
        def->appendField(def->CreateField("Field1", db::dbText));
        def->appendField(def->CreateField("Field2", db::dbText));
        b->appendTableDef(def);
    }
    fill(book, "Town Staff", "Field1", "Field2", kNames / 2, kNames, false);

    auto fresh = [&] { bench::copyFile(seeded, run); };
    double engine = bench::timeIt(
        fresh,
        [&] {
            if (!app::importPhoneBook(run, book)) std::exit(4);
        },
        kRuns);
    const long engineRows = phoneCount(run);
    double bare = bench::timeIt(
        fresh, [&] { bareImport(run, book); }, kRuns);
    const long bareRows = phoneCount(run);
    std::printf("Phone rows after the import: %ld (bare: %ld)\n", engineRows, bareRows);
    std::printf("%-44s engine %8.2f ms   bare %8.2f ms   ratio %5.2f\n", "import 10,000 names into 10,000", engine,
                bare, engine / bare);

    for (const std::string& text : services.messages) std::fprintf(stderr, "message: %s\n", text.c_str());
    if (!services.messages.empty()) return 2;
    return engineRows == kNames * 3 / 2 && bareRows == kNames * 3 / 2 ? 0 : 5;
}
