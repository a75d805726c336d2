// A prepared SQLite statement owned for the length of a call, and the
// binding and reading helpers every store of the server uses.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrova::server {

class StatementCache;

class Statement {
public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr); }
    // One of the cache's statements, given back to it (reset) at the end
    // instead of finalized.
    Statement(StatementCache& cache, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return statement_; }
    explicit operator bool() const { return statement_ != nullptr; }

    Statement& text(int index, std::string_view value) {
        sqlite3_bind_text(statement_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& blob(int index, std::string_view value) {
        sqlite3_bind_blob(statement_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& id(int index, uint64_t value) {
        sqlite3_bind_int64(statement_, index, static_cast<sqlite3_int64>(value));
        return *this;
    }
    Statement& number(int index, int64_t value) {
        sqlite3_bind_int64(statement_, index, value);
        return *this;
    }

    // True while a row is there to read.
    bool row() { return statement_ && sqlite3_step(statement_) == SQLITE_ROW; }
    // Runs a statement that returns no rows.
    bool run() { return statement_ && sqlite3_step(statement_) == SQLITE_DONE; }
    // Makes the statement ready to run again with new bindings.
    void reset() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }

    int64_t columnNumber(int column) const { return sqlite3_column_int64(statement_, column); }
    uint64_t columnId(int column) const { return static_cast<uint64_t>(sqlite3_column_int64(statement_, column)); }
    std::string columnBytes(int column) const {
        const void* bytes = sqlite3_column_blob(statement_, column);
        return bytes ? std::string(static_cast<const char*>(bytes),
                                   static_cast<size_t>(sqlite3_column_bytes(statement_, column)))
                     : std::string();
    }

private:
    sqlite3_stmt* statement_ = nullptr;
    std::vector<sqlite3_stmt*>* pool_ = nullptr;  // where a cached statement goes back
};

// Statements prepared once and used again, for the lookups on the path of
// every relayed packet: compiling the SQL costs more than running it. A
// statement in use is taken out, so a nested use of the same SQL gets a
// second one. Clear (or destroy) the cache before the database is closed.
class StatementCache {
public:
    explicit StatementCache(sqlite3* db) : db_(db) {}
    ~StatementCache() { clear(); }
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;

    void clear() {
        for (auto& [sql, statements] : idle_)
            for (sqlite3_stmt* statement : statements) sqlite3_finalize(statement);
        idle_.clear();
    }

private:
    friend class Statement;
    // The pool of the SQL (its address stays while the cache lives) and a
    // statement of it, prepared now when none is idle.
    std::vector<sqlite3_stmt*>* take(const char* sql, sqlite3_stmt*& statement) {
        std::vector<sqlite3_stmt*>& pool = idle_[sql];
        statement = nullptr;
        if (pool.empty()) {
            sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr);
        } else {
            statement = pool.back();
            pool.pop_back();
        }
        return &pool;
    }

    sqlite3* db_;
    std::unordered_map<std::string, std::vector<sqlite3_stmt*>> idle_;
};

inline Statement::Statement(StatementCache& cache, const char* sql) {
    std::vector<sqlite3_stmt*>* pool = cache.take(sql, statement_);
    if (statement_) pool_ = pool;
}

inline Statement::~Statement() {
    if (!pool_) {
        sqlite3_finalize(statement_);
        return;
    }
    // Reset at once: a statement left stepped would keep its read
    // transaction (and the snapshot of the write-ahead log) open.
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
    pool_->push_back(statement_);
}

}  // namespace kestrova::server
