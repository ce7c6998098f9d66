// The event and derating allocation windows on the demo database: clicks
// held until saved (across a restore and a refused call of a save in
// several calls), opening and closing with the editing rule, the row
// indicator and the views, and print and copy.

#include "AllocationTestSupport.h"
#include "categorization/TFormCatagoryAllocation.h"
#include "categorization/TFormDeratingCatagoryAllocation.h"
#include "reports/TFormExport.h"
#include "reports/TFormReportMenu.h"

#include <gtest/gtest.h>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolButton>

using namespace categorization;
using namespace allocation_test;
namespace af = categorization::allocation_field;
using categorization_test::WhenShown;

namespace {

constexpr int kProfile = 5;  // not locked, no IEC reporting
constexpr int kIecProfile = 1;
constexpr int kDeratingProfile = 3;
using State = AllocationCellState;

qlonglong allocationId(CategoryAllocationWindow& window, int row) {
    return window.dataSet().valueAt(row, af::kAllocationId).toLongLong();
}

State state(CategoryAllocationWindow& window, int row, int field) {
    return State(cellIndex(window, row, field).data(AllocationGridModel::CellStateRole).toInt());
}

// The first row of the view that `accept` takes (-1: none).
int findRow(CategoryAllocationWindow& window, const std::function<bool(int)>& accept) {
    for (int r = 0; r < window.dataSet().recordCount(); ++r)
        if (accept(r)) return r;
    return -1;
}

int rowOf(CategoryAllocationWindow& window, qlonglong id) {
    return findRow(window, [&](int r) { return allocationId(window, r) == id; });
}

// A switched-on row other than code 0, allocated or not.
int codeRow(CategoryAllocationWindow& window, bool allocated) {
    return findRow(window, [&](int r) {
        return window.dataSet().valueAt(r, af::kNumber).toInt() != 0 && !window.grid().isSwitchedOff(r) &&
               window.grid().isAllocated(r) == allocated;
    });
}

// The report windows, registered as the program registers them; print()
// closes the menu at once and returns the header it was given.
struct ReportWindows {
    explicit ReportWindows(Environment& env) : menu(env.context), exporter(env.context) {
        menu.setSettingsFile(dir.filePath(QStringLiteral("printers.ini")));
        env.context.windows().reportMenu = &menu;
        env.context.windows().exportForm = &exporter;
        QObject::connect(&menu, &TFormReportMenu::printerChecked, [this] { checked = true; });
    }
    std::array<QString, 7> print(CategoryAllocationWindow& window) {
        checked = false;
        WhenShown shown(
            menu, [&] { child(menu, "ButtonClose")->click(); }, [&] { return checked; });
        child<QToolButton>(window, "SpeedButtonPrint")->click();
        EXPECT_TRUE(shown.fired());
        EXPECT_EQ(menu.source().dataSet, &window.dataSet());
        return menu.source().headerTexts;
    }
    QTemporaryDir dir;
    TFormReportMenu menu;
    TFormExport exporter;
    bool checked = false;
};

// The event window of the demo database, its load and save procedures wrapped.
struct EventWindow {
    EventWindow()
        : registry(reportdb::standardRegistry()),
          select(wrapProcedure(*registry, "WMS_SP_REP_SelectCategoryAllocationForProfile", 1001)),
          update(wrapProcedure(*registry, "WMS_SP_REP_UpdateCategoryAllocation", 1002)),
          env({.registry = registry}),
          window(env.context) {}

