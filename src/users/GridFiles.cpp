#include "users/GridFiles.h"

#include "reports/XlsxWorkbook.h"

#include <QSaveFile>
#include <QXmlStreamWriter>

namespace users {

namespace {

QString cell(const reports::TableData& table, const std::vector<QVariant>& row, size_t column,
             const QLocale& locale) {
    return reports::cellText(row[column], table.columns[column].type, locale);
}

QByteArray html(const reports::TableData& table, const QString& title, const QLocale& locale) {
    QString out = QStringLiteral("<!DOCTYPE html>\n<html>\n<head><meta charset=\"utf-8\"><title>") +
                  title.toHtmlEscaped() +
                  QStringLiteral("</title></head>\n<body>\n<table border=\"1\">\n<tr>");
    for (const reports::TableColumn& column : table.columns)
        out += QStringLiteral("<th>") + column.caption.toHtmlEscaped() + QStringLiteral("</th>");
    out += QStringLiteral("</tr>\n");
    for (const auto& row : table.rows) {
        out += QStringLiteral("<tr>");
        for (size_t c = 0; c < table.columns.size(); ++c)
            out += QStringLiteral("<td>") + cell(table, row, c, locale).toHtmlEscaped() +
                   QStringLiteral("</td>");
        out += QStringLiteral("</tr>\n");
    }
    out += QStringLiteral("</table>\n</body>\n</html>\n");
    return out.toUtf8();
}

QByteArray xml(const reports::TableData& table, const QString& title, const QLocale& locale) {
    QByteArray bytes;
    QXmlStreamWriter w(&bytes);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("Grid"));
    w.writeAttribute(QStringLiteral("Title"), title);
    w.writeStartElement(QStringLiteral("Columns"));
    for (const reports::TableColumn& column : table.columns)
        w.writeTextElement(QStringLiteral("Column"), column.caption);
    w.writeEndElement();
    for (const auto& row : table.rows) {
        w.writeStartElement(QStringLiteral("Row"));
        for (size_t c = 0; c < table.columns.size(); ++c)
            w.writeTextElement(QStringLiteral("Value"), cell(table, row, c, locale));
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndDocument();
    return bytes;
}

QByteArray text(const reports::TableData& table, const QLocale& locale) {
    QString out;
    const auto line = [&](const QStringList& values) { out += values.join(u'\t') + QStringLiteral("\r\n"); };
    QStringList captions;
    for (const reports::TableColumn& column : table.columns) captions << reports::singleLine(column.caption);
    line(captions);
    for (const auto& row : table.rows) {
        QStringList values;
        for (size_t c = 0; c < table.columns.size(); ++c)
            values << reports::singleLine(cell(table, row, c, locale));
        line(values);
    }
    return out.toUtf8();
}

}  // namespace

QByteArray GridFileContent(const reports::TableData& table, GridFileFormat format, const QString& title) {
    const QLocale locale = reports::plainLocale(QLocale());
    switch (format) {
        case GridFileFormat::Html: return html(table, title, locale);
        case GridFileFormat::Xml: return xml(table, title, locale);
        case GridFileFormat::Text: return text(table, locale);
        case GridFileFormat::Excel: break;
    }
    return {};
}

bool WriteGridFile(const QString& path, const reports::TableData& table, GridFileFormat format,
                   const QString& title, QString* error) {
    if (format == GridFileFormat::Excel) {
        const reports::WorkbookResult result =
            reports::writeWorkbook(path, reports::excelSheetName(title), title, table);
        if (!result.ok() && error) *error = result.detail.isEmpty() ? path : result.detail;
        return result.ok();
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(GridFileContent(table, format, title)) < 0 ||
        !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace users
