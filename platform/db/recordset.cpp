// The dynaset: the keys (rowids) of the rows a source yields, in its order, fixed when it opens
// or requeries; values are read from the table when asked for, a page of rows at a time.
#include <algorithm>
#include <unordered_map>

#include "platform/db/internal.h"
#include "platform/db/textrules.h"

namespace qs::db {
namespace detail {

struct RecordsetState {
    std::shared_ptr<Connection> conn;  // null once closed
    TableInfo table;
    std::vector<int> cols;  // recordset field -> table column
    SelectQuery query;
    std::vector<RowKey> keys;  // the rows, in recordset order
    long pos = 0;              // current row; -1 is BOF, keys.size() is EOF
    bool onDeleted = false;    // the current row was deleted; pos holds the row after it
    bool noMatch = false;
    int editMode = 0;  // 0 none, 1 Edit, 2 AddNew
    RowKey editKey = 0;
    std::vector<Value> buffer;  // pending values of an Edit or AddNew
    std::vector<bool> dirty;
    std::optional<RowKey> lastModified;
    uint64_t rollbacksSeen = 0;  // the connection's rollbacks this recordset has caught up with

    static constexpr long kPageRows = 64;
    static constexpr std::size_t kMaxPages = 256;
    struct Page {
        std::vector<Value> values;  // rows x fields
        std::vector<char> present;  // false for rows deleted by another connection
    };
    mutable std::unordered_map<long, Page> pages;
    // The statement that reads one row by key, kept prepared (never stepping) between calls.
    mutable sqlite3_stmt* rowStmt = nullptr;
    // The last INSERT that Update ran, kept prepared: rows added one after another (a copy of a table,
    // an import) set the same fields, and preparing the statement again for each cost as much as the insert.
    sqlite3_stmt* insertStmt = nullptr;
    std::string insertSql;

    ~RecordsetState() {
        dropStatement();
        detach();
    }
    void attach() {
        conn->recordsets.push_back(this);
        rollbacksSeen = conn->rollbacks;
    }
    void detach() {
        if (!conn) return;
        auto& open = conn->recordsets;
        open.erase(std::remove(open.begin(), open.end(), this), open.end());
    }
    void dropStatement() {
        // A closed connection took them.
        if (rowStmt && conn && conn->db) sqlite3_finalize(rowStmt);
        if (insertStmt && conn && conn->db) sqlite3_finalize(insertStmt);
        rowStmt = insertStmt = nullptr;
        insertSql.clear();
    }
    sqlite3_stmt* insertStatement(Connection& c, const std::string& sql) {
        if (insertStmt && conn->db && sql == insertSql) return insertStmt;
        if (insertStmt && conn->db) sqlite3_finalize(insertStmt);
        insertStmt = nullptr;
        insertSql.clear();
        int rc = sqlite3_prepare_v3(c.handle(), sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &insertStmt, nullptr);
        if (rc != SQLITE_OK) {
            insertStmt = nullptr;
            c.fail(rc);
        }
        insertSql = sql;
        return insertStmt;
    }

    long size() const { return static_cast<long>(keys.size()); }
    bool hasCurrent() const { return !onDeleted && pos >= 0 && pos < size(); }

    Connection& connection() const {
        if (!conn || !conn->db) raiseNumber(errObjectClosed);
        return *conn;
    }

    // The connection, once this recordset has caught up with its rollbacks.
    Connection& use() {
        Connection& c = connection();
        if (rollbacksSeen != c.rollbacks) forgetRolledBack();
        return c;
    }

    // Rows a rollback took out of the table leave the keys (SQLite may hand their rowids to the next new
    // rows); the position stays on its row, or on the gap where it was, as after Delete. Rows that a
    // rollback brought back come with the next Requery.
    void forgetRolledBack() {
        pages.clear();
        const uint64_t caughtUp = connection().rollbacks;
        if (!keys.empty()) {
            const auto [lowest, highest] = std::minmax_element(keys.begin(), keys.end());
            std::vector<RowKey> present;
            Stmt st(connection(),
                    "SELECT rowid FROM " + quoted(table.name) + " WHERE rowid BETWEEN ?1 AND ?2 ORDER BY rowid");
            st.bind(1, int64_t(*lowest));
            st.bind(2, int64_t(*highest));
            while (st.step()) present.push_back(st.int64(0));  // in rowid order
            std::vector<RowKey> kept;
            kept.reserve(keys.size());
            long at = pos;
            for (long i = 0; i < size(); ++i) {
                if (std::binary_search(present.begin(), present.end(), keys[i])) {
                    kept.push_back(keys[i]);
                } else if (i < pos) {
                    --at;
                } else if (i == pos && !onDeleted) {
                    onDeleted = true;  // at now holds the row after it
                }
            }
            keys = std::move(kept);
            pos = at;
        }
        rollbacksSeen = caughtUp;
    }

