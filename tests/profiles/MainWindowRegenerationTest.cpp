// The windows the main window opens for its profile: the regeneration and
// the watch that follows it, the categorization paths and the unit
// configuration with the regeneration marker they set, and the print.

#include "MainWindowFixture.h"

#include "categorization/TFormCatagoryAllocation.h"
#include "categorization/TFormCatagorySelect.h"
#include "categorization/TFormCategoryDetails.h"
#include "categorization/TFormDeratingCatagoryAllocation.h"
#include "categorization/TFormSelectCategorizationType.h"
#include "reports/ReportJobs.h"
#include "shadowdata/TFormProgresser.h"
#include "shadowdata/TFormRGSDialog.h"
#include "support/WhenShown.h"
#include "support/Widgets.h"
#include "ui/Waiting.h"
#include "units/TFormParkUnitConfig.h"

#include <QCheckBox>
#include <QDate>
#include <QDateEdit>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

using namespace testing_support;

// The command from the period dialog through the progress window to the
// list, which follows the profiles' status for a while after every
// regeneration, and for as long as one of them regenerates.
TEST(MainWindowRegeneration, FromThePeriodToTheWatchedList) {
    auto fail = std::make_shared<bool>(false);
    auto registry = reportdb::standardRegistry();
    reportdb::ProcedureDefinition direct = *registry->find("DCE_SP_UpdateShadowDataForParkUnitsInProfile");
    direct.body = [fail, standard = direct.body](reportdb::ProcedureContext& c,
                                                 const reportdb::Arguments& a) {
        if (!*fail) return standard(c, a);
        c.step([&] {
            c.exec("UPDATE TReportProfile SET ReportProfileStatus = -1 WHERE ReportProfileId = ?",
                   {a.toInt("@ReportProfileId")});
        });
        return reportdb::ProcedureResult::failure("The disk is full");
    };
    registry->add(direct);
    MainWindowSetup setup;
    setup.registry = registry;
    MainWindowFixture f(setup);
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kPhase2));
    auto& texts = f.context.texts();
    auto& database = f.context.Database();
    TFormRGSDialog& period = *f.windows.rgsDialog;
    TFormProgresser& progress = *f.windows.progresser;
    const QDate lastDay = reportdb::demo::lastDataDay();

    const auto nothing = [] {};
    const auto noRawData = [&] {
        f.database.exec(
            "CREATE TABLE Kept AS SELECT * FROM TRawDataTimeLimits; DELETE FROM TRawDataTimeLimits");
    };
    const auto noDatabase = [&] {
        f.database.exec("INSERT INTO TRawDataTimeLimits SELECT * FROM Kept");
        database.close();
        database.setConnectionString("Provider=Embedded;Data Source=/no/such.db");
    };
    const auto oldDatabase = [&] {
        database.setConnectionString(f.database.connectionString());
        f.context.session().DBVersion = "2.29.0.0";
    };
    const auto failing = [&] { *fail = true; };
    const auto jobDatabase = [&] { f.context.session().DBVersion = "3.28.0.0"; };
    enum Answer { Cancel, WholePeriod, LastDay };
    const struct {
        const char* name;
        std::function<void()> before;
        Answer answer;
        std::vector<ui::Icon> prompts;
        QString outcome;  // empty: no progress window
        int statusText;   // the list's after a round of the watch (0: not looked at)
    } runs[] = {
        {"cancelled", nothing, Cancel, {}, {}, 295},
        // Without raw data there is no whole period; unset dates are not sent.
        {"whole period without raw data", noRawData, WholePeriod, {ui::Icon::Warning}, {}, 295},
        // The dialog cannot read the limits, and the start cannot connect.
        {"no database", noDatabase, LastDay, {ui::Icon::Error, ui::Icon::Error}, {}, 0},
        // Regenerated in the call; the list is refreshed then.
        {"direct", oldDatabase, LastDay, {}, TFormProgresser::kRegenerated, 290},
        {"failed in the database",
         failing,
         WholePeriod,
         {ui::Icon::Error},
         TFormProgresser::kNotRegenerated,
         297},
        // A job database queues a job and returns; the job runs on.
        {"job", jobDatabase, LastDay, {}, TFormProgresser::kJobStarted, 0},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.name);
        run.before();
        WhenShown choose(period, [&] {
            if (run.answer == Cancel) return period.reject();
            period.findChild<QCheckBox*>("CheckBoxWholePeriod")->setChecked(run.answer == WholePeriod);
            period.findChild<QDateEdit*>("DatePickerStart")->setDate(lastDay);
            period.findChild<QDateEdit*>("DatePickerStop")->setDate(lastDay);
            child(period, "ButtonOK")->click();
        });
        // Ticks as often as the test polls, rather than once a second.
        QString outcome;
        WhenShown close(
            progress,
            [&] {
                outcome = progress.findChild<QLabel*>("Label2")->text();
                child(progress, "Button2")->click();
            },
            [&] {
                if (progress.isRunning()) progress.TimerTimer();
                return !progress.isRunning();
            });
        f.window.ActionRegenerateShadowDataExecute();
        EXPECT_TRUE(choose.fired());
        EXPECT_EQ(outcome, run.outcome);
        std::vector<ui::Icon> icons;
        for (const auto& prompt : f.prompts.take()) icons.push_back(prompt.icon);
        EXPECT_EQ(icons, run.prompts);
        EXPECT_TRUE(f.window.isWatching());
        if (run.statusText == 0) continue;
        f.window.TimerRegenationStatusTimer();
        EXPECT_EQ(f.gridText(2, "StatusText"), texts.profile(run.statusText));
    }
    // The watch shows the job's end.
    ASSERT_TRUE(ui::waitUntil(
        [&] {
            return f.database.scalar("SELECT count(*) FROM TJob WHERE FinishedAt IS NOT NULL").toInt() > 0;
        },
        10, 20000));
    f.window.TimerRegenationStatusTimer();
    EXPECT_EQ(f.gridText(2, "StatusText"), texts.profile(290));

    // Another regeneration runs meanwhile: the watch goes on past its rounds.
    f.database.exec("UPDATE TReportProfile SET ReportProfileStatus = 3 WHERE ReportProfileId = 3");
    for (int round = 0; round < 12; ++round) f.window.TimerRegenationStatusTimer();
    EXPECT_TRUE(f.window.isWatching());
    EXPECT_TRUE(f.gridText(2, "StatusText").startsWith(texts.profile(296)));
    f.database.exec("UPDATE TReportProfile SET ReportProfileStatus = 0 WHERE ReportProfileId = 3");
    f.window.TimerRegenationStatusTimer();
    EXPECT_FALSE(f.window.isWatching());
}

