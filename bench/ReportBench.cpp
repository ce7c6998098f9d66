// The reports of an allocation list of 5,000 event codes and 12 categories:
// the PDF written from the one report renderer (on the worker thread the
// report menu uses, the user-interface thread counting its event rounds
// meanwhile) and the clipboard text. Beside them, as anchors, the same cells
// drawn by plain QPainter text calls into a PDF, and the same text joined by
// a plain loop. The summary at the end gives min, median and the ratios.
// Run with QT_QPA_PLATFORM=offscreen.
#include "db/DataSet.h"
#include "reports/BackgroundWork.h"
#include "reports/ClipboardText.h"
#include "reports/TReportCompositeForm.h"

#include "Summary.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <vector>

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

bench::Summary summary;

double msSince(const QElapsedTimer& clock) { return double(clock.nsecsElapsed()) / 1e6; }

// The visible fields of the data set, in order.
std::vector<int> visibleFields(const db::DataSet& dataSet) {
    std::vector<int> fields;
    for (int f = 0; f < dataSet.fieldCount(); ++f)
        if (dataSet.field(f).visible) fields.push_back(f);
    return fields;
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
        QElapsedTimer clock;
        clock.start();
        const reports::TableData table = reports::tableFromDataSet(dataSet);
        reports::runInBackground([&] {
            const reports::TReportCompositeForm report(table, settings);
            pages = report.pageCount();
            if (!reports::writePdf(report, file, nullptr)) state.SkipWithError("the PDF was not written");
        });
        summary.add("PDF: report", msSince(clock));
    }
    state.counters["pages"] = pages;
    state.counters["kB"] = double(QFileInfo(file).size()) / 1024;
    // Timer rounds the user-interface thread served while the PDF was made.
    state.counters["uiRounds"] = rounds;
}

// The anchor of the PDF: every visible cell's text drawn at its place on
// A4 pages by plain QPainter calls, as many rows a page as the line height
// allows.
void plainPdf(benchmark::State& state, const db::DataSet& dataSet) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plain.pdf"));
    const std::vector<int> fields = visibleFields(dataSet);
    int pages = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        QPdfWriter writer(file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        QPainter painter(&writer);
        const int lineHeight = painter.fontMetrics().height();
        const int columnWidth = writer.width() / int(fields.size());
        const int rowsPerPage = std::max(1, writer.height() / lineHeight - 1);
        pages = 1;
        for (int row = 0; row < dataSet.recordCount(); ++row) {
            if (row > 0 && row % rowsPerPage == 0) {
                writer.newPage();
                ++pages;
            }
            const int y = (row % rowsPerPage + 1) * lineHeight;
            for (size_t c = 0; c < fields.size(); ++c)
                painter.drawText(QRect(int(c) * columnWidth, y, columnWidth, lineHeight), Qt::AlignLeft,
                                 dataSet.valueAt(row, fields[c]).toString());
        }
        painter.end();
        summary.add("PDF: anchor, plain QPainter", msSince(clock));
    }
    state.counters["pages"] = pages;
}

void copyToClipboard(benchmark::State& state, const db::DataSet& dataSet) {
    qsizetype size = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const QString text = reports::clipboardText(reports::tableFromDataSet(dataSet));
        size = text.size();
        benchmark::DoNotOptimize(text.constData());
        summary.add("clipboard: text", msSince(clock));
    }
    state.counters["chars"] = double(size);
}

// The anchor of the clipboard text: the visible values joined by tabs and
// line breaks in a plain loop.
void plainText(benchmark::State& state, const db::DataSet& dataSet) {
    const std::vector<int> fields = visibleFields(dataSet);
    qsizetype size = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        QString text;
        for (int row = 0; row < dataSet.recordCount(); ++row) {
            for (size_t c = 0; c < fields.size(); ++c) {
                if (c > 0) text += u'\t';
                text += dataSet.valueAt(row, fields[c]).toString();
            }
            text += QLatin1String("\r\n");
        }
        size = text.size();
        benchmark::DoNotOptimize(text.constData());
        summary.add("clipboard: anchor, plain loop", msSince(clock));
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
    benchmark::RegisterBenchmark("plainPdfAnchor", [&](benchmark::State& s) { plainPdf(s, dataSet); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("allocationClipboard",
                                 [&](benchmark::State& s) { copyToClipboard(s, dataSet); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark("plainTextAnchor", [&](benchmark::State& s) { plainText(s, dataSet); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    summary.compare("PDF: report", "PDF: anchor, plain QPainter");
    summary.compare("clipboard: text", "clipboard: anchor, plain loop");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    summary.print("reports of 5,000 allocation rows", "ms");
    return 0;
}
