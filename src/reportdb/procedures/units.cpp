// Unit type and park unit procedures.

#include "reportdb/Categories.h"
#include "reportdb/ProcedureRegistry.h"
#include "reportdb/ShadowData.h"
#include "reportdb/procedures/Procedures.h"

#include <algorithm>

namespace reportdb {

namespace {

using db::FieldType;

// DCE_SP_SelectUnitTypes: the turbine types, by title. Meteorological
// stations and grid points are not listed: callers group them on their own.
ProcedureResult selectUnitTypes(ProcedureContext& context, const Arguments&) {
    ProcedureResult result;
    result.resultSets.push_back(context.query(
        QStringLiteral("SELECT UnitTypeId, UnitTypeTitle, UnitTypeDevice, UnitTypeCapacity FROM TUnitType "
                       "WHERE UnitTypeDevice = 'WTG' ORDER BY UnitTypeTitle, UnitTypeId")));
    return result;
}

// DCE_SP_SelectParkUnitsWithProfileId @ReportProfileId, @Selected, @DeviceFilter:
// the park units in the profile (@Selected 1) or outside it (0) whose
// device is the filter's ('WTG', 'MET', 'GRID'; 'WTG_MET_GRID' for all).
ProcedureResult selectParkUnitsWithProfileId(ProcedureContext& context, const Arguments& args) {
    const QString filter = args.toString(QStringLiteral("@DeviceFilter")).trimmed().toUpper();
    QStringList devices;
    if (filter == QLatin1String("WTG_MET_GRID"))
        devices = {QStringLiteral("WTG"), QStringLiteral("MET"), QStringLiteral("GRID")};
    else if (filter == QLatin1String("WTG") || filter == QLatin1String("MET") ||
             filter == QLatin1String("GRID"))
        devices = {filter};
    else
        throw SqlError(QStringLiteral("'%1' is not a device filter")
                           .arg(args.toString(QStringLiteral("@DeviceFilter"))));
    const bool selected = args.toInt(QStringLiteral("@Selected")) != 0;
    ProcedureResult result;
    result.resultSets.push_back(context.query(
        QStringLiteral(
            "SELECT u.ParkUnitId, u.ParkUnitTitle, t.UnitTypeId, t.UnitTypeTitle, t.UnitTypeDevice "
            "FROM TParkUnit u JOIN TUnitType t ON t.UnitTypeId = u.UnitTypeId "
            "WHERE t.UnitTypeDevice IN (?, ?, ?) AND %1 EXISTS (SELECT 1 FROM TParkUnit_TReportProfile "
            "c WHERE c.ParkUnitId = u.ParkUnitId AND c.ReportProfileId = ?) ORDER BY u.ParkUnitId")
            .arg(selected ? QString() : QStringLiteral("NOT")),
        {devices.value(0), devices.value(1), devices.value(2),
         args.toInt(QStringLiteral("@ReportProfileId"))}));
    return result;
}

// DCE_SP_SelectParkUnitConfigFromProfile @ReportProfileId: the configuration
// of each unit of the profile, by unit id. NormLookup is the profile's
// curve of the unit as the user edits it; NormCurveId is the same stored
// column as read, which the batch update writes (the window copies the
// edited NormLookup into it). The wind sector group and the connection
// point exist from database versions 2.30 and 2.32 on.
ProcedureResult selectParkUnitConfigFromProfile(ProcedureContext& context, const Arguments& args) {
    QString columns = QStringLiteral(
        "u.ParkUnitId, u.ParkUnitTitle, c.NormCurveId AS NormLookup, c.HubHeightAltitude, "
        "c.NeighbourTurbinePrimaryId, c.NeighbourTurbineSecondaryId, c.MetStP1Id, c.MetStP2Id, c.MetStP3Id, "
        "c.Sitecalibrationfactor, c.PitchAngle, t.UnitTypeDevice, c.NormCurveId, c.FreeWindParameterId");
    if (context.versionAtLeast(QStringLiteral("2.30.0.0")))
        columns += QStringLiteral(", c.WindSectorGroupId");
    if (context.versionAtLeast(QStringLiteral("2.32.0.0")))
        columns += QStringLiteral(", c.ConnectionPointParkUnitId");
    ProcedureResult result;
    result.resultSets.push_back(
        context.query(QStringLiteral("SELECT %1, c.ReportProfileId FROM TParkUnit_TReportProfile c "
                                     "JOIN TParkUnit u ON u.ParkUnitId = c.ParkUnitId "
                                     "JOIN TUnitType t ON t.UnitTypeId = u.UnitTypeId "
                                     "WHERE c.ReportProfileId = ? ORDER BY u.ParkUnitId")
                          .arg(columns),
                      {args.toInt(QStringLiteral("@ReportProfileId"))}));
    return result;
}

bool unitInProfile(const ProcedureContext& context, int unitId, int profileId) {
    return !context
                .scalar(QStringLiteral("SELECT 1 FROM TParkUnit_TReportProfile WHERE ParkUnitId = ? AND "
                                       "ReportProfileId = ?"),
                        {unitId, profileId})
                .isNull();
}

// After a unit change that stopped half-way the profile's shadow data is
// incomplete: the profile is marked for regeneration.
void markIncomplete(const ProcedureContext& context, int profileId) {
    try {
        context.exec(QStringLiteral("UPDATE TReportProfile SET ReportProfileRegeneratePendingFlag = 1 "
                                    "WHERE ReportProfileId = ?"),
                     {profileId});
    } catch (const SqlError&) {
        // The call fails anyway; the marker is a courtesy.
    }
}

// DCE_SP_AddParkUnitToProfile @ParkUnitId, @ReportProfileId [, @ShadowDataStartDate] [, @ProcessId]:
// adds the unit with its default configuration and computes its shadow
// data from the start date (the profile's shadow data start when none is
// given), one month per step. The remaining work is the number of steps.
ProcedureResult addParkUnitToProfile(ProcedureContext& context, const Arguments& args) {
    const int unitId = args.toInt(QStringLiteral("@ParkUnitId"));
    const int profileId = args.toInt(QStringLiteral("@ReportProfileId"));
    ProcessReporter process = context.process(args);
    process.throwIfTerminated();
    if (!shadow::profileExists(context, profileId))
        throw SqlError(QStringLiteral("The report profile %1 does not exist").arg(profileId));
    if (context.scalar(QStringLiteral("SELECT 1 FROM TParkUnit WHERE ParkUnitId = ?"), {unitId}).isNull())
        throw SqlError(QStringLiteral("The park unit %1 does not exist").arg(unitId));
    if (unitInProfile(context, unitId, profileId))
        throw SqlError(QStringLiteral("The park unit %1 already belongs to the report profile %2")
                           .arg(unitId)
                           .arg(profileId));

    const QDateTime requestedStart = args.value(QStringLiteral("@ShadowDataStartDate")).toDateTime();
    QDateTime start = requestedStart;
    if (!start.isValid())
        start = sqlite::parseDateTime(
            context
                .scalar(QStringLiteral("SELECT ReportProfileShadowDataStartPCTimeStamp FROM TReportProfile "
                                       "WHERE ReportProfileId = ?"),
                        {profileId})
                .toString());
    shadow::DayRange days = shadow::rawDataDays(context, {unitId});
    if (start.isValid() && !days.isEmpty()) days.first = std::max(days.first, start.date());
    const std::vector<shadow::Step> steps = shadow::planSteps({unitId}, days);
    int remaining = int(steps.size()) + 1;
    process.setRemaining(remaining);

    bool added = false;
    try {
        context.step(
            [&] {
                context.exec(
                    QStringLiteral("INSERT INTO TParkUnit_TReportProfile (ParkUnitId, ReportProfileId, "
                                   "NormCurveId, HubHeightAltitude, Sitecalibrationfactor) "
                                   "SELECT ParkUnitId, ?, NormCurveId, HubHeightAltitude, 1 FROM TParkUnit "
                                   "WHERE ParkUnitId = ?"),
                    {profileId, unitId});
                // The first unit of a new profile fixes its shadow data start.
                if (requestedStart.isValid())
                    context.exec(
                        QStringLiteral("UPDATE TReportProfile SET ReportProfileShadowDataStartPCTimeStamp "
                                       "= ? WHERE ReportProfileId = ? AND "
                                       "ReportProfileShadowDataStartPCTimeStamp IS NULL"),
                        {requestedStart, profileId});
            },
            &process);
        added = true;
        process.setRemaining(--remaining);
        for (const shadow::Step& step : steps) {
            context.step([&] { shadow::regenerateStep(context, profileId, step); }, &process);
            process.setRemaining(--remaining);
        }
    } catch (const SqlError&) {
        if (added) markIncomplete(context, profileId);
        throw;
    }
    return {};
}

// DCE_SP_DeleteParkUnitsWithProfileId @ParkUnitId, @ReportProfileId [, @ProcessId]:
// @ParkUnitId is one id or several joined by ","; units that are not in the
// profile are skipped. The unit's shadow data goes first, one month per
// step, then the unit itself (with its type's category allocation when it
// was the last unit of the type). The remaining work is the number of steps.
ProcedureResult deleteParkUnitsFromProfile(ProcedureContext& context, const Arguments& args) {
    bool ok = false;
    const std::vector<int> requested = shadow::parseIdList(args.toString(QStringLiteral("@ParkUnitId")), &ok);
    if (!ok || requested.empty())
        throw SqlError(QStringLiteral("'%1' is not a list of park unit ids")
                           .arg(args.toString(QStringLiteral("@ParkUnitId"))));
    const int profileId = args.toInt(QStringLiteral("@ReportProfileId"));
    ProcessReporter process = context.process(args);
    process.throwIfTerminated();
    if (!shadow::profileExists(context, profileId))
        throw SqlError(QStringLiteral("The report profile %1 does not exist").arg(profileId));

    struct UnitWork {
        int unitId;
        std::vector<shadow::Step> steps;
    };
    std::vector<UnitWork> work;
    int remaining = 0;
    for (int unitId : requested) {
        if (!unitInProfile(context, unitId, profileId)) continue;
        const db::ResultSet range = context.query(
            QStringLiteral(
                "SELECT min(ShadowDate), max(ShadowDate) FROM TShadowData WHERE ReportProfileId = ? "
                "AND ParkUnitId = ?"),
            {profileId, unitId});
        const shadow::DayRange days{sqlite::parseDateTime(range.rows[0][0].toString()).date(),
                                    sqlite::parseDateTime(range.rows[0][1].toString()).date()};
        work.push_back({unitId, shadow::planSteps({unitId}, days)});
        remaining += int(work.back().steps.size()) + 1;
    }
    process.setRemaining(remaining);

    bool changed = false;
    try {
        for (const UnitWork& unit : work) {
            for (const shadow::Step& step : unit.steps) {
                context.step([&] { shadow::deleteStep(context, profileId, step); }, &process);
                changed = true;
                process.setRemaining(--remaining);
            }
            context.step(
                [&] {
                    context.exec(
                        QStringLiteral("DELETE FROM TParkUnit_TReportProfile WHERE ParkUnitId = ? AND "
                                       "ReportProfileId = ?"),
                        {unit.unitId, profileId});
                    // The profile's other units no longer refer to it: the
                    // configuration lists offer only units of the profile.
                    for (const char* column :
                         {"NeighbourTurbinePrimaryId", "NeighbourTurbineSecondaryId", "MetStP1Id",
                          "MetStP2Id", "MetStP3Id", "ConnectionPointParkUnitId"})
                        context.exec(QStringLiteral("UPDATE TParkUnit_TReportProfile SET %1 = NULL WHERE "
                                                    "ReportProfileId = ? AND %1 = ?")
                                         .arg(QLatin1String(column)),
                                     {profileId, unit.unitId});
                    // The last unit of its type takes the type's category allocation along.
                    categories::dropAllocationsOfUnusedEventList(
                        context, profileId,
                        context
                            .scalar(QStringLiteral("SELECT UnitTypeId FROM TParkUnit WHERE ParkUnitId = ?"),
                                    {unit.unitId})
                            .toInt());
                },
                &process);
            changed = true;
            process.setRemaining(--remaining);
        }
    } catch (const SqlError&) {
        if (changed) markIncomplete(context, profileId);
        throw;
    }
    return {};
}

}  // namespace

void registerUnitProcedures(ProcedureRegistry& registry) {
    registry.add(QStringLiteral("DCE_SP_SelectUnitTypes"), {}, selectUnitTypes, true);
    registry.add(QStringLiteral("DCE_SP_SelectParkUnitsWithProfileId"),
                 {ProcedureParameter::input(QStringLiteral("@ReportProfileId"), FieldType::Integer),
                  ProcedureParameter::input(QStringLiteral("@Selected"), FieldType::Integer),
                  ProcedureParameter::input(QStringLiteral("@DeviceFilter"), FieldType::String)},
                 selectParkUnitsWithProfileId, true);
    registry.add(QStringLiteral("DCE_SP_SelectParkUnitConfigFromProfile"),
                 {ProcedureParameter::input(QStringLiteral("@ReportProfileId"), FieldType::Integer)},
                 selectParkUnitConfigFromProfile, true);
    registry.addStepwise(
        QStringLiteral("DCE_SP_AddParkUnitToProfile"),
        {ProcedureParameter::input(QStringLiteral("@ParkUnitId"), FieldType::Integer),
         ProcedureParameter::input(QStringLiteral("@ReportProfileId"), FieldType::Integer),
         ProcedureParameter::optional(QStringLiteral("@ShadowDataStartDate"), FieldType::DateTime, {}),
         ProcedureParameter::optional(QStringLiteral("@ProcessId"), FieldType::Integer, {})},
        addParkUnitToProfile);
    registry.addStepwise(QStringLiteral("DCE_SP_DeleteParkUnitsWithProfileId"),
                         {ProcedureParameter::input(QStringLiteral("@ParkUnitId"), FieldType::String),
                          ProcedureParameter::input(QStringLiteral("@ReportProfileId"), FieldType::Integer),
                          ProcedureParameter::optional(QStringLiteral("@ProcessId"), FieldType::Integer, {})},
                         deleteParkUnitsFromProfile);
}

}  // namespace reportdb
