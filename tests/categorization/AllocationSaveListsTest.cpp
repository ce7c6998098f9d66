// The save lists of the changed allocation rows and their split into calls.

#include "AllocationTestSupport.h"
#include "categorization/AllocationSaveLists.h"
#include "db/DataSet.h"

#include <gtest/gtest.h>

using namespace categorization;
using namespace allocation_test;
namespace af = categorization::allocation_field;

namespace {

void setRow(db::DataSet& dataSet, int row, const QVariant& category, const QVariant& disabled) {
    ASSERT_TRUE(dataSet.moveTo(row));
    ASSERT_TRUE(dataSet.edit());
    ASSERT_TRUE(dataSet.setValue(af::kCategory, category));
    ASSERT_TRUE(dataSet.setValue(af::kDisabled, disabled));
    ASSERT_TRUE(dataSet.post());
}

QStringList entries(const std::vector<AllocationSaveCall>& calls, QString AllocationSaveCall::*list) {
    QStringList all;
    for (const auto& call : calls) all += (call.*list).split(u',');
    return all;
}

}  // namespace

TEST(AllocationSaveLists, ChangedRowsGiveThreeLists) {
    db::DataSet dataSet;
    dataSet.setRows(gridRows(kEventAllocation, {{1, 1, 16, "a", 2, false, {0, 3, 0}},
                                                {2, 2, 17, "b", QVariant(), false, {0, 0, 0}},
                                                {3, 3, 18, "c", 3, false, {0, 0, 3}},
                                                {4, 4, 19, "d", 0, false, {0, 0, 0}}}));
    // Nothing changed: no call at all.
    EXPECT_TRUE(buildAllocationSaveCalls(dataSet).empty());

    // 17 allocated to category 4; 18 unallocated (null) and switched off.
    setRow(dataSet, 1, 4, false);
    setRow(dataSet, 2, QVariant(), true);
    // Changed and changed back: not sent.
    setRow(dataSet, 3, 5, false);
    setRow(dataSet, 3, 0, false);
    auto calls = buildAllocationSaveCalls(dataSet);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ((QStringList{calls[0].allocationIds, calls[0].categoryIds, calls[0].disabledFlags}),
              (QStringList{"17,18", "4,0", "0,1"}));

    // Rows out of the view are sent too.
    dataSet.setFilter([](const db::RowView& row) { return !row.value(af::kDisabled).toBool(); });
    calls = buildAllocationSaveCalls(dataSet);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].allocationIds, "17,18");

    QStringList texts;
    for (const QVariant& value :
         {QVariant(), QVariant(QString()), QVariant(true), QVariant(false), QVariant(qlonglong(12345))})
        texts << allocationListText(value);
    EXPECT_EQ(texts, (QStringList{"0", "0", "1", "0", "12345"}));
}

TEST(AllocationSaveLists, LargeChangesAreSplitWithinTheLimit) {
    std::vector<GridRow> rows;
    for (int i = 0; i < 5000; ++i) rows.push_back({i, i, 1000000 + i, "code", 0, false, {0, 0, 0}});
    db::DataSet dataSet;
    dataSet.setRows(gridRows(kEventAllocation, rows));
    for (int i = 0; i < 5000; ++i) setRow(dataSet, i, 10 + i % 7, i % 3 == 0);

    const auto calls = buildAllocationSaveCalls(dataSet);
    // 5,000 ids of 7 digits need 40,000 characters: at least five calls.
    ASSERT_GE(calls.size(), 5u);
    for (const auto& call : calls) {
        EXPECT_LE(call.allocationIds.size(), kMaxSaveListLength);
        EXPECT_LE(call.categoryIds.size(), kMaxSaveListLength);
        EXPECT_LE(call.disabledFlags.size(), kMaxSaveListLength);
        // A row's three values travel together.
        EXPECT_EQ(call.allocationIds.count(u','), call.categoryIds.count(u','));
        EXPECT_EQ(call.allocationIds.count(u','), call.disabledFlags.count(u','));
        EXPECT_FALSE(call.allocationIds.endsWith(u','));
    }
    const QStringList ids = entries(calls, &AllocationSaveCall::allocationIds);
    const QStringList categoriesSent = entries(calls, &AllocationSaveCall::categoryIds);
    const QStringList flags = entries(calls, &AllocationSaveCall::disabledFlags);
    ASSERT_EQ(ids.size(), 5000);
    for (int i = 0; i < 5000; ++i) {
        ASSERT_EQ(ids[i], QString::number(1000000 + i));
        ASSERT_EQ(categoriesSent[i], QString::number(10 + i % 7));
        ASSERT_EQ(flags[i], i % 3 == 0 ? "1" : "0");
    }

    // The limit is exact: "17,18,19" is 8 characters.
    db::DataSet small;
    small.setRows(gridRows(kEventAllocation, {{1, 1, 17, "", 0, false, {0, 0, 0}},
                                              {2, 2, 18, "", 0, false, {0, 0, 0}},
                                              {3, 3, 19, "", 0, false, {0, 0, 0}},
                                              {4, 4, 20, "", 0, false, {0, 0, 0}}}));
    for (int i = 0; i < 4; ++i) setRow(small, i, 1, false);
    const auto split = buildAllocationSaveCalls(small, 8);
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ((QStringList{split[0].allocationIds, split[1].allocationIds, split[1].categoryIds}),
              (QStringList{"17,18,19", "20", "1"}));
}
