// The category configuration window, headless, on the small demo database:
// load, set switching, check marks, the manage dialog, saving and its
// refusals, manual titles and the rights that make it read-only.

#include "CategorizationTestSupport.h"
#include "categorization/TFormCategoryDetails.h"
#include "categorization/TFormManageCategorySet.h"
#include "categorization/TFormRenameCategorySet.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using categorization::ProfileInfo;
using namespace categorization_test;

namespace {

// Demo profiles: 2 is locked; 4 has a third, disabled set "Owner reporting".
constexpr int kLockedProfile = 2;
constexpr int kExportProfile = 4;
constexpr int kWholePark = 1;  // reports IEC categories

struct Windows {
    explicit Windows(const categorization_test::Setup& setup = {})
        : env(setup),
          rename(env.context),
          manage(env.context, rename),
          details(env.context, manage, rename) {}
    ~Windows() { details.hide(); }

    ProfileInfo profile(int id) {
        const db::Result result = env.exec(
            QStringLiteral("SELECT ReportProfileTitle, ReportProfileLocked, UseIECReporting, UseEEGReporting "
                           "FROM TReportProfile WHERE ReportProfileId = %1")
                .arg(id));
        ProfileInfo info;
        info.ReportProfileId = id;
        if (result.resultSets.empty() || result.resultSets[0].rows.empty()) return info;
        const db::Row& row = result.resultSets[0].rows[0];
        info.Title = row[0].toString();
        info.Locked = row[1].toInt() != 0;
        info.UseIECReporting = row[2].toBool();
        info.UseEEGReporting = row[3].toBool();
        return info;
    }

    // Prepares and shows the window for the profile; the load's outcome.
    bool open(int id) { return open(profile(id)); }
    bool open(const ProfileInfo& info) {
        QSignalSpy loaded(&details, &TFormCategoryDetails::loaded);
        details.Prepare(info, [this] { ++marks; });
        details.show();
        if (!loaded.wait(15000)) return false;
        return loaded.front().front().toBool();
    }

    std::vector<int> members(int profileId, int setId) const {
        std::vector<int> ids;
        const db::Result result = env.exec(QStringLiteral("SELECT ReportCategoryId FROM "
                                                          "TReportCategorySet_TReportCategory WHERE "
                                                          "ReportProfileId = %1 AND ReportCategorySetId = %2 "
                                                          "ORDER BY MemberOrder")
                                               .arg(profileId)
                                               .arg(setId));
        for (const db::Row& row : result.resultSets.at(0).rows) ids.push_back(row[0].toInt());
        return ids;
    }
    QString setRow(int profileId, int setId) const {
        const db::Result result = env.exec(
            QStringLiteral("SELECT ReportCategorySetTitle || '|' || CategorySetSortOrder || '|' || "
                           "CategorySetEnabled FROM TReportCategorySet WHERE ReportProfileId = %1 AND "
                           "ReportCategorySetId = %2")
                .arg(profileId)
                .arg(setId));
        return result.resultSets.at(0).rows.empty() ? QString() : result.resultSets[0].rows[0][0].toString();
    }

    template <typename T>
    T* child(const char* name) {
        T* found = details.findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(found) << name;
        return found;
    }
    QString text(int number) { return env.context.texts().profile(number); }
    QListWidget* list() { return child<QListWidget>("CheckListBoxCategory"); }
    QComboBox* combo() { return child<QComboBox>("ComboBoxCategorySet"); }
    std::vector<bool> checks() {
        std::vector<bool> marks;
        for (int i = 0; i < list()->count(); ++i)
            marks.push_back(list()->item(i)->checkState() == Qt::Checked);
        return marks;
    }
    bool userCheckable(int row) { return list()->item(row)->flags().testFlag(Qt::ItemIsUserCheckable); }
    void check(int row, bool on) { list()->item(row)->setCheckState(on ? Qt::Checked : Qt::Unchecked); }

    Windows(const Windows&) = delete;
    Windows& operator=(const Windows&) = delete;

    Environment env;
    TFormRenameCategorySet rename;
    TFormManageCategorySet manage;
    TFormCategoryDetails details;
    int marks = 0;  // calls of the regeneration marker
};

// A registry whose save answers with `*answer` (0: the real procedure).
std::shared_ptr<reportdb::ProcedureRegistry> saveAnswering(std::shared_ptr<int> answer) {
    auto registry = reportdb::standardRegistry();
    reportdb::ProcedureDefinition definition =
        *registry->find(QStringLiteral("WMS_SP_CRQ_HandleReportCategory"));
    const reportdb::ProcedureFn real = definition.body;
    definition.body = [real, answer](reportdb::ProcedureContext& context, const reportdb::Arguments& args) {
        if (args.toInt(QStringLiteral("@Action")) != 1 || *answer == 0) return real(context, args);
        reportdb::ProcedureResult result;
        result.returnValue = *answer;
        return result;
    };
    registry->add(definition);
    return registry;
}

using V = std::vector<bool>;
const std::vector<int> kAllEight{1, 2, 3, 4, 5, 6, 7, 8};

}  // namespace

