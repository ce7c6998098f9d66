#include "reports/ReportTable.h"

#include "db/DataSet.h"

#include <QAbstractItemModel>
#include <QDateTime>

namespace reports {

TableData tableFromDataSet(const db::DataSet& dataSet) {
    TableData table;
    std::vector<int> fields;
    for (int f = 0; f < dataSet.fieldCount(); ++f) {
        const db::Field& field = dataSet.field(f);
        if (!field.visible) continue;
        fields.push_back(f);
        table.columns.push_back({field.displayLabel, field.type});
    }
    const int rows = dataSet.isOpen() ? dataSet.recordCount() : 0;
    table.rows.reserve(size_t(rows));
    for (int r = 0; r < rows; ++r) {
        std::vector<QVariant> values;
        values.reserve(fields.size());
        for (int f : fields) values.push_back(dataSet.valueAt(r, f));
        table.rows.push_back(std::move(values));
    }
    return table;
}

TableData tableFromModel(const QAbstractItemModel& model) {
    TableData table;
    const int columns = model.columnCount();
    const int rows = model.rowCount();
    for (int c = 0; c < columns; ++c)
        table.columns.push_back({model.headerData(c, Qt::Horizontal).toString(), db::FieldType::Unknown});
    table.rows.reserve(size_t(rows));
    for (int r = 0; r < rows; ++r) {
        std::vector<QVariant> values;
        values.reserve(size_t(columns));
        for (int c = 0; c < columns; ++c) {
            const QModelIndex index = model.index(r, c);
            QVariant value = model.data(index, Qt::DisplayRole);
            if (!value.isValid()) {
                const QVariant check = model.data(index, Qt::CheckStateRole);
                if (check.isValid()) value = check.toInt() == Qt::Checked;
            }
            values.push_back(std::move(value));
        }
        table.rows.push_back(std::move(values));
    }
    // A column takes the type its values share; mixed columns are text.
    for (int c = 0; c < columns; ++c) {
        db::FieldType type = db::FieldType::Unknown;
        for (const auto& row : table.rows) {
            if (row[size_t(c)].isNull()) continue;
            const db::FieldType t = typeOfValue(row[size_t(c)]);
            if (type == db::FieldType::Unknown) {
                type = t;
            } else if (type != t) {
                const bool numbers = (type == db::FieldType::Integer || type == db::FieldType::Float) &&
                                     (t == db::FieldType::Integer || t == db::FieldType::Float);
                type = numbers ? db::FieldType::Float : db::FieldType::String;
            }
        }
        table.columns[size_t(c)].type = type == db::FieldType::Unknown ? db::FieldType::String : type;
    }
    return table;
}

db::FieldType typeOfValue(const QVariant& value) {
    switch (value.metaType().id()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort: return db::FieldType::Integer;
        case QMetaType::Double:
        case QMetaType::Float: return db::FieldType::Float;
        case QMetaType::Bool: return db::FieldType::Boolean;
        case QMetaType::QDateTime:
        case QMetaType::QDate:
        case QMetaType::QTime: return db::FieldType::DateTime;
        default: return db::FieldType::String;
    }
}

CellFormats cellFormats(const QString& numberFormat, const QString& dateTimeFormat) {
    CellFormats formats;
    const qsizetype point = numberFormat.indexOf(u'.');
    if (!numberFormat.isEmpty()) {
        int decimals = 0;
        if (point >= 0)
            for (qsizetype i = point + 1;
                 i < numberFormat.size() && (numberFormat[i] == u'0' || numberFormat[i] == u'#'); ++i)
                ++decimals;
        formats.floatDecimals = decimals;
    }
    formats.dateTimeFormat = dateTimeFormat;
    return formats;
}

namespace {

QString dateTimeText(const QVariant& value, const QLocale& locale, const CellFormats& formats) {
    if (value.metaType().id() == QMetaType::QTime) {
        const QTime time = value.toTime();
        return formats.dateTimeFormat.isEmpty() ? locale.toString(time, QLocale::ShortFormat)
                                                : time.toString(formats.dateTimeFormat);
    }
    const QDateTime dateTime = value.toDateTime();
    if (!dateTime.isValid()) return value.toString();
    if (!formats.dateTimeFormat.isEmpty()) return locale.toString(dateTime, formats.dateTimeFormat);
    if (dateTime.time() == QTime(0, 0)) return locale.toString(dateTime.date(), QLocale::ShortFormat);
    return locale.toString(dateTime, QLocale::ShortFormat);
}

}  // namespace

QLocale plainLocale(const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return plain;
}

QString cellText(const QVariant& value, db::FieldType type, const QLocale& locale,
                 const CellFormats& formats) {
    if (value.isNull() || !value.isValid()) return {};
    switch (type) {
        case db::FieldType::Integer: {
            bool ok = false;
            const qlonglong n = value.toLongLong(&ok);
            return ok ? QString::number(n) : value.toString();
        }
        case db::FieldType::Float: {
            bool ok = false;
            const double d = value.toDouble(&ok);
            if (!ok) return value.toString();
            if (!(locale.numberOptions() & QLocale::OmitGroupSeparator))
                return cellText(value, type, plainLocale(locale), formats);
            if (formats.floatDecimals >= 0) return locale.toString(d, 'f', formats.floatDecimals);
            return locale.toString(d, 'g', 15);
        }
        case db::FieldType::Boolean: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        case db::FieldType::DateTime: return dateTimeText(value, locale, formats);
        case db::FieldType::String:
        case db::FieldType::Unknown: break;
    }
    return value.toString();
}

QString singleLine(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c == u'\t' || c == u'\r' || c == u'\n') c = u' ';
    return out;
}

}  // namespace reports
