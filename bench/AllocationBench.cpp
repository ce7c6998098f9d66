// The event allocation window on an event list of 5,000 codes and a category
// set of 12 categories: loading it, allocating every row through the grid's
// click rule, saving all rows, exporting it to an allocation file and
// importing that file again, and painting the grid page by page while
// scrolling through it. Run with QT_QPA_PLATFORM=offscreen.
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
#include "ui/Prompts.h"
#include "ui/Waiting.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <stdexcept>

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
    }
    ~Fixture() {
        window_.reset();
        context_.windows() = app::SharedWindows{};
    }

    // Opens the window and waits for its load; the load's own time in ms.
    double open() {
        window_->hide();
        categorization::ProfileInfo profile;
        profile.ReportProfileId = kProfileId;
        profile.Title = QStringLiteral("North row 2024");
        categorization::CategorySelection selection{kSetId, QStringLiteral("Benchmark set"), kListId,
                                                    QStringLiteral("Benchmark list")};
        bool done = false;
        bool ok = false;
        QElapsedTimer clock;
        const auto connection = QObject::connect(
            window_.get(), &categorization::CategoryAllocationWindow::loaded, [&](bool loaded) {
                ok = loaded;
                done = true;
            });
        window_->Prepare(profile, selection, [] {});
        window_->show();
        clock.start();
        ui::waitUntil([&] { return done; }, 1, 60000);
        QObject::disconnect(connection);
        if (!ok) throw std::runtime_error("the allocation did not load");
        // The load starts on a timer after showing; that delay is not the load's.
        return double(clock.nsecsElapsed()) / 1e6 - categorization::CategoryAllocationWindow::kLoadDelayMs;
    }

    TFormCatagoryAllocation& window() { return *window_; }

private:
    QTemporaryDir dir_;
    NoPrompts prompts_;
    app::TraceLog trace_;
    app::AppContext context_;
    TFormStatus status_;
    TFormMapCategory map_;
    TFormReMapCategory reMap_;
    std::unique_ptr<TFormCatagoryAllocation> window_;
};

void allocateEveryRow(TFormCatagoryAllocation& window, int round) {
    auto& grid = window.grid();
    const int rows = grid.dataSet().recordCount();
    for (int row = 0; row < rows; ++row)
        window.OvcDbTableCategoryCellActivated(
            row, categorization::allocation_field::kFirstCategory + (row + round) % kCategories);
}

void loadWindow(benchmark::State& state, Fixture& fixture) {
    for (auto _ : state) state.SetIterationTime(fixture.open() / 1000.0);
    state.counters["rows"] = fixture.window().grid().dataSet().recordCount();
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
        state.PauseTiming();
        fixture.open();
        allocateEveryRow(fixture.window(), ++round);
        state.ResumeTiming();
        if (!fixture.window().save()) state.SkipWithError("the save failed");
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

// One page of the grid painted per step, top to bottom.
void scrollGrid(benchmark::State& state, Fixture& fixture) {
    fixture.open();
    QTableView* view = fixture.window().table()->cellView();
    QScrollBar* bar = view->verticalScrollBar();
    int pages = 0;
    QElapsedTimer clock;
    clock.start();
    for (auto _ : state) {
        for (int value = bar->minimum(); value <= bar->maximum(); value += bar->pageStep()) {
            bar->setValue(value);
            benchmark::DoNotOptimize(fixture.window().grab());
            ++pages;
        }
    }
    state.counters["pages"] = pages;
    state.counters["ms_per_page"] = double(clock.elapsed()) / std::max(1, pages);
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
    add("loadWindow", loadWindow)->UseManualTime()->Iterations(3);
    add("allocateAllRows", allocateAllRows)->Iterations(3);
    add("saveAllRows", saveAllRows)->Iterations(3);
    add("exportFile", exportFile)->Iterations(5);
    add("importFile", importFile)->Iterations(3);
    add("scrollGrid", scrollGrid)->Iterations(1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
