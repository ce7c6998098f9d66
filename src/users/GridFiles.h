#pragma once
// A grid written to a file as the user chose: an Excel workbook through the
// shared workbook writer, or an HTML table, an XML document or tab-separated
// text of our own, each holding the captions and the values as shown.

#include "reports/ReportTable.h"
#include "users/UserManagementRules.h"

#include <QByteArray>
#include <QString>

namespace users {

// The HTML, XML or text form of the table (UTF-8); empty for a workbook.
QByteArray GridFileContent(const reports::TableData& table, GridFileFormat format, const QString& title);

// Writes the file whole or not at all; `error` says why it failed.
bool WriteGridFile(const QString& path, const reports::TableData& table, GridFileFormat format,
                   const QString& title, QString* error);

}  // namespace users
