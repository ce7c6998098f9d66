#pragma once
// The schema of the availability contracts: its own migration step.

namespace reportdb {

// Each contract computes expected production through an ordered set of
// calculation steps: Priority 1..n orders the steps a contract uses, NULL
// marks a step it does not use. A locked step's use is fixed.
inline constexpr const char* kContractSchema = R"sql(
CREATE TABLE TReportFormulaContract (
    ContractId INTEGER PRIMARY KEY,
    ContractTitle NVARCHAR(50) NOT NULL UNIQUE
);

CREATE TABLE TReportFormulaTaskStep (
    ContractStepId INTEGER PRIMARY KEY,
    ContractStepTitle NVARCHAR(100) NOT NULL
);

CREATE TABLE TReportFormulaContractTaskStep (
    ContractId INTEGER NOT NULL REFERENCES TReportFormulaContract (ContractId) ON DELETE CASCADE,
    ContractStepId INTEGER NOT NULL REFERENCES TReportFormulaTaskStep (ContractStepId) ON DELETE CASCADE,
    Priority INTEGER CHECK (Priority IS NULL OR Priority > 0),
    Locked BIT NOT NULL DEFAULT 0,
    PRIMARY KEY (ContractId, ContractStepId)
);
)sql";

}  // namespace reportdb