TEST(TFormCategoryDetails, LoadShowsSetsAndCategories) {
    Windows w;
    ASSERT_TRUE(w.open(kExportProfile));
    EXPECT_EQ(w.details.windowTitle(), w.text(104) + " (Monthly availability export)");
    EXPECT_EQ(w.child<QLabel>("LabelCategorySet")->text(), w.text(432));
    EXPECT_EQ(w.child<QLabel>("LabelCategory")->text(), w.text(433));
    EXPECT_EQ(w.child<QLabel>("LabelDescription")->text(), w.text(434));
    EXPECT_EQ(w.child<QGroupBox>("GroupBoxDetails")->title(), " " + w.text(431) + " ");
    EXPECT_EQ(w.child<QPushButton>("ButtonManage")->text(), w.text(435));
    EXPECT_EQ(w.child<QPushButton>("OkButton")->text(), w.text(50));
    EXPECT_EQ(w.child<QPushButton>("CancelButton")->text(), w.text(51));
    EXPECT_FALSE(w.env.status.isVisible());

    // The disabled set is not offered; the first set is selected.
    ASSERT_EQ(w.combo()->count(), 2);
    EXPECT_EQ(w.combo()->itemText(0), "Contractual availability");
    EXPECT_EQ(w.combo()->itemText(1), "Technical availability");
    EXPECT_EQ(w.details.selectedSetIndex(), 0);
    ASSERT_EQ(w.list()->count(), 16);
    EXPECT_EQ(w.list()->item(0)->text(), "Normal Operation");
    // Neither IEC nor EEG reporting: the first item is fixed.
    EXPECT_EQ(w.checks(), (V{true, true, true, true, true, true, true, true, false, false, false, false,
                             false, false, false, false}));
    EXPECT_FALSE(w.userCheckable(0));
    EXPECT_TRUE(w.userCheckable(1));
    EXPECT_TRUE(w.userCheckable(15));
    // The first item is selected as if clicked: its description; selecting
    // changes nothing.
    EXPECT_EQ(w.list()->currentRow(), 0);
    EXPECT_TRUE(w.child<QPlainTextEdit>("Memo1")->toPlainText().startsWith("The unit runs"));
    EXPECT_FALSE(w.details.isModified());
    // Manual titles: the demo administrator has the module; category 1 has no manual title.
    EXPECT_TRUE(w.details.manualTitlesAvailable());
    auto* edit = w.child<QPushButton>("EditButton");
    EXPECT_FALSE(edit->isHidden());
    EXPECT_FALSE(edit->isEnabled());
    w.list()->setCurrentRow(2);
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_TRUE(w.child<QPlainTextEdit>("Memo1")->toPlainText().startsWith("Faults and stops"));
    EXPECT_FALSE(w.details.isModified());
    // A check mark is a change until it is taken back.
    w.check(2, false);
    EXPECT_TRUE(w.details.isModified());
    w.check(2, true);
    EXPECT_FALSE(w.details.isModified());
    EXPECT_TRUE(w.list()->isEnabled());
    EXPECT_TRUE(w.child<QPushButton>("ButtonManage")->isEnabled());
    EXPECT_TRUE(w.child<QPushButton>("OkButton")->isEnabled());
    EXPECT_TRUE(w.env.trace.contains("Enter Function: TFormCategoryDetails::TimerStartTimer"));
    EXPECT_TRUE(w.env.trace.contains("Enter Function: TFormStatus::StartStatusDialog"));
}

