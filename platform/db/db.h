// The desktop database engine's object model, kept in SQLite files.
//
// Engine opens, creates and compacts database files; Database holds one connection to a file;
// Recordset is a dynaset: the keys of the rows a table or query yields, in its order, with values
// read on demand. Text compares and sorts without regard to letter case, and Like takes the
// engine's patterns (* ? # [list] [!list]). Failures throw DbError with the engine's classic
// numbers. No statement stays open between calls, so several connections to one file (in this
// process or another) never lock each other out; only a transaction keeps the write lock until it
// ends. A file that another program keeps locked costs a thread about a second of waiting in all,
// then fails with 3260 (busy.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/runtime/errors.h"

namespace qs::db {

// Numbers of the errors callers are likely to test for.
enum : int {
    errInvalidArgument = 3001,
    errTableExists = 3010,
    errNoEditInProgress = 3020,  // Update or set without Edit / AddNew
    errNoCurrentRecord = 3021,
    errFileNotFound = 3024,
    errReadOnly = 3027,
    errNotInTransaction = 3034,  // CommitTrans or Rollback without BeginTrans
    errInvalidPath = 3044,
    errCannotOpen = 3051,
    errTooFewParameters = 3061,  // a query names an unknown field
    errUnknownName = 3070,       // a criterion names an unknown field
    errSyntax = 3075,            // malformed expression, criterion or pattern
    errTableNotFound = 3078,
    errInvalidName = 3125,
    errInvalidStatement = 3129,
    errFieldTooSmall = 3163,
    errRecordDeleted = 3167,
    errFieldDefinedTwice = 3191,
    errDatabaseExists = 3204,
    errInvalidFieldType = 3259,
    errLocked = 3260,
    errNoFields = 3264,
    errItemNotFound = 3265,
    errObjectClosed = 3420,
    errConversion = 3421,
    errNotADatabase = 3343,
};

struct DbError : rt::Error {
    DbError(int number, std::string description);
};

// A date and time as an OLE Automation date: days since 30 Dec 1899, time as the fraction.
struct Date {
    double oa = 0;
    friend bool operator==(const Date&, const Date&) = default;
};

// A field value; std::monostate is Null, which differs from the empty text.
using Value = std::variant<std::monostate, bool, int32_t, Date, std::string>;

bool isNull(const Value& v);
// Null -> "", Boolean -> "True"/"False", Long -> decimal, Date -> the system's date-time text.
std::string textOf(const Value& v);

// `text` between double quotes, each quote inside doubled: a criterion or query reads it back as exactly
// `text` (and so does SQLite as a name), so a quote inside can neither end it early nor widen a match.
std::string quoted(std::string_view text);

// Field type codes.
enum FieldType : int { dbBoolean = 1, dbLong = 4, dbDate = 8, dbText = 10 };
constexpr int dbOpenTable = 1;
constexpr int dbOpenDynaset = 2;
constexpr int dbOpenSnapshot = 4;
constexpr int kMaxTextLength = 255;  // characters (UTF-16 units) in a Text field

// Opaque row identity: what Bookmark and LastModified hand out and Bookmark takes back.
using RowKey = std::int64_t;

namespace detail {
struct Connection;
struct RecordsetState;
class TransScope;
}  // namespace detail

class Field {
public:
    Field(std::string name, int type) : name_(std::move(name)), type_(type) {}
    const std::string& Name() const { return name_; }
    int Type() const { return type_; }

private:
    std::string name_;
    int type_;
};

// A table definition: exists in the file only once Database::appendTableDef has taken it.
class TableDef {
public:
    explicit TableDef(std::string name) : name_(std::move(name)) {}
    const std::string& Name() const { return name_; }
    std::shared_ptr<Field> CreateField(const std::string& name, int type);  // 3259 bad type
    void appendField(std::shared_ptr<Field> field);                         // Fields.Append; 3191
    const std::vector<std::shared_ptr<Field>>& fields() const { return fields_; }

private:
    std::string name_;
    std::vector<std::shared_ptr<Field>> fields_;
};

class Recordset;

class Database {
public:
    explicit Database(std::shared_ptr<detail::Connection> conn);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // A table name ("Jobs", "Town Staff", "[Jobs]") or a SELECT in the engine's dialect.
    // Every type (table, dynaset, snapshot) gives the same updatable dynaset.
    std::shared_ptr<Recordset> OpenRecordset(const std::string& tableOrSql, int type = dbOpenDynaset);

    std::shared_ptr<TableDef> CreateTableDef(const std::string& name);
    std::shared_ptr<Field> CreateField(const std::string& name, int type);
    void appendTableDef(const std::shared_ptr<TableDef>& def);  // TableDefs.Append; 3010 when present

    // Runs an action query; only DELETE [*] FROM table [WHERE criterion] is understood.
    void Execute(const std::string& sql);

    // A transaction on this database's connection, its recordsets included: they see their own
    // uncommitted rows, and rows a rollback takes away leave them. BeginTrans takes the write lock at
    // once; inside an open transaction it opens a savepoint instead, which CommitTrans releases and
    // Rollback undoes. CommitTrans of the outer level is one synced commit; when it fails (3260 while
    // another program keeps reading) the transaction stays open. Without BeginTrans both fail with 3034.
    void BeginTrans();
    void CommitTrans();
    void Rollback();
    bool inTransaction() const;