    bool open(const ProfileInfo& info) {
        profile = info;
        selection = selectionFor(env, info.ReportProfileId);
        window.Prepare(profile, selection, [this] { ++marks; });
        return showAndLoad(window);
    }
    bool open(int profileId = kProfile) { return open(profileInfo(env, profileId)); }
    QVariant scalar(const char* select, qlonglong id) const {
        return env.scalar(QLatin1String(select) + QString::number(id));
    }
    int category(qlonglong id) const {
        return scalar(
                   "SELECT ReportCategoryId FROM TCategoryAllocation_TReportCategorySet WHERE "
                   "ReportCategorySetId = 1 AND CategoryAllocationId = ",
                   id)
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
    // Enough added codes for a save in several calls.
    w.env.exec(
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                       "INSERT INTO TEventCode (EventListId, EventCodeNumber, EventCodeTitle) "
                       "SELECT %1, 900000 + i, 'Added code ' || i FROM n")
            .arg(selectionFor(w.env, kProfile).EventListId));
    const QString addedAllocated = QStringLiteral(
        "SELECT COUNT(*) FROM TCategoryAllocation_TReportCategorySet AS S INNER JOIN TCategoryAllocation AS "
        "CA ON "
        "CA.CategoryAllocationId = S.CategoryAllocationId INNER JOIN TEventCode AS EC ON EC.EventCodeId = "
        "CA.EventCodeId WHERE CA.ReportProfileId = 5 AND EC.EventCodeNumber > 900000 AND "
        "S.ReportCategorySetId = 1");
    ASSERT_TRUE(w.open());
    CategoryAllocationWindow& window = w.window;
    // The load's responsible sources reach the titles.
    const QRegularExpression sourceTitle(QStringLiteral(".+ .+ \\(\\d+\\)$"));
    const auto sourceRow = [&](int r) {
        return sourceTitle.match(window.dataSet().valueAt(r, af::kTitle).toString()).hasMatch();
    };
    EXPECT_GE(findRow(window, sourceRow), 0);
    EXPECT_FALSE(w.button("ApplyButton")->isEnabled());
    // The keyboard starts on the first category cell.
    EXPECT_EQ(window.table()->currentRow(), 0);
    EXPECT_EQ(window.table()->currentField(), af::kFirstCategory);

    const int field = af::kFirstCategory + 1;
    const int row = codeRow(window, false);
    ASSERT_GE(row, 0);
    const qlonglong id = allocationId(window, row);
    const int before = w.category(id);
    pressCell(window, row, field);
    EXPECT_EQ(state(window, row, field), State::New);
    EXPECT_TRUE(w.button("ApplyButton")->isEnabled());
    for (int r = 0; r < window.dataSet().recordCount(); ++r)
        if (window.dataSet().valueAt(r, af::kNumber).toInt() > 900000)
            window.OvcDbTableCategoryCellActivated(r, field);

    // Minimised and restored, hidden and shown: no reload is started.
    window.showMinimized();
    window.showNormal();
    window.hide();
    window.show();
    EXPECT_FALSE(child<QTimer>(window, "Timer")->isActive());

    // The second call refused: the first one's rows are not written either;
    // the edits and Apply stay for another try.
    *w.update.failOn = 2;
    w.button("ApplyButton")->click();
    EXPECT_EQ(w.env.prompts.take().size(), 1u);
    EXPECT_EQ(*w.update.calls, 2);
    EXPECT_EQ(w.env.scalar(addedAllocated).toInt(), 0);
    EXPECT_EQ(w.category(id), before);
    EXPECT_EQ(w.marks, 0);
    EXPECT_EQ(state(window, rowOf(window, id), field), State::New);
    EXPECT_TRUE(w.button("ApplyButton")->isEnabled());

    // Applied: written and marked once; the user keeps his cell.
    w.button("ApplyButton")->click();
    EXPECT_EQ(w.env.scalar(addedAllocated).toInt(), 2000);
    EXPECT_EQ(w.category(id), window.grid().categoryOfField(field));
    EXPECT_EQ(w.marks, 1);
    const int rowAfter = rowOf(window, id);
    EXPECT_EQ(state(window, rowAfter, field), State::Kept);
    EXPECT_FALSE(w.button("ApplyButton")->isEnabled());
    EXPECT_EQ(window.table()->currentRow(), rowAfter);
    EXPECT_EQ(window.table()->currentField(), field);
    // Nothing left to send: nothing marked again.
    EXPECT_TRUE(window.save());
    EXPECT_EQ(w.marks, 1);

    // Space works the current cell: off and on again leaves nothing to ask about.
    QTest::keyClick(window.table()->cellView(), Qt::Key_Space);
    EXPECT_EQ(state(window, rowAfter, field), State::Removed);
    QTest::keyClick(window.table()->cellView(), Qt::Key_Space);
    EXPECT_EQ(state(window, rowAfter, field), State::Kept);
    w.button("CancelButton")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.dataSet().isOpen());
    EXPECT_TRUE(w.env.prompts.recorded().empty());
}

