#pragma once
// Registration of the standard procedures, one function per subject file.

namespace reportdb {

class ProcedureRegistry;

void registerProfileProcedures(ProcedureRegistry& registry);               // profiles.cpp
void registerUnitProcedures(ProcedureRegistry& registry);                  // units.cpp
void registerProcessProcedures(ProcedureRegistry& registry);               // processes.cpp
void registerShadowDataProcedures(ProcedureRegistry& registry);            // shadowdata.cpp
void registerCategoryProcedures(ProcedureRegistry& registry);              // categories.cpp
void registerAllocationProcedures(ProcedureRegistry& registry);            // allocations.cpp
void registerValidationAndSignOffProcedures(ProcedureRegistry& registry);  // validation.cpp
void registerUserProcedures(ProcedureRegistry& registry);                  // users.cpp
void registerContractProcedures(ProcedureRegistry& registry);              // contracts.cpp
void registerCurveProcedures(ProcedureRegistry& registry);                 // curves.cpp
void registerWindSectorProcedures(ProcedureRegistry& registry);            // windsectors.cpp

}  // namespace reportdb
