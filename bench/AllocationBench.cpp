// The event allocation window on an event list of 5,000 codes and a category
// set of 12 categories: loading it, allocating every row through the grid's
// click rule, saving all rows, exporting it to an allocation file and
// importing that file again, and painting the grid page by page while
// scrolling through it. Load, save and scroll are each measured beside their
// anchor in the same run: a raw SQLite read of the grid's rows, a raw SQLite
// update of the same rows in one transaction, and a plain table view of the
// same shape. The summary at the end gives min, median and the ratios. Run
// with QT_QPA_PLATFORM=offscreen.
#include "Summary.h"
#include "app/AppContext.h"
#include "app/TFormStatus.h"
#include "app/TraceLog.h"
#include "categorization/AllocationGrid.h"
#include "categorization/OvcDbTableCategory.h"
#include "categorization/TFormCatagoryAllocation.h"
#include "categorization/TFormMapCategory.h"
#include "categorization/TFormReMapCategory.h"
#include "reportdb/EmbeddedDatabase.h"
#include "reportdb/Server.h"
#include "reportdb/demo/Demo.h"
#include "ui/DataSetModel.h"
#include "ui/Prompts.h"
#include "ui/Waiting.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QAbstractTableModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kCodes = 5000;
constexpr int kCategories = 12;
constexpr int kProfileId = 5;  // "North row 2024" of the demo
constexpr int kSetId = 9;
constexpr int kListId = 900;

class NoPrompts : public ui::Prompts {
public:
    void message(ui::Icon, const QString& text, const QString&) override {
        throw std::runtime_error("unexpected message: " + text.toStdString());
    }
    ui::Button question(ui::Icon, const QString&, const QString&, ui::Buttons, ui::Button b) override {
        return b;
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return file; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return file; }
    void setClipboardText(const QString&) override {}
    bool openWithDesktop(const QString&) override { return false; }
    bool openUrl(const QString&) override { return false; }
    QString defaultPrinterName() override { return {}; }

    QString file;  // the answer of both file dialogs
};

