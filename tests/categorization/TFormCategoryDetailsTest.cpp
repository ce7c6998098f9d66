// The category configuration window on the demo database: each set's own
// marks saved with OK (also across a restore and for sets of one title), the
// mark only after a change, the fixed items and the editing rule reaching the
// list (the rules themselves: CategoryConfigurationTest), refused saves,
// loads that leave nothing to edit, and manual titles.

#include "CategorizationTestSupport.h"
#include "categorization/TFormCategoryDetails.h"
#include "categorization/TFormManageCategorySet.h"
#include "categorization/TFormRenameCategorySet.h"
#include "support/Widgets.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

using categorization::ProfileInfo;
using namespace categorization_test;

namespace {

// Demo profile 4: sets 1 and 2 enabled (set 2 without Utility and Owner),
// set 3 disabled; 16 categories: 8 standard, 6 IEC, 2 EEG. Profile 1
// reports IEC categories.
constexpr int kProfile = 4;
constexpr int kIecProfile = 1;
using Rows = std::vector<int>;

// What the category procedure does besides its work: the save's answer
// (0: the real one), the number of saves, and loads answered as a database
// older than manual titles answers them.
struct Hooks {
    std::atomic<int> answer = 0;
    std::atomic<int> saves = 0;
    std::atomic<bool> withoutManualTitles = false;
};

std::shared_ptr<reportdb::ProcedureRegistry> hooked(const std::shared_ptr<Hooks>& hooks) {
    auto registry = reportdb::standardRegistry();
    reportdb::ProcedureDefinition definition =
        *registry->find(QStringLiteral("WMS_SP_CRQ_HandleReportCategory"));
    definition.body = [real = definition.body, hooks](reportdb::ProcedureContext& context,
                                                      const reportdb::Arguments& args) {
        const int action = args.toInt(QStringLiteral("@Action"));
        if (action == 1) ++hooks->saves;
        if (const int answer = hooks->answer; action == 1 && answer != 0) {
            reportdb::ProcedureResult refused;
            refused.returnValue = answer;
            return refused;
        }
        reportdb::ProcedureResult result = real(context, args);
        if (action == 3 && hooks->withoutManualTitles && result.resultSets.size() > 1) {
            db::ResultSet& categories = result.resultSets[1];
            categories.columns.resize(5);
            for (db::Row& row : categories.rows) row.resize(5);
        }
        return result;
    };
    registry->add(definition);
    return registry;
}

struct Windows {
    Windows()
        : hooks(std::make_shared<Hooks>()),
          registry(hooked(hooks)),
          access(wrapProcedure(*registry, QStringLiteral("WMS_SP_CRQ_HasModuleAccess"), 1)),
          titleSaves(wrapProcedure(*registry, QStringLiteral("WMS_SP_CRQ_UpdateCategoryTitleManual"), 1)),
          env({.registry = registry}),
          rename(env.context),
          manage(env.context, rename),
          details(env.context, manage, rename) {
        // The load waits for the window to paint first; a test need not wait.
        details.findChild<QTimer*>(QStringLiteral("TimerStart"))->setInterval(0);
    }
    ~Windows() { details.hide(); }

    // Prepares and shows the window for the profile; the load's outcome.
    bool open(int id) { return open(profileInfo(env, id)); }
    bool open(const ProfileInfo& info) {
        QSignalSpy loaded(&details, &TFormCategoryDetails::loaded);
        details.Prepare(info, [this] { ++marks; });
        details.show();
        return loaded.wait(15000) && loaded.front().front().toBool();
    }
    Rows members(int setId) const {
        Rows ids;
        const db::Result result = env.exec(QStringLiteral("SELECT ReportCategoryId FROM "
                                                          "TReportCategorySet_TReportCategory WHERE "
                                                          "ReportProfileId = %1 AND ReportCategorySetId = %2 "
                                                          "ORDER BY MemberOrder")
                                               .arg(kProfile)
                                               .arg(setId));
        for (const db::Row& row : result.resultSets.at(0).rows) ids.push_back(row[0].toInt());
        return ids;
    }
    QString setRow(int setId) const {
        return env
            .scalar(
                QStringLiteral("SELECT ReportCategorySetTitle || '|' || CategorySetSortOrder || '|' || "
                               "CategorySetEnabled FROM TReportCategorySet WHERE ReportProfileId = %1 AND "
                               "ReportCategorySetId = %2")
                    .arg(kProfile)
                    .arg(setId))
            .toString();
    }
    template <typename T = QPushButton>
    T* child(const char* name) {
        return testing_support::child<T>(details, name);
    }
    QListWidget* list() { return child<QListWidget>("CheckListBoxCategory"); }
    QComboBox* combo() { return child<QComboBox>("ComboBoxCategorySet"); }
    // Rows of the check list that are checked / whose mark the user cannot change.
    Rows rows(bool fixedOnes) {
        Rows rows;
        for (int i = 0; i < list()->count(); ++i)
            if (fixedOnes ? !list()->item(i)->flags().testFlag(Qt::ItemIsUserCheckable) : isChecked(i))
                rows.push_back(i);
        return rows;
    }
    Rows checked() { return rows(false); }
    Rows fixed() { return rows(true); }
    bool isChecked(int row) { return list()->item(row)->checkState() == Qt::Checked; }
    void check(int row, bool on) { list()->item(row)->setCheckState(on ? Qt::Checked : Qt::Unchecked); }

