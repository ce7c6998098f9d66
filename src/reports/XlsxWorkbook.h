#pragma once
// Writes a list as an Excel workbook (Office Open XML, ".xlsx") of one
// sheet: the title in the first cell, the header row of the column captions
// below it, then the rows. Numbers become numeric cells and dates and times
// date cells with a date format, as a spreadsheet user expects them.

#include "reports/ReportTable.h"

namespace reports {

enum class WorkbookFailure {
    None,
    DeleteExisting,  // the file at the target could not be deleted: nothing was written
    Write,           // the workbook could not be written (disk full, folder write-protected)
    Export,          // the writer refused the contents; `detail` says why
};

struct WorkbookResult {
    WorkbookFailure failure = WorkbookFailure::None;
    QString detail;

    bool ok() const { return failure == WorkbookFailure::None; }
};

// A sheet name Excel accepts: the characters [ ] : * ? / \ become "_",
// apostrophes at either end go, at most 31 characters; "Sheet1" when
// nothing is left.
QString excelSheetName(const QString& wanted);

// Writes the workbook next to `path` under another name and moves it there
// when complete; an existing file at `path` is deleted first. Whatever
// fails, `path` holds the complete new workbook or nothing.
WorkbookResult writeWorkbook(const QString& path, const QString& sheetName, const QString& title,
                             const TableData& table);

}  // namespace reports