// A demo database with the benchmark's event list and category set, and the
// allocation window on it.
class Fixture {
public:
    Fixture()
        : context_(prompts_, trace_, reportdb::makeConnectionFactory()),
          status_(context_),
          map_(context_),
          reMap_(context_) {
        const QString path = dir_.filePath(QStringLiteral("bench.db"));
        reportdb::demo::Options options;
        options.turbineCount = 2;
        options.rawDataDays = 1;
        reportdb::demo::Summary summary;
        QString error;
        if (!reportdb::demo::writeDemoDatabase(path, options, &summary, &error))
            throw std::runtime_error(error.toStdString());
        auto server = reportdb::Server::open(path, &error);
        auto connection = server ? server->connect(&error) : nullptr;
        if (!connection) throw std::runtime_error(error.toStdString());
        db::Command sql;
        sql.text =
            QStringLiteral(
                "INSERT INTO TEventList (EventListId, EventListTitle) VALUES (%1, 'Benchmark list');"
                "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %2) "
                "INSERT INTO TEventCode (EventListId, EventCodeNumber, EventCodeTitle) "
                "SELECT %1, i, 'Benchmark event ' || i FROM n;"
                "INSERT INTO TReportCategorySet (ReportProfileId, ReportCategorySetId, "
                "ReportCategorySetTitle, CategorySetSortOrder, CategorySetEnabled) "
                "VALUES (%3, %4, 'Benchmark set', 9, 1);"
                "INSERT INTO TReportCategorySet_TReportCategory (ReportProfileId, ReportCategorySetId, "
                "ReportCategoryId, MemberOrder) SELECT %3, %4, ReportCategoryId, ReportCategoryId "
                "FROM TReportCategory WHERE ReportCategoryId <= %5")
                .arg(kListId)
                .arg(kCodes - 1)
                .arg(kProfileId)
                .arg(kSetId)
                .arg(kCategories);
        const db::Result result = connection->execute(sql);
        if (!result.ok()) throw std::runtime_error(result.error.toStdString());

        auto& session = context_.session();
        session.DBVersion = summary.versionText;
        session.UserId = summary.administratorUserId;
        session.FeatureCodes = {3};
        context_.Database().setConnectionString(QStringLiteral("Provider=Embedded;Data Source=") + path);
        context_.texts().setLocation(QStringLiteral(PA_LANG_DIR), QStringLiteral("UK"));
        context_.texts().load(text::Slot::Profile, QLatin1String(text::kProfileFile));
        context_.texts().load(text::Slot::Hints, QLatin1String(text::kHintsFile));
        context_.windows().status = &status_;
        window_ = std::make_unique<TFormCatagoryAllocation>(context_);
        window_->resize(1100, 700);
        window_->setMappingDialogs(&map_, &reMap_);
        window_->setImportAndRemapAllowed(true);
        prompts_.file = dir_.filePath(QStringLiteral("allocation.XML"));

        // The anchors' own connection to the same file.
        if (sqlite3_open_v2(path.toUtf8().constData(), &raw_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error("the raw connection could not be opened");
        sqlite3_busy_timeout(raw_, 5000);
        // The same rules as the program's connections.
        sqlite3_exec(raw_, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
    }
    ~Fixture() {
        window_.reset();
        context_.windows() = app::SharedWindows{};
        sqlite3_close_v2(raw_);
    }

    // Prepares and shows the window, painted and with its load timer
    // stopped, so that load() times the load alone.
    void show() {
        window_->hide();
        categorization::ProfileInfo profile;
        profile.ReportProfileId = kProfileId;
        profile.Title = QStringLiteral("North row 2024");
        categorization::CategorySelection selection{kSetId, QStringLiteral("Benchmark set"), kListId,
                                                    QStringLiteral("Benchmark list")};
        window_->Prepare(profile, selection, [] {});
        window_->show();
        if (auto* timer = window_->findChild<QTimer*>(QStringLiteral("Timer"), Qt::FindDirectChildrenOnly))
            timer->stop();
        ui::pause(0);
    }

    // The load as the window's timer runs it; its wall time in ms.
    double load() {
        bool ok = false;
        const auto connection =
            QObject::connect(window_.get(), &categorization::CategoryAllocationWindow::loaded,
                             [&](bool loaded) { ok = loaded; });
        QElapsedTimer clock;
        clock.start();
        window_->TimerStartTimer();
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        QObject::disconnect(connection);
        if (!ok || window_->dataSet().recordCount() != kCodes)
            throw std::runtime_error("the allocation did not load");
        return ms;
    }

    void open() {
        show();
        load();
    }

    TFormCatagoryAllocation& window() { return *window_; }
    sqlite3* raw() { return raw_; }

private:
    QTemporaryDir dir_;
    NoPrompts prompts_;
    app::TraceLog trace_;
    app::AppContext context_;
    TFormStatus status_;
    TFormMapCategory map_;
    TFormReMapCategory reMap_;
    std::unique_ptr<TFormCatagoryAllocation> window_;
    sqlite3* raw_ = nullptr;
};

bench::Summary summary;

double msSince(const QElapsedTimer& clock) { return double(clock.nsecsElapsed()) / 1e6; }

void check(sqlite3* db, int rc, int expected = SQLITE_OK) {
    if (rc != expected) throw std::runtime_error(sqlite3_errmsg(db));
}

// The grid's rows as the load procedure selects them (its pivot over the
// set's 12 categories written out), read column by column.
const char* const kGridSelect =
    "SELECT EC.EventCodeId, EC.EventCodeNumber, CA.CategoryAllocationId, EC.EventCodeTitle, "
    "IFNULL(SM.ReportCategoryId, 0), CAST(CA.CategoryAllocationDisabled AS INTEGER)"
    "%s "
    "FROM TEventCode AS EC "
    "INNER JOIN TCategoryAllocation AS CA ON CA.EventCodeId = EC.EventCodeId "
    "LEFT JOIN TResponsibleSource AS RS ON RS.ResponsibleSourceId = CA.ResponsibleSourceId "
    "LEFT JOIN TCategoryAllocation_TReportCategorySet AS CAS "
    "ON CAS.CategoryAllocationId = CA.CategoryAllocationId AND CAS.ReportCategorySetId = ?1 "
    "LEFT JOIN TReportCategorySet_TReportCategory AS SM ON SM.ReportProfileId = CA.ReportProfileId AND "
    "SM.ReportCategorySetId = CAS.ReportCategorySetId AND SM.ReportCategoryId = CAS.ReportCategoryId "
    "WHERE CA.ReportProfileId = ?2 AND EC.EventListId = ?3 "
    "ORDER BY EC.EventCodeNumber, RS.ResponsibleSourceNumber, CA.CategoryAllocationId";

std::string gridSelect() {
    std::string pivot;
    for (int c = 1; c <= kCategories; ++c)
        pivot += ", CASE WHEN IFNULL(SM.ReportCategoryId, 0) = " + std::to_string(c) + " THEN 3 ELSE 0 END";
    std::vector<char> text(std::strlen(kGridSelect) + pivot.size() + 1);
    std::snprintf(text.data(), text.size(), kGridSelect, pivot.c_str());
    return text.data();
}

// The anchor of the load: a raw SQLite read of the grid's rows; the rows read.
int rawRead(sqlite3* db, long long* checksum) {
    sqlite3_stmt* statement = nullptr;
    check(db, sqlite3_prepare_v2(db, gridSelect().c_str(), -1, &statement, nullptr));
    sqlite3_bind_int(statement, 1, kSetId);
    sqlite3_bind_int(statement, 2, kProfileId);
    sqlite3_bind_int(statement, 3, kListId);
    int rows = 0;
    const int columns = sqlite3_column_count(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(statement, c) == SQLITE_TEXT)
                *checksum += sqlite3_column_bytes(statement, c);
            else
                *checksum += sqlite3_column_int64(statement, c);
        }
    }
    sqlite3_finalize(statement);
    return rows;
}

// The anchor of the save: a raw SQLite update of every row (its switch-off
// flag and its category in the set, as the save procedure writes them) in
// one transaction.
void rawUpdate(sqlite3* db, const std::vector<long long>& allocationIds, int round) {
    sqlite3_stmt* disabled = nullptr;
    sqlite3_stmt* allocate = nullptr;
    check(db, sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));
    check(db, sqlite3_prepare_v2(db,
                                 "UPDATE TCategoryAllocation SET CategoryAllocationDisabled = ? "
                                 "WHERE CategoryAllocationId = ?",
                                 -1, &disabled, nullptr));
    check(db,
          sqlite3_prepare_v2(db,
                             "INSERT INTO TCategoryAllocation_TReportCategorySet (CategoryAllocationId, "
                             "ReportCategorySetId, ReportCategoryId) VALUES (?, ?, ?) ON CONFLICT "
                             "(CategoryAllocationId, ReportCategorySetId) DO UPDATE SET ReportCategoryId = "
                             "excluded.ReportCategoryId",
                             -1, &allocate, nullptr));
    for (size_t i = 0; i < allocationIds.size(); ++i) {
        sqlite3_bind_int(disabled, 1, 0);
        sqlite3_bind_int64(disabled, 2, allocationIds[i]);
        check(db, sqlite3_step(disabled), SQLITE_DONE);
        sqlite3_reset(disabled);
        sqlite3_bind_int64(allocate, 1, allocationIds[i]);
        sqlite3_bind_int(allocate, 2, kSetId);
        sqlite3_bind_int(allocate, 3, int((i + size_t(round)) % kCategories) + 1);
        check(db, sqlite3_step(allocate), SQLITE_DONE);
        sqlite3_reset(allocate);
    }
    sqlite3_finalize(disabled);
    sqlite3_finalize(allocate);
    check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr));
}