TEST(MainWindowCategorization, TheTypeQuestionLeadsToAnAllocationWindowThatMarksTheCommandsProfile) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    auto& w = f.windows;
    const int wholeParkFlag = f.cell("ReportProfileRegeneratePendingFlag", kWholePark).toInt();
    bool loaded = false;
    const auto onLoaded = [&loaded](bool ok) { loaded = ok; };
    QObject::connect(w.categoryAllocation.get(), &categorization::CategoryAllocationWindow::loaded, onLoaded);
    QObject::connect(w.deratingAllocation.get(), &categorization::CategoryAllocationWindow::loaded, onLoaded);
    const auto isLoaded = [&loaded] { return loaded; };

    {
        SCOPED_TRACE("event allocation of a profile without derating: no type question");
        ASSERT_TRUE(f.select(kExportProfile));
        WhenShown typeAsked(*w.categorizationType, [&] { w.categorizationType->reject(); });
        WhenShown choose(*w.categorySelect, [&] { child(*w.categorySelect, "ButtonOK")->click(); });
        WhenShown allocate(
            *w.categoryAllocation,
            [&] {
                auto& grid = w.categoryAllocation->grid();
                int row = 0;
                while (row < grid.dataSet().recordCount() && !grid.isAllocated(row)) ++row;
                ASSERT_LT(row, grid.dataSet().recordCount());
                w.categoryAllocation->OvcDbTableCategoryCellActivated(
                    row == 0 ? 1 : row, categorization::allocation_field::kFirstCategory + 1);
                // The list moves meanwhile; the window's profile is the one marked.
                ASSERT_TRUE(f.select(kWholePark));
                child(*w.categoryAllocation, "OkButton")->click();
            },
            isLoaded);
        f.window.ActionCategorizeEventsExecute();
        EXPECT_FALSE(typeAsked.fired());
        ASSERT_TRUE(allocate.fired());
        EXPECT_EQ(f.cell("ReportProfileRegeneratePendingFlag", kExportProfile).toInt(), 1);
        EXPECT_EQ(f.cell("ReportProfileRegeneratePendingFlag", kWholePark).toInt(), wholeParkFlag);
        EXPECT_EQ(f.window.currentProfile().ProfileId, kWholePark);
        EXPECT_TRUE(f.enabled("CategoryEventButton"));
    }
    {
        SCOPED_TRACE("a profile that categorises derating sources, asked for the type");
        ASSERT_TRUE(f.select(kPhase2));
        loaded = false;
        WhenShown chooseDerating(*w.categorizationType, [&] {
            w.categorizationType->findChild<QRadioButton*>("RadioButtonDerateSourceCategorization")
                ->setChecked(true);
            child(*w.categorizationType, "ButtonOK")->click();
        });
        WhenShown closeDerating(
            *w.deratingAllocation, [&] { child(*w.deratingAllocation, "CancelButton")->click(); }, isLoaded);
        WhenShown eventChoice(*w.categorySelect, [&] { w.categorySelect->reject(); });
        f.window.ActionCategorizeEventsExecute();
        EXPECT_TRUE(closeDerating.fired());
        EXPECT_FALSE(eventChoice.fired());
        EXPECT_EQ(w.deratingAllocation->profile().ReportProfileId, kPhase2);
    }
    // The next question starts with events again; a cancelled one goes on
    // with events, whatever was chosen.
    ASSERT_TRUE(f.select(kWholePark));
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "derating chosen, then cancelled" : "OK on the next question");
        WhenShown type(*w.categorizationType, [&] {
            if (!cancel) return child(*w.categorizationType, "ButtonOK")->click();
            w.categorizationType->findChild<QRadioButton*>("RadioButtonDerateSourceCategorization")
                ->setChecked(true);
            child(*w.categorizationType, "ButtonCancel")->click();
        });
        WhenShown derating(*w.deratingAllocation, [&] { w.deratingAllocation->reject(); });
        WhenShown eventChoice(*w.categorySelect, [&] { w.categorySelect->reject(); });
        f.window.ActionCategorizeEventsExecute();
        EXPECT_TRUE(type.fired() && eventChoice.fired());
        EXPECT_FALSE(derating.fired());
    }
}