    std::string selectColumns() const {
        std::string s;
        for (int c : cols) s += ", " + quoted(table.columns[c].name);
        return s;
    }

    void loadKeys() {
        std::string sql = "SELECT rowid FROM " + quoted(table.name);
        if (!query.where.sql.empty()) sql += " WHERE " + query.where.sql;
        sql += " ORDER BY " + (query.orderBy.empty() ? std::string() : query.orderBy + ", ") + "rowid";
        Stmt st(connection(), sql);
        st.bindAll(query.where.params);
        std::vector<RowKey> fresh;
        while (st.step()) fresh.push_back(st.int64(0));
        keys = std::move(fresh);
        pages.clear();
        if (conn) rollbacksSeen = conn->rollbacks;
    }

    const Page& page(long index) const {
        auto it = pages.find(index);
        if (it != pages.end()) return it->second;
        if (pages.size() >= kMaxPages) pages.clear();
        long first = index * kPageRows, n = std::min(kPageRows, size() - first);
        Connection& c = connection();
        if (!rowStmt) {
            std::string sql =
                "SELECT " + selectColumns().substr(2) + " FROM " + quoted(table.name) + " WHERE rowid = ?1";
            int rc = sqlite3_prepare_v3(c.handle(), sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &rowStmt, nullptr);
            if (rc != SQLITE_OK) {
                rowStmt = nullptr;
                c.fail(rc);
            }
        }
        // One read transaction for the page (or the open transaction); every way out resets the statement
        // and ends the read transaction it began.
        struct Reading {
            Connection& c;
            sqlite3_stmt* st;
            bool own;
            Reading(Connection& conn, sqlite3_stmt* s) : c(conn), st(s), own(sqlite3_get_autocommit(conn.db) != 0) {
                if (own) exec(c, "BEGIN");
            }
            ~Reading() {
                sqlite3_reset(st);
                if (own) sqlite3_exec(c.db, "COMMIT", nullptr, nullptr, nullptr);
            }
        } reading(c, rowStmt);
        Page p;
        const std::size_t width = cols.size();
        p.values.resize(n * width);
        p.present.assign(n, 0);
        for (long i = 0; i < n; ++i) {
            sqlite3_reset(rowStmt);
            sqlite3_bind_int64(rowStmt, 1, keys[first + i]);
            int rc = sqlite3_step(rowStmt);
            if (rc == SQLITE_DONE) continue;
            if (rc != SQLITE_ROW) c.fail(rc);
            p.present[i] = 1;
            for (std::size_t f = 0; f < width; ++f)
                p.values[i * width + f] = readValue(rowStmt, static_cast<int>(f), table.columns[cols[f]].type);
        }
        return pages.emplace(index, std::move(p)).first->second;
    }

    // Value of field `f` in row `row`; nullopt when another connection deleted the row.
    std::optional<Value> read(long row, int f) const {
        const Page& p = page(row / kPageRows);
        long i = row % kPageRows;
        if (!p.present[i]) return std::nullopt;
        return p.values[i * cols.size() + f];
    }

