// What the units' configuration refers to: a power reference curve per
// turbine type (and a wind distribution curve no unit may use), free wind
// parameter sets and wind sector groups, given to the profiles' units.

#include "reportdb/demo/DemoBuilder.h"

namespace reportdb::demo {

namespace {

struct Curve {
    const char* title;
    const char* description;
    int type;
    double cutIn;
    double cutOut;
};

constexpr Curve kCurves[] = {
    {"WT 2300/82 power curve", "Manufacturer's power curve at standard air density.", 1, 3.0, 25.0},
    {"WT 3000/101 power curve", "Manufacturer's power curve at standard air density.", 1, 3.0, 22.5},
    {"Hollow Ridge wind distribution", "Weibull distribution of the site's long-term wind.", 2, 0.0, 0.0},
};

struct FreeWind {
    const char* title;
    double lowPitch, lowA, lowB, lowC, lowD, highPitch, highA, highB, highC, highD, stopA, stopB, stopC,
        stopD;
};

constexpr FreeWind kFreeWind[] = {
    {"Nacelle anemometer WT 2300", 1.0, 0.0, 0.0012, 0.94, 0.21, 8.0, 0.0, 0.0009, 0.97, 0.15, 0.0, 0.0, 1.02,
     0.05},
    {"Nacelle anemometer WT 3000", 0.5, 0.0, 0.0010, 0.95, 0.18, 9.0, 0.0, 0.0008, 0.98, 0.12, 0.0, 0.0, 1.01,
     0.04},
};

const char* const kSectorGroups[] = {"North row wake sectors", "Ridge turbulence sectors"};

struct Sector {
    int group;  // index into kSectorGroups
    int from;
    int to;
    bool excluded;
    const char* coefficients[8];  // Run A-D, Stop A-D
};

// The wake of the northern neighbours wraps through north; the ridge's
// turbulence sectors correct the nacelle wind instead of excluding it.
constexpr Sector kSectors[] = {
    {0, 350, 20, true, {"0", "0", "1", "0", "0", "0", "1", "0"}},
    {0, 20, 45, false, {"0", "0", "0.97", "0.1", "0", "0", "1", "0"}},
    {0, 160, 200, true, {"0", "0", "1", "0", "0", "0", "1", "0"}},
    {1, 200, 250, false, {"0.00012", "-0.0031", "1.045", "0.12", "0", "0.0008", "0.985", "-0.05"}},
    {1, 250, 290, false, {"0", "-0.0015", "1.02", "0.25", "0", "0", "1.01", "0"}},
    {1, 290, 310, true, {"0", "0", "1", "0", "0", "0", "1", "0"}},
};

}  // namespace

void addUnitReferences(Builder& b) {
    std::vector<int> curveIds;
    for (const Curve& curve : kCurves) {
        b.context.exec(QStringLiteral("INSERT INTO TNormCurve (NormCurveTitle, NormCurveDescription, "
                                      "NormCurveCutInWindSpeed, NormCurveCutOutWindSpeed, NormCurveTypeId) "
                                      "VALUES (?, ?, ?, ?, ?)"),
                       {QString::fromLatin1(curve.title), QString::fromLatin1(curve.description),
                        curve.type == 1 ? QVariant(curve.cutIn) : QVariant(),
                        curve.type == 1 ? QVariant(curve.cutOut) : QVariant(), curve.type});
        curveIds.push_back(int(b.context.lastInsertId()));
    }
    std::vector<int> freeWindIds;
    for (const FreeWind& f : kFreeWind) {
        b.context.exec(
            QStringLiteral(
                "INSERT INTO TFreeWindParameter (FreeWindParameterTitle, FreeWindParameterLowPitchAngle, "
                "FreeWindParameterStartLowA, FreeWindParameterStartLowB, FreeWindParameterStartLowC, "
                "FreeWindParameterStartLowD, FreeWindParameterHighPitchAngle, FreeWindParameterStartHighA, "
                "FreeWindParameterStartHighB, FreeWindParameterStartHighC, FreeWindParameterStartHighD, "
                "FreeWindParameterStopA, FreeWindParameterStopB, FreeWindParameterStopC, "
                "FreeWindParameterStopD) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {QString::fromLatin1(f.title), f.lowPitch, f.lowA, f.lowB, f.lowC, f.lowD, f.highPitch, f.highA,
             f.highB, f.highC, f.highD, f.stopA, f.stopB, f.stopC, f.stopD});
        freeWindIds.push_back(int(b.context.lastInsertId()));
    }
    std::vector<int> groupIds;
    for (const char* title : kSectorGroups) {
        b.context.exec(QStringLiteral("INSERT INTO TWindSectorGroup (WindSectorGroupTitle) VALUES (?)"),
                       {QString::fromLatin1(title)});
        groupIds.push_back(int(b.context.lastInsertId()));
    }
    for (const Sector& sector : kSectors) {
        std::vector<QVariant> values = {groupIds[size_t(sector.group)], sector.from, sector.to,
                                        sector.excluded};
        for (const char* coefficient : sector.coefficients)
            values.emplace_back(QString::fromLatin1(coefficient));
        b.context.exec(
            QStringLiteral("INSERT INTO TWindSector (WindSectorGroupId, WindSectorAngleFrom, "
                           "WindSectorAngleTo, WindSectorExcluded, WindSectorRunA, WindSectorRunB, "
                           "WindSectorRunC, WindSectorRunD, WindSectorStopA, WindSectorStopB, "
                           "WindSectorStopC, WindSectorStopD) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            values);
    }

    // Every turbine has its type's curve, in the park and in each profile;
    // units added to a profile later take the park's curve along.
    for (int typeId : {1, 2})
        b.context.exec(QStringLiteral("UPDATE TParkUnit SET NormCurveId = ? WHERE UnitTypeId = ?"),
                       {curveIds[size_t(typeId - 1)], typeId});
    b.context.exec(
        QStringLiteral("UPDATE TParkUnit_TReportProfile SET NormCurveId = (SELECT u.NormCurveId FROM "
                       "TParkUnit u WHERE u.ParkUnitId = TParkUnit_TReportProfile.ParkUnitId)"));
    // The nacelle anemometers of the last row, behind the ridge, and the
    // wake sectors of the first row.
    for (int id : b.turbineIds) {
        const Builder::Unit& unit = b.unit(id);
        if (unit.row == 3)
            b.context.exec(QStringLiteral("UPDATE TParkUnit_TReportProfile SET FreeWindParameterId = ?, "
                                          "WindSectorGroupId = ? WHERE ParkUnitId = ?"),
                           {freeWindIds[unit.typeId == 1 ? 0 : 1], groupIds[1], id});
        else if (unit.row == 0)
            b.context.exec(
                QStringLiteral(
                    "UPDATE TParkUnit_TReportProfile SET WindSectorGroupId = ? WHERE ParkUnitId = ?"),
                {groupIds[0], id});
    }
}

}  // namespace reportdb::demo
