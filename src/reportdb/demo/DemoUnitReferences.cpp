// What the units' configuration refers to: a power reference curve per
// turbine type (and a wind distribution curve no unit may use, a locked
// certified curve and a spare one that no unit uses), each with its points
// from 0 to 40 m/s; free wind parameter sets and wind sector groups, given
// to the profiles' units.

#include "reportdb/demo/DemoBuilder.h"

#include <algorithm>
#include <cmath>

namespace reportdb::demo {

namespace {

struct Curve {
    const char* title;
    const char* description;
    int type;
    double cutIn;
    double cutOut;
    double rated;       // kW, with the rated wind speed below
    double ratedSpeed;  // m/s
    bool locked;
};

constexpr Curve kCurves[] = {
    {"WT 2300/82 power curve", "Manufacturer's power curve at standard air density.", 1, 3.0, 25.0, 2300,
     13.0, false},
    {"WT 3000/101 power curve", "Manufacturer's power curve at standard air density.", 1, 3.0, 22.5, 3000,
     12.5, false},
    {"Hollow Ridge wind distribution", "Weibull distribution of the site's long-term wind.", 2, 0.0, 0.0, 0,
     0, false},
    {"WT 2300/82 certified power curve", "Measured power curve of the type certificate.", 1, 3.5, 25.0, 2300,
     13.5, true},
    {"WT 3000/101 noise reduced curve", "Power curve of the noise reduced mode, not in use.", 1, 3.0, 22.5,
     2600, 12.0, false},
};
constexpr int kPointCount = 401;  // 0.0 to 40.0 m/s in tenths

// A turbine's production at `speed`: a cubic rise from cut-in to the rated
// speed with a rounded knee, rated output up to cut-out, nothing beyond.
double powerAt(const Curve& c, double speed) {
    if (speed < c.cutIn || speed > c.cutOut) return 0.0;
    const double share =
        (std::pow(speed, 3) - std::pow(c.cutIn, 3)) / (std::pow(c.ratedSpeed, 3) - std::pow(c.cutIn, 3));
    const double knee = 1.0 - std::exp(-4.0 * std::max(0.0, share));
    return std::round(std::min(1.0, knee / (1.0 - std::exp(-4.0))) * c.rated * 10.0) / 10.0;
}

// The site's wind distribution: the Weibull density for c = 7.2 m/s, k = 2.1,
// in percent per m/s.
double distributionAt(double speed) {
    constexpr double c = 7.2, k = 2.1, y = 100.0;
    return k * std::pow(c, -k) * std::pow(speed, k - 1.0) * std::exp(-std::pow(speed / c, k)) * y;
}

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
    {"Met mast correlation (spare)", 0.0, 0.0, 0.0, 1.0, 0.0, 10.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0, 0.0},
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
        b.context.exec(
            QStringLiteral("INSERT INTO TNormCurve (NormCurveTitle, NormCurveDescription, "
                           "NormCurveCutInWindSpeed, NormCurveCutOutWindSpeed, NormCurveTypeId, "
                           "NormCurveLocked) VALUES (?, ?, ?, ?, ?, ?)"),
            {QString::fromLatin1(curve.title), QString::fromLatin1(curve.description),
             curve.type == 1 ? QVariant(curve.cutIn) : QVariant(),
             curve.type == 1 ? QVariant(curve.cutOut) : QVariant(), curve.type, curve.locked ? 1 : 0});
        const int curveId = int(b.context.lastInsertId());
        curveIds.push_back(curveId);
        for (int i = 0; i < kPointCount; ++i) {
            const double speed = i / 10.0;
            b.context.exec(QStringLiteral("INSERT INTO TNormCurveData (NormCurveId, NormCurveDataWindSpeed, "
                                          "NormCurveDataProduction) VALUES (?, ?, ?)"),
                           {curveId, speed, curve.type == 1 ? powerAt(curve, speed) : distributionAt(speed)});
        }
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