TEST(TFormCatagoryAllocation, OpeningAndClosingWithACorrectionOfCodeZero) {
    EventWindow w;
    // A failed load closes the window.
    w.select.failNext();
    EXPECT_FALSE(w.open());
    EXPECT_EQ(w.env.prompts.take().size(), 1u);
    EXPECT_FALSE(w.window.isVisible());

    // Code 0 allocated elsewhere: where the profile may be edited and does
    // not report IEC categories, the correction is held for saving.
    std::map<int, qlonglong> zero;
    for (int profileId : {kProfile, kIecProfile}) {
        zero[profileId] =
            w.env
                .scalar(QStringLiteral("SELECT CA.CategoryAllocationId FROM TCategoryAllocation AS CA "
                                       "INNER JOIN TEventCode AS EC ON EC.EventCodeId = CA.EventCodeId "
                                       "WHERE CA.ReportProfileId = %1 AND EC.EventListId = %2 AND "
                                       "EC.EventCodeNumber = 0 ORDER BY 1")
                            .arg(profileId)
                            .arg(selectionFor(w.env, profileId).EventListId))
                .toLongLong();
        ASSERT_GT(zero[profileId], 0);
        w.env.exec(
            QStringLiteral("UPDATE TCategoryAllocation_TReportCategorySet SET ReportCategoryId = 3 WHERE "
                           "CategoryAllocationId = %1 AND ReportCategorySetId = 1")
                .arg(zero[profileId]));
    }
    struct Case {
        const char* what;
        int profile;
        bool locked;
        const char* features;
        ui::Button answer;  // None: nothing to ask
        bool saveFails;
        int stored;
    };
    const Case cases[] = {
        {"locked profile: shown as read", kProfile, true, "3,153", ui::Button::None, false, 3},
        {"no right to edit", kProfile, false, "153", ui::Button::None, false, 3},
        {"IEC reporting keeps code 0", kIecProfile, false, "3,153", ui::Button::None, false, 3},
        {"No drops it", kProfile, false, "3,153", ui::Button::No, false, 3},
        {"a Yes whose save fails keeps the window open", kProfile, false, "3,153", ui::Button::Yes, true, 3},
        {"Yes saves it", kProfile, false, "3,153", ui::Button::Yes, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        w.env.context.session().FeatureCodes = app::ParseFeatureCodes(QLatin1String(c.features));
        ProfileInfo profile = profileInfo(w.env, c.profile);
        profile.Locked = c.locked;
        ASSERT_TRUE(w.open(profile));
        const bool editable = !c.locked && QLatin1String(c.features).startsWith(u'3');
        EXPECT_EQ(w.window.isEditable(), editable);
        EXPECT_EQ(w.button("OkButton")->isEnabled(), editable);
        EXPECT_EQ(w.button("ApplyButton")->isEnabled(), c.answer != ui::Button::None);
        if (c.saveFails) w.update.failNext();
        if (c.answer != ui::Button::None) w.env.prompts.answer(c.answer);
        QTest::keyClick(w.window.table()->cellView(), Qt::Key_Escape);
        const auto shown = w.env.prompts.take();
        EXPECT_EQ(shown.size(), c.answer == ui::Button::None ? 0u : c.saveFails ? 2u : 1u);
        EXPECT_EQ(w.window.isVisible(), c.saveFails);
        EXPECT_EQ(w.category(zero[c.profile]), c.stored);
        EXPECT_EQ(w.marks, c.stored == 1 ? 1 : 0);
        if (w.window.isVisible()) {
            w.env.prompts.answer(ui::Button::No);
            w.window.reject();
            w.env.prompts.take();
        }
    }
}

TEST(TFormCatagoryAllocation, TheRowIndicatorTheViewsPrintAndCopy) {
    EventWindow w;
    ReportWindows reports(w.env);
    ASSERT_TRUE(w.open());
    CategoryAllocationWindow& window = w.window;
    const int collapsedRows = window.model()->rowCount();
    child<QToolButton>(window, "Expand")->click();

    // An allocated code cannot be switched off; without its allocation it
    // can, and then takes none.
    const int row = codeRow(window, true);
    ASSERT_GE(row, 0);
    const qlonglong id = allocationId(window, row);
    const auto text = [&](int number) { return w.env.context.texts().profile(number); };
    clickRowIndicator(window, row);
    EXPECT_EQ(w.env.prompts.lastText(), text(CategoryAllocationWindow::kTextSwitchOffAllocated));
    EXPECT_FALSE(window.grid().isSwitchedOff(row));
    pressCell(window, row, window.grid().storedField(id));
    clickRowIndicator(window, row);
    EXPECT_TRUE(window.grid().isSwitchedOff(row));
    pressCell(window, row, af::kFirstCategory);
    EXPECT_EQ(w.env.prompts.lastText(), text(CategoryAllocationWindow::kTextAllocateSwitchedOff));
    EXPECT_EQ(w.env.prompts.take().size(), 2u);
    w.button("ApplyButton")->click();
    EXPECT_EQ(
        w.scalar("SELECT CategoryAllocationDisabled FROM TCategoryAllocation WHERE CategoryAllocationId = ",
                 id)
            .toInt(),
        1);
    EXPECT_EQ(w.category(id), 0);

    // Copy: a line of the shown captions, one per row of the view, switched-off codes too.
    child<QToolButton>(window, "SpeedButtonCopy")->click();
    const db::DataSet& list = window.dataSet();
    const QString copied = w.env.prompts.clipboard();
    EXPECT_EQ(copied.count(QLatin1String("\r\n")), list.recordCount() + 1);
    QStringList labels;
    for (int f = 0; f < list.fieldCount(); ++f)
        if (list.field(f).visible) labels << list.field(f).displayLabel;
    EXPECT_TRUE(copied.startsWith(labels.join(u'\t') + QLatin1String("\r\n")));
    // Print: the list under its title, profile and event list.
    const auto header = reports.print(window);
    EXPECT_FALSE(header[0].isEmpty());
    EXPECT_TRUE(header[1].endsWith(w.profile.Title));
    EXPECT_TRUE(header[2].endsWith(w.selection.EventListTitle));

    // The collapsed view hides the switched-off code; the user keeps his place.
    const int next = findRow(window, [&](int r) { return r > row && !window.grid().isSwitchedOff(r); });
    ASSERT_GT(next, 0);
    const qlonglong nextId = allocationId(window, next);
    window.table()->setCurrentCell(next, af::kFirstCategory);
    child<QToolButton>(window, "Collapse")->click();
    EXPECT_EQ(window.model()->rowCount(), collapsedRows - 1);
    EXPECT_LT(rowOf(window, id), 0);
    ASSERT_GE(window.table()->currentRow(), 0);
    EXPECT_EQ(allocationId(window, window.table()->currentRow()), nextId);
    w.env.prompts.take();
}

TEST(TFormDeratingCatagoryAllocation, ExecuteSavesAModeMovedThroughTheGridAndPrintsIt) {
    Environment env;
    ReportWindows reports(env);
    const ProfileInfo profile = profileInfo(env, kDeratingProfile);
    TFormDeratingCatagoryAllocation window(env.context);
    loadAtOnce(window);
    bool loaded = false;
    QObject::connect(&window, &CategoryAllocationWindow::loaded, [&](bool ok) { loaded = ok; });
    qlonglong id = 0;
    int category = 0;
    std::array<QString, 7> header;
    WhenShown move(
        window,
        [&] {
            const int row = findRow(window, [&](int r) {
                return window.dataSet().valueAt(r, af::kKey).toInt() != 0 && window.grid().isAllocated(r);
            });
            ASSERT_GE(row, 0);
            id = allocationId(window, row);
            const int field =
                af::kFirstCategory + (window.grid().storedField(id) == af::kFirstCategory + 1 ? 2 : 1);
            category = window.grid().categoryOfField(field);
            pressCell(window, row, field);
            header = reports.print(window);
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
    // Its list is titled, without the event window's header lines.
    EXPECT_FALSE(header[0].isEmpty());
    EXPECT_TRUE(header[1].isEmpty());

    // Closed without a change: nothing written.
    loaded = false;
    WhenShown leave(
        window, [&] { child(window, "CancelButton")->click(); }, [&] { return loaded; });
    EXPECT_EQ(window.Execute(profile, [&] { ++marks; }), 2);
    EXPECT_EQ(marks, 1);
    EXPECT_TRUE(env.prompts.recorded().empty());
}
