#include <cstring>

#include "platform/db/internal.h"
#include "platform/db/textrules.h"
#include "platform/runtime/text.h"

namespace qs::db {

DbError::DbError(int number, std::string description) : rt::Error(number, std::move(description)) {}

std::string quoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

namespace detail {

void raise(int number, std::string description) { throw DbError(number, std::move(description)); }

std::string errorText(int number, std::string_view subject) {
    std::string s(subject);
    switch (number) {
    case errInvalidArgument: return "Invalid argument.";
    case errTableExists: return "Table '" + s + "' already exists.";
    case errNoEditInProgress: return "Update or CancelUpdate without AddNew or Edit.";
    case errNoCurrentRecord: return "No current record.";
    case errFileNotFound: return "Could not find file '" + s + "'.";
    case errReadOnly: return "Cannot update. Database or object is read-only.";
    case errNotInTransaction: return "Commit or Rollback without BeginTrans.";
    case errInvalidPath: return "'" + s + "' is not a valid path. Make sure that the path name is spelled correctly.";
    case errCannotOpen:
        return "The database engine cannot open or write to the file '" + s +
               "'. It is already opened exclusively by another user, or you need permission to "
               "view and write its data.";
    case errTooFewParameters: return "Too few parameters. Expected 1.";
    case errUnknownName:
        return "The database engine does not recognize '" + s + "' as a valid field name or expression.";
    case errSyntax: return "Syntax error in query expression '" + s + "'.";
    case errTableNotFound:
        return "The database engine cannot find the input table or query '" + s +
               "'. Make sure it exists and that its name is spelled correctly.";
    case errInvalidName:
        return "'" + s +
               "' is not a valid name. Make sure that it does not include invalid characters "
               "or punctuation and that it is not too long.";
    case errInvalidStatement:
        return "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'.";
    case errFieldTooSmall:
        return "The field is too small to accept the amount of data you attempted to add. Try inserting "
               "or pasting less data.";
    case errRecordDeleted: return "Record is deleted.";
    case errFieldDefinedTwice: return "Cannot define field more than once.";
    case errDatabaseExists: return "Database already exists.";
    case errInvalidFieldType: return "Invalid field data type.";
    case errLocked: return "Could not update; currently locked.";
    case errNoFields: return "No field defined--cannot append TableDef or Index.";
    case errItemNotFound: return "Item not found in this collection.";
    case errObjectClosed: return "Object invalid or no longer set.";
    case errConversion: return "Data type conversion error.";
    case errNotADatabase: return "Unrecognized database format '" + s + "'.";
    case 3131: return "Syntax error in FROM clause.";
    case 3138: return "Syntax error in ORDER BY clause.";
    case 3141:
        return "The SELECT statement includes a reserved word or an argument name that is misspelled or "
               "missing, or the punctuation is incorrect.";
    case 3142: return "Characters found after end of SQL statement.";
    case 3360: return "Query is too complex.";
    case 3049: return "Cannot open database '" + s + "'. The file may be damaged.";
    case 3035: return "System resource exceeded.";
    }
    return "Database engine error " + std::to_string(number) + (s.empty() ? "." : ": " + s);
}

void raiseNumber(int number, std::string_view subject) { raise(number, errorText(number, subject)); }

int TableInfo::find(std::string_view n) const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (equalText(columns[i].name, n)) return static_cast<int>(i);
    return -1;
}

const char* declaredType(int type) {
    switch (type) {
    case dbBoolean: return "BOOLEAN";
    case dbLong: return "INTEGER";
    case dbDate: return "DATETIME";
    case dbText: return "TEXT COLLATE QSCI";
    }
    return nullptr;
}

int typeFromDeclared(std::string_view decl) {
    if (equalText(decl, "BOOLEAN")) return dbBoolean;
    if (equalText(decl, "INTEGER")) return dbLong;
    if (equalText(decl, "DATETIME")) return dbDate;
    return dbText;
}

Connection::~Connection() { close(); }

void Connection::close() {
    if (!db) return;
    // Statements that recordsets keep prepared go with the connection, so the file is released now.
    while (sqlite3_stmt* st = sqlite3_next_stmt(db, nullptr)) sqlite3_finalize(st);
    sqlite3_close_v2(db);  // rolls back an open transaction
    db = nullptr;
    depth = 0;
}

sqlite3* Connection::handle() {
    if (!db) raiseNumber(errObjectClosed);
    return db;
}

void Connection::fail(int rc) {
    std::string msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    noticeLostTransaction();
    switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: raiseNumber(errLocked);
    case SQLITE_READONLY: raiseNumber(errReadOnly);
    case SQLITE_NOTADB: raiseNumber(errNotADatabase, path);
    case SQLITE_CORRUPT: raiseNumber(3049, path);
    case SQLITE_CANTOPEN:
    case SQLITE_PERM: raiseNumber(errCannotOpen, path);
    case SQLITE_FULL:
    case SQLITE_NOMEM: raiseNumber(3035);
    case SQLITE_ERROR:
        if (msg.find("invalid pattern") != std::string::npos) raiseNumber(errSyntax, msg);
        break;
    }
    raise(3000, "Database engine error: " + msg);
}