TEST(TFormCategoryDetails, MarksFollowTheSetAndOkWritesEverySet) {
    Windows w;
    ASSERT_TRUE(w.open(kExportProfile));
    const std::vector<int> ownerReporting = w.members(kExportProfile, 3);

    w.check(4, false);  // Owner out of the contractual set
    w.combo()->setCurrentIndex(1);
    EXPECT_EQ(w.details.selectedSetIndex(), 1);
    EXPECT_EQ(w.checks(), (V{true, false, true, true, false, true, true, true, false, false, false, false,
                             false, false, false, false}));
    w.check(1, true);   // Utility into the technical set
    w.check(15, true);  // and EEG negative prices
    w.combo()->setCurrentIndex(0);
    EXPECT_EQ(w.checks(), (V{true, true, true, true, false, true, true, true, false, false, false, false,
                             false, false, false, false}));
    w.combo()->setCurrentIndex(1);
    EXPECT_TRUE(w.checks()[1]);
    EXPECT_TRUE(w.checks()[15]);

    w.child<QPushButton>("OkButton")->click();
    EXPECT_FALSE(w.details.isVisible());
    EXPECT_EQ(w.details.result(), TFormCategoryDetails::kResultSaved);
    EXPECT_EQ(w.marks, 1);
    EXPECT_EQ(w.members(kExportProfile, 1), (std::vector<int>{1, 2, 3, 4, 6, 7, 8}));
    EXPECT_EQ(w.members(kExportProfile, 2), (std::vector<int>{1, 2, 3, 4, 6, 7, 8, 16}));
    // The disabled set is sent too, as it was.
    EXPECT_EQ(w.members(kExportProfile, 3), ownerReporting);
    EXPECT_EQ(w.setRow(kExportProfile, 3), "Owner reporting|3|0");
    EXPECT_TRUE(w.env.trace.contains("Enter Function: TFormCategoryDetails::SaveCategoryConfiguration"));

    // OK without a change saves, but marks nothing: the shadow data still fit.
    ASSERT_TRUE(w.open(kExportProfile));
    w.combo()->setCurrentIndex(1);
    w.child<QPushButton>("OkButton")->click();
    EXPECT_FALSE(w.details.isVisible());
    EXPECT_EQ(w.details.result(), TFormCategoryDetails::kResultSaved);
    EXPECT_EQ(w.marks, 1);
    EXPECT_EQ(w.members(kExportProfile, 2), (std::vector<int>{1, 2, 3, 4, 6, 7, 8, 16}));
}

TEST(TFormCategoryDetails, FixedCategoriesAreMembersOfEverySet) {
    Windows w;
    // Category 1 taken out of the sets behind the window's back.
    w.env.exec(
        QStringLiteral("DELETE FROM TReportCategorySet_TReportCategory WHERE ReportProfileId = 4 AND "
                       "ReportCategoryId = 1 AND ReportCategorySetId > 1"));
    ASSERT_TRUE(w.open(kExportProfile));
    w.combo()->setCurrentIndex(1);
    EXPECT_TRUE(w.checks()[0]);
    w.child<QPushButton>("OkButton")->click();
    EXPECT_EQ(w.members(kExportProfile, 2).front(), 1);
    EXPECT_EQ(w.members(kExportProfile, 3).front(), 1);  // never shown, still sent with it

    // IEC reporting: the IEC categories are fixed, the first item is not.
    ASSERT_TRUE(w.open(kWholePark));
    ASSERT_TRUE(w.profile(kWholePark).UseIECReporting);
    EXPECT_TRUE(w.userCheckable(0));
    for (int row = 8; row <= 13; ++row) {
        EXPECT_FALSE(w.userCheckable(row)) << row;
        EXPECT_TRUE(w.checks()[size_t(row)]) << row;
    }
    EXPECT_TRUE(w.userCheckable(14));
    w.child<QPushButton>("CancelButton")->click();
    EXPECT_EQ(w.details.result(), TFormCategoryDetails::kResultNotSaved);

    // EEG reporting: the EEG categories are fixed.
    ProfileInfo eeg = w.profile(kExportProfile);
    eeg.UseEEGReporting = true;
    ASSERT_TRUE(w.open(eeg));
    EXPECT_TRUE(w.userCheckable(0));
    EXPECT_FALSE(w.userCheckable(14));
    EXPECT_FALSE(w.userCheckable(15));
    EXPECT_TRUE(w.checks()[14] && w.checks()[15]);
    w.details.reject();
    EXPECT_EQ(w.marks, 1);
}

TEST(TFormCategoryDetails, IecCategoriesNeedTheFeature) {
    categorization_test::Setup setup;
    setup.features = "3";
    Windows w(setup);
    ASSERT_TRUE(w.open(kWholePark));
    // The IEC flags are not read: no category is fixed on this IEC profile.
    for (int row = 0; row < w.list()->count(); ++row) EXPECT_TRUE(w.userCheckable(row)) << row;
    w.details.reject();
}

