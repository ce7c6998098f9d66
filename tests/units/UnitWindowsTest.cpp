// The unit windows headless on a small demo: the configuration's columns,
// rights, row lists, Apply and save offer, the grid's lookup editor, the
// selection dialog's buttons, and applying a selection from the
// configuration window: removals after the confirmation, additions with the
// start date, each unit one call under the progress dialog, and what a
// refusal or a failure leaves.

#include "UnitsTestSupport.h"
#include "support/Widgets.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QTableView>

using namespace units_test;
using testing_support::child;

namespace {

// The keys a lookup offers.
std::vector<int> offered(const ui::LookupList& list) {
    std::vector<int> keys;
    for (const auto& e : list.offered()) keys.push_back(e.key.isNull() ? 0 : e.key.toInt());
    return keys;
}

// Runs Add and remove on `profile`: `choose` moves units in the dialog, the
// confirmation is answered `confirm`, the start date dialog takes its day.
void addAndRemove(Environment& env, int profile, const std::function<void()>& choose,
                  const char* confirm = "ButtonYes") {
    ASSERT_TRUE(env.open(profile));
    WhenShown select(env.select, [&] {
        choose();
        child(env.select, "ButtonOK")->click();
    });
    WhenShown confirmation(env.deselected, [&] { child(env.deselected, confirm)->click(); });
    WhenShown date(env.startDate, [&] { env.startDate.ButtonOKClick(); });
    env.config.ButtonAddRemoveClick();
    EXPECT_TRUE(select.fired());
}

}  // namespace

TEST(ParkUnitConfiguration, ColumnsAndEditingByVersionAndRights) {
    const struct {
        const char* version;
        const char* features;
        int profile;
        bool editable, sectors, connectionPoints;
    } cases[] = {
        {"3.28.0.0", "3", 1, true, true, true},   {"2.31.0.0", "3", 1, true, true, false},
        {"2.29.0.0", "3", 1, true, false, false}, {"3.28.0.0", "101", 1, false, true, true},
        {"3.28.0.0", "3", 2, false, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.version) + " " + c.features + " " + std::to_string(c.profile));
        Environment env({c.version, c.features});
        ASSERT_TRUE(env.open(c.profile, c.profile == 2));
        EXPECT_EQ(env.config.isEditable(), c.editable);
        EXPECT_EQ(env.column("WindSectorGroupId") >= 0, c.sectors);
        EXPECT_EQ(env.column("ConnectionPointParkUnitId") >= 0, c.connectionPoints);
        EXPECT_EQ(child(env.config, "CancelButton")->text(), env.text(c.editable ? 51 : 52));
        for (const char* name : {"OkButton", "ButtonAddRemove"})
            EXPECT_EQ(child(env.config, name)->isEnabled(), c.editable) << name;
        EXPECT_EQ(env.config.grid()->editTriggers() != QAbstractItemView::NoEditTriggers, c.editable);
    }
    Environment env;
    ASSERT_TRUE(env.open(6));
    EXPECT_EQ(env.config.rows().recordCount(), 0);
    EXPECT_EQ(env.progresser.statusText(), env.text(9061));
}

