#pragma once
// The driver's diagnostic records and the message a user sees for them.

#include <QString>
#include <vector>

namespace db::odbc {

struct DiagRecord {
    QString state;   // SQLSTATE, e.g. "42000"
    int native = 0;  // the server's own error number (RAISERROR's number, 2812, ...)
    QString text;    // with the driver's "[vendor][driver]" prefixes
};

// The message of a failed call: every error record as the server's text
// without the driver prefixes, followed by its native number ("... (error
// 50000)"), one record a line. Informational records (PRINT, low-severity
// RAISERROR, "changed database context") only speak when there is no error
// record. A cancelled statement reads "interrupted", as on the embedded
// database.
QString messageOf(const std::vector<DiagRecord>& records);

}  // namespace db::odbc
