#pragma once
// Stored-procedure parameters and the call text shown in the status window
// and written to the trace log.

#include "db/Value.h"

#include <QString>

namespace db {

class DataSet;

// Appends a parameter built from `spec`. Unless it is the return value, its
// value comes from the Value text: "NULL" in any letter case leaves it NULL;
// an integer takes the leading decimal digits (none gives 0); a float takes
// the leading decimal number; a boolean takes "true"/"false" or a number
// (non-zero is true); every other type keeps the text. Always returns true.
bool AddParameter(Parameters& parameters, const ParameterSpec& spec);
inline bool AddParameter(Command& command, const ParameterSpec& spec) {
    return AddParameter(command.parameters, spec);
}

// The parameter list as an EXEC statement would write it, e.g.
// " @A = 5, @B = 'x'". A leading return value is skipped. For display and
// tracing only: values are not escaped, the text is never executed.
QString DescribeParameters(const Command& command);
// The same for a data set's command; date-time values are written as
// "yyyy-MM-dd hh:mm:ss".
QString DescribeParameters(const DataSet& dataSet);

// Doubles every single quote so the text can stand inside a quoted SQL literal.
QString QuoteSqlText(const QString& text);

// The integer value of `fieldName` in visible row `row` (0-based) of an open
// data set, or 0 when there is no such row or field, or the value is NULL.
// The data set's current row is left where it was.
int FieldValueAtRow(int row, const DataSet& dataSet, const QString& fieldName);

// Value conversions shared with the data set: leading decimal integer (none
// gives 0, saturating at the 64-bit range), leading decimal number (none
// gives 0), and the truth of a value as a boolean field would see it.
qlonglong leadingInteger(const QString& text);
double leadingNumber(const QString& text);
bool truthOf(const QVariant& value);

}  // namespace db
