// The files the reports write, read back by independent readers: the PDF of
// a list (pages, header, captions, every row once, orientation), a PDF that
// fails halfway, and the Excel workbook with its cell types (its failures
// through the export dialog).

#include "ReportTestSupport.h"
#include "reports/TReportCompositeForm.h"
#include "reports/XlsxWorkbook.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QTemporaryDir>
#include <set>

using namespace reports;
using namespace report_test;

namespace {

ReportSettings settings(QPageLayout::Orientation orientation) {
    ReportSettings s;
    s.headerTexts = {QStringLiteral("Category allocation"), QStringLiteral("Report profile: Demo park"),
                     QStringLiteral("Event list: Turbine events")};
    s.orientation = orientation;
    s.locale = QLocale::c();
    return s;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST(ReportPdf, ListOfManyRowsAndTwentyFiveColumns) {
    constexpr int kRows = 150;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("list.PDF"));
    const TReportCompositeForm report(numberedTable(kRows, 25), settings(QPageLayout::Portrait));
    ASSERT_EQ(report.templateCount(), 2);
    QString error;
    ASSERT_TRUE(writePdf(report, file, &error)) << error.toStdString();

    const PdfInfo info = pdfInfo(file);
    const int perTemplate = report.form(0).pageCount();
    EXPECT_GT(perTemplate, 1);
    EXPECT_EQ(report.form(1).pageCount(), perTemplate);
    EXPECT_EQ(info.pages, 2 * perTemplate);
    EXPECT_EQ(info.pages, report.pageCount());

    const QStringList pages = pdfPages(file);
    ASSERT_EQ(pages.size(), info.pages);
    const QString& first = pages.front();
    const QStringList expected{"Category allocation",
                               "Report profile: Demo park",
                               "Event list: Turbine events",
                               "Event",
                               "code",
                               "number",
                               "C02",
                               "C20",
                               "R0001",
                               QStringLiteral("Page 1 of %1").arg(info.pages)};
    for (const QString& text : expected) EXPECT_TRUE(first.contains(text)) << text.toStdString();
    EXPECT_FALSE(first.contains(QLatin1String("C21")));
    EXPECT_FALSE(first.contains(QLatin1String("S0001")));
    EXPECT_TRUE(pages[perTemplate - 1].contains(QStringLiteral("R%1").arg(kRows, 4, 10, QLatin1Char('0'))));
    const QString& last = pages.back();
    EXPECT_TRUE(last.contains(QStringLiteral("S%1").arg(kRows, 4, 10, QLatin1Char('0'))));
    EXPECT_TRUE(last.contains(QStringLiteral("%1 rows").arg(kRows)));
    EXPECT_TRUE(pages[perTemplate].contains(QLatin1String("C21")));

    // Every row once in each template: no row lost or printed twice between pages.
    const QString all = pages.join(u'\n');
    for (const QChar prefix : {u'R', u'S'}) {
        std::multiset<QString> seen;
        auto it = QRegularExpression(QString(prefix) + QStringLiteral("\\d{4}")).globalMatch(all);
        while (it.hasNext()) seen.insert(it.next().captured());
        EXPECT_EQ(seen.size(), size_t(kRows)) << prefix.toLatin1();
        EXPECT_EQ(std::set<QString>(seen.begin(), seen.end()).size(), size_t(kRows)) << prefix.toLatin1();
    }
}

TEST(ReportPdf, PagesTakeTheChosenOrientation) {
    QTemporaryDir dir;
    for (const auto orientation : {QPageLayout::Portrait, QPageLayout::Landscape}) {
        SCOPED_TRACE(int(orientation));
        const QString file = dir.filePath(QStringLiteral("o%1.pdf").arg(int(orientation)));
        ASSERT_TRUE(
            writePdf(TReportCompositeForm(numberedTable(5, 3), settings(orientation)), file, nullptr));
        const PdfInfo info = pdfInfo(file);
        // A4 is 595 x 842 points.
        EXPECT_NEAR(std::min(info.width, info.height), 595.3, 1);
        EXPECT_EQ(info.width > info.height, orientation == QPageLayout::Landscape);
    }
}

namespace {

// Fails while its third page is painted, as a full disk would halfway.
class FailingReport : public PagedReport {
public:
    QPageLayout pageLayout() const override { return reportPageLayout(QPageLayout::Portrait); }
    int pageCount() const override { return 5; }
    void paintPage(QPainter& painter, const PageGeometry& g, int page) const override {
        if (page == 2) throw std::runtime_error("no space left");
        painter.drawText(QPointF(g.px(10), g.px(10)), QStringLiteral("page"));
    }
};

}  // namespace

TEST(ReportPdf, AFailureLeavesNoHalfWrittenFile) {
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("fresh.PDF"));
    EXPECT_THROW(writePdf(FailingReport(), fresh, nullptr), std::runtime_error);
    EXPECT_FALSE(QFile::exists(fresh));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());

    // A report written before stays as it was.
    const QString older = dir.filePath(QStringLiteral("older.PDF"));
    ASSERT_TRUE(
        writePdf(TReportCompositeForm(numberedTable(3, 2), settings(QPageLayout::Portrait)), older, nullptr));
    const QByteArray before = readAll(older);
    EXPECT_THROW(writePdf(FailingReport(), older, nullptr), std::runtime_error);
    EXPECT_EQ(readAll(older), before);

    QString error;
    EXPECT_FALSE(writePdf(FailingReport(), dir.filePath(QStringLiteral("missing/x.PDF")), &error));
    EXPECT_FALSE(error.isEmpty());
}

