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

}  // namespace

void registerProfileProcedures(ProcedureRegistry& registry) {
    registry.add(QStringLiteral("DCE_SP_SelectProfiles"),
                 {ProcedureParameter::input(QStringLiteral("@UserId"), FieldType::Integer),
                  ProcedureParameter::optional(QStringLiteral("@SelectionMode"), FieldType::Integer, 3)},
                 selectProfiles, true);
}

}  // namespace reportdb
