// Report profiles: the units they cover with their configuration, the users
// who may see them, an export job that uses one of them, and their shadow
// data computed from the raw data.

#include "reportdb/ShadowData.h"
#include "reportdb/demo/DemoBuilder.h"

#include <algorithm>
#include <cstdlib>

namespace reportdb::demo {

namespace {

enum class Units { WholePark, TypeA, TypeB, TurbinesAndGrid, NorthRow, None };

struct Profile {
    const char* title;
    const char* identifier;
    const char* description;
    Units units;
    const char* shadowDataStart;  // null: none yet
    bool locked;
    bool jobSchedule;
    bool regeneratePending;
    bool derating;
    std::vector<int> users;  // indexes into the users, the administrator first
    const char* exportJob;   // null: no export job uses the profile
};

const Profile kProfiles[] = {
    {"Whole park",
     "HR-ALL",
     "All turbines, met masts and the grid connection point of the park.",
     Units::WholePark,
     "2023-01-01 00:10:00",
     false,
     true,
     false,
     false,
     {0, 1, 2},
     nullptr},
    {"Phase 1 - WT 2300",
     "HR-P1",
     "The first construction phase; signed off with the owners.",
     Units::TypeA,
     "2023-01-01 00:10:00",
     true,
     false,
     false,
     false,
     {0, 1},
     nullptr},
    {"Phase 2 - WT 3000",
     "HR-P2",
     "The second construction phase, with derating categories.",
     Units::TypeB,
     "2023-01-01 00:10:00",
     false,
     false,
     true,
     true,
     {0, 1},
     nullptr},
    {"Monthly availability export",
     "HR-EXP",
     "Turbines and grid point for the monthly availability export.",
     Units::TurbinesAndGrid,
     "2023-01-01 00:10:00",
     false,
     false,
     false,
     false,
     {0, 2},
     "Monthly availability to grid operator"},
    {"North row 2024",
     "HR-NR",
     "The northern row from 2024 on, with its met mast.",
     Units::NorthRow,
     "2024-01-01 00:10:00",
     false,
     false,
     false,
     false,
     {0, 3},
     nullptr},
    {"New profile",
     "HR-NEW",
     "A profile without units yet.",
     Units::None,
     nullptr,
     false,
     false,
     false,
     false,
     {0},
     nullptr},
};

std::vector<int> unitsOf(const Builder& b, Units units) {
    std::vector<int> ids;
    auto append = [&ids](const std::vector<int>& more) { ids.insert(ids.end(), more.begin(), more.end()); };
    switch (units) {
        case Units::WholePark:
            append(b.turbineIds);
            append(b.metMastIds);
            ids.push_back(b.gridPointId);
            break;
        case Units::TypeA:
            append(b.typeATurbineIds);
            append(b.metMastIds);
            ids.push_back(b.gridPointId);
            break;
        case Units::TypeB:
            append(b.typeBTurbineIds);
            append(b.metMastIds);
            ids.push_back(b.gridPointId);
            break;
        case Units::TurbinesAndGrid:
            append(b.turbineIds);
            ids.push_back(b.gridPointId);
            break;
        case Units::NorthRow:
            for (int id : b.turbineIds)
                if (b.unit(id).row == 0) ids.push_back(id);
            ids.push_back(b.metMastIds.front());
            break;
        case Units::None: break;
    }
    return ids;
}

bool contains(const std::vector<int>& ids, int id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// A turbine in the profile at the given place in the layout, or none.
QVariant turbineAt(const Builder& b, const std::vector<int>& ids, int row, int position) {
    for (int id : ids) {
        const Builder::Unit& unit = b.unit(id);
        if (unit.device == QLatin1String("WTG") && unit.row == row && unit.position == position) return id;
    }
    return {};
}

void addUnitConfiguration(const Builder& b, int profileId, const std::vector<int>& ids) {
    std::vector<int> masts;
    for (int id : ids)
        if (b.unit(id).device == QLatin1String("MET")) masts.push_back(id);
    const QVariant grid = contains(ids, b.gridPointId) ? QVariant(b.gridPointId) : QVariant();
    for (int id : ids) {
        const Builder::Unit& unit = b.unit(id);
        QVariant primary, secondary, met1, met2, calibration = 1.0, connection;
        if (unit.device == QLatin1String("WTG")) {
            primary = turbineAt(b, ids, unit.row, unit.position - 1);
            if (primary.isNull()) primary = turbineAt(b, ids, unit.row, unit.position + 1);
            secondary = turbineAt(b, ids, unit.row, unit.position + 1);
            if (secondary == primary) secondary = turbineAt(b, ids, unit.row, unit.position - 2);
            // The nearest masts by row.
            std::vector<int> byDistance = masts;
            std::stable_sort(byDistance.begin(), byDistance.end(), [&](int l, int r) {
                return std::abs(b.unit(l).row - unit.row) < std::abs(b.unit(r).row - unit.row);
            });
            if (!byDistance.empty()) met1 = byDistance[0];
            if (byDistance.size() > 1) met2 = byDistance[1];
            // The last row stands behind the ridge.
            if (unit.row == 3) calibration = 0.97;
            connection = grid;
        }
        b.context.exec(
            QStringLiteral(
                "INSERT INTO TParkUnit_TReportProfile (ParkUnitId, ReportProfileId, HubHeightAltitude, "
                "NeighbourTurbinePrimaryId, NeighbourTurbineSecondaryId, MetStP1Id, MetStP2Id, "
                "Sitecalibrationfactor, PitchAngle, ConnectionPointParkUnitId) "
                "SELECT ParkUnitId, ?, HubHeightAltitude, ?, ?, ?, ?, ?, ?, ? FROM TParkUnit "
                "WHERE ParkUnitId = ?"),
            {profileId, primary, secondary, met1, met2, calibration,
             unit.device == QLatin1String("WTG") ? QVariant(0.0) : QVariant(), connection, id});
    }
}

}  // namespace

void addProfiles(Builder& b) {
    const QDateTime dataFrom = lastDataDay().addDays(1 - b.options.rawDataDays).startOfDay();
    const QDateTime dataTo = lastDataDay().addDays(1).startOfDay();
    for (const Profile& profile : kProfiles) {
        b.context.exec(
            QStringLiteral("INSERT INTO TReportProfile (ReportProfileTitle, ReportProfileLocked, "
                           "ReportProfileIdentifier, ReportProfileJobScheduleEnabled, "
                           "ReportProfileDescription, ReportProfileShadowDataStartPCTimeStamp, "
                           "DataIntegrityCalculationEnabled, UseDeratingCategorisation) "
                           "VALUES (?, ?, ?, ?, ?, ?, 1, ?)"),
            {QString::fromUtf8(profile.title), profile.locked ? 1 : 0,
             QString::fromLatin1(profile.identifier), profile.jobSchedule ? 1 : 0,
             QString::fromUtf8(profile.description),
             profile.shadowDataStart ? QVariant(QString::fromLatin1(profile.shadowDataStart)) : QVariant(),
             profile.derating ? 1 : 0});
        const int profileId = int(b.context.lastInsertId());
        b.profileIds.push_back(profileId);
        for (int user : profile.users)
            b.context.exec(
                QStringLiteral("INSERT INTO TUser_TReportProfile (UserId, ReportProfileId) VALUES (?, ?)"),
                {b.userIds.at(size_t(user)), profileId});
        if (profile.exportJob)
            b.context.exec(
                QStringLiteral("INSERT INTO TExportJob (ExportJobTitle, ReportProfileId) VALUES (?, ?)"),
                {QString::fromUtf8(profile.exportJob), profileId});
        addUnitConfiguration(b, profileId, unitsOf(b, profile.units));

        // The shadow data as the regeneration computes it.
        const auto regeneration = shadow::Regeneration::plan(b.context, profileId, dataFrom, dataTo);
        regeneration.begin(b.context);
        for (int step = 0; step < regeneration.stepCount(); ++step) regeneration.runStep(b.context, step);
        if (profile.regeneratePending)
            b.context.exec(QStringLiteral("UPDATE TReportProfile SET ReportProfileRegeneratePendingFlag = 1 "
                                          "WHERE ReportProfileId = ?"),
                           {profileId});
    }
}

}  // namespace reportdb::demo
