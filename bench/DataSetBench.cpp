// Costs of the data set against plain SQLite on the same embedded database:
// opening 20,000 rows, filtering them, and writing 5,000 changed rows; each
// beside its raw anchor, with the ratios printed at the end of the run.
#include "db/DataSet.h"
#include "reportdb/EmbeddedDatabase.h"
#include "reportdb/Server.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kRows = 20000;
constexpr int kChanged = 5000;

// One database file with a 20,000-row table, shared by all benchmarks.
class Fixture {
public:
    Fixture() {
        QString error;
        path_ = dir_.filePath(QStringLiteral("bench.db"));
        if (!reportdb::createDatabase(path_, QString::fromLatin1(reportdb::kDefaultVersionText), &error) ||
            !(server_ = reportdb::Server::open(path_, &error)) || !(connection_ = server_->connect(&error)))
            throw std::runtime_error(error.toStdString());
        run(
            QStringLiteral("CREATE TABLE TBenchUnit (UnitId INTEGER PRIMARY KEY, Title NVARCHAR(50), "
                           "Power FLOAT, Active BIT, Since DATETIME, Counter INT)"));
        run(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                           "INSERT INTO TBenchUnit SELECT i, 'WTG ' || i, i * 1.5, i % 2, "
                           "'2024-01-01 00:00:00', 0 FROM n")
                .arg(kRows));
        if (sqlite3_open_v2(path_.toUtf8().constData(), &raw_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error("raw open failed");
    }
    ~Fixture() { sqlite3_close_v2(raw_); }

    void run(const QString& sql) {
        db::Command c;
        c.text = sql;
        const db::Result r = connection_->execute(c);
        if (!r.ok()) throw std::runtime_error(r.error.toStdString());
    }
    db::Connection& connection() { return *connection_; }
    sqlite3* raw() { return raw_; }

private:
    QTemporaryDir dir_;
    QString path_;
    std::shared_ptr<reportdb::Server> server_;
    std::unique_ptr<db::Connection> connection_;
    sqlite3* raw_ = nullptr;
};

Fixture& fixture() {
    static Fixture f;  // benchmark-wide test data, not program state
    return f;
}

// Argument 1: with the date-time column, 0: without (date-times cost the
// backend a local-time conversion per value).
const char* selectText(bool withDates) {
    return withDates ? "SELECT UnitId, Title, Power, Active, Since, Counter FROM TBenchUnit ORDER BY UnitId"
                     : "SELECT UnitId, Title, Power, Active, Title AS Since, Counter FROM TBenchUnit ORDER "
                       "BY UnitId";
}

db::Command selectAll(bool withDates = true) {
    db::Command c;
    c.text = QString::fromLatin1(selectText(withDates));
    return c;
}

void BM_DataSetOpen(benchmark::State& state) {
    for (auto _ : state) {
        db::DataSet ds;
        db::Command c = selectAll(state.range(0) != 0);
        if (!ds.open(fixture().connection(), c)) state.SkipWithError(ds.lastError().toUtf8().constData());
        benchmark::DoNotOptimize(ds.recordCount());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_DataSetOpen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The backend's part alone: execute into a ResultSet, no data set.
void BM_ConnectionExecute(benchmark::State& state) {
    for (auto _ : state) {
        db::Command c = selectAll(state.range(0) != 0);
        db::Result r = fixture().connection().execute(c);
        benchmark::DoNotOptimize(r.resultSets.front().rows.size());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ConnectionExecute)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

struct RawUnit {
    long long id;
    std::string title;
    double power;
    int active;
    std::string since;
    long long counter;
};

void BM_RawSqliteRead(benchmark::State& state) {
    sqlite3* db = fixture().raw();
    for (auto _ : state) {
        std::vector<RawUnit> rows;
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, selectText(state.range(0) != 0), -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW) {
            rows.push_back(
                {sqlite3_column_int64(s, 0), reinterpret_cast<const char*>(sqlite3_column_text(s, 1)),
                 sqlite3_column_double(s, 2), sqlite3_column_int(s, 3),
                 reinterpret_cast<const char*>(sqlite3_column_text(s, 4)), sqlite3_column_int64(s, 5)});
        }
        sqlite3_finalize(s);
        benchmark::DoNotOptimize(rows.size());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_RawSqliteRead)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_DataSetFilter(benchmark::State& state) {
    db::DataSet ds;
    db::Command c = selectAll();
    ds.open(fixture().connection(), c);
    const int title = ds.fieldIndex(QStringLiteral("Title"));
    const int power = ds.fieldIndex(QStringLiteral("Power"));
    for (auto _ : state) {
        ds.setFilter([=](const db::RowView& r) {
            return r.value(power).toDouble() > 3000.0 && r.value(title).toString().endsWith(u'7');
        });
        benchmark::DoNotOptimize(ds.recordCount());
        ds.clearFilter();
    }
    state.SetItemsProcessed(state.iterations() * kRows * 2);
}
BENCHMARK(BM_DataSetFilter)->Unit(benchmark::kMillisecond);

// The filter's anchor: the same condition on the same rows read raw, in a
// plain loop.
void BM_RawFilter(benchmark::State& state) {
    std::vector<RawUnit> rows;
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(fixture().raw(), selectText(false), -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW)
        rows.push_back({sqlite3_column_int64(s, 0), reinterpret_cast<const char*>(sqlite3_column_text(s, 1)),
                        sqlite3_column_double(s, 2), sqlite3_column_int(s, 3),
                        reinterpret_cast<const char*>(sqlite3_column_text(s, 4)),
                        sqlite3_column_int64(s, 5)});
    sqlite3_finalize(s);
    for (auto _ : state) {
        int matches = 0;
        for (const RawUnit& row : rows)
            if (row.power > 3000.0 && !row.title.empty() && row.title.back() == '7') ++matches;
        benchmark::DoNotOptimize(matches);
    }
    state.SetItemsProcessed(state.iterations() * kRows * 2);
}
BENCHMARK(BM_RawFilter)->Unit(benchmark::kMillisecond);

// 5,000 rows edited through the data set, then written in one batch.
void BM_DataSetUpdateBatch(benchmark::State& state) {
    db::DataSet ds;
    db::Command c = selectAll();
    ds.open(fixture().connection(), c);
    const int counter = ds.fieldIndex(QStringLiteral("Counter"));
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        for (int row = 0; row < kRows; row += kRows / kChanged) {
            ds.moveTo(row);
            ds.edit();
            ds.setValue(counter, round);
            ds.post();
        }
        state.ResumeTiming();
        if (!ds.updateBatch(fixture().connection(), QStringLiteral("TBenchUnit"), {QStringLiteral("UnitId")}))
            state.SkipWithError(ds.lastError().toUtf8().constData());
    }
    state.SetItemsProcessed(state.iterations() * kChanged);
}
BENCHMARK(BM_DataSetUpdateBatch)->Unit(benchmark::kMillisecond);

// The editing part alone (edit, set, post on 5,000 rows).
void BM_DataSetEdit(benchmark::State& state) {
    db::DataSet ds;
    db::Command c = selectAll();
    ds.open(fixture().connection(), c);
    const int counter = ds.fieldIndex(QStringLiteral("Counter"));
    int round = 0;
    for (auto _ : state) {
        ++round;
        for (int row = 0; row < kRows; row += kRows / kChanged) {
            ds.moveTo(row);
            ds.edit();
            ds.setValue(counter, round);
            ds.post();
        }
    }
    state.SetItemsProcessed(state.iterations() * kChanged);
}
BENCHMARK(BM_DataSetEdit)->Unit(benchmark::kMillisecond);

// The same 5,000 updates, with the same optimistic check, through one
// prepared statement in one transaction.
void BM_RawSqliteUpdate(benchmark::State& state) {
    sqlite3* db = fixture().raw();
    std::vector<long long> counters;
    sqlite3_stmt* read = nullptr;
    sqlite3_prepare_v2(db, "SELECT Counter FROM TBenchUnit ORDER BY UnitId", -1, &read, nullptr);
    while (sqlite3_step(read) == SQLITE_ROW) counters.push_back(sqlite3_column_int64(read, 0));
    sqlite3_finalize(read);
    long long round = 1000000;
    for (auto _ : state) {
        ++round;
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, "UPDATE TBenchUnit SET Counter = ? WHERE UnitId = ? AND Counter = ?", -1, &s,
                           nullptr);
        for (int row = 0; row < kRows; row += kRows / kChanged) {
            sqlite3_bind_int64(s, 1, round);
            sqlite3_bind_int64(s, 2, row + 1);
            sqlite3_bind_int64(s, 3, counters[size_t(row)]);
            sqlite3_step(s);
            if (sqlite3_changes(db) != 1) state.SkipWithError("row not updated");
            sqlite3_reset(s);
            counters[size_t(row)] = round;
        }
        sqlite3_finalize(s);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    state.SetItemsProcessed(state.iterations() * kChanged);
}
BENCHMARK(BM_RawSqliteUpdate)->Unit(benchmark::kMillisecond);

// Prints the runs as usual and keeps each one's time for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    void printRatios(const std::vector<std::pair<std::string, std::string>>& pairs) const {
        std::printf("\n");
        for (const auto& [figure, anchor] : pairs) {
            const auto f = times_.find(figure);
            const auto a = times_.find(anchor);
            if (f != times_.end() && a != times_.end() && a->second > 0)
                std::printf("%s / %s: %.2fx\n", figure.c_str(), anchor.c_str(), f->second / a->second);
        }
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reporter.printRatios({{"BM_DataSetOpen/0", "BM_RawSqliteRead/0"},
                          {"BM_DataSetOpen/1", "BM_RawSqliteRead/1"},
                          {"BM_DataSetFilter", "BM_RawFilter"},
                          {"BM_DataSetUpdateBatch", "BM_RawSqliteUpdate"}});
    return 0;
}
