// Applying a unit selection from the configuration window: removals after
// the confirmation, additions with the start date, each unit one call under
// the progress dialog, and what a refusal or a failure leaves.

#include "UnitsTestSupport.h"

#include <QPushButton>
#include <QTableView>

using namespace units_test;

namespace {

void click(QWidget& window, const char* name) {
    window.findChild<QPushButton*>(QLatin1String(name))->click();
}

// Runs Add and remove on `profile`: `choose` moves units in the dialog, the
// confirmation is answered `confirm`, the start date dialog takes its day.
void addAndRemove(Environment& env, int profile, const std::function<void()>& choose,
                  const char* confirm = "ButtonYes") {
    ASSERT_TRUE(env.open(profile));
    WhenShown select(env.select, [&] {
        choose();
        click(env.select, "ButtonOK");
    });
    WhenShown confirmation(env.deselected, [&] { click(env.deselected, confirm); });
    WhenShown date(env.startDate, [&] { env.startDate.ButtonOKClick(); });
    env.config.ButtonAddRemoveClick();
    EXPECT_TRUE(select.fired());
}

}  // namespace

TEST(UnitSelectionApply, TenDeselectedUnitsTenCallsAndAUnitOutsideTheSessionStays) {
    auto registry = reportdb::standardRegistry();
    const Counted deletes = count(*registry, "DCE_SP_DeleteParkUnitsWithProfileId");
    Environment env({.registry = registry, .sessionUnits = 11});
    addAndRemove(env, 1, [&] {
        click(env.select, "BitBtnDelAll");
        click(env.select, "BitBtnAdd");
    });
    EXPECT_EQ(*deletes.calls, 10);
    EXPECT_EQ(env.unitsOf(1), (QStringList{"1", "12"}));
    EXPECT_EQ(env.config.rows().recordCount(), 2);  // loaded again
}

TEST(UnitSelectionApply, DecliningRemovesNothingButStillAdds) {
    Environment env;
    env.prompts.allowMessages();
    addAndRemove(
        env, 5,
        [&] {
            click(env.select, "BitBtnAddAll");
            env.select.findChild<QTableView*>("TableViewSelected")->selectRow(0);
            click(env.select, "BitBtnDel");
        },
        "ButtonNo");
    const auto shown = env.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, env.text(383));
    EXPECT_EQ(env.unitsOf(5).size(), 12);
}

TEST(UnitSelectionApply, FailuresStopTheBatchAndAreReported) {
    auto registry = reportdb::standardRegistry();
    const Counted deletes = count(*registry, "DCE_SP_DeleteParkUnitsWithProfileId");
    const Counted adds = count(*registry, "DCE_SP_AddParkUnitToProfile");
    *deletes.failOn = 2;
    *adds.failOn = 3;
    Environment env({.registry = registry});
    env.prompts.allowMessages();
    addAndRemove(env, 1, [&] { click(env.select, "BitBtnDelAll"); });
    EXPECT_EQ(*deletes.calls, 2);
    EXPECT_EQ(env.unitsOf(1).size(), 11);
    addAndRemove(env, 6, [&] { click(env.select, "BitBtnAddAll"); });
    EXPECT_EQ(*adds.calls, 3);
    EXPECT_EQ(env.unitsOf(6), (QStringList{"1", "2"}));
    const auto shown = env.prompts.take();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[0].text.contains("refused by the test"));
    EXPECT_TRUE(shown[1].text.startsWith(env.text(386) + " "));
    EXPECT_TRUE(shown[1].text.contains("refused by the test"));
}

TEST(UnitSelectionApply, ANewProfileTakesEverySessionUnit) {
    Environment env;
    WhenShown date(env.startDate, [&] { env.startDate.ButtonOKClick(); });
    ASSERT_TRUE(env.config.AddAllSessionUnits(6, "New profile"));
    EXPECT_EQ(env.unitsOf(6).size(), 12);
    EXPECT_FALSE(env.select.isVisible());
}
