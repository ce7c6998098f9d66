// Unit type and park unit procedures.

#include "reportdb/ProcedureRegistry.h"
#include "reportdb/procedures/Procedures.h"

namespace reportdb {

namespace {

// DCE_SP_SelectUnitTypes: the turbine types, by title. Meteorological
// stations and grid points are not listed: callers group them on their own.
ProcedureResult selectUnitTypes(ProcedureContext& context, const Arguments&) {
    ProcedureResult result;
    result.resultSets.push_back(context.query(
        QStringLiteral("SELECT UnitTypeId, UnitTypeTitle, UnitTypeDevice, UnitTypeCapacity FROM TUnitType "
                       "WHERE UnitTypeDevice = 'WTG' ORDER BY UnitTypeTitle, UnitTypeId")));
    return result;
}

}  // namespace

void registerUnitProcedures(ProcedureRegistry& registry) {
    registry.add(QStringLiteral("DCE_SP_SelectUnitTypes"), {}, selectUnitTypes, true);
}

}  // namespace reportdb