    std::vector<std::string> tableNames();  // in creation order
    std::string Name() const;               // the file's path as opened
    bool isOpen() const;
    // Closes the connection; this database's recordsets then fail with 3420.
    void Close();

private:
    friend class detail::TransScope;
    std::shared_ptr<detail::Connection> conn_;
};

class Recordset {
public:
    explicit Recordset(std::unique_ptr<detail::RecordsetState> state);
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Moving cancels a pending Edit or AddNew. MoveFirst/MoveLast on no rows and MoveNext at EOF
    // (MovePrevious at BOF) fail with 3021.
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    bool EOF_() const;  // past the last row (or no rows)
    bool isEOF() const { return EOF_(); }
    bool BOF() const;  // before the first row (or no rows)

    long RecordCount() const;         // always exact
    long AbsolutePosition() const;    // 0-based; -1 without a current row
    void AbsolutePosition(long pos);  // 3001 when out of range

    // Makes the first row in recordset order that meets the criterion current; without a match
    // NoMatch() is true and the current row stays. Malformed criterion: 3075 / 3070.
    void FindFirst(const std::string& criterion);
    bool NoMatch() const;

    void Edit();    // 3021 without a current row
    void AddNew();  // the new row is appended to this recordset by Update
    void Update();  // 3163 when a text exceeds 255 characters (nothing stored); 3020
    void CancelUpdate();
    int EditMode() const;  // 0 none, 1 Edit, 2 AddNew
    void Delete();         // the row goes; the position stays on the deleted row until a move
    void Requery();        // runs the query again; the first row becomes current

    // Field values of the current row (or of the pending Edit/AddNew). Names are case-insensitive;
    // an unknown name fails with 3265. set converts the value to the field's type (3421).
    Value get(const std::string& name) const;
    Value get(int index) const;
    void set(const std::string& name, const Value& v);
    void set(int index, const Value& v);

    int fieldCount() const;
    std::string fieldName(int index) const;
    int fieldType(int index) const;
    int fieldIndex(const std::string& name) const;  // -1 when absent

    RowKey Bookmark() const;      // 3021 without a current row
    void Bookmark(RowKey key);    // 3167 when that row is gone
    RowKey LastModified() const;  // 3021 when nothing was added or changed yet

    // Fast reads for grids: record `row` (0-based, recordset order), field `col`, from a cache of
    // pages of rows. A row deleted by another connection, or a position out of range, reads as
    // Null; a closed recordset fails with 3420. The cache is dropped by Requery and by this
    // recordset's own writes.
    Value at(long row, int col) const;
    // Field `col` of every record, in recordset order, in one pass over the table.
    std::vector<Value> column(int col) const;

    void Close();

private:
    std::unique_ptr<detail::RecordsetState> s_;
};

namespace detail {
// One BeginTrans level held by a scope: unless ended, it rolls back to where it began, also when an
// error passes. The body of Transaction and Savepoint.
class TransScope {
public:
    TransScope(const TransScope&) = delete;
    TransScope& operator=(const TransScope&) = delete;

protected:
    explicit TransScope(Database& database, bool reading = false);
    ~TransScope();
    void end();  // CommitTrans; 3034 when this level is no longer the innermost open one

private:
    std::shared_ptr<Connection> conn_;
    int level_;
    bool done_ = false;
};
}  // namespace detail

// BeginTrans for a scope: rolls back (to where it began) unless committed, also when an error passes.
class Transaction : detail::TransScope {
public:
    // An outer transaction that writes takes the write lock as it begins. One that only reads takes a read
    // lock at its first read: one picture of the file, while other connections go on writing (their
    // commits wait for its end). Inside another transaction both are savepoints.
    enum class Lock { write, read };
    explicit Transaction(Database& database, Lock lock = Lock::write) : TransScope(database, lock == Lock::read) {}
    void commit() { end(); }  // CommitTrans; 3034 when this level is no longer the innermost open one
};

// A savepoint for a scope, usually one row's work inside a Transaction: unless released, it rolls back to
// itself and goes, leaving what came before it in the transaction. Outside a transaction it is one.
class Savepoint : detail::TransScope {
public:
    explicit Savepoint(Database& database) : TransScope(database) {}
    void release() { end(); }  // keeps its work in the enclosing transaction; 3034 as Transaction::commit
};

class Engine {
public:
    // Shared, read and write. 3024 missing file, 3343 no database of ours (or a folder).
    static std::shared_ptr<Database> OpenDatabase(const std::string& path);
    // 3204 when a file exists at the path; the locale text is accepted and ignored.
    static std::shared_ptr<Database> CreateDatabase(const std::string& path, const std::string& locale = "");
    // Copies the database compacted into a new file; 3204 when the destination exists.
    static void CompactDatabase(const std::string& source, const std::string& destination);
};

struct Catalog {
    // "Provider=...;Data Source=path": makes an empty database file; 3204 when it exists.
    static void Create(const std::string& connection);
};

}  // namespace qs::db
