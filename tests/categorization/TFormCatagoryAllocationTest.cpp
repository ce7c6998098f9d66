// The event allocation window against the demo database: loading, clicks
// through the grid, saving, refusals, read-only profiles, the close question
// and the save of thousands of rows in several calls of one transaction.

#include "AllocationTestSupport.h"
#include "categorization/TFormCatagoryAllocation.h"

#include <gtest/gtest.h>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>

using namespace categorization;
using namespace allocation_test;
namespace af = categorization::allocation_field;
using categorization_test::WhenShown;
using testing_support::RecordedPrompt;

namespace {

constexpr int kProfile = 5;  // not locked, no IEC reporting
constexpr int kLockedProfile = 2;
constexpr int kIecProfile = 1;

template <typename T>
T* child(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QLatin1String(name));
    EXPECT_TRUE(found) << name;
    return found;
}

int categoryInSet(const Environment& env, qlonglong allocationId, int setId = 1) {
    return env
        .scalar(QStringLiteral("SELECT ReportCategoryId FROM TCategoryAllocation_TReportCategorySet WHERE "
                               "CategoryAllocationId = %1 AND ReportCategorySetId = %2")
                    .arg(allocationId)
                    .arg(setId))
        .toInt();
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

// A switched-on row other than code 0 whose cell in `field` is not allocated.
int freeRow(CategoryAllocationWindow& window, int field) {
    return findRow(window, [&](int r) {
        return window.dataSet().valueAt(r, af::kNumber).toInt() != 0 && !window.grid().isSwitchedOff(r) &&
               window.grid().cellState(r, field) == AllocationCellState::NotAllocated;
    });
}

struct EventWindow {
    explicit EventWindow(Environment& env, int profileId = kProfile) : window(env.context) {
        profile = profileInfo(env, profileId);
        selection = selectionFor(env, profileId);
        EXPECT_GT(selection.EventListId, 0);
        window.Prepare(profile, selection, [this] { ++marks; });
    }
    bool load() { return showAndLoad(window); }
    QPushButton* button(const char* name) { return child<QPushButton>(window, name); }

    ProfileInfo profile;
    CategorySelection selection;
    TFormCatagoryAllocation window;
    int marks = 0;
};

}  // namespace