void allocateEveryRow(TFormCatagoryAllocation& window, int round) {
    auto& grid = window.grid();
    const int rows = grid.dataSet().recordCount();
    for (int row = 0; row < rows; ++row)
        window.OvcDbTableCategoryCellActivated(
            row, categorization::allocation_field::kFirstCategory + (row + round) % kCategories);
}

void loadWindow(benchmark::State& state, Fixture& fixture) {
    for (auto _ : state) {
        fixture.show();
        const double ms = fixture.load();
        summary.add("load: window", ms);
        state.SetIterationTime(ms / 1000.0);
    }
    state.counters["rows"] = fixture.window().grid().dataSet().recordCount();
}

void loadAnchor(benchmark::State& state, Fixture& fixture) {
    long long checksum = 0;
    int rows = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        rows = rawRead(fixture.raw(), &checksum);
        const double ms = msSince(clock);
        summary.add("load: anchor, raw SQLite read", ms);
        state.SetIterationTime(ms / 1000.0);
    }
    benchmark::DoNotOptimize(checksum);
    state.counters["rows"] = rows;
}

void allocateAllRows(benchmark::State& state, Fixture& fixture) {
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fixture.open();
        state.ResumeTiming();
        allocateEveryRow(fixture.window(), ++round);
    }
}

void saveAllRows(benchmark::State& state, Fixture& fixture) {
    int round = 10;
    for (auto _ : state) {
        fixture.open();
        allocateEveryRow(fixture.window(), ++round);
        QElapsedTimer clock;
        clock.start();
        if (!fixture.window().save()) state.SkipWithError("the save failed");
        const double ms = msSince(clock);
        summary.add("save: window", ms);
        state.SetIterationTime(ms / 1000.0);
    }
}

// Every row written to the file, whatever the view.
void exportFile(benchmark::State& state, Fixture& fixture) {
    fixture.open();
    for (auto _ : state) fixture.window().SpeedButtonExportClick();
}

// The file of the same window read, its categories matched by title and
// every row applied.
void importFile(benchmark::State& state, Fixture& fixture) {
    int round = 20;
    for (auto _ : state) {
        state.PauseTiming();
        fixture.open();
        allocateEveryRow(fixture.window(), ++round);
        fixture.window().SpeedButtonExportClick();
        fixture.open();
        state.ResumeTiming();
        fixture.window().SpeedButtonImportClick();
        if (!fixture.window().dataSet().hasChanges()) state.SkipWithError("nothing was imported");
    }
}

