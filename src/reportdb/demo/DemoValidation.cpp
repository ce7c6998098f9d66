// The validation limits of the measured values (for the met masts and per
// turbine type) and the sign-off records of the first construction phase.

#include "reportdb/demo/DemoBuilder.h"

namespace reportdb::demo {

namespace {

enum class Group { Met, Turbine, Both };

struct MeasuredValue {
    int id;
    const char* title;
    const char* unit;
    Group group;
    double minimum;
    double maximum;  // for the power: a share of the type's capacity
    bool active;
};

constexpr int kPowerId = 6;
constexpr int kRotorSpeedId = 7;

// clang-format off
constexpr MeasuredValue kValues[] = {
    {1, "Wind speed", "m/s", Group::Both, 0, 50, true},
    {2, "Wind direction", "\u00b0", Group::Both, 0, 360, true},
    {3, "Ambient temperature", "\u00b0C", Group::Both, -40, 50, true},
    {4, "Air pressure", "hPa", Group::Met, 850, 1090, true},
    {5, "Relative humidity", "%", Group::Met, 0, 100, false},
    {kPowerId, "Active power", "kW", Group::Turbine, -0.02, 1.0, true},
    {kRotorSpeedId, "Rotor speed", "rpm", Group::Turbine, 0, 0, true},
    {8, "Pitch angle", "\u00b0", Group::Turbine, -5, 95, true},
    {9, "Nacelle temperature", "\u00b0C", Group::Turbine, -40, 80, false},
    {10, "Generator speed", "rpm", Group::Turbine, 0, 0, false},
};
// clang-format on

struct LockRecord {
    const char* from;
    const char* to;
    bool locked;
    const char* description;
    bool customer;
    int user;  // index into the users
    const char* written;
};

// A maker's lock of 2023, a customer's lock of the first half of 2024, and a
// later unlock of one month that was corrected afterwards.
constexpr LockRecord kPhase1Records[] = {
    {"2023-01-01 00:00:00", "2024-01-01 00:00:00", true, "Year 2023 checked and agreed with the owners",
     false, 0, "2024-02-05 10:15:00"},
    {"2024-01-01 00:00:00", "2024-07-01 00:00:00", true,
     "First half of 2024 accepted by Northwind Asset Management", true, 2, "2024-08-12 14:30:00"},
    {"2024-03-01 00:00:00", "2024-04-01 00:00:00", false,
     "March 2024 reopened: grid meter readings corrected", false, 0, "2024-09-03 09:00:00"},
};

// The turbine limits that depend on the type: rotor and generator speed.
double maximumFor(const MeasuredValue& value, int capacity) {
    if (value.id == kPowerId) return value.maximum * capacity;
    if (value.id == kRotorSpeedId) return capacity > 2500 ? 15.5 : 18.0;
    if (value.id == 10) return capacity > 2500 ? 1600 : 1800;
    return value.maximum;
}

}  // namespace

void addValidationAndSignOff(Builder& b) {
    for (const MeasuredValue& value : kValues)
        b.context.exec(QStringLiteral("INSERT INTO TMeasuredValue (MeasuredValueId, MeasuredValueTitle, "
                                      "MeasuredValueUnit) VALUES (?, ?, ?)"),
                       {value.id, QString::fromUtf8(value.title), QString::fromUtf8(value.unit)});
    const auto addLimit = [&b](const QVariant& typeId, const MeasuredValue& value, double minimum,
                               double maximum) {
        b.context.exec(QStringLiteral("INSERT INTO TValidationParameter (UnitTypeId, MeasuredValueId, "
                                      "ValidationActive, ValidationMinimumValue, ValidationMaximumValue) "
                                      "VALUES (?, ?, ?, ?, ?)"),
                       {typeId, value.id, value.active ? 1 : 0, minimum, maximum});
    };
    for (const MeasuredValue& value : kValues)
        if (value.group != Group::Turbine) addLimit(QVariant(), value, value.minimum, value.maximum);
    const db::ResultSet types =
        b.context.query(QStringLiteral("SELECT UnitTypeId, UnitTypeCapacity FROM TUnitType WHERE "
                                       "UnitTypeDevice = 'WTG' ORDER BY UnitTypeId"));
    for (const db::Row& type : types.rows) {
        const int capacity = type[1].toInt();
        for (const MeasuredValue& value : kValues) {
            if (value.group == Group::Met) continue;
            const double minimum = value.id == kPowerId ? value.minimum * capacity : value.minimum;
            addLimit(type[0], value, minimum, maximumFor(value, capacity));
        }
    }

    // The first construction phase is the second profile.
    const int phase1 = b.profileIds.at(1);
    for (const LockRecord& record : kPhase1Records)
        b.context.exec(QStringLiteral("INSERT INTO TShadowDataLockPeriod (ReportProfileId, TimeFrom, TimeTo, "
                                      "Locked, LockDescription, Customer, UserId, LastModifiedDateTimeStamp) "
                                      "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                       {phase1, QString::fromLatin1(record.from), QString::fromLatin1(record.to),
                        record.locked ? 1 : 0, QString::fromUtf8(record.description), record.customer ? 1 : 0,
                        b.userIds.at(size_t(record.user)), QString::fromLatin1(record.written)});
}

}  // namespace reportdb::demo