TEST(TFormCategoryDetails, ManageDialogRoundTrip) {
    Windows w;
    ASSERT_TRUE(w.open(kExportProfile));
    w.check(2, false);  // Manufacturer out of the contractual set, before managing

    bool checkedManage = false;
    WhenShown manage(w.manage, [&] {
        auto* list = w.manage.findChild<QListWidget*>("CheckListBoxCategorySet");
        auto* up = w.manage.findChild<QWidget*>("BitBtnUp");
        auto* down = w.manage.findChild<QWidget*>("BitBtnDown");
        auto* rename = w.manage.findChild<QPushButton*>("ButtonRename");
        EXPECT_EQ(w.manage.windowTitle(), w.text(450));
        EXPECT_EQ(w.manage.findChild<QPushButton*>("ButtonRename")->text(), w.text(57));
        EXPECT_EQ(up->toolTip(), w.text(441));
        EXPECT_EQ(down->toolTip(), w.text(442));
        ASSERT_EQ(list->count(), 3);
        EXPECT_EQ(list->item(2)->text(), "Owner reporting");
        EXPECT_EQ(list->item(2)->checkState(), Qt::Unchecked);
        EXPECT_FALSE(list->item(0)->flags().testFlag(Qt::ItemIsUserCheckable));  // the main set
        list->setCurrentRow(-1);
        EXPECT_FALSE(rename->isEnabled() || up->isEnabled() || down->isEnabled());
        list->setCurrentRow(0);
        EXPECT_TRUE(rename->isEnabled());
        EXPECT_FALSE(up->isEnabled() || down->isEnabled());
        list->setCurrentRow(2);
        list->item(2)->setCheckState(Qt::Checked);
        EXPECT_TRUE(up->isEnabled() && down->isEnabled());
        QTest::mouseClick(up, Qt::LeftButton);
        EXPECT_EQ(list->currentRow(), 1);
        EXPECT_EQ(list->item(1)->text(), "Owner reporting");
        EXPECT_EQ(list->item(1)->checkState(), Qt::Checked);
        EXPECT_FALSE(up->isEnabled());

        WhenShown typing(w.rename, [&] {
            EXPECT_EQ(w.rename.findChild<QLabel*>("Label1")->text(), w.text(432));
            EXPECT_EQ(w.rename.windowTitle(), w.text(460));
            auto* edit = w.rename.edit();
            EXPECT_EQ(edit->text(), "Owner reporting");
            QTest::keyClicks(edit, "Owner; view");  // selected text replaced, ";" swallowed
            QTest::keyClick(edit, Qt::Key_Return);
        });
        QTest::mouseClick(rename, Qt::LeftButton);
        EXPECT_TRUE(typing.fired());
        EXPECT_EQ(list->item(1)->text(), "Owner view");
        EXPECT_EQ(list->currentRow(), 1);
        checkedManage = true;
        w.manage.findChild<QPushButton*>("OkButton")->click();
    });
    w.child<QPushButton>("ButtonManage")->click();
    ASSERT_TRUE(checkedManage);

    // The combo lists the enabled sets in set order, not by sort order.
    ASSERT_EQ(w.combo()->count(), 3);
    EXPECT_EQ(w.combo()->itemText(2), "Owner view");
    EXPECT_EQ(w.combo()->currentIndex(), 0);
    EXPECT_FALSE(w.checks()[2]);  // the change before managing is kept

    // A cancelled manage dialog changes nothing.
    WhenShown cancel(w.manage, [&] {
        auto* list = w.manage.findChild<QListWidget*>("CheckListBoxCategorySet");
        list->item(2)->setCheckState(Qt::Unchecked);
        w.manage.findChild<QPushButton*>("CancelButton")->click();
    });
    w.child<QPushButton>("ButtonManage")->click();
    EXPECT_TRUE(cancel.fired());
    EXPECT_EQ(w.combo()->count(), 3);

    w.child<QPushButton>("OkButton")->click();
    EXPECT_EQ(w.setRow(kExportProfile, 1), "Contractual availability|1|1");
    EXPECT_EQ(w.setRow(kExportProfile, 2), "Technical availability|3|1");
    EXPECT_EQ(w.setRow(kExportProfile, 3), "Owner view|2|1");
    EXPECT_EQ(w.members(kExportProfile, 1), (std::vector<int>{1, 2, 4, 5, 6, 7, 8}));
}

