// The park: two turbine types in four rows, met masts between the rows and
// one grid connection point.

#include "reportdb/demo/DemoBuilder.h"

namespace reportdb::demo {

namespace {

struct UnitType {
    int id;
    const char* title;
    const char* device;
    int capacity;  // kW; 0 for stations
    int hubHeight;
};

constexpr UnitType kTypeA{1, "WT 2300/82", "WTG", 2300, 80};
constexpr UnitType kTypeB{2, "WT 3000/101", "WTG", 3000, 99};
constexpr UnitType kMetMast{3, "Met mast 80 m", "MET", 0, 80};
constexpr UnitType kGridMeter{4, "Grid meter 110 kV", "GRID", 0, 0};
constexpr int kTurbinesPerRow = 10;

}  // namespace

void addPark(Builder& b) {
    b.parkName = QStringLiteral("Hollow Ridge Wind Park");
    for (const UnitType& type : {kTypeA, kTypeB, kMetMast, kGridMeter})
        b.context.exec(QStringLiteral("INSERT INTO TUnitType (UnitTypeId, UnitTypeTitle, UnitTypeDevice, "
                                      "UnitTypeCapacity) VALUES (?, ?, ?, ?)"),
                       {type.id, QString::fromLatin1(type.title), QString::fromLatin1(type.device),
                        type.capacity > 0 ? QVariant(type.capacity) : QVariant()});

    auto addUnit = [&b](const UnitType& type, const QString& title, const QString& serial, int row,
                        int position) {
        const int id = int(b.units.size()) + 1;
        b.context.exec(QStringLiteral("INSERT INTO TParkUnit (ParkUnitId, ParkUnitTitle, UnitTypeId, "
                                      "CommunicationLabel, ParkUnitSerialNumber, HubHeightAltitude) "
                                      "VALUES (?, ?, ?, ?, ?, ?)"),
                       {id, title, type.id, 100 + id, serial,
                        type.hubHeight > 0 ? QVariant(type.hubHeight) : QVariant()});
        b.units.push_back(
            {id, title, type.id, QString::fromLatin1(type.device), type.capacity, row, position});
        return id;
    };

    // The first half of the turbines is of type A, the rest of type B.
    const int typeACount = (b.options.turbineCount + 1) / 2;
    for (int i = 0; i < b.options.turbineCount; ++i) {
        const bool typeA = i < typeACount;
        const UnitType& type = typeA ? kTypeA : kTypeB;
        const int id = addUnit(
            type, QStringLiteral("WTG%1").arg(i + 1, 2, 10, QLatin1Char('0')),
            QStringLiteral("%1-%2").arg(typeA ? QStringLiteral("A23") : QStringLiteral("B30")).arg(10001 + i),
            i / kTurbinesPerRow, i % kTurbinesPerRow);
        b.turbineIds.push_back(id);
        (typeA ? b.typeATurbineIds : b.typeBTurbineIds).push_back(id);
    }
    const int rows = (b.options.turbineCount + kTurbinesPerRow - 1) / kTurbinesPerRow;
    const char* const masts[] = {"MET North", "MET Centre", "MET South"};
    for (int i = 0; i < 3; ++i)
        b.metMastIds.push_back(addUnit(kMetMast, QString::fromLatin1(masts[i]),
                                       QStringLiteral("MM-%1").arg(801 + i), i * rows / 3,
                                       kTurbinesPerRow / 2));
    b.gridPointId =
        addUnit(kGridMeter, QStringLiteral("Grid connection point"), QStringLiteral("GCP-110-1"), rows, 0);
}

}  // namespace reportdb::demo
