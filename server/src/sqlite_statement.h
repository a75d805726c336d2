// A prepared SQLite statement owned for the length of a call, and the
// binding and reading helpers every store of the server uses.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrova::server {

class Statement {
public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr); }
    ~Statement() { sqlite3_finalize(statement_); }
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
};

}  // namespace kestrova::server
