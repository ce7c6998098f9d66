#include "db/VersionGate.h"

#include <QStringList>
#include <limits>

namespace db {

namespace {

long long leadingDigits(const QString& text) {
    long long value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9') break;
        const int digit = c.unicode() - u'0';
        if (value > (std::numeric_limits<long long>::max() - digit) / 10)
            return std::numeric_limits<long long>::max();
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace

std::array<long long, 4> versionComponents(const QString& version) {
    std::array<long long, 4> parts{0, 0, 0, 0};
    const QStringList texts = version.trimmed().split(u'.');
    for (int i = 0; i < 4 && i < texts.size(); ++i) parts[size_t(i)] = leadingDigits(texts[i]);
    return parts;
}

bool IsDatabaseVersionAtLeast(const QString& databaseVersion, const QString& threshold) {
    const auto have = versionComponents(databaseVersion);
    const auto need = versionComponents(threshold);
    for (size_t i = 0; i < 3; ++i)
        if (have[i] != need[i]) return have[i] > need[i];
    return need[3] <= have[3];
}

QString shortVersion(const QString& threshold) {
    const auto parts = versionComponents(threshold);
    size_t count = 4;
    while (count > 2 && parts[count - 1] == 0) --count;
    QStringList texts;
    for (size_t i = 0; i < count; ++i) texts << QString::number(parts[i]);
    return texts.join(u'.');
}

QString versionGateHint(const QString& threshold) {
    return QStringLiteral("This feature can only be used on a ") + shortVersion(threshold) +
           QStringLiteral(" database or newer");
}

}  // namespace db