TEST(TFormCatagoryAllocation, LoadsAllocatesThroughTheGridAndSaves) {
    Environment env;
    EventWindow w(env);
    ASSERT_TRUE(w.load());
    CategoryAllocationWindow& window = w.window;

    EXPECT_EQ(window.windowTitle(), "Categorize events (" + w.profile.Title + ")");
    EXPECT_EQ(child<QLineEdit>(window, "EditEventList")->text(), w.selection.EventListTitle);
    EXPECT_EQ(child<QLineEdit>(window, "EditCategorySet")->text(), w.selection.ReportCategorySetTitle);
    EXPECT_EQ(w.button("CancelButton")->text(), env.context.texts().profile(51));
    EXPECT_EQ(w.button("ButtonRemapCategory")->text(), env.context.texts().profile(473));
    EXPECT_TRUE(w.button("OkButton")->isEnabled());
    EXPECT_FALSE(w.button("ApplyButton")->isEnabled());
    EXPECT_EQ(child<QToolButton>(window, "SpeedButtonCopy")->toolTip(), env.context.texts().hint(21));
    EXPECT_TRUE(child<QToolButton>(window, "Collapse")->isChecked());
    EXPECT_TRUE(env.trace.contains("Enter Function: TFormCatagoryAllocation::TimerStartTimer"));
    // The keyboard starts on the first category cell.
    EXPECT_EQ(window.table()->currentRow(), 0);
    EXPECT_EQ(window.table()->currentField(), af::kFirstCategory);

    // One column per category of the set, in member order, after number and title.
    const db::Result members =
        env.exec(QStringLiteral(
                     "SELECT RC.ReportCategoryTitle FROM TReportCategorySet_TReportCategory AS SM INNER JOIN "
                     "TReportCategory AS RC ON RC.ReportCategoryId = SM.ReportCategoryId WHERE "
                     "SM.ReportProfileId = %1 AND SM.ReportCategorySetId = 1 ORDER BY SM.MemberOrder")
                     .arg(kProfile));
    QStringList expected{env.context.texts().profile(500), env.context.texts().profile(501)};
    for (const db::Row& row : members.resultSets.at(0).rows) expected << row[0].toString();
    QStringList headers;
    for (int c = 0; c < window.model()->columnCount(); ++c)
        headers << window.model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headers, expected);

    // The collapsed view: every code of the list that is switched on.
    const QString rowsOfList =
        QStringLiteral(
            "SELECT COUNT(*) FROM TCategoryAllocation AS CA INNER JOIN TEventCode AS EC ON "
            "EC.EventCodeId = CA.EventCodeId WHERE CA.ReportProfileId = %1 AND "
            "EC.EventListId = %2")
            .arg(kProfile)
            .arg(w.selection.EventListId);
    EXPECT_EQ(window.model()->rowCount(),
              env.scalar(rowsOfList + " AND CA.CategoryAllocationDisabled = 0").toInt());
    // Codes with responsible sources name them; those rows count as changed.
    const int withSources = env.scalar(rowsOfList + " AND CA.ResponsibleSourceId IS NOT NULL").toInt();
    EXPECT_GT(withSources, 0);
    EXPECT_EQ(window.dataSet().changeCount(), withSources);
    const QRegularExpression sourceTitle(QStringLiteral(".+ .+ \\(\\d+\\)$"));
    EXPECT_GE(
        findRow(window,
                [&](int r) {
                    return sourceTitle.match(window.dataSet().valueAt(r, af::kTitle).toString()).hasMatch();
                }),
        0);

    // A press on a free cell allocates the row there.
    const int field = af::kFirstCategory + 1;
    const int row = freeRow(window, field);
    ASSERT_GE(row, 0);
    const qlonglong id = allocationId(window, row);
    pressCell(window, row, field);
    EXPECT_EQ(state(window, row, field), int(AllocationCellState::New));
    EXPECT_EQ(window.dataSet().valueAt(row, af::kCategory).toInt(), window.grid().categoryOfField(field));
    EXPECT_TRUE(w.button("ApplyButton")->isEnabled());
    EXPECT_TRUE(window.hasUnsavedChanges());

    w.button("ApplyButton")->click();
    EXPECT_EQ(w.marks, 1);
    EXPECT_EQ(categoryInSet(env, id), window.grid().categoryOfField(field));
    // Saved: the cell is the stored allocation now, nothing is held any more.
    const int rowAfter = findRow(window, [&](int r) { return allocationId(window, r) == id; });
    ASSERT_GE(rowAfter, 0);
    EXPECT_EQ(state(window, rowAfter, field), int(AllocationCellState::Kept));
    EXPECT_FALSE(window.dataSet().hasChanges());
    EXPECT_FALSE(w.button("ApplyButton")->isEnabled());
    EXPECT_TRUE(w.button("OkButton")->isEnabled());

    // The user stays on his row.
    EXPECT_EQ(window.table()->currentRow(), rowAfter);
    EXPECT_EQ(window.table()->currentField(), field);

    // A second save has nothing to send.
    EXPECT_TRUE(window.save());
    EXPECT_EQ(w.marks, 1);

    // Space works the current cell: off and on again leaves nothing to save.
    QTest::keyClick(window.table()->cellView(), Qt::Key_Space);
    EXPECT_EQ(state(window, rowAfter, field), int(AllocationCellState::Removed));
    EXPECT_TRUE(w.button("ApplyButton")->isEnabled());
    QTest::keyClick(window.table()->cellView(), Qt::Key_Space);
    EXPECT_EQ(state(window, rowAfter, field), int(AllocationCellState::Kept));
    EXPECT_FALSE(window.hasUnsavedChanges());

    // Closing without changes asks nothing.
    w.button("CancelButton")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.dataSet().isOpen());
    EXPECT_TRUE(env.prompts.recorded().empty());
}

