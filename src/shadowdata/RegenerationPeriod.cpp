#include "shadowdata/RegenerationPeriod.h"

#include "db/Parameters.h"

namespace shadowdata {

std::optional<RegenerationPeriod> periodFromChoice(const PeriodChoice& choice) {
    RegenerationPeriod period;
    period.wholePeriod = choice.wholePeriod;
    if (choice.wholePeriod) {
        // Unset limits would go out as an empty or year-zero period.
        if (!choice.limits || !choice.limits->minimum.isValid() || !choice.limits->maximum.isValid())
            return std::nullopt;
        period.from = choice.limits->minimum.date();
        period.to = choice.limits->maximum.date().addDays(1);
    } else {
        if (!choice.start.isValid() || !choice.stop.isValid()) return std::nullopt;
        period.from = choice.start;
        period.to = choice.stop.addDays(1);
    }
    return period;
}

QString dateText(const QDate& date) { return date.toString(QStringLiteral("yyyy-MM-dd")); }

QString fromText(const QDate& from) { return dateText(from) + QStringLiteral(" 00:10:00"); }

QString toText(const QDate& to) { return dateText(to) + QStringLiteral(" 00:00:00"); }

QString periodText(const RegenerationPeriod& period, const PeriodTexts& texts) {
    if (period.wholePeriod)
        return texts.wholePeriod + QStringLiteral(" [") + dateText(period.from) + QStringLiteral(" - ") +
               dateText(period.to) + QStringLiteral("]");
    return texts.regenerate + u' ' + texts.forPeriod + QStringLiteral(" [") + dateText(period.from) +
           QStringLiteral(" - ") + dateText(period.to.addDays(-1)) + QStringLiteral("]");
}

QString startStatement(bool asJob, const StartIdentity& identity, int profileId,
                       const RegenerationPeriod& period) {
    if (asJob)
        return QStringLiteral(
                   "WMS_JOB_CreateGenerateShadowDataJob @DatabaseName = '%1', @LoginName = '%2', "
                   "@ReportProfileId = %3, @FromDate = '%4', @ToDate = '%5'")
            .arg(db::QuoteSqlText(identity.databaseName), db::QuoteSqlText(identity.loginName),
                 QString::number(profileId), fromText(period.from), toText(period.to));
    return QStringLiteral(
               "DCE_SP_UpdateShadowDataForParkUnitsInProfile @ReportProfileId = %1, @FromDate = '%2', "
               "@ToDate = '%3'")
        .arg(QString::number(profileId), fromText(period.from), toText(period.to));
}

}  // namespace shadowdata
