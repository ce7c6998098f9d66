// Report profile procedures.

#include "reportdb/ProcedureRegistry.h"
#include "reportdb/procedures/Procedures.h"

namespace reportdb {

namespace {

using db::FieldType;

// Columns of the profile list every database version returns.
constexpr const char* kProfileColumns[] = {
    "ReportProfileId",          "ReportProfileTitle",
    "ReportProfileLocked",      "ReportProfileIdentifier",
    "ReportProfileVersion",     "ReportProfileJobScheduleEnabled",
    "ReportProfileStatus",      "ReportProfileRegeneratePendingFlag",
    "ReportProfileDescription", "ReportProfileShadowDataStartPCTimeStamp",
};

// Option columns returned only from the database version that introduced them.
struct GatedColumn {
    const char* version;
    const char* column;
};
constexpr GatedColumn kGatedProfileColumns[] = {
    {"3.1.0.0", "DataIntegrityCalculationEnabled"},
    {"3.9.1.2", "AvailabilityContract"},
    {"3.9.3.10", "UseSeaLevel"},
    {"3.10.1.1", "UseNeighborWindSpeed"},
    {"3.12.0.0", "UseKerliftReporting"},
    {"3.12.0.0", "UseDeratingCategorisation"},
    {"3.21.101.0", "UseIECReporting"},
    {"3.23.100.0", "UseEEGReporting"},
    {"3.26.0.0", "DerateCategoryRule"},
};

// DCE_SP_SelectProfiles @UserId, @SelectionMode: the profiles the user is
// given through TUser_TReportProfile, by id. Callers pass 3 as the mode;
// the list does not depend on it.
ProcedureResult selectProfiles(ProcedureContext& context, const Arguments& args) {
    QStringList columns;
    for (const char* column : kProfileColumns) columns << QStringLiteral("RP.") + QLatin1String(column);
    for (const auto& gated : kGatedProfileColumns)
        if (context.versionAtLeast(QLatin1String(gated.version)))
            columns << QStringLiteral("RP.") + QLatin1String(gated.column);
    const QString sql =
        QStringLiteral(
            "SELECT %1 FROM TReportProfile AS RP "
            "INNER JOIN TUser_TReportProfile AS URP ON RP.ReportProfileId = URP.ReportProfileId "
            "WHERE URP.UserId = ? ORDER BY RP.ReportProfileId")
            .arg(columns.join(QStringLiteral(", ")));
    ProcedureResult result;
    result.resultSets.push_back(context.query(sql, {args.value(QStringLiteral("@UserId"))}));
    return result;
}

// Return values of DCE_SP_DeleteReportProfile.
constexpr int kProfileUsedByExportJob = 1001;
constexpr int kProfileNotFound = 1002;
constexpr int kDeleteNotGranted = 1003;

// DCE_SP_DeleteReportProfile @ProfileId, @ExportjobTitle OUTPUT [, @DeleteGranted]:
// deletes the profile with its units' configuration, user access and shadow
// data. An export job that uses the profile prevents it (1001, with the
// job's title); from 3.6.1.2 on the caller must grant the deletion
// (@DeleteGranted = 1).
ProcedureResult deleteReportProfile(ProcedureContext& context, const Arguments& args) {
    const int profileId = args.toInt(QStringLiteral("@ProfileId"));
    ProcedureResult result;
    if (context.scalar(QStringLiteral("SELECT 1 FROM TReportProfile WHERE ReportProfileId = ?"), {profileId})
            .isNull()) {
        result.returnValue = kProfileNotFound;
        return result;
    }
    if (args.has(QStringLiteral("@DeleteGranted")) && args.toInt(QStringLiteral("@DeleteGranted")) != 1) {
        result.returnValue = kDeleteNotGranted;
        return result;
    }
    const QVariant exportJob = context.scalar(
        QStringLiteral(
            "SELECT ExportJobTitle FROM TExportJob WHERE ReportProfileId = ? ORDER BY ExportJobId"),
        {profileId});
    if (!exportJob.isNull()) {
        result.returnValue = kProfileUsedByExportJob;
        result.outputs[QStringLiteral("@ExportjobTitle")] = exportJob.toString();
        return result;
    }
    // Units, user access and shadow data go with the profile (cascades).
    context.exec(QStringLiteral("DELETE FROM TReportProfile WHERE ReportProfileId = ?"), {profileId});
    return result;
}

}  // namespace

void registerProfileProcedures(ProcedureRegistry& registry) {
    registry.add(QStringLiteral("DCE_SP_DeleteReportProfile"),
                 {ProcedureParameter::input(QStringLiteral("@ProfileId"), FieldType::Integer),
                  ProcedureParameter::out(QStringLiteral("@ExportjobTitle"), FieldType::String),
                  ProcedureParameter::input(QStringLiteral("@DeleteGranted"), FieldType::Integer)
                      .since(QStringLiteral("3.6.1.2"))},
                 deleteReportProfile);
    registry.add(QStringLiteral("DCE_SP_SelectProfiles"),
                 {ProcedureParameter::input(QStringLiteral("@UserId"), FieldType::Integer),
                  ProcedureParameter::optional(QStringLiteral("@SelectionMode"), FieldType::Integer, 3)},
                 selectProfiles, true);
}

}  // namespace reportdb