TEST(TFormCatagoryAllocation, SwitchingCodesOffAndOn) {
    Environment env;
    EventWindow w(env);
    ASSERT_TRUE(w.load());
    CategoryAllocationWindow& window = w.window;
    const int collapsedRows = window.model()->rowCount();

    // Switching is refused in the collapsed view.
    clickRowIndicator(window, 1);
    EXPECT_FALSE(window.grid().isSwitchedOff(1));

    child<QToolButton>(window, "Expand")->click();
    const int allRows = window.model()->rowCount();
    EXPECT_GE(allRows, collapsedRows);

    // An allocated code cannot be switched off.
    const int allocated = findRow(window, [&](int r) {
        return window.dataSet().valueAt(r, af::kNumber).toInt() != 0 && window.grid().isAllocated(r) &&
               !window.grid().isSwitchedOff(r);
    });
    ASSERT_GE(allocated, 0);
    clickRowIndicator(window, allocated);
    std::vector<RecordedPrompt> shown = env.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, env.context.texts().profile(486));
    EXPECT_EQ(shown[0].caption, env.context.texts().profile(66));
    EXPECT_EQ(shown[0].icon, ui::Icon::Information);
    EXPECT_FALSE(window.grid().isSwitchedOff(allocated));

    // Taking its allocation away first lets it be switched off.
    const qlonglong id = allocationId(window, allocated);
    const int stored = window.grid().storedField(id);
    ASSERT_GE(stored, af::kFirstCategory);
    pressCell(window, allocated, stored);
    EXPECT_EQ(state(window, allocated, stored), int(AllocationCellState::Removed));
    clickRowIndicator(window, allocated);
    EXPECT_TRUE(window.grid().isSwitchedOff(allocated));
    EXPECT_EQ(cellIndex(window, allocated, af::kTitle).data(Qt::ForegroundRole).value<QBrush>().color(),
              QColor(Qt::red));
    EXPECT_FALSE(window.model()->headerData(allocated, Qt::Vertical, Qt::DecorationRole).isNull());

    // A switched-off code takes no allocation.
    pressCell(window, allocated, af::kFirstCategory);
    shown = env.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, env.context.texts().profile(487));
    EXPECT_FALSE(window.grid().isAllocated(allocated));

    w.button("ApplyButton")->click();
    EXPECT_EQ(env.scalar(QStringLiteral("SELECT CategoryAllocationDisabled FROM TCategoryAllocation WHERE "
                                        "CategoryAllocationId = %1")
                             .arg(id))
                  .toInt(),
              1);
    EXPECT_EQ(categoryInSet(env, id), 0);

    // The collapsed view hides it; the user keeps his place in the grid.
    const int next = findRow(window, [&](int r) { return r > allocated && !window.grid().isSwitchedOff(r); });
    ASSERT_GT(next, 0);
    const qlonglong nextId = allocationId(window, next);
    window.table()->setCurrentCell(next, af::kFirstCategory);
    child<QToolButton>(window, "Collapse")->click();
    EXPECT_EQ(window.model()->rowCount(), collapsedRows - 1);
    EXPECT_LT(findRow(window, [&](int r) { return allocationId(window, r) == id; }), 0);
    ASSERT_GE(window.table()->currentRow(), 0);
    EXPECT_EQ(allocationId(window, window.table()->currentRow()), nextId);
}

TEST(TFormCatagoryAllocation, LockedProfilesAndUsersWithoutTheRightAreReadOnly) {
    for (const bool locked : {true, false}) {
        SCOPED_TRACE(locked ? "locked profile" : "no right to edit");
        categorization_test::Setup setup;
        if (!locked) setup.features = "153";
        Environment env(setup);
        EventWindow w(env, locked ? kLockedProfile : kProfile);
        ASSERT_EQ(w.profile.Locked, locked);
        ASSERT_TRUE(w.load());
        CategoryAllocationWindow& window = w.window;
        EXPECT_EQ(w.button("CancelButton")->text(), env.context.texts().profile(52));
        EXPECT_FALSE(w.button("OkButton")->isEnabled());
        EXPECT_FALSE(window.isEditable());

        const int changed = window.dataSet().changeCount();
        const int field = af::kFirstCategory;
        const int row = freeRow(window, field);
        ASSERT_GE(row, 0);
        pressCell(window, row, field);
        EXPECT_EQ(state(window, row, field), int(AllocationCellState::NotAllocated));
        const qlonglong id = allocationId(window, row);
        child<QToolButton>(window, "Expand")->click();
        const int expandedRow = findRow(window, [&](int r) { return allocationId(window, r) == id; });
        ASSERT_GE(expandedRow, 0);
        clickRowIndicator(window, expandedRow);
        EXPECT_FALSE(window.grid().isSwitchedOff(expandedRow));
        EXPECT_EQ(window.dataSet().changeCount(), changed);
        EXPECT_FALSE(w.button("ApplyButton")->isEnabled());

        w.button("CancelButton")->click();
        EXPECT_FALSE(window.isVisible());
        EXPECT_TRUE(env.prompts.recorded().empty());
    }
}

