#include "reportdb/SqliteUtil.h"

namespace reportdb::sqlite {

QString errorMessage(sqlite3* db) {
    const char* message = db ? sqlite3_errmsg(db) : nullptr;
    return message ? QString::fromUtf8(message) : QStringLiteral("Unknown database error");
}

bool execSql(sqlite3* db, const QString& sql, QString* error) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    if (rc == SQLITE_OK) return true;
    if (error) *error = message ? QString::fromUtf8(message) : errorMessage(db);
    sqlite3_free(message);
    return false;
}

db::FieldType fieldTypeFromDeclared(const char* declaredType, int* size) {
    if (size) *size = 0;
    if (!declaredType) return db::FieldType::Unknown;
    const QString type = QString::fromUtf8(declaredType).trimmed().toUpper();
    if (size) {
        // "NVARCHAR(50)", "DECIMAL(18, 4)": the first number in brackets.
        const qsizetype open = type.indexOf(QLatin1Char('('));
        if (open >= 0) {
            qsizetype end = open + 1;
            while (end < type.size() && (type[end].isDigit() || type[end].isSpace())) ++end;
            *size = type.mid(open + 1, end - open - 1).trimmed().toInt();
        }
    }
    if (type.startsWith(QLatin1String("BIT")) || type.startsWith(QLatin1String("BOOL")))
        return db::FieldType::Boolean;
    if (type.contains(QLatin1String("DATE")) || type.contains(QLatin1String("TIME")))
        return db::FieldType::DateTime;
    if (type.contains(QLatin1String("INT"))) return db::FieldType::Integer;
    if (type.contains(QLatin1String("CHAR")) || type.contains(QLatin1String("TEXT")) ||
        type.contains(QLatin1String("CLOB")))
        return db::FieldType::String;
    if (type.contains(QLatin1String("REAL")) || type.contains(QLatin1String("FLOA")) ||
        type.contains(QLatin1String("DOUB")) || type.contains(QLatin1String("DEC")) ||
        type.contains(QLatin1String("NUMERIC")))
        return db::FieldType::Float;
    return db::FieldType::Unknown;
}

QVariant nullValue(db::FieldType type) {
    switch (type) {
        case db::FieldType::String: return QVariant(QMetaType::fromType<QString>());
        case db::FieldType::Integer: return QVariant(QMetaType::fromType<qlonglong>());
        case db::FieldType::Boolean: return QVariant(QMetaType::fromType<bool>());
        case db::FieldType::Float: return QVariant(QMetaType::fromType<double>());
        case db::FieldType::DateTime: return QVariant(QMetaType::fromType<QDateTime>());
        case db::FieldType::Unknown: break;
    }
    return {};
}

QString dateTimeText(const QDateTime& value) {
    return value.time().msec() != 0 ? value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                                    : value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString utcDateTimeText(const QDateTime& value) {
    return value.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) + QLatin1Char('Z');
}

namespace {

// The decimal number of `count` digits at `at`, or -1.
int digitsAt(QStringView text, qsizetype at, int count) {
    if (at + count > text.size()) return -1;
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// The shapes that SQLite and the database write ("yyyy-MM-dd", then
// optionally " HH:mm", ":ss" and ".zzz", with a blank or a "T"), read
// without Qt's format parser, which costs most of the time of a large read.
// Null for any other text.
QDateTime parseIsoDateTime(QStringView text) {
    const int year = digitsAt(text, 0, 4), month = digitsAt(text, 5, 2), day = digitsAt(text, 8, 2);
    if (year < 0 || month < 0 || day < 0 || text.size() < 10 || text[4] != u'-' || text[7] != u'-') return {};
    const QDate date(year, month, day);
    if (!date.isValid()) return {};
    if (text.size() == 10) return date.startOfDay();
    if (text[10] != u' ' && text[10] != u'T') return {};
    const int hour = digitsAt(text, 11, 2), minute = digitsAt(text, 14, 2);
    if (hour < 0 || minute < 0 || text.size() < 16 || text[13] != u':') return {};
    int second = 0, millisecond = 0;
    if (text.size() > 16) {
        second = digitsAt(text, 17, 2);
        if (text[16] != u':' || second < 0) return {};
        if (text.size() > 19) {
            millisecond = digitsAt(text, 20, 3);
            if (text[19] != u'.' || millisecond < 0 || text.size() != 23) return {};
        } else if (text.size() != 19) {
            return {};
        }
    }
    const QTime time(hour, minute, second, millisecond);
    if (!time.isValid()) return {};
    return QDateTime(date, time);
}

}  // namespace

QDateTime parseDateTime(const QString& text) {
    const QString trimmed = text.trimmed();
    const QDateTime fast = parseIsoDateTime(trimmed);
    if (fast.isValid()) return fast;
    if (trimmed.endsWith(QLatin1Char('Z'))) {
        const QDateTime utc = parseIsoDateTime(QStringView(trimmed).chopped(1));
        return utc.isValid() ? QDateTime(utc.date(), utc.time(), Qt::UTC) : QDateTime();
    }
    for (const char* format : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-ddTHH:mm:ss",
                               "yyyy-MM-ddTHH:mm:ss.zzz", "yyyy-MM-dd HH:mm", "yyyyMMdd HH:mm:ss"}) {
        const QDateTime parsed = QDateTime::fromString(trimmed, QLatin1String(format));
        if (parsed.isValid()) return parsed;
    }
    for (const char* format : {"yyyy-MM-dd", "yyyyMMdd"}) {
        const QDate date = QDate::fromString(trimmed, QLatin1String(format));
        if (date.isValid()) return date.startOfDay();
    }
    return {};
}

