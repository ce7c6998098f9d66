// The report and export rules without a device: which commands a source
// offers, the PDF name, column dealing, caption lines, column widths, pages,
// value texts, sheet names and the clipboard text.

#include "db/DataSet.h"
#include "reports/ClipboardText.h"
#include "reports/PdfFileName.h"
#include "reports/ReportLayout.h"
#include "reports/ReportSource.h"
#include "reports/XlsxWorkbook.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QStandardItemModel>

using namespace reports;

namespace {

db::ResultSet twoRows() {
    db::ResultSet rows;
    rows.columns = {{QStringLiteral("Id"), db::FieldType::Integer, 0},
                    {QStringLiteral("Title"), db::FieldType::String, 50}};
    rows.rows = {{qlonglong(1), QStringLiteral("a")}, {qlonglong(2), QStringLiteral("b")}};
    return rows;
}

}  // namespace

TEST(ReportSource, EnablesTheReportCommandsBySourceKind) {
    db::DataSet open;
    open.setRows(twoRows());
    db::DataSet closed;
    QStandardItemModel model(1, 1);
    struct Case {
        const char* name;
        SourceKind kind;
        const db::DataSet* dataSet;
        const QAbstractItemModel* model;
        QString sourceName;
        ReportCommands expected;
    };
    const Case cases[] = {
        {"open data set", SourceKind::DataSet, &open, nullptr, {}, {true, true}},
        {"closed data set", SourceKind::DataSet, &closed, nullptr, {}, {false, false}},
        {"no data set", SourceKind::DataSet, nullptr, &model, {}, {false, false}},
        {"given model", SourceKind::Given, nullptr, &model, {}, {true, true}},
        {"given name", SourceKind::Given, nullptr, nullptr, QStringLiteral("Curve"), {true, true}},
        {"nothing given", SourceKind::Given, nullptr, nullptr, {}, {false, false}},
        {"always", SourceKind::Always, nullptr, nullptr, {}, {true, true}},
        {"grid", SourceKind::GridLink, nullptr, &model, {}, {true, false}},
        {"no grid", SourceKind::GridLink, &open, nullptr, {}, {false, false}},
        {"other kind", SourceKind::None, &open, &model, QStringLiteral("x"), {false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReportSource source;
        source.kind = c.kind;
        source.dataSet = c.dataSet;
        source.model = c.model;
        source.sourceName = c.sourceName;
        EXPECT_EQ(reportCommands(source), c.expected);
    }
}

TEST(PdfFileName, KeepsTheFolderAndReplacesTheLastExtensionOfTheName) {
    const std::pair<const char*, const char*> cases[] = {
        {"/home/anna/report.pdf", "/home/anna/report.PDF"},
        {"/home/anna/report.final.txt", "/home/anna/report.final.PDF"},
        {"/home/anna/report", "/home/anna/report.PDF"},
        {"/home/an.na/report", "/home/an.na/report.PDF"},
        {"/home/an.na/report.x", "/home/an.na/report.PDF"},
        {"report", "report.PDF"},
        {"/tmp/.hidden", "/tmp/.hidden.PDF"},
        {"/tmp/name.", "/tmp/name.PDF"},
        {"", ""},
    };
    for (const auto& [chosen, expected] : cases) {
        SCOPED_TRACE(chosen);
        EXPECT_EQ(pdfFileName(QString::fromUtf8(chosen)), QString::fromUtf8(expected));
    }
}

TEST(ReportLayout, DealsColumnsTwentyToATemplate) {
    const std::pair<int, std::vector<ColumnRange>> cases[] = {
        {0, {{0, 0}}},
        {1, {{0, 1}}},
        {20, {{0, 20}}},
        {21, {{0, 20}, {20, 1}}},
        {25, {{0, 20}, {20, 5}}},
        {41, {{0, 20}, {20, 20}, {40, 1}}},
    };
    for (const auto& [columns, expected] : cases) {
        SCOPED_TRACE(columns);
        EXPECT_EQ(dealColumns(columns), expected);
    }
}

TEST(ReportLayout, WrapsCaptionsIntoAtMostThreeLines) {
    // One millimetre per character keeps the widths easy to follow.
    const Measure measure = [](const QString& text) { return double(text.size()); };
    struct Case {
        const char* caption;
        double width;
        QStringList expected;
    };
    const Case cases[] = {
        {"Event code", 20, {"Event code"}},
        {"Event code number", 10, {"Event code", "number"}},
        {"Responsible source title", 8, {"Responsi", "ble", "sourc..."}},
        {"a b c d e f", 3, {"a b", "c d", "e f"}},
        {"one two three four five", 5, {"one", "two", "th..."}},
        {"  spaced   out  ", 20, {"spaced out"}},
        {"", 10, {}},
        {"Normal Operation", 6, {"Normal", "Operat", "ion"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(wrapCaption(QString::fromUtf8(c.caption), c.width, measure), c.expected);
    }
}

TEST(ReportLayout, FitsColumnWidthsToTheLine) {
    struct Case {
        const char* name;
        std::vector<double> natural;
        double available;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {"all fit: natural widths, minimum applied", {5, 30, 20}, 100, {8, 30, 20}},
        {"too wide: shared beyond the minimum", {8, 48, 88}, 60, {8, 20, 32}},
        {"not even the minimums fit", {20, 20, 20}, 15, {5, 5, 5}},
        {"nothing", {}, 100, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<double> widths = fitColumnWidths(c.natural, c.available, 8);
        ASSERT_EQ(widths.size(), c.expected.size());
        for (size_t i = 0; i < widths.size(); ++i) EXPECT_NEAR(widths[i], c.expected[i], 1e-9) << i;
    }
}

TEST(ReportLayout, PaginatesRowsAndKeepsRoomForTheLastFooter) {
    PageSpace space;
    space.firstBody = 10;  // 5 rows
    space.otherBody = 20;  // 10 rows
    space.row = 2;
    space.lastFooter = 3;
    struct Case {
        int rows;
        std::vector<PageRows> expected;
    };
    const Case cases[] = {
        {0, {{0, 0}}},
        {3, {{0, 3}}},
        {4, {{0, 4}, {4, 0}}},  // 8 + 3 > 10: the footer needs a page of its own
        {5, {{0, 5}, {5, 0}}},
        {12, {{0, 5}, {5, 7}}},
        {15, {{0, 5}, {5, 10}, {15, 0}}},
        {26, {{0, 5}, {5, 10}, {15, 10}, {25, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        EXPECT_EQ(paginate(c.rows, space), c.expected);
    }
}

TEST(ReportTable, ValuesBecomeTheTextsAUserEdits) {
    const QLocale english(QLocale::English, QLocale::UnitedKingdom);
    const QLocale german(QLocale::German, QLocale::Germany);
    const QDateTime noon(QDate(2024, 3, 7), QTime(12, 30));
    const QDateTime midnight(QDate(2024, 3, 7), QTime(0, 0));
    struct Case {
        const char* name;
        QVariant value;
        db::FieldType type;
        QLocale locale;
        CellFormats formats;
        QString expected;
    };
    const Case cases[] = {
        {"null", QVariant(), db::FieldType::Integer, english, {}, QString()},
        {"integer without grouping", qlonglong(1234567), db::FieldType::Integer, english, {}, "1234567"},
        {"float", 1234.5, db::FieldType::Float, english, {}, "1234.5"},
        {"float, German point", 1234.5, db::FieldType::Float, german, {}, "1234,5"},
        {"float with a format", 2.0 / 3.0, db::FieldType::Float, english, cellFormats("0.00", ""), "0.67"},
        {"boolean", true, db::FieldType::Boolean, english, {}, "True"},
        {"date at midnight",
         midnight,
         db::FieldType::DateTime,
         english,
         {},
         english.toString(midnight.date(), QLocale::ShortFormat)},
        {"date and time",
         noon,
         db::FieldType::DateTime,
         english,
         {},
         english.toString(noon, QLocale::ShortFormat)},
        {"date with a format", noon, db::FieldType::DateTime, english, cellFormats("", "yyyy-MM-dd hh:mm"),
         "2024-03-07 12:30"},
        {"text", QStringLiteral("Grid loss"), db::FieldType::String, english, {}, "Grid loss"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(cellText(c.value, c.type, c.locale, c.formats), c.expected);
    }
}

TEST(ClipboardText, HeaderAndRowsTabSeparatedWithLineBreaksReplaced) {
    TableData table;
    table.columns = {
        {"No", db::FieldType::Integer}, {"", db::FieldType::String}, {"Title", db::FieldType::String}};
    table.rows = {{qlonglong(7), QVariant(), QStringLiteral("plain")},
                  {qlonglong(8), QStringLiteral("x"), QStringLiteral("tab\there\r\nand a new line")}};
    EXPECT_EQ(clipboardText(table, QLocale::c()),
              "No\t\tTitle\r\n"
              "7\t\tplain\r\n"
              "8\tx\ttab here  and a new line\r\n");
}

TEST(XlsxWorkbook, SheetNamesExcelAccepts) {
    const std::pair<const char*, const char*> cases[] = {
        {"Category allocation", "Category allocation"},
        {"a/b\\c[d]e:f*g?h", "a_b_c_d_e_f_g_h"},
        {"'quoted'", "quoted"},
        {"A name that is longer than thirty-one characters", "A name that is longer than thir"},
        {"", "Sheet1"},
        {"''", "Sheet1"},
    };
    for (const auto& [wanted, expected] : cases) {
        SCOPED_TRACE(wanted);
        EXPECT_EQ(excelSheetName(QString::fromUtf8(wanted)), QString::fromUtf8(expected));
    }
}
