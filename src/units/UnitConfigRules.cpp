#include "units/UnitConfigRules.h"

#include "db/DataSet.h"

namespace units {

ui::LookupList::Filter unitReferenceFilter(int unitId, const QString& device) {
    if (device == QLatin1String("MET") || device == QLatin1String("GRID"))
        return [](const QVariant& key) { return key.isNull(); };
    return [unitId](const QVariant& key) { return key.isNull() || key.toInt() != unitId; };
}

CopyOutcome copyToNextRow(db::DataSet& rows, const QString& field) {
    const QVariant value = rows.value(field);
    if (rows.currentRow() + 1 < rows.recordCount()) rows.next();
    if (rows.value(kFieldDevice).toString() != QLatin1String("WTG")) return CopyOutcome::NotATurbine;
    const bool neighbour =
        field.compare(QLatin1String("NeighbourTurbinePrimaryId"), Qt::CaseInsensitive) == 0 ||
        field.compare(QLatin1String("NeighbourTurbineSecondaryId"), Qt::CaseInsensitive) == 0;
    if (neighbour && !value.isNull() && value.toInt() == rows.value(kFieldUnitId).toInt())
        return CopyOutcome::OwnUnit;
    rows.edit();
    rows.setValue(field, value);
    rows.post();
    return CopyOutcome::Copied;
}

void syncCurveKeys(db::DataSet& rows) {
    const int lookup = rows.fieldIndex(kFieldCurveLookup), curve = rows.fieldIndex(kFieldCurve);
    if (lookup < 0 || curve < 0) return;
    const int current = rows.currentRow();
    for (int row = 0; row < rows.recordCount(); ++row) {
        const QVariant chosen = rows.valueAt(row, lookup), stored = rows.valueAt(row, curve);
        if (chosen.isNull() == stored.isNull() && (chosen.isNull() || chosen.toInt() == stored.toInt()))
            continue;
        rows.moveTo(row);
        rows.edit();
        rows.setValue(curve, chosen);
        rows.post();
    }
    if (current >= 0) rows.moveTo(current);
}

}  // namespace units
