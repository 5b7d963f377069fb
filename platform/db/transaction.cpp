// Transactions of one connection. The outer BeginTrans is an SQLite transaction; a BeginTrans inside it
// is a savepoint named after its level, so levels close in the reverse order they opened.
#include "platform/db/internal.h"

namespace qs::db {
namespace detail {
namespace {

std::string savepoint(int level) { return "qs_level_" + std::to_string(level); }

}  // namespace

void Connection::begin(bool reading) {
    handle();
    noticeLostTransaction();
    // The outer level takes the write lock now: taken later, after a read, it could fail at once without
    // waiting when another connection had begun to write in between. One that never writes needs none.
    const char* outer = reading ? "BEGIN" : "BEGIN IMMEDIATE";
    exec(*this, depth == 0 ? std::string(outer) : "SAVEPOINT " + savepoint(depth));
    ++depth;
}

void Connection::commit() {
    handle();
    noticeLostTransaction();
    if (depth == 0) raiseNumber(errNotInTransaction);
    // A failing COMMIT (busy) leaves the transaction open, so the level stays for a retry or a rollback.
    exec(*this, depth == 1 ? std::string("COMMIT") : "RELEASE " + savepoint(depth - 1));
    --depth;
}

void Connection::rollback() {
    handle();
    noticeLostTransaction();
    if (depth == 0) raiseNumber(errNotInTransaction);
    unwind(depth - 1);
}

void Connection::unwind(int level) noexcept {
    if (!db || depth <= level) return;
    if (level <= 0) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        depth = 0;
    } else {
        const std::string name = savepoint(level);
        sqlite3_exec(db, ("ROLLBACK TO " + name + "; RELEASE " + name).c_str(), nullptr, nullptr, nullptr);
        depth = sqlite3_get_autocommit(db) ? 0 : level;
    }
    afterRollback();
}

void Connection::noticeLostTransaction() noexcept {
    if (depth == 0 || !db || !sqlite3_get_autocommit(db)) return;
    depth = 0;
    afterRollback();
}

void Connection::afterRollback() noexcept {
    ++rollbacks;
    // A copy: forgetting may fail and leave a recordset for later, but never changes the list.
    const std::vector<RecordsetState*> open = recordsets;
    for (RecordsetState* s : open) forgetRolledBack(*s);
}

}  // namespace detail

using namespace detail;

void Database::BeginTrans() { conn_->begin(); }
void Database::CommitTrans() { conn_->commit(); }
void Database::Rollback() { conn_->rollback(); }

bool Database::inTransaction() const { return conn_->depth > 0 && conn_->db && !sqlite3_get_autocommit(conn_->db); }

detail::TransScope::TransScope(Database& database, bool reading) : conn_(database.conn_) {
    conn_->begin(reading);
    level_ = conn_->depth;
}

detail::TransScope::~TransScope() {
    if (!done_) conn_->unwind(level_ - 1);
}

void detail::TransScope::end() {
    if (done_ || conn_->depth != level_) raiseNumber(errNotInTransaction);
    conn_->commit();
    done_ = true;
}

}  // namespace qs::db