TEST(TFormCatagoryAllocation, NormalOperationIsCorrectedOnOpening) {
    Environment env;
    const CategorySelection selection = selectionFor(env, kProfile);
    const auto codeZero = [&](int profileId) {
        return env
            .scalar(QStringLiteral(
                        "SELECT CA.CategoryAllocationId FROM TCategoryAllocation AS CA INNER JOIN "
                        "TEventCode AS EC ON EC.EventCodeId = CA.EventCodeId WHERE CA.ReportProfileId = "
                        "%1 AND EC.EventListId = %2 AND EC.EventCodeNumber = 0 ORDER BY "
                        "CA.CategoryAllocationId")
                        .arg(profileId)
                        .arg(selection.EventListId))
            .toLongLong();
    };
    const qlonglong zero = codeZero(kProfile);
    ASSERT_GT(zero, 0);
    ASSERT_EQ(categoryInSet(env, zero), 1);
    env.exec(QStringLiteral("UPDATE TCategoryAllocation_TReportCategorySet SET ReportCategoryId = 3 WHERE "
                            "CategoryAllocationId = %1 AND ReportCategorySetId = 1")
                 .arg(zero));

    EventWindow w(env);
    ASSERT_TRUE(w.load());
    CategoryAllocationWindow& window = w.window;
    // Something to save at once.
    EXPECT_TRUE(w.button("ApplyButton")->isEnabled());
    const int row = findRow(window, [&](int r) { return allocationId(window, r) == zero; });
    ASSERT_GE(row, 0);
    const int normal = window.dataSet().fieldIndex("Normal Operation");
    EXPECT_EQ(state(window, row, normal), int(AllocationCellState::New));
    EXPECT_EQ(window.dataSet().valueAt(row, af::kCategory).toInt(), 1);

    // Escape closes and asks; No discards the correction.
    env.prompts.answer(ui::Button::No);
    QTest::keyClick(window.table()->cellView(), Qt::Key_Escape);
    std::vector<RecordedPrompt> shown = env.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, RecordedPrompt::Kind::Question);
    EXPECT_EQ(shown[0].text, env.context.texts().profile(140));
    EXPECT_EQ(shown[0].caption, window.windowTitle());
    EXPECT_EQ(shown[0].icon, ui::Icon::Warning);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(categoryInSet(env, zero), 3);

    // Opened again: Yes saves it.
    w.window.Prepare(w.profile, w.selection, [&w] { ++w.marks; });
    ASSERT_TRUE(w.load());
    env.prompts.answer(ui::Button::Yes);
    window.reject();
    EXPECT_EQ(env.prompts.take().size(), 1u);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(categoryInSet(env, zero), 1);
    EXPECT_EQ(w.marks, 1);

    // IEC reporting profiles keep their code 0 as it is.
    const qlonglong iecZero = codeZero(kIecProfile);
    if (iecZero > 0) {
        env.exec(
            QStringLiteral("UPDATE TCategoryAllocation_TReportCategorySet SET ReportCategoryId = 3 WHERE "
                           "CategoryAllocationId = %1 AND ReportCategorySetId = 1")
                .arg(iecZero));
        EventWindow iec(env, kIecProfile);
        ASSERT_TRUE(iec.profile.UseIECReporting);
        ASSERT_TRUE(iec.load());
        EXPECT_FALSE(iec.button("ApplyButton")->isEnabled());
        iec.window.reject();
        EXPECT_EQ(categoryInSet(env, iecZero), 3);
    }
}

