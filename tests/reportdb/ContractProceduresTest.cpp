// The contract steps: listed by priority then unused, renumbered per contract
// by the update, and an inconsistent update writing nothing.

#include "ReportDbTestSupport.h"

#include <gtest/gtest.h>

using namespace reportdb_tests;
using testing_support::TempDatabase;

namespace {

Call update(db::Connection& connection, const char* contracts, const char* steps) {
    return call(connection, "WMS_SP_CRQ_UpdateReportFormulaContract",
                {text("@ReportFormulaContractIds", contracts), text("@ReportFormulaTaskStepIds", steps)});
}

// "contract:step=priority" of every used step, in priority order.
QString used(db::Connection& connection) {
    return lines(connection,
                 "SELECT ContractId || ':' || ContractStepId || '=' || Priority FROM "
                 "TReportFormulaContractTaskStep WHERE Priority IS NOT NULL ORDER BY ContractId, Priority")
        .join(' ');
}

}  // namespace

TEST(ContractProcedures, ListsUsedStepsByPriorityThenTheOthers) {
    TempDatabase database(sharedDemo());
    auto connection = database.connect();
    const Call select = call(*connection, "WMS_SP_CRQ_SelectReportFormulaContracttaskstep", {});
    QStringList order;
    for (const auto& row : select.set(0).rows)
        order << QStringLiteral("%1:%2%3").arg(row[0].toString(), row[2].toString(),
                                               row[4].isNull() ? "-" : "");
    EXPECT_EQ(order.join(' '), "1:1 1:3 1:4 1:6 1:2- 1:5- 2:2 2:1 2:5 2:3- 2:4- 2:6-");
}

TEST(ContractProcedures, UpdateRenumbersEachContractOrWritesNothing) {
    TempDatabase database(sharedDemo());
    auto connection = database.connect();
    const QString before = used(*connection);
    // Contract 1 keeps its locked first step; 2 must keep its locked 6 unused.
    const struct {
        const char* contracts;
        const char* steps;
        int returnValue;
    } refused[] = {
        {"1,1,2", "1,3", 1},    // unequal lists
        {"1,x", "1,3", 1},      // not numbers
        {"1,2,9", "1,2,1", 2},  // unknown contract
        {"1,1,2", "1,1,2", 2},  // a step named twice
        {"1,1", "1,3", 3},      // contract 2 would use nothing
        {"1,2", "3,2", 4},      // locked step 1 of contract 1 dropped
        {"1,2,2", "1,2,6", 4},  // locked unused step 6 of contract 2 taken
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.contracts);
        EXPECT_EQ(update(*connection, c.contracts, c.steps).returnValue(), c.returnValue);
        EXPECT_EQ(used(*connection), before);
    }
    EXPECT_EQ(update(*connection, "2,1,1,2", "5,4,1,3").returnValue(), 0);
    EXPECT_EQ(used(*connection), "1:4=1 1:1=2 2:5=1 2:3=2");
}
