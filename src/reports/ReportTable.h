#pragma once
// A list as the reports and exports take it: the visible columns with their
// captions and types, and the rows' values, read once from a data set or a
// grid's model so that writing a file can run off the user-interface thread.

#include "db/Value.h"

#include <QLocale>
#include <QString>
#include <QVariant>
#include <vector>

class QAbstractItemModel;

namespace db {
class DataSet;
}

namespace reports {

struct TableColumn {
    QString caption;
    db::FieldType type = db::FieldType::String;
};

struct TableData {
    std::vector<TableColumn> columns;
    std::vector<std::vector<QVariant>> rows;  // one value per column
};

// The visible fields in field order and every visible row, read by position
// so the data set's current row and edit state stay as they are.
TableData tableFromDataSet(const db::DataSet& dataSet);
// The columns and rows of a grid's model: horizontal header captions and
// display values (a check box cell counts as a boolean).
TableData tableFromModel(const QAbstractItemModel& model);

// How values become text where the caller sets no format of its own.
struct CellFormats {
    int floatDecimals = -1;  // -1: as many as the value needs (up to 15 significant digits)
    QString dateTimeFormat;  // empty: the locale's short forms
};

// Reads the report source's two format texts: a number pattern ("0.00"
// gives two decimals) and a QDateTime pattern.
CellFormats cellFormats(const QString& numberFormat, const QString& dateTimeFormat);

// A value as the user edits it: integers in decimal, floating values with
// the locale's decimal point and no grouping, dates (with the time only when
// it is not midnight) in the locale's short forms, booleans as True/False,
// null as an empty text.
QString cellText(const QVariant& value, db::FieldType type, const QLocale& locale = QLocale(),
                 const CellFormats& formats = {});

// The locale without digit grouping; callers that convert many values pass
// it to cellText once made.
QLocale plainLocale(const QLocale& locale);

// A tab or line break inside one value would move every later value of a
// pasted line or page; each becomes a space.
QString singleLine(const QString& text);

// The field type a value of a model cell stands for.
db::FieldType typeOfValue(const QVariant& value);

}  // namespace reports
