#pragma once
// Prepared statements of single-statement SQL texts, kept per connection and
// reused when the same text runs again: a batch update runs one text per
// changed row, and preparing it anew each time costs more than running it.

#include <sqlite3.h>

#include <QByteArray>
#include <list>
#include <utility>

namespace reportdb {

class StatementCache {
public:
    explicit StatementCache(size_t capacity = 32) : capacity_(capacity) {}
    ~StatementCache() { clear(); }
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;

    // The statement kept for `sql`, now owned by the caller (give it back
    // with put), or null.
    sqlite3_stmt* take(const QByteArray& sql);
    // Keeps `statement`, prepared from the whole of `sql`, reset and without
    // bindings; the least recently used goes when the cache is full.
    void put(const QByteArray& sql, sqlite3_stmt* statement);
    void clear();
    size_t size() const { return entries_.size(); }

private:
    size_t capacity_;
    std::list<std::pair<QByteArray, sqlite3_stmt*>> entries_;  // most recently used first
};

}  // namespace reportdb