TEST(TFormCategoryDetails, ReadOnlyOnLockedProfileOrWithoutTheRight) {
    {
        Windows w;
        w.details.Prepare(w.profile(kLockedProfile), {});
        EXPECT_FALSE(w.child<QPushButton>("OkButton")->isEnabled());
        w.details.Prepare(w.profile(kExportProfile), {});
        EXPECT_TRUE(w.child<QPushButton>("OkButton")->isEnabled());

        ASSERT_TRUE(w.open(kLockedProfile));
        EXPECT_FALSE(w.list()->isEnabled());
        EXPECT_FALSE(w.child<QPushButton>("ButtonManage")->isEnabled());
        EXPECT_FALSE(w.child<QPushButton>("OkButton")->isEnabled());
        EXPECT_TRUE(w.child<QPushButton>("CancelButton")->isEnabled());
        EXPECT_TRUE(w.combo()->isEnabled());  // the sets can still be looked at
        w.details.OkButtonClick();
        EXPECT_TRUE(w.details.isVisible());
        EXPECT_FALSE(w.env.trace.contains("Enter Function: TFormCategoryDetails::SaveCategoryConfiguration"));
        w.child<QPushButton>("CancelButton")->click();
        EXPECT_EQ(w.marks, 0);
    }
    categorization_test::Setup setup;
    setup.features = "153";
    Windows w(setup);
    ASSERT_TRUE(w.open(kExportProfile));
    EXPECT_FALSE(w.list()->isEnabled());
    EXPECT_FALSE(w.child<QPushButton>("ButtonManage")->isEnabled());
    EXPECT_FALSE(w.child<QPushButton>("OkButton")->isEnabled());
    w.details.ButtonManageClick();  // refused: no dialog opens
    EXPECT_FALSE(w.env.trace.contains("Enter Function: TFormManageCategorySet::Execute"));
}

TEST(TFormCategoryDetails, FailedSaveKeepsTheWindowAndTheChanges) {
    auto answer = std::make_shared<int>(1001);
    categorization_test::Setup setup;
    setup.registry = saveAnswering(answer);
    Windows w(setup);
    auto& texts = w.env.context.texts();
    ASSERT_TRUE(w.open(kExportProfile));
    w.check(3, false);
    const std::vector<int> before = w.members(kExportProfile, 1);

    for (const auto& [value, text] : {std::pair{1001, 3101}, std::pair{1002, 3103}, std::pair{7, 3102}}) {
        *answer = value;
        w.child<QPushButton>("OkButton")->click();
        const auto shown = w.env.prompts.take();
        ASSERT_EQ(shown.size(), 1u) << value;
        EXPECT_EQ(shown[0].text, texts.reportDialog(text));
        EXPECT_EQ(shown[0].caption, texts.reportDialog(3100));
        EXPECT_EQ(shown[0].icon, ui::Icon::Error);
        EXPECT_TRUE(w.details.isVisible());
        EXPECT_FALSE(w.checks()[3]);
        EXPECT_TRUE(w.child<QPushButton>("OkButton")->isEnabled());
        EXPECT_TRUE(w.list()->isEnabled());
        EXPECT_EQ(w.members(kExportProfile, 1), before);
        EXPECT_EQ(w.marks, 0);
    }
    EXPECT_FALSE(w.env.status.isVisible());

    // Retried with the database willing: written, marked, closed.
    *answer = 0;
    w.child<QPushButton>("OkButton")->click();
    EXPECT_FALSE(w.details.isVisible());
    EXPECT_EQ(w.members(kExportProfile, 1), (std::vector<int>{1, 2, 3, 5, 6, 7, 8}));
    EXPECT_EQ(w.marks, 1);
}

TEST(TFormCategoryDetails, OverlongSaveListIsRefusedAndKept) {
    Windows w;
    w.env.exec(QStringLiteral(
                   "UPDATE TReportCategorySet SET ReportCategorySetTitle = '%1' WHERE ReportProfileId = 4 "
                   "AND ReportCategorySetId = 3")
                   .arg(QString(8001, u'x')));
    ASSERT_TRUE(w.open(kExportProfile));
    w.check(5, false);
    const int statusRuns = w.env.trace.count("Enter Function: TFormStatus::StartStatusDialog");
    w.child<QPushButton>("OkButton")->click();
    const auto shown = w.env.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, w.env.context.texts().reportDialog(3104));
    EXPECT_EQ(shown[0].caption, w.env.context.texts().reportDialog(3100));
    EXPECT_EQ(shown[0].icon, ui::Icon::Error);
    EXPECT_TRUE(w.details.isVisible());
    EXPECT_FALSE(w.checks()[5]);
    EXPECT_EQ(w.env.trace.count("Enter Function: TFormStatus::StartStatusDialog"),
              statusRuns);  // nothing sent
    EXPECT_EQ(w.members(kExportProfile, 1), kAllEight);
    w.child<QPushButton>("CancelButton")->click();
    EXPECT_EQ(w.marks, 0);
    EXPECT_EQ(w.details.result(), TFormCategoryDetails::kResultNotSaved);
}

