#pragma once
// The text a list is copied to the clipboard as, in the layout spreadsheets
// paste: a header line of the column captions, then one line per row;
// values separated by a tab, every line ending in carriage return and line
// feed.

#include "reports/ReportTable.h"

namespace reports {

QString clipboardText(const TableData& table, const QLocale& locale = QLocale());

}  // namespace reports