void saveAnchor(benchmark::State& state, Fixture& fixture) {
    fixture.open();
    std::vector<long long> ids;
    const db::DataSet& rows = fixture.window().dataSet();
    for (int row = 0; row < rows.recordCount(); ++row)
        ids.push_back(rows.valueAt(row, categorization::allocation_field::kAllocationId).toLongLong());
    int round = 20;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        rawUpdate(fixture.raw(), ids, ++round);
        const double ms = msSince(clock);
        summary.add("save: anchor, raw SQLite update", ms);
        state.SetIterationTime(ms / 1000.0);
    }
    state.counters["rows"] = double(ids.size());
}

// Scrolls a view page by page, top to bottom, each page painted as the
// window does it on screen: what the scroll made dirty is painted and
// flushed (the update request handled at once). The ms per page.
double scrollThrough(QTableView& view) {
    QScrollBar* bar = view.verticalScrollBar();
    int pages = 0;
    QElapsedTimer clock;
    clock.start();
    for (int value = bar->minimum(); value <= bar->maximum(); value += bar->pageStep()) {
        bar->setValue(value);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        ++pages;
    }
    return msSince(clock) / std::max(1, pages);
}

void scrollGrid(benchmark::State& state, Fixture& fixture) {
    fixture.open();
    QTableView* view = fixture.window().table()->cellView();
    for (auto _ : state) {
        const double ms = scrollThrough(*view);
        summary.add("scroll: window, ms a page", ms);
        state.SetIterationTime(ms / 1000.0);
    }
}

// The anchor of the scrolling: the same rows and columns, of the same sizes,
// as plain numbers and texts in a bare table view in a window of the same
// size.
class PlainModel : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& = {}) const override { return kCodes; }
    int columnCount(const QModelIndex& = {}) const override { return 2 + kCategories; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole) return {};
        if (index.column() == 0) return index.row();
        if (index.column() == 1) return QStringLiteral("Benchmark event %1").arg(index.row());
        return (index.row() + index.column()) % kCategories == 0 ? 3 : 0;
    }
};

void scrollAnchor(benchmark::State& state, Fixture& fixture) {
    QWidget window;
    window.resize(fixture.window().size());
    PlainModel model;
    auto* view = new QTableView(&window);
    view->setModel(&model);
    view->verticalHeader()->setDefaultSectionSize(fixture.window().table()->rowHeight());
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // The widths of the window's number and title columns, then of its category cells.
    const categorization::OvcDbTableCategory& grid = *fixture.window().table();
    const int numberColumn = grid.model()->columnOf(QStringLiteral("EventCodeNumber"));
    const int titleColumn = grid.model()->columnOf(QStringLiteral("EventCodeTitle"));
    view->setColumnWidth(0, grid.fixedView()->columnWidth(numberColumn));
    view->setColumnWidth(1, grid.fixedView()->columnWidth(titleColumn));
    const int firstCategory = grid.model()->columnCount() - kCategories;
    for (int c = 0; c < kCategories; ++c)
        view->setColumnWidth(2 + c, grid.cellView()->columnWidth(firstCategory + c));
    (new QVBoxLayout(&window))->addWidget(view);
    window.show();
    ui::pause(0);
    for (auto _ : state) {
        const double ms = scrollThrough(*view);
        summary.add("scroll: anchor, plain table view, ms a page", ms);
        state.SetIterationTime(ms / 1000.0);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Fixture fixture;  // one database for all benchmarks of the run
    const auto add = [&fixture](const char* name, void (*run)(benchmark::State&, Fixture&)) {
        return benchmark::RegisterBenchmark(name,
                                            [&fixture, run](benchmark::State& state) { run(state, fixture); })
            ->Unit(benchmark::kMillisecond);
    };
    add("loadWindow", loadWindow)->UseManualTime()->Iterations(9);
    add("loadAnchor", loadAnchor)->UseManualTime()->Iterations(9);
    add("allocateAllRows", allocateAllRows)->Iterations(3);
    add("saveAllRows", saveAllRows)->UseManualTime()->Iterations(9);
    add("saveAnchor", saveAnchor)->UseManualTime()->Iterations(9);
    add("exportFile", exportFile)->Iterations(5);
    add("importFile", importFile)->Iterations(3);
    add("scrollGrid", scrollGrid)->UseManualTime()->Iterations(3);
    add("scrollAnchor", scrollAnchor)->UseManualTime()->Iterations(3);
    summary.compare("load: window", "load: anchor, raw SQLite read");
    summary.compare("save: window", "save: anchor, raw SQLite update");
    summary.compare("scroll: window, ms a page", "scroll: anchor, plain table view, ms a page");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    summary.print("allocation window, 5,000 codes x 12 categories", "ms");
    return 0;
}