    Windows(const Windows&) = delete;
    Windows& operator=(const Windows&) = delete;

    std::shared_ptr<Hooks> hooks;
    std::shared_ptr<reportdb::ProcedureRegistry> registry;
    WrappedProcedure access;
    WrappedProcedure titleSaves;
    Environment env;
    TFormRenameCategorySet rename;
    TFormManageCategorySet manage;
    TFormCategoryDetails details;
    int marks = 0;  // calls of the regeneration marker
};

}  // namespace

TEST(TFormCategoryDetails, EachSetTakesItsOwnMarksAndOkWritesEverySet) {
    Windows w;
    // Two sets of one title are still two sets.
    w.env.exec(
        QStringLiteral("UPDATE TReportCategorySet SET ReportCategorySetTitle = 'Availability' WHERE "
                       "ReportProfileId = 4 AND ReportCategorySetId IN (1, 2)"));
    const Rows third = w.members(3);
    const QString thirdRow = w.setRow(3);
    ASSERT_TRUE(w.open(kProfile));
    ASSERT_EQ(w.combo()->count(), 2);  // the disabled set is not offered
    EXPECT_EQ(w.checked(), (Rows{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(w.list()->currentRow(), 0);
    // Selecting an item shows its description and changes nothing.
    w.list()->setCurrentRow(2);
    EXPECT_EQ(w.child<QPlainTextEdit>("Memo1")->toPlainText(),
              w.details.configuration().categories[2].description);
    EXPECT_FALSE(w.details.isModified());

    w.check(4, false);  // Owner out of the first set
    EXPECT_TRUE(w.details.isModified());
    w.combo()->setCurrentIndex(1);
    EXPECT_EQ(w.checked(), (Rows{0, 2, 3, 5, 6, 7}));
    w.check(1, true);  // Utility and EEG negative prices into the second
    w.check(15, true);
    w.combo()->setCurrentIndex(0);
    EXPECT_FALSE(w.isChecked(4));
    EXPECT_FALSE(w.isChecked(15));

    // Minimised and restored, hidden and shown: no reload, the marks stay.
    w.details.showMinimized();
    w.details.showNormal();
    w.details.hide();
    w.details.show();
    EXPECT_FALSE(w.child<QTimer>("TimerStart")->isActive());
    EXPECT_TRUE(w.details.isModified());

    w.child("OkButton")->click();
    EXPECT_FALSE(w.details.isVisible());
    EXPECT_EQ(w.details.result(), TFormCategoryDetails::kResultSaved);
    EXPECT_EQ(w.marks, 1);
    EXPECT_EQ(w.members(1), (Rows{1, 2, 3, 4, 6, 7, 8}));
    EXPECT_EQ(w.members(2), (Rows{1, 2, 3, 4, 6, 7, 8, 16}));
    // The disabled set is sent as it was.
    EXPECT_EQ(w.members(3), third);
    EXPECT_EQ(w.setRow(3), thirdRow);

    // OK without a change saves, but the shadow data still fit.
    ASSERT_TRUE(w.open(kProfile));
    w.child("OkButton")->click();
    EXPECT_EQ(w.hooks->saves, 2);
    EXPECT_EQ(w.marks, 1);

    // Normal operation taken out of the disabled set behind the window's
    // back: the fixed item is sent with every set.
    w.env.exec(
        QStringLiteral("DELETE FROM TReportCategorySet_TReportCategory WHERE ReportProfileId = 4 AND "
                       "ReportCategorySetId = 3 AND ReportCategoryId = 1"));
    ASSERT_TRUE(w.open(kProfile));
    w.child("OkButton")->click();
    EXPECT_EQ(w.members(3), third);
}

TEST(TFormCategoryDetails, FixedItemsAndTheEditingRule) {
    Windows w;
    struct Case {
        const char* what;
        int profile;
        const char* features;
        bool eeg;
        bool locked;
        Rows fixed;
        bool editable;
    };
    const Case cases[] = {
        {"IEC reporting: the IEC categories",
         kIecProfile,
         "3,153",
         false,
         false,
         {8, 9, 10, 11, 12, 13},
         true},
        {"IEC reporting without its feature: none", kIecProfile, "3", false, false, {}, true},
        {"EEG reporting: the EEG categories", kProfile, "3,153", true, false, {14, 15}, true},
        {"locked profile", kProfile, "3,153", false, true, {0}, false},
        {"no right to edit", kProfile, "153", false, false, {0}, false},
    };
    bool managed = false;
    WhenShown manage(w.manage, [&] {
        managed = true;
        w.manage.reject();
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        w.env.context.session().FeatureCodes = app::ParseFeatureCodes(QLatin1String(c.features));
        ProfileInfo profile = profileInfo(w.env, c.profile);
        profile.UseEEGReporting = c.eeg;
        profile.Locked = c.locked;
        ASSERT_TRUE(w.open(profile));
        EXPECT_EQ(w.fixed(), c.fixed);
        for (int row : c.fixed) EXPECT_TRUE(w.isChecked(row)) << row;
        EXPECT_EQ((std::vector<bool>{w.list()->isEnabled(), w.child("OkButton")->isEnabled(),
                                     w.child("ButtonManage")->isEnabled()}),
                  std::vector<bool>(3, c.editable));
        EXPECT_TRUE(w.combo()->isEnabled());  // the sets can always be looked at
        if (!c.editable) {
            w.details.ButtonManageClick();
            w.details.OkButtonClick();
            EXPECT_TRUE(w.details.isVisible());
        }
        w.details.reject();
    }
    EXPECT_FALSE(managed);
    EXPECT_EQ(w.hooks->saves, 0);
}

TEST(TFormCategoryDetails, RefusedSavesKeepTheWindowAndTheChanges) {
    Windows w;
    const QString separated = QStringLiteral("Owner; by site, weekly");
    struct Case {
        const char* what;
        QString thirdTitle;  // empty: as it is
        int answer;
        int message;  // of the report dialog file
        bool sent;
    };
    const Case cases[] = {
        {"sets refused", {}, 1001, 3101, true},
        {"unknown category", {}, 1002, 3103, true},
        {"any other refusal", {}, 7, 3102, true},
        {"lists too long", QString(8001, u'x'), 0, 3104, false},
        {"a title holding a list separator", separated, 0, 9010, false},
    };
    auto& texts = w.env.context.texts();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.thirdTitle.isEmpty())
            w.env.exec(QStringLiteral("UPDATE TReportCategorySet SET ReportCategorySetTitle = '%1' WHERE "
                                      "ReportProfileId = 4 AND ReportCategorySetId = 3")
                           .arg(c.thirdTitle));
        w.hooks->answer = c.answer;
        if (w.details.isVisible()) w.details.reject();
        ASSERT_TRUE(w.open(kProfile));
        w.check(5, false);
        const int saves = w.hooks->saves;
        w.child("OkButton")->click();
        const auto shown = w.env.prompts.take();
        ASSERT_EQ(shown.size(), 1u);
        const QString text = texts.reportDialog(c.message);
        EXPECT_EQ(shown[0].text, c.message == 9010 ? text.arg(separated) : text);
        EXPECT_EQ(w.hooks->saves, saves + (c.sent ? 1 : 0));
        EXPECT_TRUE(w.details.isVisible() && !w.isChecked(5) && w.child("OkButton")->isEnabled());
        EXPECT_EQ(w.members(1), (Rows{1, 2, 3, 4, 5, 6, 7, 8}));
        EXPECT_EQ(w.marks, 0);
    }
}

TEST(TFormCategoryDetails, LoadsThatLeaveNothingToEdit) {
    Windows w;
    // No such profile: the procedure refuses and the window closes.
    EXPECT_FALSE(w.open(999));
    EXPECT_EQ(w.env.prompts.take().size(), 1u);
    EXPECT_FALSE(w.details.isVisible());
    EXPECT_FALSE(w.env.status.isVisible());
    EXPECT_EQ(w.details.result(), TFormCategoryDetails::kResultNotSaved);

    // No enabled set: nothing selected, no marks to set, until one is switched on.
    w.env.exec(
        QStringLiteral("UPDATE TReportCategorySet SET CategorySetEnabled = 0 WHERE ReportProfileId = 4"));
    ASSERT_TRUE(w.open(kProfile));
    EXPECT_EQ(w.combo()->count(), 0);
    EXPECT_EQ(w.details.selectedSetIndex(), -1);
    EXPECT_FALSE(w.list()->isEnabled());
    EXPECT_EQ(w.checked(), Rows{0});
    WhenShown manage(w.manage, [&] {
        w.manage.findChild<QListWidget*>("CheckListBoxCategorySet")->item(1)->setCheckState(Qt::Checked);
        w.manage.accept();
    });
    w.child("ButtonManage")->click();
    ASSERT_EQ(w.combo()->count(), 1);
    EXPECT_EQ(w.details.selectedSetIndex(), 1);
    EXPECT_TRUE(w.list()->isEnabled());
    EXPECT_EQ(w.checked(), (Rows{0, 2, 3, 5, 6, 7}));
    w.child("OkButton")->click();
    EXPECT_EQ(w.setRow(2), "Technical availability|2|1");
    EXPECT_EQ(w.marks, 1);  // a set switched on is a change
}

TEST(TFormCategoryDetails, ManualTitles) {
    Windows w;
    // A database older than manual titles: not asked, no button, a good load.
    w.hooks->withoutManualTitles = true;
    ASSERT_TRUE(w.open(kProfile));
    auto* edit = w.child("EditButton");
    EXPECT_TRUE(edit->isHidden());
    EXPECT_EQ(*w.access.calls, 0);
    // Without the module: no button, and asked again at every load.
    w.hooks->withoutManualTitles = false;
    w.env.exec(QStringLiteral("UPDATE TUserModuleAccess SET ModuleId = -ModuleId"));
    for (int load = 1; load <= 2; ++load) {
        ASSERT_TRUE(w.open(kProfile));
        EXPECT_TRUE(edit->isHidden());
        EXPECT_EQ(*w.access.calls, load);
    }
    // With it: asked once more, then no longer.
    w.env.exec(QStringLiteral("UPDATE TUserModuleAccess SET ModuleId = -ModuleId"));
    ASSERT_TRUE(w.open(kProfile));
    EXPECT_FALSE(edit->isHidden());
    EXPECT_FALSE(edit->isEnabled());  // normal operation has no manual title
    w.list()->setCurrentRow(1);       // Utility
    ASSERT_TRUE(edit->isEnabled());
    const auto manualTitle = [&] {
        return w.env.scalar(QStringLiteral(
            "SELECT ReportCategoryTitleManual FROM TReportCategory WHERE ReportCategoryId = 2"));
    };
    const QVariant stored = manualTitle();

    // The same title again: nothing is saved.
    WhenShown same(w.rename, [&] {
        EXPECT_EQ(w.rename.edit()->text(), stored.toString());
        w.rename.accept();
    });
    edit->click();
    EXPECT_TRUE(same.fired());
    EXPECT_EQ(*w.titleSaves.calls, 0);

    // Another category's title: refused by the database, the window stays.
    WhenShown taken(w.rename, [&] {
        w.rename.edit()->setText("manufacturer");
        w.rename.accept();
    });
    edit->click();
    EXPECT_EQ(w.env.prompts.take().size(), 1u);
    EXPECT_TRUE(w.details.isVisible());
    EXPECT_EQ(manualTitle(), stored);

    // A new title is trimmed and saved; the reload keeps the unsaved set changes.
    w.check(6, false);
    w.combo()->setCurrentIndex(1);
    w.check(1, true);
    w.list()->setCurrentRow(1);
    QSignalSpy reloaded(&w.details, &TFormCategoryDetails::loaded);
    WhenShown fresh(w.rename, [&] {
        w.rename.edit()->setText("  Grid operator stops ");
        w.rename.accept();
    });
    Q_EMIT w.list()->itemDoubleClicked(w.list()->item(1));
    ASSERT_TRUE(fresh.fired());
    ASSERT_TRUE(reloaded.wait(15000));
    EXPECT_EQ(manualTitle().toString(), "Grid operator stops");
    EXPECT_EQ(w.combo()->currentIndex(), 1);
    EXPECT_TRUE(w.isChecked(1));
    w.combo()->setCurrentIndex(0);
    EXPECT_FALSE(w.isChecked(6));
    EXPECT_EQ(*w.access.calls, 3);
}
