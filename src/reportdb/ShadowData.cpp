#include "reportdb/ShadowData.h"

#include "reportdb/SqliteUtil.h"

#include <algorithm>

namespace reportdb::shadow {

namespace {

QString sampleBound(const QDate& day) { return dayText(day); }

QDate dayOfSample(const QDateTime& stamp) { return stamp.addSecs(-1).date(); }

void requireProfileRow(long long changed, int profileId) {
    if (changed == 0) throw SqlError(QStringLiteral("The report profile %1 does not exist").arg(profileId));
}

}  // namespace

QString dayText(const QDate& day) {
    return day.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00");
}

QString idList(const std::vector<int>& ids) {
    QStringList parts;
    for (int id : ids) parts << QString::number(id);
    return parts.join(QLatin1Char(','));
}

std::vector<int> parseIdList(const QString& text, bool* ok) {
    std::vector<int> ids;
    bool allOk = true;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool partOk = false;
        const int id = part.trimmed().toInt(&partOk);
        if (partOk)
            ids.push_back(id);
        else
            allOk = false;
    }
    if (ok) *ok = allOk;
    return ids;
}

DayRange requestedDays(const QDateTime& from, const QDateTime& to) {
    if (!from.isValid() || !to.isValid()) return {};
    return {from.date(), to.addSecs(-1).date()};
}

DayRange rawDataDays(const ProcedureContext& context, const std::vector<int>& parkUnitIds) {
    if (parkUnitIds.empty()) return {};
    const db::ResultSet rows = context.query(
        QStringLiteral("SELECT min(MinPcTimeStamp), max(MaxPcTimeStamp) FROM TRawDataTimeLimits "
                       "WHERE ParkUnitId IN (%1)")
            .arg(idList(parkUnitIds)));
    if (rows.rows.empty() || rows.rows[0][0].isNull()) return {};
    const QDateTime min = sqlite::parseDateTime(rows.rows[0][0].toString());
    const QDateTime max = sqlite::parseDateTime(rows.rows[0][1].toString());
    if (!min.isValid() || !max.isValid()) return {};
    return {dayOfSample(min), dayOfSample(max)};
}

std::vector<int> profileUnits(const ProcedureContext& context, int profileId) {
    const db::ResultSet rows = context.query(
        QStringLiteral("SELECT ParkUnitId FROM TParkUnit_TReportProfile WHERE ReportProfileId = ? "
                       "ORDER BY ParkUnitId"),
        {profileId});
    std::vector<int> ids;
    for (const auto& row : rows.rows) ids.push_back(row[0].toInt());
    return ids;
}

bool profileExists(const ProcedureContext& context, int profileId) {
    return !context
                .scalar(QStringLiteral("SELECT 1 FROM TReportProfile WHERE ReportProfileId = ?"), {profileId})
                .isNull();
}

std::vector<Step> planSteps(const std::vector<int>& parkUnitIds, const DayRange& days) {
    std::vector<Step> steps;
    if (days.isEmpty()) return steps;
    for (int unit : parkUnitIds) {
        QDate first = days.first;
        while (first <= days.last) {
            const QDate monthEnd(first.year(), first.month(), first.daysInMonth());
            const QDate last = std::min(monthEnd, days.last);
            steps.push_back({unit, {first, last}});
            first = last.addDays(1);
        }
    }
    return steps;
}

void deleteStep(const ProcedureContext& context, int profileId, const Step& step) {
    context.exec(QStringLiteral("DELETE FROM TShadowData WHERE ReportProfileId = ? AND ParkUnitId = ? "
                                "AND ShadowDate >= ? AND ShadowDate <= ?"),
                 {profileId, step.parkUnitId, dayText(step.days.first), dayText(step.days.last)});
}