TEST(ParkUnitConfiguration, AUnitIsNeverInItsOwnListsAndStationsReferToNone) {
    Environment env;
    env.database.exec("UPDATE TParkUnit SET ParkUnitTitle = 'O''Hara 2' WHERE ParkUnitId = 2");
    ASSERT_TRUE(env.open(1));
    db::DataSet& rows = env.config.rows();
    const ui::LookupList& turbines = env.config.lookups().turbines;
    ASSERT_TRUE(rows.locate("ParkUnitId", 2));
    EXPECT_EQ(offered(turbines), (std::vector<int>{0, 1, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(turbines.titleOf(2), "O'Hara 2");
    ASSERT_TRUE(rows.locate("ParkUnitId", 1));
    EXPECT_EQ(offered(turbines).size(), 8u);
    for (int station : {9, 12}) {
        ASSERT_TRUE(rows.locate("ParkUnitId", station));
        for (const ui::LookupList* list :
             {&turbines, &env.config.lookups().mets, &env.config.lookups().connectionPoints})
            EXPECT_EQ(offered(*list), std::vector<int>{0}) << station;
    }
}

TEST(ParkUnitConfiguration, ApplyWritesAndTheSaveOfferWritesOrDrops) {
    Environment env;
    const auto stored = [&](const char* column, int unit) {
        return env.database.scalar(
            QStringLiteral("SELECT %1 FROM TParkUnit_TReportProfile WHERE ParkUnitId = %2 "
                           "AND ReportProfileId = 1")
                .arg(column)
                .arg(unit));
    };
    auto* model = env.config.grid()->model();
    const auto set = [&](int row, const char* field, const QVariant& value) {
        ASSERT_TRUE(model->setData(model->index(row, env.column(field)), value));
    };
    ASSERT_TRUE(env.open(1));
    set(0, "NormLookup", QVariant());
    set(1, "HubHeightAltitude", 81);
    EXPECT_TRUE(env.config.isDirty());
    EXPECT_TRUE(child(env.config, "ApplyButton")->isEnabled());
    ASSERT_TRUE(env.config.ApplyButtonClick());
    EXPECT_TRUE(stored("NormCurveId", 1).isNull());
    EXPECT_EQ(stored("HubHeightAltitude", 2).toInt(), 81);

    const struct {
        ui::Button answer;
        int stored;
    } offers[] = {{ui::Button::No, 81}, {ui::Button::Yes, 83}};
    for (const auto& offer : offers) {
        set(1, "HubHeightAltitude", 83);
        env.prompts.answer(offer.answer);
        env.config.reject();
        EXPECT_EQ(env.config.result(), TFormParkUnitConfig::kResultApplied);
        EXPECT_EQ(stored("HubHeightAltitude", 2).toInt(), offer.stored);
        EXPECT_EQ(env.prompts.take().at(0).text, env.text(140));
        ASSERT_TRUE(env.open(1));
    }

    // Changed meanwhile by someone else: the edit stays held, the window open.
    set(0, "HubHeightAltitude", 90);
    env.database.exec("UPDATE TParkUnit_TReportProfile SET HubHeightAltitude = 70 WHERE ParkUnitId = 1");
    env.prompts.allowMessages();
    env.config.OkButtonClick();
    EXPECT_TRUE(env.config.isVisible());
    EXPECT_TRUE(env.config.isDirty());
    EXPECT_EQ(env.config.rows().valueAt(0, env.config.rows().fieldIndex("HubHeightAltitude")).toInt(), 90);
    EXPECT_EQ(env.prompts.take().at(0).icon, ui::Icon::Error);
    EXPECT_EQ(stored("HubHeightAltitude", 1).toInt(), 70);
}

TEST(ParkUnitConfiguration, TheGridsComboEditorPicksByTitleAndDrawsTitles) {
    Environment env;
    ASSERT_TRUE(env.open(1));
    QTableView& grid = *env.config.grid();
    const auto pick = [&](const char* field, const QString& title) {
        const QModelIndex index = grid.model()->index(0, env.column(field));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the last editor
        grid.setCurrentIndex(index);
        grid.edit(index);
        auto* combo = grid.findChild<QComboBox*>("LookupEditor");
        if (!combo) return QString();
        EXPECT_EQ(combo->itemText(0), env.text(284));
        EXPECT_EQ(combo->findText("WTG01"), -1);  // row 0 is WTG01 itself
        const int item = combo->findText(title);
        combo->setCurrentIndex(item);
        Q_EMIT combo->activated(item);
        QStyleOptionViewItem option;
        static_cast<ui::LookupDelegate*>(grid.itemDelegateForColumn(index.column()))
            ->initStyleOption(&option, index);
        return option.text;
    };
    EXPECT_EQ(pick("NormLookup", "WT 3000/101 power curve"), "WT 3000/101 power curve");
    EXPECT_EQ(pick("NeighbourTurbinePrimaryId", "WTG05"), "WTG05");
    EXPECT_EQ(pick("MetStP3Id", env.text(284)), env.text(284));
    db::DataSet& rows = env.config.rows();
    EXPECT_EQ(rows.value("NeighbourTurbinePrimaryId").toInt(), 5);
    EXPECT_EQ(rows.value("NormLookup"), env.config.lookups().curves.offered().at(2).key);
    EXPECT_TRUE(rows.value("MetStP3Id").isNull());
    EXPECT_EQ(rows.changeCount(), 1);
}

TEST(UnitSelectionDialog, MovesEnableOkAndRebuildAvailableInCandidateOrder) {
    Environment env;
    std::vector<units::Candidate> candidates;
    for (int id : {4, 2, 9, 7}) candidates.push_back({id, QString::number(id), "WTG", "T", id == 9});
    env.select.Prepare(candidates);
    env.select.Fill();
    env.select.show();
    const auto ok = child(env.select, "ButtonOK");
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_EQ(child(env.select, "ButtonCancel")->text(), env.text(3620));
    child(env.select, "BitBtnAdd")->click();  // nothing chosen: the focused first row
    EXPECT_EQ(env.select.selectedIds(), (std::vector<int>{9, 4}));
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(child(env.select, "ButtonCancel")->text(), env.text(3621));
    auto* selected = env.select.findChild<QTableView*>("TableViewSelected");
    selected->selectRow(1);
    child(env.select, "BitBtnDel")->click();
    EXPECT_EQ(env.select.selectedIds(), std::vector<int>{9});
    EXPECT_TRUE(ok->isEnabled());  // out and back is still a change
    auto* available = env.select.findChild<QTableView*>("TableViewAvailable");
    EXPECT_EQ(available->model()->index(0, 0).data().toInt(), 4);
    child(env.select, "BitBtnDelAll")->click();
    EXPECT_FALSE(child(env.select, "BitBtnDel")->isEnabled());
    child(env.select, "BitBtnAddAll")->click();
    EXPECT_EQ(env.select.selectedIds(), (std::vector<int>{4, 2, 9, 7}));
    EXPECT_FALSE(child(env.select, "BitBtnAdd")->isEnabled());
    env.select.hide();
}

TEST(ParkUnitRecordView, MovesTheGridsRowsAndEditsTheSameHeldChanges) {
    Environment env;
    ASSERT_TRUE(env.open(1));
    env.config.ButtonEditClick();
    child(env.edit, "ButtonNext")->click();
    EXPECT_EQ(env.config.rows().currentRow(), 1);
    auto* neighbour = env.edit.findChild<QComboBox*>("ComboBoxPrimaryTurbine");
    EXPECT_EQ(neighbour->findText("WTG02"), -1);  // the row's own unit
    const int item = neighbour->findText("WTG07");
    neighbour->setCurrentIndex(item);
    Q_EMIT neighbour->activated(item);
    EXPECT_EQ(env.config.rows().value("NeighbourTurbinePrimaryId").toInt(), 7);
    EXPECT_TRUE(env.config.isDirty());
    child(env.edit, "ButtonPrevious")->click();
    EXPECT_EQ(env.config.rows().currentRow(), 0);
    EXPECT_FALSE(child(env.edit, "ButtonPrevious")->isEnabled());
    env.edit.hide();
}

TEST(UnitSelectionApply, TenDeselectedUnitsTenCallsAndAUnitOutsideTheSessionStays) {
    auto registry = reportdb::standardRegistry();
    const auto deletes = count(*registry, "DCE_SP_DeleteParkUnitsWithProfileId");
    Environment env({.registry = registry, .sessionUnits = 11});
    addAndRemove(env, 1, [&] {
        child(env.select, "BitBtnDelAll")->click();
        child(env.select, "BitBtnAdd")->click();
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
            child(env.select, "BitBtnAddAll")->click();
            env.select.findChild<QTableView*>("TableViewSelected")->selectRow(0);
            child(env.select, "BitBtnDel")->click();
        },
        "ButtonNo");
    const auto shown = env.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, env.text(383));
    EXPECT_EQ(env.unitsOf(5).size(), 12);
}

TEST(UnitSelectionApply, FailuresStopTheBatchAndAreReported) {
    auto registry = reportdb::standardRegistry();
    const auto deletes = count(*registry, "DCE_SP_DeleteParkUnitsWithProfileId");
    const auto adds = count(*registry, "DCE_SP_AddParkUnitToProfile");
    *deletes.failOn = 2;
    *adds.failOn = 3;
    Environment env({.registry = registry});
    env.prompts.allowMessages();
    addAndRemove(env, 1, [&] { child(env.select, "BitBtnDelAll")->click(); });
    EXPECT_EQ(*deletes.calls, 2);
    EXPECT_EQ(env.unitsOf(1).size(), 11);
    addAndRemove(env, 6, [&] { child(env.select, "BitBtnAddAll")->click(); });
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