TEST(TFormCategoryDetails, ManualTitles) {
    Windows w;
    auto manualTitle = [&](int id) {
        return w.env.scalar(
            QStringLiteral(
                "SELECT ReportCategoryTitleManual FROM TReportCategory WHERE ReportCategoryId = %1")
                .arg(id));
    };
    ASSERT_TRUE(w.open(kExportProfile));
    auto* edit = w.child<QPushButton>("EditButton");
    w.list()->setCurrentRow(1);  // Utility
    ASSERT_TRUE(edit->isEnabled());
    const QVariant stored = manualTitle(2);

    // The same title again: nothing is saved.
    WhenShown same(w.rename, [&] {
        EXPECT_EQ(w.rename.findChild<QLabel*>("Label1")->text(), w.text(461));
        EXPECT_EQ(w.rename.edit()->text(), stored.toString());
        w.rename.findChild<QPushButton*>("OkButton")->click();
    });
    edit->click();
    EXPECT_TRUE(same.fired());
    EXPECT_EQ(w.rename.findChild<QLabel*>("Label1")->text(), w.text(432));
    EXPECT_FALSE(w.env.trace.contains("Enter Function: TFormCategoryDetails::SaveCategoryTitle"));

    // Another category's title: refused by the database, the window stays.
    WhenShown taken(w.rename, [&] {
        w.rename.edit()->setText("manufacturer");
        w.rename.accept();
    });
    edit->click();
    auto shown = w.env.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "The category name already exists. Choose a different category name.");
    EXPECT_EQ(shown[0].caption, "Error");
    EXPECT_TRUE(w.details.isVisible());
    EXPECT_EQ(manualTitle(2), stored);

    // A new title is trimmed and saved; the window reloads and keeps the
    // set changes that were not saved yet.
    w.check(6, false);
    w.combo()->setCurrentIndex(1);
    w.check(1, true);
    w.list()->setCurrentRow(1);
    QSignalSpy reloaded(&w.details, &TFormCategoryDetails::loaded);
    WhenShown fresh(w.rename, [&] {
        w.rename.edit()->setText("  Grid operator stops ");
        w.rename.accept();
    });
    w.list()->itemDoubleClicked(w.list()->item(1));
    ASSERT_TRUE(fresh.fired());
    ASSERT_TRUE(reloaded.wait(15000));
    EXPECT_TRUE(reloaded.front().front().toBool());
    EXPECT_EQ(manualTitle(2).toString(), "Grid operator stops");
    EXPECT_EQ(w.details.configuration().categories[1].manualTitle, "Grid operator stops");
    EXPECT_EQ(w.combo()->currentIndex(), 1);
    EXPECT_TRUE(w.checks()[1]);
    w.combo()->setCurrentIndex(0);
    EXPECT_FALSE(w.checks()[6]);

    // Access was asked once in this run, though the window loaded three times.
    ASSERT_TRUE(w.open(kExportProfile));
    EXPECT_EQ(w.env.trace.count("Enter Function: TFormCategoryDetails::CheckManualTitleAccess"), 1);
    w.details.reject();
}

TEST(TFormCategoryDetails, ManualTitlesNeedTheModuleAndTheDatabase) {
    {
        Windows w;
        w.env.exec(QStringLiteral("DELETE FROM TUserModuleAccess"));
        ASSERT_TRUE(w.open(kExportProfile));
        EXPECT_FALSE(w.details.manualTitlesAvailable());
        EXPECT_TRUE(w.child<QPushButton>("EditButton")->isHidden());
        w.list()->setCurrentRow(1);
        w.details.EditButtonClick();  // no dialog
        ASSERT_TRUE(w.open(kExportProfile));
        // Asked again at every load while not available.
        EXPECT_EQ(w.env.trace.count("Enter Function: TFormCategoryDetails::CheckManualTitleAccess"), 2);
        w.details.reject();
    }
    categorization_test::Setup old;
    old.version = "3.10.0.0";
    Windows w(old);
    ASSERT_TRUE(w.open(kExportProfile));
    EXPECT_FALSE(w.details.manualTitlesAvailable());
    EXPECT_TRUE(w.child<QPushButton>("EditButton")->isHidden());
    EXPECT_FALSE(w.env.trace.contains("Enter Function: TFormCategoryDetails::CheckManualTitleAccess"));
    w.details.reject();
}

