// The contract configuration's model: contracts from the procedure's rows,
// ticks that keep one step, moves, and the two id lists of the update.

#include "contracts/ContractSteps.h"
#include "db/DataSet.h"

#include <gtest/gtest.h>

using namespace contracts;

namespace {

// Rows as the select procedure gives them: contract, step, priority (0: NULL), locked.
std::vector<Contract> load(std::initializer_list<std::array<int, 4>> rows) {
    db::ResultSet set;
    for (const char* name :
         {"ContractId", "ContractTitle", "ContractStepId", "ContractStepTitle", "Priority", "Locked"})
        set.columns.push_back({QLatin1String(name), db::FieldType::Unknown, 0});
    for (const auto& r : rows)
        set.rows.push_back({r[0], QStringLiteral("C%1").arg(r[0]), r[1], QStringLiteral("S%1").arg(r[1]),
                            r[2] ? QVariant(r[2]) : QVariant(), bool(r[3])});
    db::DataSet data;
    data.setRows(set);
    return buildContracts(data);
}

std::vector<Contract> demo() {
    return load({{1, 1, 1, 1}, {1, 3, 2, 0}, {1, 2, 0, 0}, {2, 2, 1, 0}, {2, 4, 0, 0}, {2, 1, 2, 0}});
}

}  // namespace

TEST(ContractSteps, ContractsKeepTheirRowOrderAndTheListsPairEveryUsedStep) {
    auto contracts = demo();
    ASSERT_EQ(contracts.size(), 2u);
    EXPECT_EQ(contracts[1].steps[2].id, 1);  // rows of a contract need not be adjacent
    EXPECT_TRUE(contracts[0].steps[0].locked);
    // A NULL-priority step ticked goes where it stands, whichever contract is shown.
    ASSERT_TRUE(setUsed(contracts[1], {true, true, true}));
    EXPECT_EQ(updateLists(contracts).contractIds, "1,1,2,2,2");
    EXPECT_EQ(updateLists(contracts).stepIds, "1,3,2,4,1");
}

TEST(ContractSteps, MovesChangeOnlyThatContractAndTheLastStepStays) {
    auto contracts = demo();
    const struct {
        int index, delta, expected;
        const char* steps;
    } moves[] = {
        {1, -1, 0, "1,3,4,2,1"}, {0, -1, -1, "1,3,4,2,1"}, {2, +1, -1, "1,3,4,2,1"}, {0, +1, 1, "1,3,2,4,1"}};
    ASSERT_TRUE(setUsed(contracts[1], {true, true, true}));
    for (const auto& m : moves) {
        SCOPED_TRACE(m.steps);
        EXPECT_EQ(moveStep(contracts[1], m.index, m.delta), m.expected);
        EXPECT_EQ(updateLists(contracts).stepIds, m.steps);
        EXPECT_EQ(updateLists(contracts).contractIds, "1,1,2,2,2");
    }
    const Contract kept = contracts[1];
    EXPECT_FALSE(setUsed(contracts[1], {false, false, false}));
    EXPECT_EQ(contracts[1], kept);
    // A locked step keeps its use whatever the ticks say.
    ASSERT_TRUE(setUsed(contracts[0], {false, true, false}));
    EXPECT_TRUE(contracts[0].steps[0].used);
}
