// One unit of work in the database: the statements run while it lives are
// kept only when commit() succeeds; an early return or a failed statement
// undoes all of them when it goes, so a failure never leaves a change half
// done.
//
// The outermost unit takes the write lock at once ("BEGIN IMMEDIATE"),
// waiting as long as the busy timeout allows for another process that holds
// it, so it cannot fail halfway for want of the lock. A unit opened inside
// another is a savepoint: a store operation that keeps itself whole may be
// part of a larger one.
#pragma once

#include <sqlite3.h>

namespace kestrova::server {

class Transaction {
public:
    explicit Transaction(sqlite3* db) : db_(db), nested_(!sqlite3_get_autocommit(db)) {
        open_ = exec(nested_ ? "SAVEPOINT unit" : "BEGIN IMMEDIATE");
    }
    ~Transaction() {
        if (open_) rollBack();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // False when the unit could not begin (the database stayed locked).
    explicit operator bool() const { return open_; }

    // Keeps the changes; false (and everything undone) when that fails.
    bool commit() {
        if (!open_) return false;
        open_ = false;
        if (exec(nested_ ? "RELEASE unit" : "COMMIT")) return true;
        rollBack();
        return false;
    }

private:
    bool exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
    void rollBack() {
        if (nested_) {
            exec("ROLLBACK TO unit");
            exec("RELEASE unit");
        } else {
            exec("ROLLBACK");
        }
    }

    sqlite3* db_;
    bool nested_;
    bool open_ = false;
};

// Many reads in one view of the database: a plain (deferred) transaction that
// takes the database's locks once rather than once per statement, or nothing
// when a transaction is open already.
class ReadSnapshot {
public:
    explicit ReadSnapshot(sqlite3* db)
        : db_(sqlite3_get_autocommit(db) && sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK
                  ? db
                  : nullptr) {}
    ~ReadSnapshot() {
        if (db_) sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    }
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

private:
    sqlite3* db_;
};

}  // namespace kestrova::server
