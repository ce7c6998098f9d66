#include "app/SessionData.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace app {

namespace {

// The number formed by the leading digits of an entry (after blanks), 0 when
// there are none or they do not fit 32 bits.
int leadingNumber(QStringView entry) {
    qsizetype i = 0;
    while (i < entry.size() && entry[i].isSpace()) ++i;
    std::int64_t value = 0;
    bool any = false;
    for (; i < entry.size(); ++i) {
        const char16_t c = entry[i].unicode();
        if (c < u'0' || c > u'9') break;
        value = value * 10 + (c - u'0');
        if (value > std::numeric_limits<int>::max()) return 0;
        any = true;
    }
    return any ? int(value) : 0;
}

QString connectionValue(const QString& connection, QLatin1StringView key) {
    const qsizetype at = connection.indexOf(key);
    if (at < 0) return {};
    const qsizetype start = at + key.size();
    const qsizetype end = connection.indexOf(u';', start);
    QString value = connection.mid(start, end < 0 ? -1 : end - start);
    if (value == u"(null)" || value == u"?") value.clear();
    return value;
}

}  // namespace

bool HasFeature(const SessionData& session, int featureCode) {
    return std::find(session.FeatureCodes.begin(), session.FeatureCodes.end(), featureCode) !=
           session.FeatureCodes.end();
}

void BuildUnitTypes(SessionData& session) {
    session.UnitTypes.clear();
    for (const SessionParkUnit& unit : session.ParkUnits) {
        if (session.UnitTypes.size() >= std::size_t(kMaxSessionUnitTypes)) break;
        const bool known =
            std::any_of(session.UnitTypes.begin(), session.UnitTypes.end(),
                        [&](const SessionUnitType& t) { return t.UnitTypeId == unit.UnitTypeId; });
        if (known) continue;
        session.UnitTypes.push_back({unit.UnitTypeId, unit.UnitTypeTitle, unit.DeviceTitle,
                                     unit.UnitTypeCapacity, unit.EventListFileName});
    }
}

ConnectionParts SplitConnectionString(const QString& connection) {
    return {connectionValue(connection, QLatin1StringView("Data Source=")),
            connectionValue(connection, QLatin1StringView("Catalog=")),
            connectionValue(connection, QLatin1StringView("User ID=")),
            connectionValue(connection, QLatin1StringView("Password="))};
}

std::vector<int> ParseFeatureCodes(const QString& text) {
    std::vector<int> codes;
    qsizetype start = 0;
    while (start <= text.size() && codes.size() < std::size_t(kMaxFeatureCodes)) {
        const qsizetype comma = text.indexOf(u',', start);
        if (comma < 0) {
            // The remainder after the last comma counts only when it is not empty.
            if (start < text.size()) codes.push_back(leadingNumber(QStringView(text).mid(start)));
            break;
        }
        codes.push_back(leadingNumber(QStringView(text).mid(start, comma - start)));
        start = comma + 1;
    }
    return codes;
}

qsizetype characterCount(const QString& text) {
    qsizetype n = 0;
    for (auto it = text.cbegin(); it != text.cend(); ++it) {
        // A high surrogate followed by a low one is a single character.
        if (it->isHighSurrogate() && it + 1 != text.cend() && (it + 1)->isLowSurrogate()) ++it;
        ++n;
    }
    return n;
}

QByteArray seedBytes(const QString& text, qsizetype count) {
    QByteArray out;
    const QList<uint> characters = QStringView(text).toUcs4();
    for (qsizetype i = 0; i < characters.size() && i < count; ++i)
        out.append(characters[i] < 0x100 ? char(characters[i]) : '?');
    return out;
}

int sessionNumber(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : 0;
}

}  // namespace app
