#pragma once
// Rules of the park unit configuration grid that are not about widgets:
// which units a row may refer to, copying a cell to the next row, and the
// curve key the batch update writes.

#include "ui/LookupDelegate.h"

#include <QString>

namespace db {
class DataSet;
}

namespace units {

inline const QString kFieldUnitId = QStringLiteral("ParkUnitId");
inline const QString kFieldDevice = QStringLiteral("UnitTypeDevice");
inline const QString kFieldCurveLookup = QStringLiteral("NormLookup");
inline const QString kFieldCurve = QStringLiteral("NormCurveId");

// What the turbine, met station and connection point lists offer on the row
// of unit `unitId`: a met station or grid point refers to no unit ("none"
// only); a turbine to any unit but itself.
ui::LookupList::Filter unitReferenceFilter(int unitId, const QString& device);

enum class CopyOutcome {
    Copied,
    NotATurbine,  // the next row is no turbine: it only becomes current
    OwnUnit,      // the value is the next row's own unit: not its own neighbour
};

// Copies `field` of the current row to the next row (on the last row, into
// that row itself), which becomes current. Only turbines take copies, and
// a neighbour column never gets the row's own unit.
CopyOutcome copyToNextRow(db::DataSet& rows, const QString& field);

// The curve the user chose (NormLookup) into the stored column the batch
// update writes (NormCurveId), on every row where they differ; the current
// row stays.
void syncCurveKeys(db::DataSet& rows);

}  // namespace units
