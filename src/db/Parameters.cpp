#include "db/Parameters.h"

#include "db/DataSet.h"

#include <QDateTime>
#include <limits>

namespace db {

namespace {

// Skips blanks, then returns the position after an optional sign.
qsizetype skipBlanksAndSign(const QString& text, qsizetype pos, bool* negative) {
    while (pos < text.size() && text.at(pos).isSpace()) ++pos;
    *negative = false;
    if (pos < text.size() && (text.at(pos) == u'-' || text.at(pos) == u'+')) {
        *negative = text.at(pos) == u'-';
        ++pos;
    }
    return pos;
}

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

QVariant integerValue(const QString& text) {
    const qlonglong v = leadingInteger(text);
    if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max()) return QVariant(int(v));
    return QVariant(v);
}

QString dateTimeText(const QVariant& value) {
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().startOfDay().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    return value.toString();
}

QString describe(const Parameters& parameters) {
    QString text;
    bool first = true;
    for (size_t i = 0; i < parameters.size(); ++i) {
        const Parameter& p = parameters[i];
        if (i == 0 && p.direction == ParameterDirection::ReturnValue) continue;
        text += first ? QStringLiteral(" ") : QStringLiteral(", ");
        first = false;
        text += p.name;
        if (p.isNull()) {
            text += QStringLiteral(" = NULL");
            continue;
        }
        switch (p.type) {
            case FieldType::String: text += QStringLiteral(" = '") + p.value.toString() + u'\''; break;
            case FieldType::DateTime: text += QStringLiteral(" = '") + dateTimeText(p.value) + u'\''; break;
            case FieldType::Boolean:
                text += truthOf(p.value) ? QStringLiteral(" = 1") : QStringLiteral(" = 0");
                break;
            default: text += QStringLiteral(" = ") + p.value.toString(); break;
        }
    }
    return text;
}

}  // namespace

qlonglong leadingInteger(const QString& text) {
    bool negative = false;
    qsizetype pos = skipBlanksAndSign(text, 0, &negative);
    // Accumulate as a negative number so the minimum is reachable.
    constexpr qlonglong kMin = std::numeric_limits<qlonglong>::min();
    qlonglong value = 0;
    for (; pos < text.size() && isDigit(text.at(pos)); ++pos) {
        const int digit = text.at(pos).unicode() - u'0';
        if (value < (kMin + digit) / 10) {
            value = kMin;
        } else {
            value = value * 10 - digit;
        }
    }
    if (negative) return value;
    return value == kMin ? std::numeric_limits<qlonglong>::max() : -value;
}

double leadingNumber(const QString& text) {
    bool negative = false;
    const qsizetype start = skipBlanksAndSign(text, 0, &negative);
    qsizetype pos = start;
    qsizetype digits = 0;
    while (pos < text.size() && isDigit(text.at(pos))) ++pos, ++digits;
    if (pos < text.size() && text.at(pos) == u'.') {
        ++pos;
        while (pos < text.size() && isDigit(text.at(pos))) ++pos, ++digits;
    }
    if (digits == 0) return 0.0;
    // An exponent counts only when it has digits of its own.
    if (pos < text.size() && (text.at(pos) == u'e' || text.at(pos) == u'E')) {
        qsizetype e = pos + 1;
        if (e < text.size() && (text.at(e) == u'-' || text.at(e) == u'+')) ++e;
        if (e < text.size() && isDigit(text.at(e))) {
            pos = e;
            while (pos < text.size() && isDigit(text.at(pos))) ++pos;
        }
    }
    bool ok = false;
    const double value = text.mid(start, pos - start).toDouble(&ok);
    if (!ok) return 0.0;  // out of range
    return negative ? -value : value;
}

bool truthOf(const QVariant& value) {
    if (value.isNull()) return false;
    switch (value.typeId()) {
        case QMetaType::Bool: return value.toBool();
        case QMetaType::QString: {
            const QString t = value.toString().trimmed();
            if (t.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0) return true;
            if (t.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0) return false;
            return leadingNumber(t) != 0.0;
        }
        default: return value.toDouble() != 0.0;
    }
}

bool AddParameter(Parameters& parameters, const ParameterSpec& spec) {
    Parameter p;
    p.name = spec.Name;
    p.type = spec.DataType;
    p.size = spec.Size;
    p.direction = spec.Direction;
    if (spec.Direction != ParameterDirection::ReturnValue && spec.Value.toUpper() != QLatin1String("NULL")) {
        switch (spec.DataType) {
            case FieldType::Integer: p.value = integerValue(spec.Value); break;
            case FieldType::Float: p.value = leadingNumber(spec.Value); break;
            // Bound as a real boolean so the backend never has to guess.
            case FieldType::Boolean: p.value = truthOf(spec.Value); break;
            default: p.value = spec.Value; break;
        }
    }
    parameters.push_back(std::move(p));
    return true;
}

QString DescribeParameters(const Command& command) { return describe(command.parameters); }

QString DescribeParameters(const DataSet& dataSet) { return describe(dataSet.command().parameters); }

QString QuoteSqlText(const QString& text) {
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("''"));
    return quoted;
}

int FieldValueAtRow(int row, const DataSet& dataSet, const QString& fieldName) {
    if (!dataSet.isOpen() || row < 0 || row >= dataSet.recordCount()) return 0;
    const int field = dataSet.fieldIndex(fieldName);
    if (field < 0) return 0;
    const QVariant v = dataSet.valueAt(row, field);
    if (v.isNull()) return 0;
    if (v.typeId() == QMetaType::QString) return int(leadingInteger(v.toString()));
    return v.toInt();
}

}  // namespace db
