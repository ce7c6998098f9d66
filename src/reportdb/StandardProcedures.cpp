#include "reportdb/ProcedureRegistry.h"
#include "reportdb/procedures/Procedures.h"

namespace reportdb {

std::shared_ptr<ProcedureRegistry> standardRegistry() {
    auto registry = std::make_shared<ProcedureRegistry>();
    registerProfileProcedures(*registry);
    registerUnitProcedures(*registry);
    registerProcessProcedures(*registry);
    registerShadowDataProcedures(*registry);
    registerCategoryProcedures(*registry);
    registerAllocationProcedures(*registry);
    registerValidationAndSignOffProcedures(*registry);
    registerUserProcedures(*registry);
    registerContractProcedures(*registry);
    registerCurveProcedures(*registry);
    registerWindSectorProcedures(*registry);
    return registry;
}

}  // namespace reportdb