    // One pass over the table for field `f`: put(i, statement) for each record i still in the table,
    // the field being the statement's column 1. Rowids are dense unless many rows were deleted, so a
    // table from rowid to record usually serves; otherwise the records are looked up by sorted key.
    template <class Put>
    void scanColumn(int f, Put put) const {
        Connection& c = connection();
        if (keys.empty()) return;
        const auto [lowest, highest] = std::minmax_element(keys.begin(), keys.end());
        Stmt st(c, "SELECT rowid, " + quoted(table.columns[cols[f]].name) + " FROM " + quoted(table.name) +
                       " WHERE rowid BETWEEN ?1 AND ?2");
        st.bind(1, int64_t(*lowest));
        st.bind(2, int64_t(*highest));
        const RowKey span = *highest - *lowest;
        if (*lowest >= 0 && span <= 4 * static_cast<RowKey>(keys.size()) + 1024) {
            std::vector<long> record(static_cast<std::size_t>(span) + 1, -1);
            for (long i = 0; i < size(); ++i) record[static_cast<std::size_t>(keys[i] - *lowest)] = i;
            while (st.step()) {
                const long i = record[static_cast<std::size_t>(st.int64(0) - *lowest)];
                if (i >= 0) put(i, st.get());
            }
            return;
        }
        std::vector<std::pair<RowKey, long>> byKey;
        byKey.reserve(keys.size());
        for (long i = 0; i < size(); ++i) byKey.emplace_back(keys[i], i);
        std::sort(byKey.begin(), byKey.end());
        while (st.step()) {
            const RowKey key = st.int64(0);
            auto it = std::lower_bound(byKey.begin(), byKey.end(), std::pair<RowKey, long>(key, -1));
            if (it != byKey.end() && it->first == key) put(it->second, st.get());
        }
    }

    void requireCurrent() {
        use();
        if (!hasCurrent()) raiseNumber(errNoCurrentRecord);
    }

    int field(int index) const {
        if (index < 0 || index >= static_cast<int>(cols.size())) raiseNumber(errItemNotFound);
        return index;
    }

    int field(const std::string& name) const {
        for (std::size_t i = 0; i < cols.size(); ++i)
            if (equalText(table.columns[cols[i]].name, name)) return static_cast<int>(i);
        raiseNumber(errItemNotFound);
    }

