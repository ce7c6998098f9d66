// Report profile procedures.

#include "reportdb/Categories.h"
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

// Options of a new profile: parameter and column, each offered from the
// database version that introduced the option.
struct ProfileOption {
    const char* version;
    const char* parameter;
    const char* column;
};
constexpr ProfileOption kProfileOptions[] = {
    {"3.1.0.0", "@DataIntegrityCalculationEnabled", "DataIntegrityCalculationEnabled"},
    {"3.9.1.2", "@AvailabilityContract", "AvailabilityContract"},
    {"3.9.3.10", "@UseSeaLevel", "UseSeaLevel"},
    {"3.10.1.1", "@UseNeighborWindSpeed", "UseNeighborWindSpeed"},
    {"3.12.0.0", "@UseKerliftReporting", "UseKerliftReporting"},
    {"3.12.0.0", "@UseDeratingCategorisation", "UseDeratingCategorisation"},
    {"3.21.101.0", "@UseIECReporting", "UseIECReporting"},
    {"3.23.100.0", "@UseEEGReporting", "UseEEGReporting"},
    {"3.26.0.0", "@UseDerateCategoryRule", "DerateCategoryRule"},
};

// DCE_SP_CreateNewReportProfile @ProfileName, @ProfileLocked,
// @ReportProfileJobScheduleEnabled, @ProfileDescription, @UserId [, options]:
// a new profile that the user may see, with the standard category sets.
ProcedureResult createNewReportProfile(ProcedureContext& context, const Arguments& args) {
    const QVariant userId = args.value(QStringLiteral("@UserId"));
    if (context.scalar(QStringLiteral("SELECT 1 FROM TUser WHERE UserId = ?"), {userId}).isNull())
        throw SqlError(QStringLiteral("The user %1 does not exist").arg(userId.toString()));
    QStringList columns{QStringLiteral("ReportProfileTitle"), QStringLiteral("ReportProfileLocked"),
                        QStringLiteral("ReportProfileJobScheduleEnabled"),
                        QStringLiteral("ReportProfileDescription")};
    std::vector<QVariant> values{args.value(QStringLiteral("@ProfileName")),
                                 args.toBool(QStringLiteral("@ProfileLocked")) ? 1 : 0,
                                 args.toBool(QStringLiteral("@ReportProfileJobScheduleEnabled")) ? 1 : 0,
                                 args.value(QStringLiteral("@ProfileDescription"))};
    for (const ProfileOption& option : kProfileOptions) {
        const QString parameter = QLatin1String(option.parameter);
        if (!args.has(parameter) || args.isNull(parameter)) continue;  // the column's default
        columns << QLatin1String(option.column);
        values.push_back(args.value(parameter));
    }
    context.exec(QStringLiteral("INSERT INTO TReportProfile (%1) VALUES (%2)")
                     .arg(columns.join(QStringLiteral(", ")),
                          QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", "))),
                 values);
    const int profileId = int(context.lastInsertId());
    context.exec(QStringLiteral("INSERT INTO TUser_TReportProfile (UserId, ReportProfileId) VALUES (?, ?)"),
                 {userId, profileId});
    categories::addStandardSets(context, profileId);
    return {};
}

}  // namespace

void registerProfileProcedures(ProcedureRegistry& registry) {
    std::vector<ProcedureParameter> create{
        ProcedureParameter::input(QStringLiteral("@ProfileName"), FieldType::String),
        ProcedureParameter::optional(QStringLiteral("@ProfileLocked"), FieldType::Integer, 0),
        ProcedureParameter::optional(QStringLiteral("@ReportProfileJobScheduleEnabled"), FieldType::Integer,
                                     0),
        ProcedureParameter::optional(QStringLiteral("@ProfileDescription"), FieldType::String, QString()),
        ProcedureParameter::input(QStringLiteral("@UserId"), FieldType::Integer)};
    for (const ProfileOption& option : kProfileOptions)
        create.push_back(ProcedureParameter::optional(
                             QLatin1String(option.parameter),
                             QLatin1String(option.parameter) == QLatin1String("@AvailabilityContract")
                                 ? FieldType::String
                                 : FieldType::Integer,
                             {})
                             .since(QLatin1String(option.version)));
    registry.add(QStringLiteral("DCE_SP_CreateNewReportProfile"), std::move(create), createNewReportProfile);
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
