#include "windsectors/SectorCalls.h"

#include "db/Parameters.h"

#include <QStringList>

#include <functional>

namespace windsectors {

namespace {

QString joined(const std::vector<SectorCallRow>& sectors,
               const std::function<QString(const SectorCallRow&)>& item) {
    QStringList parts;
    parts.reserve(qsizetype(sectors.size()));
    for (const SectorCallRow& sector : sectors) parts << item(sector);
    return parts.join(QLatin1Char(','));
}

}  // namespace

QString handleGroupCall(int groupId, const QString& title, GroupState state,
                        const std::vector<SectorCallRow>& sectors) {
    static constexpr const char* kCoefficientNames[] = {"RunA",  "RunB",  "RunC",  "RunD",
                                                        "StopA", "StopB", "StopC", "StopD"};
    QString call = QStringLiteral("WMS_SP_CRQ_HandleWindSectorGroup ");
    call += QStringLiteral("@WindSectorGroupId = ") + QString::number(groupId);
    // The title is typed by the user: quoted so an apostrophe stays text.
    call += QStringLiteral(",@WindSectorGroupTitle = '") + db::QuoteSqlText(title) + QLatin1Char('\'');
    call += QStringLiteral(",@WindSectorExcluded = '") +
            joined(sectors, [](const SectorCallRow& s) { return QString(s.excluded ? '1' : '0'); }) +
            QLatin1Char('\'');
    call += QStringLiteral(",@WindSectorAngleFrom = '") +
            joined(sectors, [](const SectorCallRow& s) { return QString::number(s.from); }) +
            QLatin1Char('\'');
    call += QStringLiteral(",@WindSectorAngleTo = '") +
            joined(sectors, [](const SectorCallRow& s) { return QString::number(s.to); }) + QLatin1Char('\'');
    for (std::size_t i = 0; i < std::size(kCoefficientNames); ++i)
        call += QStringLiteral(",@WindSector%1 = '").arg(QLatin1String(kCoefficientNames[i])) +
                joined(sectors,
                       [i](const SectorCallRow& s) {
                           return db::QuoteSqlText(normalisedCoefficient(s.coefficients[i]));
                       }) +
                QLatin1Char('\'');
    call += state == GroupState::Renamed ? QStringLiteral(",@Action = 3") : QStringLiteral(",@Action = 1");
    return call;
}

QString deleteGroupCall(int groupId) {
    return QStringLiteral("EXEC WMS_SP_CRQ_HandleWindSectorGroup @WindSectorGroupId = ") +
           QString::number(groupId) + QStringLiteral(",@Action = 2");
}

}  // namespace windsectors
