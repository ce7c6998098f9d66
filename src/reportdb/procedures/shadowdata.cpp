// Raw data limits and the regeneration of shadow data: as a database job
// that the server's worker runs, or directly inside the call.

#include "reportdb/ShadowData.h"
#include "reportdb/Jobs.h"
#include "reportdb/ProcedureRegistry.h"
#include "reportdb/Server.h"
#include "reportdb/procedures/Procedures.h"

namespace reportdb {

namespace {

using db::FieldType;

// DCE_SP_GetPcTimeStampLimits: the first and last time stamp of the raw
// data present; no row when there is none.
ProcedureResult pcTimeStampLimits(ProcedureContext& context, const Arguments&) {
    const db::ResultSet limits = context.query(
        QStringLiteral("SELECT min(MinPcTimeStamp), max(MaxPcTimeStamp) FROM TRawDataTimeLimits"));
    db::ResultSet rows;
    rows.columns = {{QStringLiteral("MinPcTimeStamp"), FieldType::DateTime, 0},
                    {QStringLiteral("MaxPcTimeStamp"), FieldType::DateTime, 0}};
    if (!limits.rows.empty() && !limits.rows[0][0].isNull())
        rows.rows.push_back({sqlite::parseDateTime(limits.rows[0][0].toString()),
                             sqlite::parseDateTime(limits.rows[0][1].toString())});
    ProcedureResult result;
    result.resultSets.push_back(std::move(rows));
    return result;
}

// WMS_JOB_CreateGenerateShadowDataJob @DatabaseName, @LoginName, @ReportProfileId, @FromDate, @ToDate:
// queues the regeneration and returns; the worker sets ReportProfileStatus
// to the number of steps, counts it down to 0 and clears the regeneration
// marker, or sets a negative status when the regeneration fails.
ProcedureResult createShadowDataJob(ProcedureContext& context, const Arguments& args) {
    const int profileId = args.toInt(QStringLiteral("@ReportProfileId"));
    if (!shadow::profileExists(context, profileId))
        throw SqlError(QStringLiteral("The report profile %1 does not exist").arg(profileId));
    if (args.isNull(QStringLiteral("@FromDate")) || args.isNull(QStringLiteral("@ToDate")))
        throw SqlError(QStringLiteral("A shadow data job needs a period"));
    context.exec(
        QStringLiteral("INSERT INTO TJob (JobType, DatabaseName, LoginName, ReportProfileId, FromDate, "
                       "ToDate, State, CreatedAt) VALUES (?, ?, ?, ?, ?, ?, 0, ?)"),
        {QString::fromLatin1(kGenerateShadowDataJob), args.value(QStringLiteral("@DatabaseName")),
         args.value(QStringLiteral("@LoginName")), profileId, args.value(QStringLiteral("@FromDate")),
         args.value(QStringLiteral("@ToDate")), QDateTime::currentDateTime()});
    if (auto server = context.server()) context.afterCommit([server] { server->wakeJobs(); });
    return {};
}

// DCE_SP_UpdateShadowDataForParkUnitsInProfile @ReportProfileId, @FromDate, @ToDate:
// the same regeneration inside the call, committed step by step so that
// another connection sees ReportProfileStatus count down. A regeneration
// that fails or is cancelled leaves a negative status.
ProcedureResult updateShadowData(ProcedureContext& context, const Arguments& args) {
    const int profileId = args.toInt(QStringLiteral("@ReportProfileId"));
    shadow::Regeneration regeneration;
    try {
        context.step([&] {
            regeneration = shadow::Regeneration::plan(context, profileId,
                                                      args.value(QStringLiteral("@FromDate")).toDateTime(),
                                                      args.value(QStringLiteral("@ToDate")).toDateTime());
            regeneration.begin(context);
        });
        for (int index = 0; index < regeneration.stepCount(); ++index)
            context.step([&] { regeneration.runStep(context, index); });
    } catch (const SqlError&) {
        try {
            shadow::setStatus(context, profileId, shadow::kFailedStatus);
        } catch (const SqlError&) {
            // The profile is gone (or the database refuses): nothing to mark.
        }
        throw;
    }
    return {};
}

}  // namespace

void registerShadowDataProcedures(ProcedureRegistry& registry) {
    registry.add(QStringLiteral("DCE_SP_GetPcTimeStampLimits"), {}, pcTimeStampLimits, true);
    registry.add(QStringLiteral("WMS_JOB_CreateGenerateShadowDataJob"),
                 {ProcedureParameter::input(QStringLiteral("@DatabaseName"), FieldType::String),
                  ProcedureParameter::input(QStringLiteral("@LoginName"), FieldType::String),
                  ProcedureParameter::input(QStringLiteral("@ReportProfileId"), FieldType::Integer),
                  ProcedureParameter::input(QStringLiteral("@FromDate"), FieldType::DateTime),
                  ProcedureParameter::input(QStringLiteral("@ToDate"), FieldType::DateTime)},
                 createShadowDataJob);
    registry.addStepwise(QStringLiteral("DCE_SP_UpdateShadowDataForParkUnitsInProfile"),
                         {ProcedureParameter::input(QStringLiteral("@ReportProfileId"), FieldType::Integer),
                          ProcedureParameter::input(QStringLiteral("@FromDate"), FieldType::DateTime),
                          ProcedureParameter::input(QStringLiteral("@ToDate"), FieldType::DateTime)},
                         updateShadowData);
}

}  // namespace reportdb