TEST(TFormCategoryDetails, LoadFailureClosesTheWindow) {
    Windows w;
    EXPECT_FALSE(w.open(999));  // no such profile: the procedure refuses
    auto shown = w.env.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "The category Information could not be retrieved.");
    EXPECT_EQ(shown[0].caption, "Error");
    EXPECT_EQ(shown[0].icon, ui::Icon::Error);
    EXPECT_FALSE(w.details.isVisible());
    EXPECT_FALSE(w.env.status.isVisible());
    EXPECT_EQ(w.details.result(), TFormCategoryDetails::kResultNotSaved);

    // More sets than the window holds: refused, not cut short.
    for (int id = 4; id <= 21; ++id)
        w.env.exec(
            QStringLiteral("INSERT INTO TReportCategorySet (ReportProfileId, ReportCategorySetId, "
                           "ReportCategorySetTitle, CategorySetSortOrder) VALUES (4, %1, 'Set %1', %1)")
                .arg(id));
    EXPECT_FALSE(w.open(kExportProfile));
    shown = w.env.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "The category Information could not be retrieved.");
    EXPECT_FALSE(w.details.isVisible());
}

TEST(TFormCategoryDetails, NoEnabledSet) {
    Windows w;
    w.env.exec(
        QStringLiteral("UPDATE TReportCategorySet SET CategorySetEnabled = 0 WHERE ReportProfileId = 4"));
    ASSERT_TRUE(w.open(kExportProfile));
    EXPECT_EQ(w.combo()->count(), 0);
    EXPECT_EQ(w.details.selectedSetIndex(), -1);
    EXPECT_FALSE(w.list()->isEnabled());
    EXPECT_TRUE(w.checks()[0]);
    EXPECT_FALSE(w.checks()[1]);

    // Switching the technical set on offers it again.
    WhenShown manage(w.manage, [&] {
        auto* list = w.manage.findChild<QListWidget*>("CheckListBoxCategorySet");
        list->item(1)->setCheckState(Qt::Checked);
        w.manage.accept();
    });
    w.child<QPushButton>("ButtonManage")->click();
    ASSERT_EQ(w.combo()->count(), 1);
    EXPECT_EQ(w.details.selectedSetIndex(), 1);
    EXPECT_TRUE(w.list()->isEnabled());
    EXPECT_FALSE(w.checks()[1]);
    EXPECT_TRUE(w.checks()[2]);
    w.child<QPushButton>("OkButton")->click();
    EXPECT_EQ(w.setRow(kExportProfile, 2), "Technical availability|2|1");
    EXPECT_EQ(w.setRow(kExportProfile, 1), "Contractual availability|1|0");
    EXPECT_EQ(w.marks, 1);  // a set switched on is a change
}

TEST(TFormCategoryDetails, ModalRunsReuseTheWindow) {
    Windows w;
    bool sawLoad = false;
    QObject::connect(&w.details, &TFormCategoryDetails::loaded, [&](bool ok) { sawLoad = ok; });
    WhenShown saveIt(
        w.details,
        [&] {
            w.check(5, false);
            w.child<QPushButton>("OkButton")->click();
        },
        [&] { return sawLoad; });
    int calls = 0;
    EXPECT_EQ(w.details.Execute(w.profile(kExportProfile), [&] { ++calls; }),
              TFormCategoryDetails::kResultSaved);
    EXPECT_EQ(calls, 1);

    // Opened again for another profile: its own caption and sets, nothing modified yet.
    sawLoad = false;
    w.details.Prepare(w.profile(kWholePark), {});
    EXPECT_FALSE(w.details.isModified());
    EXPECT_EQ(w.combo()->count(), 0);
    EXPECT_EQ(w.list()->count(), 0);
    WhenShown cancel(
        w.details,
        [&] {
            EXPECT_EQ(w.details.windowTitle(), w.text(104) + " (Whole park)");
            EXPECT_EQ(w.combo()->count(), 3);
            EXPECT_EQ(w.combo()->itemText(2), "IEC availability");
            QTest::keyClick(&w.details, Qt::Key_Escape);
        },
        [&] { return sawLoad; });
    EXPECT_EQ(w.details.Execute(w.profile(kWholePark), [&] { ++calls; }),
              TFormCategoryDetails::kResultNotSaved);
    EXPECT_TRUE(cancel.fired());
    EXPECT_EQ(calls, 1);
}

