// The regeneration command from the period dialog to the progress window,
// against the embedded database's own procedures (whose contract is tested
// in tests/reportdb): what is sent, what is refused, what is shown.

#include "ShadowTestSupport.h"
#include "shadowdata/ShadowDataRegeneration.h"
#include "shadowdata/TFormProgresser.h"
#include "shadowdata/TFormRGSDialog.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QDateEdit>
#include <QPushButton>

using shadow_test::Environment;
using shadow_test::WhenShown;

namespace {

// Two turbines with hourly raw data for ten days from 2024-01-01, in the
// profile.
void addRawData(Environment& env, int profileId) {
    env.database.exec(
        "INSERT INTO TUnitType (UnitTypeId, UnitTypeTitle, UnitTypeDevice, UnitTypeCapacity) VALUES (901, "
        "'T-2000', 'WTG', 2000);"
        "INSERT INTO TParkUnit (ParkUnitTitle, UnitTypeId) VALUES ('WTG 01', 901), ('WTG 02', 901)");
    env.database.exec(QStringLiteral("INSERT INTO TParkUnit_TReportProfile (ParkUnitId, ReportProfileId) "
                                     "SELECT ParkUnitId, %1 FROM TParkUnit WHERE UnitTypeId = 901")
                          .arg(profileId));
    env.database.exec(
        "INSERT INTO TRawData (ParkUnitId, PcTimeStamp, WindSpeed, ProductionKWh, EventCode) "
        "WITH RECURSIVE h(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM h WHERE n < 240) "
        "SELECT U.ParkUnitId, datetime('2024-01-01 00:00:00', '+' || n || ' hours'), 5 + n % 7, 100 + n % "
        "13, "
        "0 FROM h, TParkUnit AS U WHERE U.UnitTypeId = 901");
    env.database.exec(
        "INSERT INTO TRawDataTimeLimits (ParkUnitId, MinPcTimeStamp, MaxPcTimeStamp) "
        "SELECT ParkUnitId, min(PcTimeStamp), max(PcTimeStamp) FROM TRawData GROUP BY ParkUnitId");
}

}  // namespace

TEST(ShadowDataRegeneration, SendsThePeriodChosenAndReportsWhatCameOfIt) {
    Environment env("2.29.0.0");
    const int id = env.addProfile("Raw park", 0, 1);
    TFormRGSDialog periodDialog(env.context);
    TFormProgresser progresser(env.context);
    ShadowDataRegeneration regeneration(env.context, periodDialog, progresser);
    const QString noDatabase = "Provider=Embedded;Data Source=/no/such/folder/x.db";
    int refreshed = 0;

    enum Answer { Cancel, WholePeriod, Days };
    const struct {
        const char* name;
        std::function<void()> before;
        Answer answer;
        bool result;
        const char* sent;  // the start of the statement sent; nullptr: nothing sent
        bool followed;     // the progress window was shown
        std::vector<ui::Icon> prompts;
        int refreshes;
    } runs[] = {
        {"cancelled", [] {}, Cancel, false, nullptr, false, {}, 0},
        // Without raw data there is no whole period; unset dates are not sent.
        {"whole period without raw data", [] {}, WholePeriod, false, nullptr, false, {ui::Icon::Warning}, 0},
        // The dialog cannot read the limits and the start cannot connect.
        {"no database",
         [&] {
             env.context.Database().close();
             env.context.Database().setConnectionString(noDatabase);
         },
         Days,
         false,
         "DCE_SP_UpdateShadowDataForParkUnitsInProfile",
         false,
         {ui::Icon::Error, ui::Icon::Error},
         0},
        // A single day (flagged in the dialog) is still sent; the profile list
        // is refreshed once the regeneration is done.
        {"one day",
         [&] {
             env.context.Database().close();
             env.context.Database().setConnectionString(env.database.connectionString());
             addRawData(env, id);
         },
         Days,
         true,
         "DCE_SP_UpdateShadowDataForParkUnitsInProfile",
         true,
         {},
         1},
        {"whole period",
         [] {},
         WholePeriod,
         true,
         "DCE_SP_UpdateShadowDataForParkUnitsInProfile",
         true,
         {},
         1},
        // A job database queues a job; one for a profile that is gone is not
        // reported as started, and the database's reason is shown.
        {"job for a removed profile",
         [&] {
             // The one day, then the ten days of data (a sample at midnight
             // closes the day before) were regenerated.
             EXPECT_EQ(env.scalar("SELECT count(DISTINCT ShadowDate) FROM TShadowData").toInt(), 10);
             env.context.session().DBVersion = "3.28.0.0";
             env.database.exec(
                 QStringLiteral("DELETE FROM TReportProfile WHERE ReportProfileId = %1").arg(id));
         },
         WholePeriod,
         false,
         "WMS_JOB_CreateGenerateShadowDataJob",
         true,
         {ui::Icon::Error},
         0},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.name);
        run.before();
        const QString previous = regeneration.lastStatement();
        WhenShown choose(periodDialog, [&] {
            if (run.answer == Cancel) return periodDialog.findChild<QPushButton*>("ButtonCancel")->click();
            periodDialog.findChild<QCheckBox*>("CheckBoxWholePeriod")->setChecked(run.answer == WholePeriod);
            periodDialog.findChild<QDateEdit*>("DatePickerStart")->setDate(QDate(2024, 1, 5));
            periodDialog.findChild<QDateEdit*>("DatePickerStop")->setDate(QDate(2024, 1, 5));
            periodDialog.findChild<QPushButton*>("ButtonOK")->click();
        });
        // Ticks as often as the test polls, rather than once a second.
        WhenShown closeWhenDone(
            progresser, [&] { progresser.findChild<QPushButton*>("Button2")->click(); },
            [&] {
                if (progresser.isRunning()) progresser.TimerTimer();
                return !progresser.isRunning();
            });
        refreshed = 0;
        EXPECT_EQ(regeneration.Run(id, "Raw park",
                                   [&] {
                                       ++refreshed;
                                       EXPECT_EQ(env.status(id), 0);
                                   }),
                  run.result);
        EXPECT_TRUE(choose.fired());
        EXPECT_EQ(closeWhenDone.fired(), run.followed);
        if (run.sent) {
            EXPECT_TRUE(regeneration.lastStatement().startsWith(run.sent))
                << regeneration.lastStatement().toStdString();
        } else {
            EXPECT_EQ(regeneration.lastStatement(), previous);
        }
        std::vector<ui::Icon> icons;
        for (const auto& prompt : env.prompts.take()) icons.push_back(prompt.icon);
        EXPECT_EQ(icons, run.prompts);
        EXPECT_EQ(refreshed, run.refreshes);
    }
}
