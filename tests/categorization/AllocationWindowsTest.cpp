// The event and derating allocation windows on the demo database: clicks
// through the grid held until saved (across a restore and a refused save),
// the row indicator, the close question, the editing rule, a save of many
// calls in one transaction, a failed load, and print and copy.

#include "AllocationTestSupport.h"
#include "categorization/TFormCatagoryAllocation.h"
#include "categorization/TFormDeratingCatagoryAllocation.h"
#include "reports/TFormExport.h"
#include "reports/TFormReportMenu.h"

#include <gtest/gtest.h>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <optional>

using namespace categorization;
using namespace allocation_test;
namespace af = categorization::allocation_field;
using categorization_test::WhenShown;
using testing_support::RecordedPrompt;

namespace {

constexpr int kProfile = 5;  // not locked, no IEC reporting
constexpr int kIecProfile = 1;
constexpr int kDeratingProfile = 3;

template <typename T = QPushButton>
T* child(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QLatin1String(name));
    EXPECT_TRUE(found) << name;
    return found;
}

qlonglong allocationId(CategoryAllocationWindow& window, int row) {
    return window.dataSet().valueAt(row, af::kAllocationId).toLongLong();
}

int state(CategoryAllocationWindow& window, int row, int field) {
    return cellIndex(window, row, field).data(AllocationGridModel::CellStateRole).toInt();
}

// The first row of the view that `accept` takes (-1: none).
template <typename F>
int findRow(CategoryAllocationWindow& window, F accept) {
    for (int r = 0; r < window.dataSet().recordCount(); ++r)
        if (accept(r)) return r;
    return -1;
}

int rowOf(CategoryAllocationWindow& window, qlonglong id) {
    return findRow(window, [&](int r) { return allocationId(window, r) == id; });
}

// A switched-on row other than code 0 whose cell in `field` is not allocated.
int freeRow(CategoryAllocationWindow& window, int field) {
    return findRow(window, [&](int r) {
        return window.dataSet().valueAt(r, af::kNumber).toInt() != 0 && !window.grid().isSwitchedOff(r) &&
               window.grid().cellState(r, field) == AllocationCellState::NotAllocated;
    });
}

// The event window of the demo database, its load and save procedures wrapped.
struct EventWindow {
    EventWindow()
        : registry(reportdb::standardRegistry()),
          select(wrapProcedure(*registry, "WMS_SP_REP_SelectCategoryAllocationForProfile", 1001)),
          update(wrapProcedure(*registry, "WMS_SP_REP_UpdateCategoryAllocation", 1002)),
          env({.registry = registry}),
          window(env.context) {}

    bool open(int profileId = kProfile) {
        profile = profileInfo(env, profileId);
        selection = selectionFor(env, profileId);
        window.Prepare(profile, selection, [this] { ++marks; });
        return showAndLoad(window);
    }
    int category(qlonglong id) const {
        return env
            .scalar(
                QStringLiteral("SELECT ReportCategoryId FROM TCategoryAllocation_TReportCategorySet WHERE "
                               "CategoryAllocationId = %1 AND ReportCategorySetId = 1")
                    .arg(id))
            .toInt();
    }
    QPushButton* button(const char* name) { return child(window, name); }

    std::shared_ptr<reportdb::ProcedureRegistry> registry;
    WrappedProcedure select;
    WrappedProcedure update;
    Environment env;
    TFormCatagoryAllocation window;
    ProfileInfo profile;
    CategorySelection selection;
    int marks = 0;
};

}  // namespace

