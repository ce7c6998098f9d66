// Categorization from the main window: the type question only for profiles
// that categorise derating sources or report by IEC, the category set and
// event list choice, the allocation windows, and the regeneration marker
// they set through the main window.

#include "MainWindowFixture.h"

#include "categorization/TFormCatagoryAllocation.h"
#include "categorization/TFormCatagorySelect.h"
#include "categorization/TFormDeratingCatagoryAllocation.h"
#include "categorization/TFormSelectCategorizationType.h"
#include "support/WhenShown.h"

#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace {

using testing_support::MainWindowFixture;
using testing_support::WhenShown;

constexpr int kWholePark = 1;  // IEC reporting
constexpr int kPhase1 = 2;     // locked
constexpr int kPhase2 = 3;     // derating categorisation
constexpr int kExport = 4;     // neither

QPushButton* button(QWidget& window, const char* name) { return window.findChild<QPushButton*>(name); }

}  // namespace

TEST(MainWindowCategorization, EventAllocationMarksTheProfileForRegeneration) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kExport));
    ASSERT_EQ(f.cell("ReportProfileRegeneratePendingFlag", "ReportProfileId = 4").toInt(), 0);
    const int otherFlag = f.cell("ReportProfileRegeneratePendingFlag", "ReportProfileId = 1").toInt();

    // No type question for this profile: the set and list choice comes first.
    WhenShown typeAsked(f.categorizationType, [&f] { f.categorizationType.reject(); });
    WhenShown choose(f.categorySelect, [&f] { button(f.categorySelect, "ButtonOK")->click(); });
    bool loaded = false;
    QObject::connect(&f.categoryAllocation, &categorization::CategoryAllocationWindow::loaded,
                     [&loaded](bool ok) { loaded = ok; });
    WhenShown allocate(
        f.categoryAllocation,
        [&f] {
            // Switch the allocation of the first code after normal operation.
            auto& grid = f.categoryAllocation.grid();
            int row = 0;
            while (row < grid.dataSet().recordCount() && !grid.isAllocated(row)) ++row;
            ASSERT_LT(row, grid.dataSet().recordCount());
            f.categoryAllocation.OvcDbTableCategoryCellActivated(
                row == 0 ? 1 : row, categorization::allocation_field::kFirstCategory + 1);
            // The list moves meanwhile; the window's profile is the one marked.
            ASSERT_TRUE(f.select(kWholePark));
            button(f.categoryAllocation, "OkButton")->click();
        },
        [&loaded] { return loaded; });
    f.window.ActionCategorizeEventsExecute();

    EXPECT_FALSE(typeAsked.fired());
    EXPECT_TRUE(choose.fired() || !f.categorySelect.isVisible());
    ASSERT_TRUE(allocate.fired());
    EXPECT_FALSE(f.categoryAllocation.isVisible());
    EXPECT_EQ(f.cell("ReportProfileRegeneratePendingFlag", "ReportProfileId = 4").toInt(), 1);
    EXPECT_EQ(f.cell("ReportProfileRegeneratePendingFlag", "ReportProfileId = 1").toInt(), otherFlag);
    EXPECT_EQ(f.window.currentProfile().ProfileId, kWholePark);
    EXPECT_TRUE(f.enabled("CategoryEventButton"));
}

TEST(MainWindowCategorization, DeratingProfilesAreAskedForTheType) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kPhase2));

    {
        WhenShown chooseDerating(f.categorizationType, [&f] {
            f.categorizationType.findChild<QRadioButton*>("RadioButtonDerateSourceCategorization")
                ->setChecked(true);
            button(f.categorizationType, "ButtonOK")->click();
        });
        bool loaded = false;
        QObject::connect(&f.deratingAllocation, &categorization::CategoryAllocationWindow::loaded,
                         [&loaded](bool ok) { loaded = ok; });
        WhenShown closeDerating(
            f.deratingAllocation, [&f] { button(f.deratingAllocation, "CancelButton")->click(); },
            [&loaded] { return loaded; });
        WhenShown eventChoice(f.categorySelect, [&f] { f.categorySelect.reject(); });
        f.window.ActionCategorizeEventsExecute();

        EXPECT_TRUE(chooseDerating.fired());
        EXPECT_TRUE(closeDerating.fired());
        EXPECT_FALSE(eventChoice.fired());
        EXPECT_EQ(f.deratingAllocation.profile().ReportProfileId, kPhase2);
    }  // the watchers of the derating path end here

    // Cancelling the type question goes on with the event path.
    ASSERT_TRUE(f.select(kWholePark));
    WhenShown cancelType(f.categorizationType, [&f] { f.categorizationType.reject(); });
    WhenShown cancelChoice(f.categorySelect, [&f] { f.categorySelect.reject(); });
    f.window.ActionCategorizeEventsExecute();
    EXPECT_TRUE(cancelType.fired());
    EXPECT_TRUE(cancelChoice.fired());
    EXPECT_FALSE(f.categoryAllocation.isVisible());
}

TEST(MainWindowCategorization, ImportAndRemapFollowTheLockOfTheSelectedProfile) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kPhase1));
    EXPECT_FALSE(f.categoryAllocation.importAndRemapAllowed());
    EXPECT_FALSE(f.deratingAllocation.importAndRemapAllowed());
    ASSERT_TRUE(f.select(kExport));
    EXPECT_TRUE(f.categoryAllocation.importAndRemapAllowed());
    EXPECT_TRUE(f.deratingAllocation.importAndRemapAllowed());
}

TEST(MainWindowCategorization, CategoryConfigurationSavesAndMarksTheProfile) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kExport));
    bool loaded = false;
    QObject::connect(&f.categoryDetails, &TFormCategoryDetails::loaded, [&loaded](bool ok) { loaded = ok; });
    WhenShown accept(
        f.categoryDetails,
        [&f] {
            // A change: OK without one marks nothing.
            f.categoryDetails.findChild<QListWidget*>("CheckListBoxCategory")
                ->item(5)
                ->setCheckState(Qt::Unchecked);
            button(f.categoryDetails, "OkButton")->click();
        },
        [&loaded] { return loaded; });
    f.window.ActionCategoryConfigurationExecute();
    ASSERT_TRUE(accept.fired());
    EXPECT_FALSE(f.categoryDetails.isVisible());
    EXPECT_EQ(f.categoryDetails.windowTitle(),
              f.context.texts().profile(104) + QStringLiteral(" (Monthly availability export)"));
    EXPECT_EQ(f.cell("ReportProfileRegeneratePendingFlag", "ReportProfileId = 4").toInt(), 1);
    EXPECT_EQ(f.window.currentProfile().ProfileId, kExport);
}