TEST(TFormCatagoryAllocation, AFailedSaveKeepsTheChanges) {
    WrappedProcedure update = wrapProcedure("WMS_SP_REP_UpdateCategoryAllocation", 1002);
    *update.failOn = 1;
    categorization_test::Setup setup;
    setup.registry = update.registry;
    Environment env(setup);
    EventWindow w(env);
    ASSERT_TRUE(w.load());
    CategoryAllocationWindow& window = w.window;

    const int field = af::kFirstCategory + 1;
    const int row = freeRow(window, field);
    ASSERT_GE(row, 0);
    const qlonglong id = allocationId(window, row);
    const int before = categoryInSet(env, id);
    const int category = window.grid().categoryOfField(field);
    pressCell(window, row, field);
    w.button("ApplyButton")->click();

    std::vector<RecordedPrompt> shown = env.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, env.context.texts().profile(481));
    EXPECT_EQ(shown[0].caption, env.context.texts().profile(64));
    EXPECT_EQ(shown[0].icon, ui::Icon::Error);
    EXPECT_EQ(categoryInSet(env, id), before);
    EXPECT_EQ(w.marks, 0);
    // The edit is still there, waiting for another try.
    const int rowAfter = findRow(window, [&](int r) { return allocationId(window, r) == id; });
    ASSERT_GE(rowAfter, 0);
    EXPECT_EQ(window.dataSet().rowStatus(rowAfter), db::RowStatus::Modified);
    EXPECT_EQ(state(window, rowAfter, field), int(AllocationCellState::New));
    EXPECT_TRUE(w.button("ApplyButton")->isEnabled());
    EXPECT_TRUE(window.hasUnsavedChanges());

    // Closing offers to save; a Yes whose save fails keeps the window open.
    *update.failOn = 2;
    env.prompts.answer(ui::Button::Yes);
    window.reject();
    shown = env.prompts.take();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, RecordedPrompt::Kind::Question);
    EXPECT_EQ(shown[1].text, env.context.texts().profile(481));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(categoryInSet(env, id), before);

    // OK saves what is held, then closes.
    w.button("OkButton")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(categoryInSet(env, id), category);
    EXPECT_EQ(w.marks, 1);
}

TEST(TFormCatagoryAllocation, ARestoreKeepsTheEdits) {
    Environment env;
    EventWindow w(env);
    ASSERT_TRUE(w.load());
    CategoryAllocationWindow& window = w.window;
    const int field = af::kFirstCategory + 1;
    const int row = freeRow(window, field);
    ASSERT_GE(row, 0);
    const qlonglong id = allocationId(window, row);
    const int category = window.grid().categoryOfField(field);
    pressCell(window, row, field);
    auto* timer = child<QTimer>(window, "Timer");

    // Minimised and restored, hidden and shown: no reload is started.
    window.showMinimized();
    window.showNormal();
    EXPECT_FALSE(timer->isActive());
    window.hide();
    window.show();
    EXPECT_FALSE(timer->isActive());
    const int rowAfter = findRow(window, [&](int r) { return allocationId(window, r) == id; });
    ASSERT_GE(rowAfter, 0);
    EXPECT_EQ(state(window, rowAfter, field), int(AllocationCellState::New));
    EXPECT_TRUE(w.button("ApplyButton")->isEnabled());
    EXPECT_TRUE(window.hasUnsavedChanges());

    // Closing still asks; Yes saves the edit.
    env.prompts.answer(ui::Button::Yes);
    window.reject();
    EXPECT_EQ(env.prompts.take().size(), 1u);
    EXPECT_EQ(categoryInSet(env, id), category);
    EXPECT_EQ(w.marks, 1);
}