TEST(TFormCatagoryAllocation, ClicksAreHeldAcrossARestoreAndARefusedSaveUntilApplied) {
    EventWindow w;
    ASSERT_TRUE(w.open());
    CategoryAllocationWindow& window = w.window;
    // The load's responsible sources reach the titles.
    const QRegularExpression sourceTitle(QStringLiteral(".+ .+ \\(\\d+\\)$"));
    EXPECT_GE(
        findRow(window,
                [&](int r) {
                    return sourceTitle.match(window.dataSet().valueAt(r, af::kTitle).toString()).hasMatch();
                }),
        0);
    EXPECT_FALSE(w.button("ApplyButton")->isEnabled());

    const int field = af::kFirstCategory + 1;
    const int row = freeRow(window, field);
    ASSERT_GE(row, 0);
    const qlonglong id = allocationId(window, row);
    const int before = w.category(id);
    const int category = window.grid().categoryOfField(field);
    pressCell(window, row, field);
    EXPECT_EQ(state(window, row, field), int(AllocationCellState::New));
    EXPECT_TRUE(w.button("ApplyButton")->isEnabled());

    // Minimised and restored, hidden and shown: no reload is started.
    window.showMinimized();
    window.showNormal();
    window.hide();
    window.show();
    EXPECT_FALSE(child<QTimer>(window, "Timer")->isActive());

    // Refused: nothing written, the edit and Apply stay for another try.
    w.update.failNext();
    w.button("ApplyButton")->click();
    std::vector<RecordedPrompt> shown = w.env.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, w.env.context.texts().profile(CategoryAllocationWindow::kTextSaveFailed));
    EXPECT_EQ(w.category(id), before);
    EXPECT_EQ(w.marks, 0);
    EXPECT_EQ(state(window, rowOf(window, id), field), int(AllocationCellState::New));
    EXPECT_TRUE(w.button("ApplyButton")->isEnabled());

    // Applied: written and marked once; the user keeps his cell.
    w.button("ApplyButton")->click();
    EXPECT_EQ(w.category(id), category);
    EXPECT_EQ(w.marks, 1);
    const int rowAfter = rowOf(window, id);
    EXPECT_EQ(state(window, rowAfter, field), int(AllocationCellState::Kept));
    EXPECT_FALSE(w.button("ApplyButton")->isEnabled());
    EXPECT_EQ(window.table()->currentRow(), rowAfter);
    EXPECT_EQ(window.table()->currentField(), field);

    // Space works the current cell: off and on again leaves nothing to ask about.
    QTest::keyClick(window.table()->cellView(), Qt::Key_Space);
    EXPECT_EQ(state(window, rowAfter, field), int(AllocationCellState::Removed));
    QTest::keyClick(window.table()->cellView(), Qt::Key_Space);
    EXPECT_EQ(state(window, rowAfter, field), int(AllocationCellState::Kept));
    w.button("CancelButton")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(w.env.prompts.recorded().empty());
}

