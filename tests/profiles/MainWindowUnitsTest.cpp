// "Select and edit units" from the main window: the configuration opens for
// the selected profile, and an applied edit marks that profile for
// regeneration while the list stays on it.

#include "MainWindowFixture.h"

#include "support/WhenShown.h"
#include "ui/Waiting.h"
#include "units/TFormParkUnitConfig.h"

#include <QPushButton>

using namespace testing_support;

TEST(MainWindowUnits, AnAppliedConfigurationMarksItsProfile) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kNorthRow));
    ASSERT_EQ(f.cell("ReportProfileRegeneratePendingFlag", kNorthRow).toInt(), 0);
    TFormParkUnitConfig& config = *f.windows.parkUnitConfig;
    bool loaded = false;
    QObject::connect(&config, &TFormParkUnitConfig::loaded, [&loaded] { loaded = true; });
    WhenShown edit(
        config,
        [&] {
            auto* model = config.grid()->model();
            model->setData(model->index(0, 2), 95);  // hub height of the first turbine
            config.findChild<QPushButton*>("OkButton")->click();
        },
        [&loaded] { return loaded; });
    f.window.ActionSelectAndEditUnitsExecute();
    ASSERT_TRUE(edit.fired());
    EXPECT_EQ(f.cell("ReportProfileRegeneratePendingFlag", kNorthRow).toInt(), 1);
    EXPECT_EQ(f.window.currentProfile().ProfileId, kNorthRow);
    EXPECT_EQ(f.database
                  .scalar("SELECT HubHeightAltitude FROM TParkUnit_TReportProfile WHERE ReportProfileId = 5 "
                          "ORDER BY ParkUnitId LIMIT 1")
                  .toInt(),
              95);
}
