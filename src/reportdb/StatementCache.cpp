#include "reportdb/StatementCache.h"

namespace reportdb {

sqlite3_stmt* StatementCache::take(const QByteArray& sql) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->first != sql) continue;
        sqlite3_stmt* statement = it->second;
        entries_.erase(it);
        return statement;
    }
    return nullptr;
}

void StatementCache::put(const QByteArray& sql, sqlite3_stmt* statement) {
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    entries_.emplace_front(sql, statement);
    while (entries_.size() > capacity_) {
        sqlite3_finalize(entries_.back().second);
        entries_.pop_back();
    }
}

void StatementCache::clear() {
    for (auto& entry : entries_) sqlite3_finalize(entry.second);
    entries_.clear();
}

}  // namespace reportdb