std::optional<TableInfo> Connection::findTable(std::string_view name) {
    TableInfo t;
    {
        Stmt q(*this,
               "SELECT name FROM sqlite_schema WHERE type = 'table' AND name = ?1 COLLATE QSCI "
               "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
        q.bind(1, std::string(name));
        if (!q.step()) return std::nullopt;
        t.name = std::string(q.text(0));
    }
    Stmt cols(*this, "SELECT name, type FROM pragma_table_info(?1) ORDER BY cid");
    cols.bind(1, t.name);
    while (cols.step()) t.columns.push_back({std::string(cols.text(0)), typeFromDeclared(cols.text(1))});
    return t;
}

TableInfo Connection::table(std::string_view name) {
    auto t = findTable(name);
    if (!t) raiseNumber(errTableNotFound, name);
    return *t;
}

Stmt::Stmt(Connection& c, const std::string& sql) : c_(c) {
    int rc = sqlite3_prepare_v2(c.handle(), sql.c_str(), static_cast<int>(sql.size()) + 1, &st_, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(st_);
        st_ = nullptr;
        c.fail(rc);
    }
}

Stmt::~Stmt() {
    if (owned_) {
        sqlite3_finalize(st_);
    } else {
        sqlite3_reset(st_);
        sqlite3_clear_bindings(st_);
    }
}

void Stmt::bind(int i, const Param& p) {
    int rc = SQLITE_OK;
    if (auto n = std::get_if<int64_t>(&p))
        rc = sqlite3_bind_int64(st_, i, *n);
    else if (auto d = std::get_if<double>(&p))
        rc = sqlite3_bind_double(st_, i, *d);
    else if (auto s = std::get_if<std::string>(&p))
        rc = sqlite3_bind_text(st_, i, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
    else
        rc = sqlite3_bind_null(st_, i);
    if (rc != SQLITE_OK) c_.fail(rc);
}

void Stmt::bindAll(const std::vector<Param>& params, int first) {
    for (std::size_t i = 0; i < params.size(); ++i) bind(first + static_cast<int>(i), params[i]);
}

bool Stmt::step() {
    int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(st_);
    c_.fail(rc);
}

void Stmt::reset() {
    sqlite3_reset(st_);
    sqlite3_clear_bindings(st_);
}

std::string_view Stmt::text(int col) const {
    auto p = reinterpret_cast<const char*>(sqlite3_column_text(st_, col));
    return p ? std::string_view(p, sqlite3_column_bytes(st_, col)) : std::string_view();
}

void exec(Connection& c, const char* sql) {
    char* err = nullptr;
    int rc = sqlite3_exec(c.handle(), sql, nullptr, nullptr, &err);
    sqlite3_free(err);
    if (rc != SQLITE_OK) c.fail(rc);
}

void exec(Connection& c, const std::string& sql) { exec(c, sql.c_str()); }

std::string textIndexSql(std::string_view table, std::string_view column) {
    // "!" cannot occur in a table or field name, so the name never meets a table's or another index's.
    const std::string name = std::string(table) + "!" + std::string(column);
    return "CREATE INDEX IF NOT EXISTS " + quoted(name) + " ON " + quoted(table) + " (" + quoted(column) +
           " COLLATE QSCI)";
}

void addMissingTextIndexes(Connection& c) {
    std::vector<std::string> missing;
    {
        Stmt q(c,
               "SELECT m.name, p.name FROM sqlite_schema AS m, pragma_table_info(m.name) AS p "
               "WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
               "AND upper(p.type) NOT IN ('BOOLEAN', 'INTEGER', 'DATETIME') AND m.name || '!' || p.name NOT IN "
               "(SELECT name FROM sqlite_schema WHERE type = 'index')");
        while (q.step()) missing.push_back(textIndexSql(q.text(0), q.text(1)));
    }
    if (missing.empty()) return;
    waitForLocks(c, false);
    try {
        exec(c, "BEGIN IMMEDIATE");
        try {
            for (const std::string& sql : missing) exec(c, sql.c_str());
            exec(c, "COMMIT");
        } catch (...) {
            sqlite3_exec(c.db, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    } catch (const DbError&) {
        // Read-only or busy: the next open tries again.
    }
    waitForLocks(c);
}

namespace {

int collateText(void*, int na, const void* a, int nb, const void* b) {
    return compareText(std::string_view(static_cast<const char*>(a), na),
                       std::string_view(static_cast<const char*>(b), nb));
}

void deletePattern(void* p) { delete static_cast<LikePattern*>(p); }

// qs_like(pattern, value): 1 or 0, Null when either is Null.
void likeFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    auto value = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    std::string_view text(value, sqlite3_value_bytes(argv[1]));
    if (auto pattern = static_cast<LikePattern*>(sqlite3_get_auxdata(ctx, 0))) {
        sqlite3_result_int(ctx, pattern->matches(text));
        return;
    }
    auto fresh = new LikePattern;
    auto source = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    if (!fresh->compile(std::string_view(source, sqlite3_value_bytes(argv[0])))) {
        delete fresh;
        sqlite3_result_error(ctx, "invalid pattern string", -1);
        return;
    }
    sqlite3_result_int(ctx, fresh->matches(text));
    sqlite3_set_auxdata(ctx, 0, fresh, deletePattern);  // SQLite owns it from here, may free it at once
}

}  // namespace

void registerFunctions(sqlite3* db) {
    initTextRules();
    sqlite3_create_collation_v2(db, "QSCI", SQLITE_UTF8, nullptr, collateText, nullptr);
    sqlite3_create_function_v2(db, "qs_like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                               likeFunction, nullptr, nullptr, nullptr);
}

}  // namespace detail
}  // namespace qs::db
