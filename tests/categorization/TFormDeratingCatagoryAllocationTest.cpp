// The derating allocation window against the demo database's derating
// profile: its columns and captions, a click saved, the read-only state and
// the normal-operation correction that holds for IEC profiles too.

#include "AllocationTestSupport.h"
#include "categorization/TFormDeratingCatagoryAllocation.h"

#include <gtest/gtest.h>
#include <QPushButton>

using namespace categorization;
using namespace allocation_test;
namespace af = categorization::allocation_field;

namespace {

constexpr int kDeratingProfile = 3;

int storedCategory(const Environment& env, qlonglong allocationId) {
    return env
        .scalar(QStringLiteral("SELECT ReportCategoryId FROM TDerateCategoryAllocation WHERE "
                               "DerateCategoryAllocationId = %1")
                    .arg(allocationId))
        .toInt();
}

QPushButton* button(QWidget& window, const char* name) {
    auto* found = window.findChild<QPushButton*>(QLatin1String(name));
    EXPECT_TRUE(found) << name;
    return found;
}

}  // namespace

TEST(TFormDeratingCatagoryAllocation, LoadsAndSavesThePowerReductionModes) {
    Environment env;
    const ProfileInfo profile = profileInfo(env, kDeratingProfile);
    ASSERT_TRUE(profile.UseDeratingCategorisation);
    TFormDeratingCatagoryAllocation window(env.context);
    int marks = 0;
    window.Prepare(profile, [&marks] { ++marks; });
    ASSERT_TRUE(showAndLoad(window));

    EXPECT_EQ(window.windowTitle(), "Categorize derating sources (" + profile.Title + ")");
    EXPECT_EQ(button(window, "CancelButton")->text(), "&Cancel");
    EXPECT_EQ(window.findChild<QWidget*>("EditEventList"), nullptr);
    EXPECT_EQ(window.model()->headerData(0, Qt::Horizontal).toString(), env.context.texts().profile(502));
    EXPECT_EQ(window.model()->headerData(1, Qt::Horizontal).toString(), env.context.texts().profile(504));
    EXPECT_EQ(window.dataSet().field(af::kKey).displayLabel, env.context.texts().profile(503));
    EXPECT_EQ(window.dataSet().field(af::kAllocationId).name, "DerateCategoryAllocationId");
    EXPECT_EQ(
        window.model()->rowCount(),
        env.scalar(QStringLiteral("SELECT COUNT(*) FROM TDerateCategoryAllocation WHERE ReportProfileId = %1 "
                                  "AND DerateCategoryAllocationDisabled = 0")
                       .arg(kDeratingProfile))
            .toInt());
    // Titles are not extended and nothing is held after loading.
    EXPECT_FALSE(window.dataSet().hasChanges());
    EXPECT_FALSE(button(window, "ApplyButton")->isEnabled());

    // Move a mode to another category through the grid.
    int row = -1;
    for (int r = 0; r < window.dataSet().recordCount() && row < 0; ++r)
        if (window.dataSet().valueAt(r, af::kKey).toInt() != 0 && window.grid().isAllocated(r)) row = r;
    ASSERT_GE(row, 0);
    const qlonglong id = window.dataSet().valueAt(row, af::kAllocationId).toLongLong();
    const int stored = window.grid().storedField(id);
    const int field = stored == af::kFirstCategory + 1 ? af::kFirstCategory + 2 : af::kFirstCategory + 1;
    pressCell(window, row, field);
    EXPECT_EQ(cellIndex(window, row, stored).data(AllocationGridModel::CellStateRole).toInt(),
              int(AllocationCellState::Removed));
    EXPECT_EQ(cellIndex(window, row, field).data(AllocationGridModel::CellStateRole).toInt(),
              int(AllocationCellState::New));
    const int category = window.grid().categoryOfField(field);
    ASSERT_GT(category, 0);
    button(window, "ApplyButton")->click();
    EXPECT_EQ(storedCategory(env, id), category);
    EXPECT_EQ(marks, 1);
    button(window, "OkButton")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(env.prompts.recorded().empty());
}

TEST(TFormDeratingCatagoryAllocation, ReadOnlyAndNormalOperation) {
    Environment env;
    // Mode 0 allocated elsewhere, and on an IEC reporting profile.
    env.exec(QStringLiteral("UPDATE TReportProfile SET UseIECReporting = 1 WHERE ReportProfileId = %1")
                 .arg(kDeratingProfile));
    env.exec(
        QStringLiteral("UPDATE TDerateCategoryAllocation SET ReportCategoryId = 5 WHERE ReportProfileId = %1 "
                       "AND PowerReductionModeId = 0")
            .arg(kDeratingProfile));
    ProfileInfo profile = profileInfo(env, kDeratingProfile);
    ASSERT_TRUE(profile.UseIECReporting);
    TFormDeratingCatagoryAllocation window(env.context);

    // Locked: shown as it is, captioned "Close", nothing changes.
    profile.Locked = true;
    window.Prepare(profile, {});
    ASSERT_TRUE(showAndLoad(window));
    EXPECT_EQ(button(window, "CancelButton")->text(), "Close");
    EXPECT_FALSE(button(window, "OkButton")->isEnabled());
    EXPECT_FALSE(button(window, "ApplyButton")->isEnabled());
    EXPECT_FALSE(window.dataSet().hasChanges());
    pressCell(window, 1, af::kFirstCategory);
    EXPECT_FALSE(window.dataSet().hasChanges());
    button(window, "CancelButton")->click();
    EXPECT_FALSE(window.isVisible());

    // Editable: mode 0 goes back to normal operation at once.
    profile.Locked = false;
    window.Prepare(profile, {});
    ASSERT_TRUE(showAndLoad(window));
    EXPECT_EQ(button(window, "CancelButton")->text(), "&Cancel");
    EXPECT_TRUE(button(window, "ApplyButton")->isEnabled());
    int row = -1;
    for (int r = 0; r < window.dataSet().recordCount() && row < 0; ++r)
        if (window.dataSet().valueAt(r, af::kKey).toInt() == 0) row = r;
    ASSERT_GE(row, 0);
    EXPECT_EQ(window.dataSet().valueAt(row, af::kCategory).toInt(), 1);
    button(window, "OkButton")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(env.scalar(QStringLiteral("SELECT ReportCategoryId FROM TDerateCategoryAllocation WHERE "
                                        "ReportProfileId = %1 AND PowerReductionModeId = 0")
                             .arg(kDeratingProfile))
                  .toInt(),
              1);
}
