#include <windows.h>

#include "platform/db/internal.h"
#include "platform/db/textrules.h"
#include "platform/win/handles.h"

namespace qs::db {
namespace detail {
namespace {

void configure(Connection& c) {
    sqlite3_extended_result_codes(c.db, 1);
    waitForLocks(c);
    registerFunctions(c.db);
    // A large page cache and mapped reads make the unindexed scans of the lists fast.
    exec(c, "PRAGMA cache_size = -65536; PRAGMA mmap_size = 67108864;");
}

std::shared_ptr<Connection> connect(const std::string& path) {
    auto c = std::make_shared<Connection>();
    c->path = path;
    int rc = sqlite3_open_v2(path.c_str(), &c->db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) c->fail(rc);
    configure(*c);
    return c;
}

bool fileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Valid table and field names: 1 to 64 characters, no leading blank, none of . ! ` [ ] and no
// control characters.
bool validName(std::string_view name) {
    if (name.empty() || name.front() == ' ' || textLength(name) > 64) return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == '.' || c == '!' || c == '`' || c == '[' || c == ']') return false;
    return true;
}

}  // namespace
}  // namespace detail

using namespace detail;

std::shared_ptr<Field> TableDef::CreateField(const std::string& name, int type) {
    if (!declaredType(type)) raiseNumber(errInvalidFieldType);
    return std::make_shared<Field>(name, type);
}

void TableDef::appendField(std::shared_ptr<Field> field) {
    if (!field) raiseNumber(errInvalidArgument);
    for (auto& f : fields_)
        if (equalText(f->Name(), field->Name())) raiseNumber(errFieldDefinedTwice);
    fields_.push_back(std::move(field));
}

Database::Database(std::shared_ptr<detail::Connection> conn) : conn_(std::move(conn)) {}

// Recordsets keep the connection alive after their Database object has gone; a transaction begun on it
// ends with it, so its write lock is not held for as long as a grid keeps a recordset.
Database::~Database() {
    if (conn_ && conn_->depth > 0) conn_->unwind(0);
}

std::shared_ptr<TableDef> Database::CreateTableDef(const std::string& name) {
    conn_->handle();
    return std::make_shared<TableDef>(name);
}

std::shared_ptr<Field> Database::CreateField(const std::string& name, int type) {
    if (!declaredType(type)) raiseNumber(errInvalidFieldType);
    return std::make_shared<Field>(name, type);
}

void Database::appendTableDef(const std::shared_ptr<TableDef>& def) {
    if (!def) raiseNumber(errInvalidArgument);
    if (!validName(def->Name())) raiseNumber(errInvalidName, def->Name());
    if (def->fields().empty()) raiseNumber(errNoFields);
    std::string sql = "CREATE TABLE " + quoted(def->Name()) + " (";
    for (std::size_t i = 0; i < def->fields().size(); ++i) {
        const Field& f = *def->fields()[i];
        if (!validName(f.Name())) raiseNumber(errInvalidName, f.Name());
        const char* decl = declaredType(f.Type());
        if (!decl) raiseNumber(errInvalidFieldType);
        sql += (i ? ", " : "") + quoted(f.Name()) + " " + decl;
    }
    sql += ")";
    if (conn_->findTable(def->Name())) raiseNumber(errTableExists, def->Name());
    // The table and its text indexes come together or not at all (inside a transaction, as a savepoint).
    try {
        Transaction whole(*this);
        exec(*conn_, sql);
        for (const auto& f : def->fields())
            if (f->Type() == dbText) exec(*conn_, textIndexSql(def->Name(), f->Name()));
        whole.commit();
    } catch (const DbError&) {
        if (conn_->findTable(def->Name())) raiseNumber(errTableExists, def->Name());  // made meanwhile
        throw;
    }
}

void Database::Execute(const std::string& sql) {
    Translated t = translateAction(*conn_, sql);
    Stmt st(*conn_, t.sql);
    st.bindAll(t.params);
    st.step();
}

std::vector<std::string> Database::tableNames() {
    std::vector<std::string> names;
    Stmt st(*conn_,
            "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
            "ESCAPE '\\' ORDER BY rowid");
    while (st.step()) names.emplace_back(st.text(0));
    return names;
}

std::string Database::Name() const { return conn_->path; }
bool Database::isOpen() const { return conn_->db != nullptr; }
void Database::Close() { conn_->close(); }