namespace {

TableData typedTable() {
    TableData table;
    table.columns = {{"Code", db::FieldType::Integer},
                     {"Title", db::FieldType::String},
                     {"Factor", db::FieldType::Float},
                     {"Changed", db::FieldType::DateTime},
                     {"Active", db::FieldType::Boolean}};
    table.rows = {
        {qlonglong(17), QStringLiteral("Grid loss"), 0.25, QDateTime(QDate(2024, 3, 7), QTime(12, 30)), true},
        {qlonglong(18), QVariant(), QVariant(), QDateTime(QDate(2023, 12, 31), QTime(0, 0)), false}};
    return table;
}

// The workbook as openpyxl reads it.
QJsonObject readWorkbook(const QString& file) {
    static const char* const kScript = R"(
import json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
sheet = book.worksheets[0]
def cell(ref):
    c = sheet[ref]
    v = c.value
    return {"type": type(v).__name__, "value": v.isoformat() if hasattr(v, "isoformat") else v,
            "is_date": c.is_date}
print(json.dumps({"sheets": book.sheetnames, "A1": sheet["A1"].value,
                  "header": [c.value for c in sheet[2]], "rows": sheet.max_row,
                  "A3": cell("A3"), "B3": cell("B3"), "C3": cell("C3"), "D3": cell("D3"),
                  "D4": cell("D4"), "E3": cell("E3"), "C4": cell("C4")}))
)";
    QString error;
    const QString out =
        runTool(QStringLiteral(PA_PYTHON3), {QStringLiteral("-c"), QLatin1String(kScript), file}, &error);
    EXPECT_FALSE(out.isEmpty()) << error.toStdString();
    return QJsonDocument::fromJson(out.toUtf8()).object();
}

}  // namespace

TEST(XlsxWorkbook, ReadBackWithTypedCells) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("allocation.xlsx"));
    // An older file at the target is replaced.
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("not a workbook");
    old.close();

    ASSERT_TRUE(
        writeWorkbook(file, QStringLiteral("Allocation"), QStringLiteral("Category allocation"), typedTable())
            .ok());
    EXPECT_EQ(readWorkbook(file), QJsonDocument::fromJson(R"({
        "sheets": ["Allocation"], "A1": "Category allocation", "rows": 4,
        "header": ["Code", "Title", "Factor", "Changed", "Active"],
        "A3": {"type": "int", "value": 17, "is_date": false},
        "B3": {"type": "str", "value": "Grid loss", "is_date": false},
        "C3": {"type": "float", "value": 0.25, "is_date": false},
        "D3": {"type": "datetime", "value": "2024-03-07T12:30:00", "is_date": true},
        "D4": {"type": "datetime", "value": "2023-12-31T00:00:00", "is_date": true},
        "E3": {"type": "bool", "value": true, "is_date": false},
        "C4": {"type": "NoneType", "value": null, "is_date": false}})")
                                      .object());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden) == QStringList{"allocation.xlsx"});
}