TEST(TFormCategoryDetails, ARestoreKeepsTheUnsavedChanges) {
    Windows w;
    ASSERT_TRUE(w.open(kExportProfile));
    w.combo()->setCurrentIndex(1);
    w.check(1, true);  // Utility into the technical set
    auto* timer = w.child<QTimer>("TimerStart");

    // Minimised and restored, hidden and shown: no reload is started.
    for (int i = 0; i < 2; ++i) {
        w.details.showMinimized();
        w.details.showNormal();
        EXPECT_FALSE(timer->isActive());
    }
    w.details.hide();
    w.details.show();
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(w.combo()->currentIndex(), 1);
    EXPECT_TRUE(w.checks()[1]);
    EXPECT_TRUE(w.details.isModified());

    w.child<QPushButton>("OkButton")->click();
    EXPECT_EQ(w.members(kExportProfile, 2), (std::vector<int>{1, 2, 3, 4, 6, 7, 8}));
    EXPECT_EQ(w.marks, 1);
}

TEST(TFormCategoryDetails, SetsOfTheSameTitleAreToldApart) {
    Windows w;
    w.env.exec(
        QStringLiteral("UPDATE TReportCategorySet SET ReportCategorySetTitle = 'Availability' WHERE "
                       "ReportProfileId = 4 AND ReportCategorySetId IN (1, 2)"));
    ASSERT_TRUE(w.open(kExportProfile));
    ASSERT_EQ(w.combo()->count(), 2);
    ASSERT_EQ(w.combo()->itemText(0), w.combo()->itemText(1));

    // The second shows its own members (Utility is only in the first) ...
    w.combo()->setCurrentIndex(1);
    EXPECT_EQ(w.details.selectedSetIndex(), 1);
    EXPECT_FALSE(w.checks()[1]);
    // ... and takes its own marks.
    w.check(1, true);
    w.combo()->setCurrentIndex(0);
    EXPECT_TRUE(w.checks()[1]);
    w.check(2, false);
    w.combo()->setCurrentIndex(1);
    EXPECT_TRUE(w.checks()[1]);
    EXPECT_TRUE(w.checks()[2]);

    w.child<QPushButton>("OkButton")->click();
    EXPECT_EQ(w.members(kExportProfile, 1), (std::vector<int>{1, 2, 4, 5, 6, 7, 8}));
    EXPECT_EQ(w.members(kExportProfile, 2), (std::vector<int>{1, 2, 3, 4, 6, 7, 8}));
}

TEST(TFormCategoryDetails, ATitleHoldingAListSeparatorIsNamedAndRenamed) {
    Windows w;
    const QString title = QStringLiteral("Owner; by site, weekly");
    w.env.exec(QStringLiteral("UPDATE TReportCategorySet SET ReportCategorySetTitle = '%1' WHERE "
                              "ReportProfileId = 4 AND ReportCategorySetId = 3")
                   .arg(title));
    ASSERT_TRUE(w.open(kExportProfile));
    w.check(5, false);
    const int statusRuns = w.env.trace.count("Enter Function: TFormStatus::StartStatusDialog");

    // Refused before anything is sent, naming the set; the changes stay.
    w.child<QPushButton>("OkButton")->click();
    const auto shown = w.env.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, w.env.context.texts().reportDialog(9010).arg(title));
    EXPECT_TRUE(shown[0].text.contains(title));
    EXPECT_EQ(shown[0].caption, w.env.context.texts().reportDialog(3100));
    EXPECT_EQ(shown[0].icon, ui::Icon::Error);
    EXPECT_TRUE(w.details.isVisible());
    EXPECT_EQ(w.env.trace.count("Enter Function: TFormStatus::StartStatusDialog"), statusRuns);
    EXPECT_FALSE(w.checks()[5]);
    EXPECT_EQ(w.marks, 0);

    // Renamed as offered (without the separators), it is saved.
    WhenShown manage(w.manage, [&] {
        w.manage.findChild<QListWidget*>("CheckListBoxCategorySet")->setCurrentRow(2);
        WhenShown rename(w.rename, [&] { w.rename.accept(); });
        w.manage.findChild<QPushButton*>("ButtonRename")->click();
        EXPECT_TRUE(rename.fired());
        w.manage.accept();
    });
    w.child<QPushButton>("ButtonManage")->click();
    ASSERT_TRUE(manage.fired());
    w.child<QPushButton>("OkButton")->click();
    EXPECT_TRUE(w.env.prompts.take().empty());
    EXPECT_FALSE(w.details.isVisible());
    EXPECT_EQ(w.setRow(kExportProfile, 3), "Owner by site weekly|3|0");
    EXPECT_EQ(w.members(kExportProfile, 1), (std::vector<int>{1, 2, 3, 4, 5, 7, 8}));
    EXPECT_EQ(w.marks, 1);
}