int bindValue(sqlite3_stmt* statement, int index, const QVariant& value) {
    if (value.isNull() || !value.isValid()) return sqlite3_bind_null(statement, index);
    switch (value.typeId()) {
        case QMetaType::Bool: return sqlite3_bind_int(statement, index, value.toBool() ? 1 : 0);
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar: return sqlite3_bind_int64(statement, index, value.toLongLong());
        case QMetaType::Double:
        case QMetaType::Float: return sqlite3_bind_double(statement, index, value.toDouble());
        case QMetaType::QDateTime: {
            const QByteArray text = dateTimeText(value.toDateTime()).toUtf8();
            return sqlite3_bind_text(statement, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        case QMetaType::QDate: {
            const QByteArray text = dateTimeText(value.toDate().startOfDay()).toUtf8();
            return sqlite3_bind_text(statement, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            return sqlite3_bind_blob(statement, index, bytes.constData(), int(bytes.size()),
                                     SQLITE_TRANSIENT);
        }
        default: break;
    }
    const QByteArray text = value.toString().toUtf8();
    return sqlite3_bind_text(statement, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

bool bindAll(sqlite3_stmt* statement, const std::vector<QVariant>& values, QString* error) {
    const int count = sqlite3_bind_parameter_count(statement);
    if (count != int(values.size())) {
        if (error)
            *error = QStringLiteral("The statement expects %1 values, %2 were given")
                         .arg(count)
                         .arg(values.size());
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (bindValue(statement, i + 1, values[size_t(i)]) != SQLITE_OK) {
            if (error) *error = errorMessage(sqlite3_db_handle(statement));
            return false;
        }
    }
    return true;
}

namespace {

QVariant readValue(sqlite3_stmt* statement, int column, db::FieldType declared) {
    switch (sqlite3_column_type(statement, column)) {
        case SQLITE_NULL: return nullValue(declared);
        case SQLITE_INTEGER: {
            const qlonglong number = sqlite3_column_int64(statement, column);
            if (declared == db::FieldType::Boolean) return QVariant(number != 0);
            if (declared == db::FieldType::Float) return QVariant(double(number));
            return QVariant(number);
        }
        case SQLITE_FLOAT: return QVariant(sqlite3_column_double(statement, column));
        case SQLITE_BLOB: {
            const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
            return QVariant(QByteArray(data, sqlite3_column_bytes(statement, column)));
        }
        default: break;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    const QString value = QString::fromUtf8(text, sqlite3_column_bytes(statement, column));
    if (declared == db::FieldType::DateTime) {
        const QDateTime parsed = parseDateTime(value);
        if (parsed.isValid()) return QVariant(parsed);
    }
    return QVariant(value);
}

db::FieldType typeOfValue(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::LongLong: return db::FieldType::Integer;
        case QMetaType::Double: return db::FieldType::Float;
        case QMetaType::QString: return db::FieldType::String;
        default: return db::FieldType::Unknown;
    }
}

}  // namespace

bool stepAll(sqlite3* db, sqlite3_stmt* statement, db::ResultSet* rows, QString* error) {
    const int columnCount = sqlite3_column_count(statement);
    if (rows && columnCount > 0 && rows->columns.empty()) {
        for (int c = 0; c < columnCount; ++c) {
            db::Column column;
            column.name = QString::fromUtf8(sqlite3_column_name(statement, c));
            column.type = fieldTypeFromDeclared(sqlite3_column_decltype(statement, c), &column.size);
            rows->columns.push_back(column);
        }
    }
    for (;;) {
        const int rc = sqlite3_step(statement);
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW) {
            if (error) *error = errorMessage(db);
            return false;
        }
        if (!rows || columnCount == 0) continue;
        db::Row row;
        row.reserve(size_t(columnCount));
        for (int c = 0; c < columnCount; ++c)
            row.push_back(readValue(statement, c, rows->columns[size_t(c)].type));
        rows->rows.push_back(std::move(row));
    }
    if (!rows) return true;
    // Expression columns carry no declared type: take it from their values.
    for (size_t c = 0; c < rows->columns.size(); ++c) {
        if (rows->columns[c].type != db::FieldType::Unknown) continue;
        for (const auto& row : rows->rows) {
            if (row[c].isNull()) continue;
            rows->columns[c].type = typeOfValue(row[c]);
            break;
        }
    }
    return true;
}

}  // namespace reportdb::sqlite
