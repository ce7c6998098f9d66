#include "db/odbc/Diagnostics.h"

#include <QStringList>

namespace db::odbc {

namespace {

// "[FreeTDS][SQL Server]text" -> "text".
QString withoutPrefixes(QString text) {
    text = text.trimmed();
    while (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        if (close < 0) break;
        text = text.mid(close + 1).trimmed();
    }
    return text;
}

QString lineOf(const DiagRecord& record) {
    const QString text = withoutPrefixes(record.text);
    if (record.native != 0) return QStringLiteral("%1 (error %2)").arg(text).arg(record.native);
    if (!record.state.isEmpty()) return QStringLiteral("%1 (%2)").arg(text, record.state);
    return text;
}

bool isInformation(const DiagRecord& record) { return record.state.startsWith(QLatin1String("01")); }

}  // namespace

QString messageOf(const std::vector<DiagRecord>& records) {
    for (const DiagRecord& r : records)
        if (r.state == QLatin1String("HY008")) return QStringLiteral("interrupted");
    QStringList errors;
    QStringList information;
    for (const DiagRecord& r : records) {
        QStringList& list = isInformation(r) ? information : errors;
        const QString line = lineOf(r);
        if (!line.isEmpty() && !list.contains(line)) list << line;
    }
    return (errors.isEmpty() ? information : errors).join(u'\n');
}

}  // namespace db::odbc
