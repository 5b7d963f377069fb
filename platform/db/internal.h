// What the engine's parts share: the connection, table shapes, statements and error helpers.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/db/db.h"
#include "platform/runtime/text.h"

namespace qs::db::detail {

// Marks a file as one of ours ("QSDB").
constexpr int kApplicationId = 0x51534442;
constexpr int kFormatVersion = 1;

[[noreturn]] void raise(int number, std::string description);
std::string errorText(int number, std::string_view subject = {});
[[noreturn]] void raiseNumber(int number, std::string_view subject = {});

using rt::narrow;
using rt::widen;

// A literal bound to a statement.
using Param = std::variant<std::monostate, int64_t, double, std::string>;

struct Column {
    std::string name;  // as created
    int type = dbText;
};

struct TableInfo {
    std::string name;  // as created
    std::vector<Column> columns;
    int find(std::string_view name) const;  // -1 when absent; letter case ignored
};

const char* declaredType(int type);  // nullptr for an unknown type code
int typeFromDeclared(std::string_view decl);

struct RecordsetState;

// One open file. Recordsets share it with their Database; Close() releases the handle and
// later use fails with 3420.
struct Connection {
    sqlite3* db = nullptr;
    std::string path;
    int depth = 0;                            // open BeginTrans levels: 1 the transaction, more its savepoints
    uint64_t rollbacks = 0;                   // counts rollbacks, so a recordset knows it has rows to forget
    std::vector<RecordsetState*> recordsets;  // the open ones, told of each rollback

    ~Connection();
    void close();
    sqlite3* handle();  // 3420 when closed
    [[noreturn]] void fail(int rc);

    // The levels of Database::BeginTrans. unwind rolls back every level above `level` and never throws.
    // An outer level that only reads (`reading`) takes no lock until its first statement needs one.
    void begin(bool reading = false);
    void commit();
    void rollback();
    void unwind(int level) noexcept;
    // SQLite ends a transaction by itself on some failures (disk full, I/O): the levels are gone then.
    void noticeLostTransaction() noexcept;
    void afterRollback() noexcept;
    std::optional<TableInfo> findTable(std::string_view name);
    TableInfo table(std::string_view name);  // 3078 when absent
};

// A prepared statement that never outlives the call that made it.
class Stmt {
public:
    Stmt(Connection& c, const std::string& sql);
    // A statement kept prepared by its owner: reset and its bindings cleared when done, not finalized.
    Stmt(Connection& c, sqlite3_stmt* kept) : c_(c), st_(kept), owned_(false) {}
    ~Stmt();
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;

    void bind(int index, const Param& p);
    void bindAll(const std::vector<Param>& params, int first = 1);
    bool step();  // true while a row is there
    void reset();
    sqlite3_stmt* get() const { return st_; }
    int64_t int64(int col) const { return sqlite3_column_int64(st_, col); }
    std::string_view text(int col) const;

private:
    Connection& c_;
    sqlite3_stmt* st_ = nullptr;
    bool owned_ = true;
};

void exec(Connection& c, const char* sql);
void exec(Connection& c, const std::string& sql);

// A locked file makes the connection's statements wait, within the thread's budget of about a second
// (busy.cpp); without `wait` they fail at once.
void waitForLocks(Connection& c, bool wait = true);

// After a rollback: drops what the recordset read, and the rows that left the table leave it. When that
// cannot be read now it is done before the recordset's next use.
void forgetRolledBack(RecordsetState& s) noexcept;
void registerFunctions(sqlite3* db);

// The engine keeps an index of its own on every Text field, in its text order, so that a criterion
// comparing a field with a value, and an order by one field, need no scan and no sort. The program
// never sees them; files without them work as well, only slower.
std::string textIndexSql(std::string_view table, std::string_view column);
// Adds the indexes a file made before them lacks. Gives up quietly when the file cannot be written
// at once (read-only, or another connection writing).
void addMissingTextIndexes(Connection& c);

// Value conversions between the object model and storage.
Value readValue(sqlite3_stmt* st, int col, int type);
Param storeValue(const Value& v);                               // already coerced to the field's type
Value coerce(const Value& v, int type);                         // 3421 when it cannot be converted
std::optional<double> parseDateLiteral(std::string_view text);  // "mm/dd/yyyy[ hh:mm[:ss] [AM|PM]]"
double makeOaDate(int y, int m, int d, int hh, int mi, int ss);

// The engine's query dialect, translated for SQLite.
struct Translated {
    std::string sql;
    std::vector<Param> params;
};

struct SelectQuery {
    TableInfo table;
    std::vector<int> columns;  // of the table, in the select list's order
    Translated where;          // empty sql when there is none
    std::string orderBy;       // "a" ASC, "b" DESC ... or empty
};

// A table name or a SELECT; errors as the engine reports them.
SelectQuery parseSource(Connection& c, const std::string& text);
// A criterion over one table's fields (FindFirst); unknown fields give 3070.
Translated translateCriterion(const TableInfo& t, const std::string& text);
// DELETE [*] FROM table [WHERE criterion]
Translated translateAction(Connection& c, const std::string& text);

}  // namespace qs::db::detail