TEST(TFormCatagoryAllocation, ClosingAsksAboutTheCorrectionOfCodeZero) {
    EventWindow w;
    const auto codeZero = [&](int profileId) {
        const qlonglong id =
            w.env
                .scalar(QStringLiteral("SELECT CA.CategoryAllocationId FROM TCategoryAllocation AS CA INNER "
                                       "JOIN TEventCode AS EC ON EC.EventCodeId = CA.EventCodeId WHERE "
                                       "CA.ReportProfileId = %1 AND EC.EventListId = %2 AND "
                                       "EC.EventCodeNumber = 0 ORDER BY 1")
                            .arg(profileId)
                            .arg(selectionFor(w.env, profileId).EventListId))
                .toLongLong();
        w.env.exec(QStringLiteral("UPDATE TCategoryAllocation_TReportCategorySet SET ReportCategoryId = 3 "
                                  "WHERE CategoryAllocationId = %1 AND ReportCategorySetId = 1")
                       .arg(id));
        return id;
    };
    const qlonglong zero = codeZero(kProfile);
    ASSERT_GT(zero, 0);
    struct Case {
        const char* what;
        ui::Button answer;
        bool saveFails;
        int stored;
        int marks;
    };
    const Case cases[] = {
        {"No drops it", ui::Button::No, false, 3, 0},
        {"a Yes whose save fails keeps the window open", ui::Button::Yes, true, 3, 0},
        {"Yes saves it", ui::Button::Yes, false, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(w.open());
        EXPECT_TRUE(w.button("ApplyButton")->isEnabled());  // something to save at once
        if (c.saveFails) w.update.failNext();
        w.env.prompts.answer(c.answer);
        QTest::keyClick(w.window.table()->cellView(), Qt::Key_Escape);
        const std::vector<RecordedPrompt> shown = w.env.prompts.take();
        ASSERT_EQ(shown.size(), c.saveFails ? 2u : 1u);
        EXPECT_EQ(shown[0].kind, RecordedPrompt::Kind::Question);
        EXPECT_EQ(w.window.isVisible(), c.saveFails);
        EXPECT_EQ(w.category(zero), c.stored);
        EXPECT_EQ(w.marks, c.marks);
        if (w.window.isVisible()) {
            w.env.prompts.answer(ui::Button::No);
            w.window.reject();
            w.env.prompts.take();
        }
    }
    // IEC reporting profiles keep their code 0: nothing to save, nothing to ask.
    const qlonglong iecZero = codeZero(kIecProfile);
    ASSERT_TRUE(w.open(kIecProfile));
    ASSERT_TRUE(w.profile.UseIECReporting);
    EXPECT_FALSE(w.button("ApplyButton")->isEnabled());
    w.window.reject();
    EXPECT_TRUE(w.env.prompts.recorded().empty());
    EXPECT_EQ(w.category(iecZero), 3);
}

TEST(TFormCatagoryAllocation, SwitchingCodesOffThroughTheRowIndicator) {
    EventWindow w;
    ASSERT_TRUE(w.open());
    CategoryAllocationWindow& window = w.window;
    const int collapsedRows = window.model()->rowCount();
    child<QToolButton>(window, "Expand")->click();

    // An allocated code cannot be switched off.
    const int row = findRow(window, [&](int r) {
        return window.dataSet().valueAt(r, af::kNumber).toInt() != 0 && window.grid().isAllocated(r) &&
               !window.grid().isSwitchedOff(r);
    });
    ASSERT_GE(row, 0);
    clickRowIndicator(window, row);
    const auto text = [&](int number) { return w.env.context.texts().profile(number); };
    EXPECT_EQ(w.env.prompts.lastText(), text(CategoryAllocationWindow::kTextSwitchOffAllocated));
    EXPECT_FALSE(window.grid().isSwitchedOff(row));

    // Its allocation taken away first, it can; then it takes no allocation.
    const qlonglong id = allocationId(window, row);
    pressCell(window, row, window.grid().storedField(id));
    clickRowIndicator(window, row);
    EXPECT_TRUE(window.grid().isSwitchedOff(row));
    pressCell(window, row, af::kFirstCategory);
    EXPECT_EQ(w.env.prompts.lastText(), text(CategoryAllocationWindow::kTextAllocateSwitchedOff));
    EXPECT_EQ(w.env.prompts.take().size(), 2u);
    EXPECT_FALSE(window.grid().isAllocated(row));

    w.button("ApplyButton")->click();
    EXPECT_EQ(w.env
                  .scalar(QStringLiteral("SELECT CategoryAllocationDisabled FROM TCategoryAllocation WHERE "
                                         "CategoryAllocationId = %1")
                              .arg(id))
                  .toInt(),
              1);
    EXPECT_EQ(w.category(id), 0);

    // The collapsed view hides it; the user keeps his place in the grid.
    const int next = findRow(window, [&](int r) { return r > row && !window.grid().isSwitchedOff(r); });
    ASSERT_GT(next, 0);
    const qlonglong nextId = allocationId(window, next);
    window.table()->setCurrentCell(next, af::kFirstCategory);
    child<QToolButton>(window, "Collapse")->click();
    EXPECT_EQ(window.model()->rowCount(), collapsedRows - 1);
    EXPECT_LT(rowOf(window, id), 0);
    ASSERT_GE(window.table()->currentRow(), 0);
    EXPECT_EQ(allocationId(window, window.table()->currentRow()), nextId);
}

TEST(TFormCatagoryAllocation, EditableOnlyWithTheRightOnAnUnlockedProfile) {
    EventWindow w;
    struct Case {
        const char* what;
        bool locked;
        const char* features;
        bool editable;
    };
    const Case cases[] = {
        {"locked profile", true, "3,153", false},
        {"no right to edit", false, "153", false},
        {"both", false, "3,153", true},
    };
    const int field = af::kFirstCategory;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        w.env.context.session().FeatureCodes = app::ParseFeatureCodes(QLatin1String(c.features));
        ProfileInfo profile = profileInfo(w.env, kProfile);
        profile.Locked = c.locked;
        w.window.Prepare(profile, selectionFor(w.env, kProfile), {});
        ASSERT_TRUE(showAndLoad(w.window));
        EXPECT_EQ(w.window.isEditable(), c.editable);
        EXPECT_EQ(w.button("OkButton")->isEnabled(), c.editable);
        const int row = freeRow(w.window, field);
        ASSERT_GE(row, 0);
        pressCell(w.window, row, field);
        EXPECT_EQ(state(w.window, row, field),
                  int(c.editable ? AllocationCellState::New : AllocationCellState::NotAllocated));
        EXPECT_EQ(w.button("ApplyButton")->isEnabled(), c.editable);
        if (c.editable) w.env.prompts.answer(ui::Button::No);
        w.window.reject();
        EXPECT_EQ(w.env.prompts.take().size(), c.editable ? 1u : 0u);
    }
}

