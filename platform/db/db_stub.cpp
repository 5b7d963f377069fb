// Placeholder bodies until the engine is in; every operation reports that it is missing.
#include "platform/db/db.h"

namespace qs::db {
namespace detail {
struct Connection {};
struct RecordsetState {};
}  // namespace detail
namespace {
[[noreturn]] void missing() { throw DbError(3000, "The database engine is not available yet."); }
}  // namespace

DbError::DbError(int number, std::string description) : rt::Error(number, std::move(description)) {}
bool isNull(const Value& v) { return std::holds_alternative<std::monostate>(v); }
std::string textOf(const Value& v) {
    if (auto s = std::get_if<std::string>(&v)) return *s;
    if (auto b = std::get_if<bool>(&v)) return *b ? "True" : "False";
    if (auto i = std::get_if<int32_t>(&v)) return std::to_string(*i);
    return "";
}
std::shared_ptr<Field> TableDef::CreateField(const std::string& name, int type) {
    return std::make_shared<Field>(name, type);
}
void TableDef::appendField(std::shared_ptr<Field> f) { fields_.push_back(std::move(f)); }

Database::Database(std::shared_ptr<detail::Connection> c) : conn_(std::move(c)) {}
Database::~Database() = default;
std::shared_ptr<Recordset> Database::OpenRecordset(const std::string&, int) { missing(); }
std::shared_ptr<TableDef> Database::CreateTableDef(const std::string& n) { return std::make_shared<TableDef>(n); }
std::shared_ptr<Field> Database::CreateField(const std::string& n, int t) { return std::make_shared<Field>(n, t); }
void Database::appendTableDef(const std::shared_ptr<TableDef>&) { missing(); }
void Database::Execute(const std::string&) { missing(); }
std::vector<std::string> Database::tableNames() { missing(); }
std::string Database::Name() const { return ""; }
bool Database::isOpen() const { return false; }
void Database::Close() {}

Recordset::Recordset(std::unique_ptr<detail::RecordsetState> s) : s_(std::move(s)) {}
Recordset::~Recordset() = default;
void Recordset::MoveFirst() { missing(); }
void Recordset::MoveLast() { missing(); }
void Recordset::MoveNext() { missing(); }
void Recordset::MovePrevious() { missing(); }
bool Recordset::EOF_() const { return true; }
bool Recordset::BOF() const { return true; }
long Recordset::RecordCount() const { return 0; }
long Recordset::AbsolutePosition() const { return -1; }
void Recordset::AbsolutePosition(long) { missing(); }
void Recordset::FindFirst(const std::string&) { missing(); }
bool Recordset::NoMatch() const { return true; }
void Recordset::Edit() { missing(); }
void Recordset::AddNew() { missing(); }
void Recordset::Update() { missing(); }
void Recordset::CancelUpdate() {}
int Recordset::EditMode() const { return 0; }
void Recordset::Delete() { missing(); }
void Recordset::Requery() { missing(); }
Value Recordset::get(const std::string&) const { missing(); }
Value Recordset::get(int) const { missing(); }
void Recordset::set(const std::string&, const Value&) { missing(); }
void Recordset::set(int, const Value&) { missing(); }
int Recordset::fieldCount() const { return 0; }
std::string Recordset::fieldName(int) const { missing(); }
int Recordset::fieldType(int) const { missing(); }
int Recordset::fieldIndex(const std::string&) const { return -1; }
RowKey Recordset::Bookmark() const { missing(); }
void Recordset::Bookmark(RowKey) { missing(); }
RowKey Recordset::LastModified() const { missing(); }
Value Recordset::at(long, int) const { return {}; }
std::vector<Value> Recordset::column(int) const { return {}; }
void Recordset::Close() {}

std::shared_ptr<Database> Engine::OpenDatabase(const std::string&) { missing(); }
std::shared_ptr<Database> Engine::CreateDatabase(const std::string&, const std::string&) { missing(); }
void Engine::CompactDatabase(const std::string&, const std::string&) { missing(); }
void Catalog::Create(const std::string&) { missing(); }
}  // namespace qs::db
