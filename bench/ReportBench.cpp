// The reports of an allocation list of 5,000 event codes and 12 categories:
// the PDF written from the one report renderer (on the worker thread the
// report menu uses, the user-interface thread counting its event rounds
// meanwhile) and the clipboard text. Run with QT_QPA_PLATFORM=offscreen.
#include "db/DataSet.h"
#include "reports/BackgroundWork.h"
#include "reports/ClipboardText.h"
#include "reports/TReportCompositeForm.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

namespace {

constexpr int kCodes = 5000;
constexpr int kCategories = 12;

// The shape of the allocation window's data set: key, number, allocation
// id, title, category and switch-off flag (key, id, category and flag
// hidden), then one cell state per category.
void fillAllocation(db::DataSet& dataSet) {
    db::ResultSet set;
    const char* const names[] = {"EventCodeId",    "EventCodeNumber",  "CategoryAllocationId",
                                 "EventCodeTitle", "ReportCategoryId", "CategoryAllocationDisabled"};
    const db::FieldType types[] = {db::FieldType::Integer, db::FieldType::Integer, db::FieldType::Integer,
                                   db::FieldType::String,  db::FieldType::Integer, db::FieldType::Boolean};
    for (int i = 0; i < 6; ++i) set.columns.push_back({QLatin1String(names[i]), types[i], 0});
    for (int c = 0; c < kCategories; ++c)
        set.columns.push_back({QStringLiteral("Category %1").arg(c + 1), db::FieldType::Integer, 0});
    for (int r = 0; r < kCodes; ++r) {
        db::Row row{qlonglong(r + 1),
                    qlonglong(1000 + r),
                    qlonglong(50000 + r),
                    QStringLiteral("Event code %1: converter temperature high").arg(1000 + r),
                    qlonglong(r % kCategories + 1),
                    false};
        for (int c = 0; c < kCategories; ++c) row.push_back(qlonglong(c == r % kCategories ? 3 : 0));
        set.rows.push_back(std::move(row));
    }
    dataSet.setRows(std::move(set));
    for (const char* hidden :
         {"EventCodeId", "CategoryAllocationId", "ReportCategoryId", "CategoryAllocationDisabled"})
        dataSet.setVisible(QLatin1String(hidden), false);
}

void writePdf(benchmark::State& state, const db::DataSet& dataSet) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("allocation.PDF"));
    reports::ReportSettings settings;
    settings.headerTexts = {QStringLiteral("Category allocation"),
                            QStringLiteral("Report profile: North row"),
                            QStringLiteral("Event list: Turbine events")};
    int rounds = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&rounds] { ++rounds; });
    ticker.start();
    int pages = 0;
    for (auto _ : state) {
        rounds = 0;
        const reports::TableData table = reports::tableFromDataSet(dataSet);
        reports::runInBackground([&] {
            const reports::TReportCompositeForm report(table, settings);
            pages = report.pageCount();
            if (!reports::writePdf(report, file, nullptr)) state.SkipWithError("the PDF was not written");
        });
    }
    state.counters["pages"] = pages;
    state.counters["kB"] = double(QFileInfo(file).size()) / 1024;
    // Timer rounds the user-interface thread served while the PDF was made.
    state.counters["uiRounds"] = rounds;
}

void copyToClipboard(benchmark::State& state, const db::DataSet& dataSet) {
    qsizetype size = 0;
    for (auto _ : state) {
        const QString text = reports::clipboardText(reports::tableFromDataSet(dataSet));
        size = text.size();
        benchmark::DoNotOptimize(text.constData());
    }
    state.counters["chars"] = double(size);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    db::DataSet dataSet;
    fillAllocation(dataSet);
    benchmark::RegisterBenchmark("allocationPdf", [&](benchmark::State& s) { writePdf(s, dataSet); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("allocationClipboard",
                                 [&](benchmark::State& s) { copyToClipboard(s, dataSet); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