void regenerateStep(const ProcedureContext& context, int profileId, const Step& step) {
    deleteStep(context, profileId, step);
    // A unit that left the profile meanwhile gets no rows (the join is empty).
    context.exec(
        QStringLiteral("INSERT INTO TShadowData (ReportProfileId, ParkUnitId, ShadowDate, SampleCount, "
                       "OperatingSampleCount, FaultSampleCount, ProductionKWh, MeanWindSpeed) "
                       "SELECT PU.ReportProfileId, R.ParkUnitId, "
                       // The sample at midnight closes the day before.
                       "CASE WHEN substr(R.PcTimeStamp, 12) = '00:00:00' THEN date(R.PcTimeStamp, '-1 days') "
                       "ELSE substr(R.PcTimeStamp, 1, 10) END || ' 00:00:00', "
                       "count(*), sum(R.EventCode = 0), sum(R.EventCode <> 0), sum(R.ProductionKWh), "
                       "avg(R.WindSpeed) * coalesce(PU.Sitecalibrationfactor, 1) "
                       "FROM TRawData AS R INNER JOIN TParkUnit_TReportProfile AS PU "
                       "ON PU.ParkUnitId = R.ParkUnitId AND PU.ReportProfileId = ? "
                       "WHERE R.ParkUnitId = ? AND R.PcTimeStamp > ? AND R.PcTimeStamp <= ? "
                       "GROUP BY 3"),
        {profileId, step.parkUnitId, sampleBound(step.days.first), sampleBound(step.days.last.addDays(1))});
}

void setStatus(const ProcedureContext& context, int profileId, int status) {
    requireProfileRow(context.exec(QStringLiteral("UPDATE TReportProfile SET ReportProfileStatus = ? "
                                                  "WHERE ReportProfileId = ?"),
                                   {status, profileId}),
                      profileId);
}

Regeneration::Regeneration(int profileId, std::vector<int> parkUnitIds, DayRange days)
    : profileId_(profileId), units_(std::move(parkUnitIds)), days_(days), steps_(planSteps(units_, days_)) {}

Regeneration Regeneration::plan(const ProcedureContext& context, int profileId, const QDateTime& from,
                                const QDateTime& to) {
    if (!profileExists(context, profileId))
        throw SqlError(QStringLiteral("The report profile %1 does not exist").arg(profileId));
    DayRange days = requestedDays(from, to);
    if (days.isEmpty())
        throw SqlError(QStringLiteral("The period from '%1' to '%2' is empty")
                           .arg(sqlite::dateTimeText(from), sqlite::dateTimeText(to)));
    std::vector<int> units = profileUnits(context, profileId);
    // Days before the profile's shadow data start and beyond the raw data
    // are not kept.
    const QDateTime start = sqlite::parseDateTime(
        context
            .scalar(QStringLiteral("SELECT ReportProfileShadowDataStartPCTimeStamp FROM TReportProfile "
                                   "WHERE ReportProfileId = ?"),
                    {profileId})
            .toString());
    if (start.isValid()) days.first = std::max(days.first, start.date());
    const DayRange data = rawDataDays(context, units);
    if (data.isEmpty()) {
        days = {};
    } else {
        days.first = std::max(days.first, data.first);
        days.last = std::min(days.last, data.last);
    }
    if (days.isEmpty()) days = {};
    return Regeneration(profileId, std::move(units), days);
}

void Regeneration::begin(const ProcedureContext& context) const {
    if (steps_.empty()) {
        requireProfileRow(context.exec(QStringLiteral("UPDATE TReportProfile SET ReportProfileStatus = 0, "
                                                      "ReportProfileRegeneratePendingFlag = 0 "
                                                      "WHERE ReportProfileId = ?"),
                                       {profileId_}),
                          profileId_);
        return;
    }
    setStatus(context, profileId_, stepCount());
}

void Regeneration::runStep(const ProcedureContext& context, int index) const {
    regenerateStep(context, profileId_, steps_.at(size_t(index)));
    const int remaining = stepCount() - index - 1;
    if (remaining > 0) {
        setStatus(context, profileId_, remaining);
        return;
    }
    requireProfileRow(context.exec(QStringLiteral("UPDATE TReportProfile SET ReportProfileStatus = 0, "
                                                  "ReportProfileRegeneratePendingFlag = 0 "
                                                  "WHERE ReportProfileId = ?"),
                                   {profileId_}),
                      profileId_);
}

}  // namespace reportdb::shadow
