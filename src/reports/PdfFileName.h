#pragma once
// The name a PDF report is written to, from the name the user chose.

#include <QString>

namespace reports {

// The folder (up to the last separator: "/", on Windows also "\\") stays as
// chosen; in the file name, the last extension (from the last dot of the
// name itself, never of a folder) is replaced by ".PDF", and a name without
// one gets ".PDF" appended. Empty stays empty.
QString pdfFileName(const QString& chosen);

}  // namespace reports