TEST(TFormCatagoryAllocation, ManyChangesAreSavedInSeveralCallsOfOneTransaction) {
    EventWindow w;
    const int listId = selectionFor(w.env, kProfile).EventListId;
    w.env.exec(
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                       "INSERT INTO TEventCode (EventListId, EventCodeNumber, EventCodeTitle) "
                       "SELECT %1, 900000 + i, 'Added code ' || i FROM n")
            .arg(listId));
    const QString addedAllocated =
        QStringLiteral(
            "SELECT COUNT(*) FROM TCategoryAllocation_TReportCategorySet AS S INNER JOIN "
            "TCategoryAllocation AS CA ON CA.CategoryAllocationId = S.CategoryAllocationId INNER "
            "JOIN TEventCode AS EC ON EC.EventCodeId = CA.EventCodeId WHERE CA.ReportProfileId = "
            "%1 AND EC.EventCodeNumber > 900000 AND S.ReportCategorySetId = 1")
            .arg(kProfile);
    ASSERT_TRUE(w.open());
    CategoryAllocationWindow& window = w.window;
    for (int r = 0; r < window.dataSet().recordCount(); ++r)
        if (window.dataSet().valueAt(r, af::kNumber).toInt() > 900000)
            window.OvcDbTableCategoryCellActivated(r, af::kFirstCategory + 1);

    // The second call is refused: the first one's rows are not written either.
    *w.update.failOn = 2;
    w.button("ApplyButton")->click();
    EXPECT_EQ(w.env.prompts.take().size(), 1u);
    EXPECT_EQ(w.update.calls->load(), 2);
    EXPECT_EQ(w.env.scalar(addedAllocated).toInt(), 0);
    EXPECT_EQ(w.marks, 0);

    EXPECT_TRUE(window.save());
    EXPECT_GE(w.update.calls->load(), 4);
    EXPECT_EQ(w.env.scalar(addedAllocated).toInt(), 2000);
    EXPECT_EQ(w.marks, 1);
}

TEST(TFormCatagoryAllocation, AFailedLoadClosesTheWindow) {
    EventWindow w;
    w.select.failNext();
    EXPECT_FALSE(w.open());
    EXPECT_EQ(w.env.prompts.lastText(),
              w.env.context.texts().profile(CategoryAllocationWindow::kTextLoadFailed));
    w.env.prompts.take();
    EXPECT_FALSE(w.window.isVisible());
    EXPECT_FALSE(w.window.dataSet().isOpen());
}

