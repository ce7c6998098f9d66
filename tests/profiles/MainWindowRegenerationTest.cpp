// The windows the main window opens for its profile: the regeneration and
// the watch that follows it, the categorization paths with the regeneration
// marker they set, and the print.

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

#include <QCheckBox>
#include <QDate>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

using namespace testing_support;

namespace {

QPushButton* button(QWidget& window, const char* name) { return window.findChild<QPushButton*>(name); }

// Runs the regeneration command; the period dialog is accepted for the whole
// period (or cancelled), the progress window ticked until it ends and closed.
void regenerate(MainWindowFixture& f, bool accept) {
    TFormRGSDialog& period = *f.windows.rgsDialog;
    TFormProgresser& progress = *f.windows.progresser;
    WhenShown choose(period, [&] {
        if (!accept) return period.reject();
        period.findChild<QCheckBox*>("CheckBoxWholePeriod")->setChecked(true);
        button(period, "ButtonOK")->click();
    });
    WhenShown close(
        progress, [&] { button(progress, "Button2")->click(); },
        [&] {
            if (progress.isRunning()) progress.TimerTimer();
            return !progress.isRunning();
        });
    f.window.ActionRegenerateShadowDataExecute();
    EXPECT_TRUE(choose.fired());
    EXPECT_EQ(close.fired(), accept);
}

}  // namespace

// Whatever came of a regeneration, the list follows the profiles' status for
// a while, and for as long as one of them regenerates.
TEST(MainWindowRegeneration, TheListIsWatchedAfterEveryRegeneration) {
    auto registry = reportdb::standardRegistry();
    reportdb::ProcedureDefinition failing = *registry->find("DCE_SP_UpdateShadowDataForParkUnitsInProfile");
    failing.body = [](reportdb::ProcedureContext& c, const reportdb::Arguments& args) {
        c.step([&] {
            c.exec("UPDATE TReportProfile SET ReportProfileStatus = -1 WHERE ReportProfileId = ?",
                   {args.toInt("@ReportProfileId")});
        });
        return reportdb::ProcedureResult::failure("The disk is full");
    };
    registry->add(failing);
    MainWindowSetup setup;
    setup.version = "2.29.0.0";
    setup.registry = registry;
    MainWindowFixture f(setup);
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kPhase2));
    const auto status = [&f] { return f.gridText(2, "StatusText"); };
    auto& texts = f.context.texts();

    regenerate(f, false);
    EXPECT_TRUE(f.window.isWatching());
    regenerate(f, true);
    EXPECT_EQ(f.prompts.take().size(), 1u);  // the database's reason
    EXPECT_TRUE(f.window.isWatching());
    f.window.TimerRegenationStatusTimer();
    EXPECT_EQ(status(), texts.profile(297));

    // Another regeneration runs meanwhile: the watch goes on past its rounds.
    f.database.exec("UPDATE TReportProfile SET ReportProfileStatus = 3 WHERE ReportProfileId = 3");
    for (int round = 0; round < 12; ++round) f.window.TimerRegenationStatusTimer();
    EXPECT_TRUE(f.window.isWatching());
    EXPECT_TRUE(status().startsWith(texts.profile(296)));
    f.database.exec("UPDATE TReportProfile SET ReportProfileStatus = 0 WHERE ReportProfileId = 3");
    f.window.TimerRegenationStatusTimer();
    EXPECT_FALSE(f.window.isWatching());
    EXPECT_EQ(status(), texts.profile(295));
}

TEST(MainWindowCategorization, EachPathOpensItsWindowsAndMarksTheCommandsProfile) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    auto& w = f.windows;
    const int wholeParkFlag = f.cell("ReportProfileRegeneratePendingFlag", kWholePark).toInt();
    bool loaded = false;
    const auto onLoaded = [&loaded](bool ok) { loaded = ok; };
    QObject::connect(w.categoryAllocation.get(), &categorization::CategoryAllocationWindow::loaded, onLoaded);
    QObject::connect(w.deratingAllocation.get(), &categorization::CategoryAllocationWindow::loaded, onLoaded);
    QObject::connect(w.categoryDetails.get(), &TFormCategoryDetails::loaded, onLoaded);
    const auto isLoaded = [&loaded] { return loaded; };

    {
        SCOPED_TRACE("event allocation of a profile without derating: no type question");
        ASSERT_TRUE(f.select(kExportProfile));
        WhenShown typeAsked(*w.categorizationType, [&] { w.categorizationType->reject(); });
        WhenShown choose(*w.categorySelect, [&] { button(*w.categorySelect, "ButtonOK")->click(); });
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
                button(*w.categoryAllocation, "OkButton")->click();
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
            button(*w.categorizationType, "ButtonOK")->click();
        });
        WhenShown closeDerating(
            *w.deratingAllocation, [&] { button(*w.deratingAllocation, "CancelButton")->click(); }, isLoaded);
        WhenShown eventChoice(*w.categorySelect, [&] { w.categorySelect->reject(); });
        f.window.ActionCategorizeEventsExecute();
        EXPECT_TRUE(closeDerating.fired());
        EXPECT_FALSE(eventChoice.fired());
        EXPECT_EQ(w.deratingAllocation->profile().ReportProfileId, kPhase2);
    }
    {
        SCOPED_TRACE("cancelling the type question goes on with the event path");
        ASSERT_TRUE(f.select(kWholePark));
        WhenShown cancelType(*w.categorizationType, [&] { w.categorizationType->reject(); });
        WhenShown cancelChoice(*w.categorySelect, [&] { w.categorySelect->reject(); });
        f.window.ActionCategorizeEventsExecute();
        EXPECT_TRUE(cancelType.fired());
        EXPECT_TRUE(cancelChoice.fired());
    }
    {
        SCOPED_TRACE("the category configuration saves a change and marks its profile");
        ASSERT_TRUE(f.select(kNorthRow));
        loaded = false;
        WhenShown accept(
            *w.categoryDetails,
            [&] {
                w.categoryDetails->findChild<QListWidget*>("CheckListBoxCategory")
                    ->item(5)
                    ->setCheckState(Qt::Unchecked);
                ASSERT_TRUE(f.select(kWholePark));
                button(*w.categoryDetails, "OkButton")->click();
            },
            isLoaded);
        f.window.ActionCategoryConfigurationExecute();
        ASSERT_TRUE(accept.fired());
        EXPECT_EQ(f.cell("ReportProfileRegeneratePendingFlag", kNorthRow).toInt(), 1);
        EXPECT_EQ(f.cell("ReportProfileRegeneratePendingFlag", kWholePark).toInt(), wholeParkFlag);
    }
}

TEST(MainWindowPrint, HandsTheWindowAndTheProfileListToTheReportMenu) {
    MainWindowFixture f;
    TFormReportMenu& menu = *f.windows.reportMenu;
    ASSERT_TRUE(f.start());
    bool checked = false;
    QObject::connect(&menu, &TFormReportMenu::printerChecked, [&checked] { checked = true; });
    WhenShown shown(
        menu, [&] { button(menu, "ButtonClose")->click(); }, [&checked] { return checked; });
    f.window.findChild<QToolButton*>("SpeedButtonPrint")->click();
    ASSERT_TRUE(shown.fired());
    const reports::ReportSource& source = menu.source();
    EXPECT_EQ(source.dataSet, &f.window.profileList());
    EXPECT_EQ(source.window, &f.window);
    EXPECT_EQ(source.headerTexts[0], reports::applicationTitle());
    EXPECT_EQ(source.headerTexts[1], QLocale().toString(QDate::currentDate(), QLocale::LongFormat));
}