namespace detail {
namespace {

// Opens a file of ours: 3024 when missing, 3343 for a folder, a foreign file or a damaged one.
std::shared_ptr<Connection> openChecked(const std::string& path) {
    std::wstring w = widen(path);
    DWORD attrs = GetFileAttributesW(w.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        DWORD e = GetLastError();
        if (e == ERROR_INVALID_NAME || e == ERROR_BAD_PATHNAME || e == ERROR_INVALID_DRIVE)
            raiseNumber(errInvalidPath, path);
        if (e == ERROR_ACCESS_DENIED || e == ERROR_SHARING_VIOLATION) raiseNumber(errCannotOpen, path);
        raiseNumber(errFileNotFound, path);
    }
    if (attrs & FILE_ATTRIBUTE_DIRECTORY) raiseNumber(errNotADatabase, path);
    auto c = connect(path);
    int id = 0, version = 0;
    try {
        Stmt a(*c, "PRAGMA application_id");
        if (a.step()) id = static_cast<int>(a.int64(0));
        a.reset();
        Stmt v(*c, "PRAGMA user_version");
        if (v.step()) version = static_cast<int>(v.int64(0));
    } catch (const DbError& e) {
        if (e.number == 3000 || e.number == 3049) raiseNumber(errNotADatabase, path);
        throw;
    }
    if (id != kApplicationId || version < 1 || version > kFormatVersion) raiseNumber(errNotADatabase, path);
    addMissingTextIndexes(*c);
    return c;
}

}  // namespace
}  // namespace detail

std::shared_ptr<Database> Engine::OpenDatabase(const std::string& path) {
    return std::make_shared<Database>(openChecked(path));
}

std::shared_ptr<Database> Engine::CreateDatabase(const std::string& path, const std::string&) {
    std::wstring w = widen(path);
    // CREATE_NEW claims the name atomically: an existing file is never touched.
    win::UniqueFile claim(
        CreateFileW(w.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!claim) {
        DWORD e = GetLastError();
        if (e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS || fileExists(w)) raiseNumber(errDatabaseExists);
        if (e == ERROR_ACCESS_DENIED || e == ERROR_SHARING_VIOLATION || e == ERROR_WRITE_PROTECT)
            raiseNumber(errCannotOpen, path);
        raiseNumber(errInvalidPath, path);
    }
    claim.reset();
    try {
        auto c = connect(path);
        exec(*c, ("PRAGMA application_id = " + std::to_string(kApplicationId) +
                  "; PRAGMA user_version = " + std::to_string(kFormatVersion) + ";")
                     .c_str());
        return std::make_shared<Database>(c);
    } catch (...) {
        DeleteFileW(w.c_str());
        throw;
    }
}

void Engine::CompactDatabase(const std::string& source, const std::string& destination) {
    auto src = openChecked(source);
    std::wstring w = widen(destination);
    if (fileExists(w)) raiseNumber(errDatabaseExists);
    try {
        Stmt vacuum(*src, "VACUUM INTO ?1");
        vacuum.bind(1, destination);
        vacuum.step();
    } catch (...) {
        DeleteFileW(w.c_str());  // never leave a partial copy behind
        throw;
    }
}

void Catalog::Create(const std::string& connection) {
    // "Key=Value;Key=Value", keys in any case, values optionally quoted. A part without "=" belongs
    // to the value before it, so a path holding ";" stays whole.
    auto trim = [](const std::string& s) {
        std::size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
        return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
    };
    std::vector<std::pair<std::string, std::string>> pairs;
    std::size_t i = 0;
    while (i <= connection.size()) {
        std::size_t semi = std::min(connection.find(';', i), connection.size());
        std::string part = connection.substr(i, semi - i);
        std::size_t eq = part.find('=');
        if (eq != std::string::npos)
            pairs.emplace_back(trim(part.substr(0, eq)), part.substr(eq + 1));
        else if (!pairs.empty())
            pairs.back().second += ";" + part;
        i = semi + 1;
    }
    std::string path;
    bool found = false;
    for (auto& [key, raw] : pairs) {
        if (!equalText(key, "Data Source")) continue;
        std::string value = trim(raw);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        path = value;
        found = true;
    }
    if (!found || path.empty()) raiseNumber(errInvalidArgument);
    Engine::CreateDatabase(path)->Close();
}

}  // namespace qs::db