TEST(TFormDeratingCatagoryAllocation, ExecuteSavesAModeMovedThroughTheGrid) {
    Environment env;
    const ProfileInfo profile = profileInfo(env, kDeratingProfile);
    TFormDeratingCatagoryAllocation window(env.context);
    loadAtOnce(window);
    bool loaded = false;
    QObject::connect(&window, &CategoryAllocationWindow::loaded, [&](bool ok) { loaded = ok; });
    qlonglong id = 0;
    int category = 0;
    WhenShown move(
        window,
        [&] {
            const int row = findRow(window, [&](int r) {
                return window.dataSet().valueAt(r, af::kKey).toInt() != 0 && window.grid().isAllocated(r);
            });
            ASSERT_GE(row, 0);
            id = allocationId(window, row);
            const int field = window.grid().storedField(id) == af::kFirstCategory + 1
                                  ? af::kFirstCategory + 2
                                  : af::kFirstCategory + 1;
            category = window.grid().categoryOfField(field);
            pressCell(window, row, field);
            child(window, "OkButton")->click();
        },
        [&] { return loaded; });
    int marks = 0;
    EXPECT_EQ(window.Execute(profile, [&] { ++marks; }), 1);
    ASSERT_TRUE(move.fired());
    ASSERT_GT(category, 0);
    EXPECT_EQ(env.scalar(QStringLiteral("SELECT ReportCategoryId FROM TDerateCategoryAllocation WHERE "
                                        "DerateCategoryAllocationId = %1")
                             .arg(id))
                  .toInt(),
              category);
    EXPECT_EQ(marks, 1);

    // Closed without a change: nothing written.
    loaded = false;
    WhenShown leave(
        window, [&] { child(window, "CancelButton")->click(); }, [&] { return loaded; });
    EXPECT_EQ(window.Execute(profile, [&] { ++marks; }), 2);
    EXPECT_EQ(marks, 1);
    EXPECT_TRUE(env.prompts.recorded().empty());
}

TEST(AllocationWindows, PrintAndCopyHandTheGridToTheReportWindows) {
    Environment env;
    QTemporaryDir dir;
    TFormReportMenu menu(env.context);
    TFormExport exporter(env.context);
    menu.setSettingsFile(dir.filePath(QStringLiteral("printers.ini")));
    env.context.windows().reportMenu = &menu;
    env.context.windows().exportForm = &exporter;
    bool checked = false;
    QObject::connect(&menu, &TFormReportMenu::printerChecked, [&] { checked = true; });
    const auto print = [&](CategoryAllocationWindow& window) {
        checked = false;
        WhenShown shown(
            menu, [&] { child(menu, "ButtonClose")->click(); }, [&] { return checked; });
        child<QToolButton>(window, "SpeedButtonPrint")->click();
        EXPECT_TRUE(shown.fired());
        EXPECT_EQ(menu.source().dataSet, &window.dataSet());
        return menu.source().headerTexts;
    };

    TFormCatagoryAllocation events(env.context);
    const ProfileInfo profile = profileInfo(env, kProfile);
    const CategorySelection selection = selectionFor(env, kProfile);
    events.Prepare(profile, selection, {});
    ASSERT_TRUE(showAndLoad(events));
    const auto header = print(events);
    EXPECT_FALSE(header[0].isEmpty());
    EXPECT_TRUE(header[1].endsWith(profile.Title));
    EXPECT_TRUE(header[2].endsWith(selection.EventListTitle));

    // Copy: a line of captions and one per row of the view, switched-off codes too.
    child<QToolButton>(events, "Expand")->click();
    child<QToolButton>(events, "SpeedButtonCopy")->click();
    const db::DataSet& list = events.dataSet();
    const QString copied = env.prompts.clipboard();
    EXPECT_EQ(copied.count(QLatin1String("\r\n")), list.recordCount() + 1);
    QStringList labels;  // the shown fields only
    for (int f = 0; f < list.fieldCount(); ++f)
        if (list.field(f).visible) labels << list.field(f).displayLabel;
    EXPECT_TRUE(copied.startsWith(labels.join(u'\t') + QLatin1String("\r\n")));
    events.reject();

    TFormDeratingCatagoryAllocation derating(env.context);
    derating.Prepare(profileInfo(env, kDeratingProfile), {});
    ASSERT_TRUE(showAndLoad(derating));
    const auto titled = print(derating);
    EXPECT_FALSE(titled[0].isEmpty());
    EXPECT_TRUE(titled[1].isEmpty());
    env.prompts.take();
}
