#pragma once
// What the report tests share: lists built by hand, and the independent
// readers of the files the reports write (poppler's pdfinfo and pdftotext,
// Python's openpyxl).

#include "reports/ReportTable.h"

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace report_test {

// Runs a reader and returns what it printed; empty when it failed.
inline QString runTool(const QString& program, const QStringList& arguments, QString* error = nullptr) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        if (error) *error = QString::fromUtf8(process.readAllStandardError()) + process.errorString();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

struct PdfInfo {
    int pages = 0;
    double width = 0;  // points
    double height = 0;
};

inline PdfInfo pdfInfo(const QString& file) {
    const QString out = runTool(QStringLiteral(PA_PDFINFO), {file});
    PdfInfo info;
    const auto pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(out);
    if (pages.hasMatch()) info.pages = pages.captured(1).toInt();
    const auto size =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(out);
    if (size.hasMatch()) {
        info.width = size.captured(1).toDouble();
        info.height = size.captured(2).toDouble();
    }
    return info;
}

// The text of each page, in order (pdftotext ends every page with a form feed).
inline QStringList pdfPages(const QString& file) {
    QStringList pages = runTool(QStringLiteral(PA_PDFTOTEXT), {file, QStringLiteral("-")}).split(u'\f');
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

// `rows` rows of `columns` columns: column 0 the row number, column 1 "R"
// and column 20 (the first of the second template) "S" with the four-digit
// row number, the others short numbers; captions "C01" ... with the first
// caption in words.
inline reports::TableData numberedTable(int rows, int columns) {
    reports::TableData table;
    for (int c = 0; c < columns; ++c) {
        const bool text = c == 1 || c == 20;
        table.columns.push_back({c == 0 ? QStringLiteral("Event code number")
                                        : QStringLiteral("C%1").arg(c + 1, 2, 10, QLatin1Char('0')),
                                 text ? db::FieldType::String : db::FieldType::Integer});
    }
    for (int r = 1; r <= rows; ++r) {
        std::vector<QVariant> row;
        for (int c = 0; c < columns; ++c) {
            if (c == 0)
                row.push_back(qlonglong(r));
            else if (c == 1 || c == 20)
                row.push_back(QString(QChar(c == 1 ? u'R' : u'S')) +
                              QStringLiteral("%1").arg(r, 4, 10, QLatin1Char('0')));
            else
                row.push_back(qlonglong((r * c) % 97));
        }
        table.rows.push_back(std::move(row));
    }
    return table;
}

}  // namespace report_test