    void cancelEdit() { editMode = 0; }
};

void forgetRolledBack(RecordsetState& s) noexcept {
    try {
        s.forgetRolledBack();
    } catch (...) {
        s.pages.clear();  // rollbacksSeen stays behind: the recordset's next use tries again
    }
}

}  // namespace detail

using namespace detail;

std::shared_ptr<Recordset> Database::OpenRecordset(const std::string& tableOrSql, int) {
    auto s = std::make_unique<RecordsetState>();
    s->conn = conn_;
    s->query = parseSource(*conn_, tableOrSql);
    s->table = s->query.table;
    s->cols = s->query.columns;
    s->loadKeys();
    s->attach();
    return std::make_shared<Recordset>(std::move(s));
}

Recordset::Recordset(std::unique_ptr<RecordsetState> state) : s_(std::move(state)) {}
Recordset::~Recordset() = default;

void Recordset::MoveFirst() {
    s_->use();
    s_->cancelEdit();
    if (s_->keys.empty()) raiseNumber(errNoCurrentRecord);
    s_->pos = 0;
    s_->onDeleted = false;
}

void Recordset::MoveLast() {
    s_->use();
    s_->cancelEdit();
    if (s_->keys.empty()) raiseNumber(errNoCurrentRecord);
    s_->pos = s_->size() - 1;
    s_->onDeleted = false;
}

void Recordset::MoveNext() {
    s_->use();
    s_->cancelEdit();
    if (s_->onDeleted) {
        s_->onDeleted = false;  // pos already holds the row after the deleted one
        s_->pos = std::min(s_->pos, s_->size());
        return;
    }
    if (s_->keys.empty() || s_->pos >= s_->size()) raiseNumber(errNoCurrentRecord);
    ++s_->pos;
}

void Recordset::MovePrevious() {
    s_->use();
    s_->cancelEdit();
    if (s_->onDeleted) {
        s_->onDeleted = false;
        s_->pos = std::max(s_->pos - 1, -1L);
        return;
    }
    if (s_->keys.empty() || s_->pos < 0) raiseNumber(errNoCurrentRecord);
    --s_->pos;
}

bool Recordset::EOF_() const {
    s_->use();
    return !s_->onDeleted && (s_->keys.empty() || s_->pos >= s_->size());
}

bool Recordset::BOF() const {
    s_->use();
    return !s_->onDeleted && (s_->keys.empty() || s_->pos < 0);
}

long Recordset::RecordCount() const {
    s_->use();
    return s_->size();
}

long Recordset::AbsolutePosition() const {
    s_->use();
    return s_->hasCurrent() ? s_->pos : -1;
}

void Recordset::AbsolutePosition(long pos) {
    s_->use();
    if (pos < 0 || pos >= s_->size()) raiseNumber(errInvalidArgument);
    s_->cancelEdit();
    s_->pos = pos;
    s_->onDeleted = false;
}

void Recordset::FindFirst(const std::string& criterion) {
    Connection& c = s_->use();
    Translated t = translateCriterion(s_->table, criterion);
    s_->cancelEdit();
    std::vector<RowKey> matches;
    {
        Stmt st(c, "SELECT rowid FROM " + quoted(s_->table.name) + " WHERE " + t.sql);
        st.bindAll(t.params);
        while (st.step()) matches.push_back(st.int64(0));
    }
    long found = -1;
    if (matches.size() == 1) {
        auto it = std::find(s_->keys.begin(), s_->keys.end(), matches.front());
        if (it != s_->keys.end()) found = static_cast<long>(it - s_->keys.begin());
    } else if (!matches.empty()) {
        if (!std::is_sorted(matches.begin(), matches.end())) std::sort(matches.begin(), matches.end());
        for (long i = 0; i < s_->size(); ++i)
            if (std::binary_search(matches.begin(), matches.end(), s_->keys[i])) {
                found = i;
                break;
            }
    }
    s_->noMatch = found < 0;
    if (found >= 0) {
        s_->pos = found;
        s_->onDeleted = false;
    }
}

bool Recordset::NoMatch() const {
    s_->use();
    return s_->noMatch;
}

void Recordset::Edit() {
    s_->requireCurrent();
    s_->cancelEdit();
    s_->buffer.assign(s_->cols.size(), Value{});
    for (std::size_t f = 0; f < s_->cols.size(); ++f) {
        auto v = s_->read(s_->pos, static_cast<int>(f));
        if (!v) raiseNumber(errRecordDeleted);
        s_->buffer[f] = std::move(*v);
    }
    s_->dirty.assign(s_->cols.size(), false);
    s_->editKey = s_->keys[s_->pos];
    s_->editMode = 1;
}

void Recordset::AddNew() {
    s_->use();
    s_->buffer.assign(s_->cols.size(), Value{});
    s_->dirty.assign(s_->cols.size(), false);
    s_->editMode = 2;
}

void Recordset::Update() {
    Connection& c = s_->use();
    if (s_->editMode == 0) raiseNumber(errNoEditInProgress);
    const auto& columns = s_->table.columns;
    for (std::size_t f = 0; f < s_->cols.size(); ++f) {
        auto text = std::get_if<std::string>(&s_->buffer[f]);
        if (s_->dirty[f] && text && columns[s_->cols[f]].type == dbText &&
            textLength(*text) > static_cast<std::size_t>(kMaxTextLength))
            raiseNumber(errFieldTooSmall);
    }
    std::vector<Param> params;
    std::string names, marks, sets;
    for (std::size_t f = 0; f < s_->cols.size(); ++f) {
        if (!s_->dirty[f]) continue;
        params.push_back(storeValue(s_->buffer[f]));
        std::string name = quoted(columns[s_->cols[f]].name), mark = "?" + std::to_string(params.size());
        names += (names.empty() ? "" : ", ") + name;
        marks += (marks.empty() ? "" : ", ") + mark;
        sets += (sets.empty() ? "" : ", ") + name + " = " + mark;
    }
    if (s_->editMode == 2) {
        std::string sql = "INSERT INTO " + quoted(s_->table.name) +
                          (names.empty() ? " DEFAULT VALUES" : " (" + names + ") VALUES (" + marks + ")");
        Stmt st(c, s_->insertStatement(c, sql));
        st.bindAll(params);
        st.step();
        RowKey key = sqlite3_last_insert_rowid(c.db);
        bool atEnd = !s_->onDeleted && s_->pos >= s_->size();
        s_->keys.push_back(key);
        if (atEnd) s_->pos = s_->size();
        s_->lastModified = key;
    } else {
        if (!sets.empty()) {
            Stmt st(c, "UPDATE " + quoted(s_->table.name) + " SET " + sets + " WHERE rowid = ?" +
                           std::to_string(params.size() + 1));
            st.bindAll(params);
            st.bind(static_cast<int>(params.size() + 1), int64_t(s_->editKey));
            st.step();
            if (sqlite3_changes(c.db) == 0) raiseNumber(errRecordDeleted);
        }
        s_->lastModified = s_->editKey;
    }
    s_->editMode = 0;
    s_->pages.clear();
}

void Recordset::CancelUpdate() { s_->cancelEdit(); }

int Recordset::EditMode() const { return s_->editMode; }

void Recordset::Delete() {
    s_->requireCurrent();
    s_->cancelEdit();
    Connection& c = s_->use();
    Stmt st(c, "DELETE FROM " + quoted(s_->table.name) + " WHERE rowid = ?1");
    st.bind(1, int64_t(s_->keys[s_->pos]));
    st.step();
    bool gone = sqlite3_changes(c.db) == 0;
    s_->keys.erase(s_->keys.begin() + s_->pos);
    s_->onDeleted = true;
    s_->pages.clear();
    if (gone) raiseNumber(errRecordDeleted);
}

void Recordset::Requery() {
    s_->use();
    s_->cancelEdit();
    s_->loadKeys();
    s_->pos = 0;
    s_->onDeleted = false;
}

Value Recordset::get(const std::string& name) const { return get(s_->field(name)); }

Value Recordset::get(int index) const {
    s_->use();
    int f = s_->field(index);
    if (s_->editMode) return s_->buffer[f];
    s_->requireCurrent();
    auto v = s_->read(s_->pos, f);
    if (!v) raiseNumber(errRecordDeleted);
    return std::move(*v);
}

void Recordset::set(const std::string& name, const Value& v) { set(s_->field(name), v); }

void Recordset::set(int index, const Value& v) {
    s_->use();
    int f = s_->field(index);
    if (!s_->editMode) raiseNumber(errNoEditInProgress);
    s_->buffer[f] = coerce(v, s_->table.columns[s_->cols[f]].type);
    s_->dirty[f] = true;
}

int Recordset::fieldCount() const { return static_cast<int>(s_->cols.size()); }

std::string Recordset::fieldName(int index) const { return s_->table.columns[s_->cols[s_->field(index)]].name; }

int Recordset::fieldType(int index) const { return s_->table.columns[s_->cols[s_->field(index)]].type; }

int Recordset::fieldIndex(const std::string& name) const {
    for (std::size_t i = 0; i < s_->cols.size(); ++i)
        if (equalText(s_->table.columns[s_->cols[i]].name, name)) return static_cast<int>(i);
    return -1;
}

RowKey Recordset::Bookmark() const {
    s_->requireCurrent();
    return s_->keys[s_->pos];
}

void Recordset::Bookmark(RowKey key) {
    s_->use();
    auto it = std::find(s_->keys.begin(), s_->keys.end(), key);
    if (it == s_->keys.end()) raiseNumber(errRecordDeleted);
    s_->cancelEdit();
    s_->pos = static_cast<long>(it - s_->keys.begin());
    s_->onDeleted = false;
}

RowKey Recordset::LastModified() const {
    s_->use();
    if (!s_->lastModified) raiseNumber(errNoCurrentRecord);
    return *s_->lastModified;
}

Value Recordset::at(long row, int col) const {
    s_->use();
    if (row < 0 || row >= s_->size() || col < 0 || col >= fieldCount()) return {};
    auto v = s_->read(row, col);
    return v ? std::move(*v) : Value{};
}

std::vector<Value> Recordset::column(int col) const {
    s_->use();  // after a rollback: rows it took away are forgotten first, as for at()
    s_->field(col);
    std::vector<Value> out(s_->keys.size());
    if (s_->size() <= 4 * RecordsetState::kPageRows) {
        for (long i = 0; i < s_->size(); ++i) out[i] = at(i, col);
        return out;
    }
    const int type = s_->table.columns[s_->cols[col]].type;
    s_->scanColumn(col, [&](long i, sqlite3_stmt* st) { out[i] = readValue(st, 1, type); });
    return out;
}

void Recordset::Close() {
    s_->cancelEdit();
    s_->pages.clear();
    s_->dropStatement();
    s_->detach();
    s_->conn.reset();
}

}  // namespace qs::db