TEST(TFormCatagoryAllocation, ThousandsOfChangesInSeveralCallsOfOneTransaction) {
    WrappedProcedure update = wrapProcedure("WMS_SP_REP_UpdateCategoryAllocation", 1002);
    categorization_test::Setup setup;
    setup.registry = update.registry;
    Environment env(setup);
    const CategorySelection selection = selectionFor(env, kProfile);
    env.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
                            "INSERT INTO TEventCode (EventListId, EventCodeNumber, EventCodeTitle) "
                            "SELECT %1, 900000 + i, 'Added code ' || i FROM n")
                 .arg(selection.EventListId));
    const QString addedAllocated =
        QStringLiteral(
            "SELECT COUNT(*) FROM TCategoryAllocation_TReportCategorySet AS S INNER JOIN "
            "TCategoryAllocation AS CA ON CA.CategoryAllocationId = "
            "S.CategoryAllocationId INNER JOIN TEventCode AS EC ON EC.EventCodeId = "
            "CA.EventCodeId WHERE CA.ReportProfileId = %1 AND EC.EventCodeNumber > "
            "900000 AND S.ReportCategorySetId = 1")
            .arg(kProfile);

    EventWindow w(env);
    ASSERT_TRUE(w.load());
    CategoryAllocationWindow& window = w.window;
    const int field = af::kFirstCategory + 1;
    int clicked = 0;
    for (int r = 0; r < window.dataSet().recordCount(); ++r) {
        if (window.dataSet().valueAt(r, af::kNumber).toInt() <= 900000) continue;
        window.OvcDbTableCategoryCellActivated(r, field);
        ++clicked;
    }
    ASSERT_EQ(clicked, 5000);

    // The second call is refused: the first one's rows are not written either.
    *update.failOn = 2;
    w.button("ApplyButton")->click();
    EXPECT_EQ(env.prompts.take().size(), 1u);
    EXPECT_EQ(update.calls->load(), 2);
    EXPECT_EQ(env.scalar(addedAllocated).toInt(), 0);
    EXPECT_GE(window.dataSet().changeCount(), 5000);
    EXPECT_EQ(w.marks, 0);

    *update.calls = 0;
    *update.failOn = 0;
    EXPECT_TRUE(window.save());
    EXPECT_GE(update.calls->load(), 2);
    EXPECT_EQ(env.scalar(addedAllocated).toInt(), 5000);
    EXPECT_EQ(w.marks, 1);
    EXPECT_FALSE(window.dataSet().hasChanges());
}

TEST(TFormCatagoryAllocation, ExecuteAnswersTheCloseQuestion) {
    Environment env;
    TFormCatagoryAllocation window(env.context);
    const ProfileInfo profile = profileInfo(env, kProfile);
    const CategorySelection selection = selectionFor(env, kProfile);
    bool ready = false;
    QObject::connect(&window, &CategoryAllocationWindow::loaded, [&ready](bool ok) { ready = ok; });
    const int field = af::kFirstCategory + 2;
    qlonglong id = 0;
    int category = 0;
    int marks = 0;

    for (const ui::Button answer : {ui::Button::Yes, ui::Button::No}) {
        ready = false;
        WhenShown edit(
            window,
            [&] {
                const int row = freeRow(window, field);
                ASSERT_GE(row, 0);
                id = allocationId(window, row);
                category = window.grid().categoryOfField(field);
                pressCell(window, row, field);
                env.prompts.answer(answer);
                child<QToolButton>(window, "SpeedButtonClose")->click();
            },
            [&ready] { return ready; });
        const int result = window.Execute(profile, selection, [&marks] { ++marks; });
        ASSERT_TRUE(edit.fired());
        EXPECT_EQ(env.prompts.take().size(), 1u);
        if (answer == ui::Button::Yes) {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(categoryInSet(env, id), category);
        } else {
            EXPECT_EQ(result, 2);
            EXPECT_NE(categoryInSet(env, id), category);
        }
    }
    EXPECT_EQ(marks, 1);
}

TEST(TFormCatagoryAllocation, AFailedLoadClosesTheWindow) {
    WrappedProcedure select = wrapProcedure("WMS_SP_REP_SelectCategoryAllocationForProfile", 1001);
    *select.failOn = 1;
    categorization_test::Setup setup;
    setup.registry = select.registry;
    Environment env(setup);
    EventWindow w(env);
    EXPECT_FALSE(w.load());
    const std::vector<RecordedPrompt> shown = env.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, env.context.texts().profile(483));
    EXPECT_EQ(shown[0].caption, env.context.texts().profile(64));
    EXPECT_EQ(shown[0].icon, ui::Icon::Error);
    EXPECT_FALSE(w.window.isVisible());
    EXPECT_FALSE(w.window.dataSet().isOpen());
}