TEST(MainWindowCategorization, TheCategoryConfigurationMarksTheCommandsProfile) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    TFormCategoryDetails& details = *f.windows.categoryDetails;
    const int wholeParkFlag = f.cell("ReportProfileRegeneratePendingFlag", kWholePark).toInt();
    bool loaded = false;
    QObject::connect(&details, &TFormCategoryDetails::loaded, [&loaded](bool ok) { loaded = ok; });
    ASSERT_TRUE(f.select(kNorthRow));
    WhenShown accept(
        details,
        [&] {
            details.findChild<QListWidget*>("CheckListBoxCategory")->item(5)->setCheckState(Qt::Unchecked);
            ASSERT_TRUE(f.select(kWholePark));
            child(details, "OkButton")->click();
        },
        [&loaded] { return loaded; });
    f.window.ActionCategoryConfigurationExecute();
    ASSERT_TRUE(accept.fired());
    EXPECT_EQ(f.cell("ReportProfileRegeneratePendingFlag", kNorthRow).toInt(), 1);
    EXPECT_EQ(f.cell("ReportProfileRegeneratePendingFlag", kWholePark).toInt(), wholeParkFlag);
}

TEST(MainWindowPrint, HandsTheWindowAndTheProfileListToTheReportMenu) {
    MainWindowFixture f;
    TFormReportMenu& menu = *f.windows.reportMenu;
    ASSERT_TRUE(f.start());
    bool checked = false;
    QObject::connect(&menu, &TFormReportMenu::printerChecked, [&checked] { checked = true; });
    WhenShown shown(
        menu, [&] { child(menu, "ButtonClose")->click(); }, [&checked] { return checked; });
    f.window.findChild<QToolButton*>("SpeedButtonPrint")->click();
    ASSERT_TRUE(shown.fired());
    const reports::ReportSource& source = menu.source();
    EXPECT_EQ(source.dataSet, &f.window.profileList());
    EXPECT_EQ(source.window, &f.window);
    EXPECT_EQ(source.headerTexts[0], reports::applicationTitle());
    EXPECT_EQ(source.headerTexts[1], QLocale().toString(QDate::currentDate(), QLocale::LongFormat));
}

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
