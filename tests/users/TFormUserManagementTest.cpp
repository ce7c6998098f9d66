// The user management window on the demo database, worked through its
// grids, pop-up commands and buttons.

#include "UsersTestSupport.h"

#include "support/WhenShown.h"
#include "ui/Waiting.h"
#include "users/TFormSetOrganisation.h"
#include "users/TFormShowQuery.h"
#include "users/TFormUserManagement.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using namespace users_test;
using testing_support::WhenShown;
using users::Grid;

namespace {

constexpr int kAdministrators = 1;  // locked, the administrator's only role
constexpr int kFeatureUserAdministration = 120;
constexpr int kNora = 7;  // never logged in

class UserManagementWindow : public ::testing::Test {
protected:
    void SetUp() override {
        window.setSettingsFile(env.database.folder() + QStringLiteral("/UserManagement.ini"));
        window.setDialogs({nullptr, nullptr, &organisation, &query, {}});
        ASSERT_TRUE(open());
    }
    void TearDown() override {
        if (!window.isVisible()) return;
        if (window.hasPendingChanges()) env.prompts.answer(ui::Button::No);
        window.reject();
    }

    bool open() {
        bool done = false, ok = false;
        auto connection = QObject::connect(&window, &TFormUserManagement::loaded, [&](bool result) {
            done = true;
            ok = result;
        });
        window.Prepare(env.context.session().UserId);
        window.show();
        ui::waitUntil([&] { return done; }, 10, 20000);
        QObject::disconnect(connection);
        return ok;
    }

    // Selects, on its page, the rows of a grid that `pick` accepts.
    int select(Grid grid, const std::function<bool(const db::RowView&)>& pick) {
        window.showGrid(grid);
        QTableView* view = window.grid(grid);
        view->clearSelection();
        int count = 0;
        for (int row = 0; row < window.rows(grid).recordCount(); ++row)
            if (pick(window.rows(grid).rowView(row))) {
                view->selectionModel()->select(view->model()->index(row, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
                view->selectionModel()->setCurrentIndex(view->model()->index(row, 0),
                                                        QItemSelectionModel::NoUpdate);
                ++count;
            }
        return count;
    }
    static std::function<bool(const db::RowView&)> is(const char* field, int id) {
        return [field, id](const db::RowView& row) { return row.value(QLatin1String(field)).toInt() == id; };
    }
    void run(const char* action) { window.action(action)->trigger(); }
    int count(const QString& sql) { return env.scalar(sql).toInt(); }
    int questions() {
        int n = 0;
        for (const auto& prompt : env.prompts.take())
            n += prompt.kind == testing_support::RecordedPrompt::Kind::Question;
        return n;
    }

    FailingUserCalls calls;
    Environment env{QStringLiteral("3.23.9.9"), calls.registry};
    TFormSetOrganisation organisation{env.context, env.administration};
    TFormShowQuery query{env.context};
    TFormUserManagement window{env.context, env.administration};
};

TEST_F(UserManagementWindow, ChangesAreSavedAsShownAndSeenAgainAfterRefresh) {
    // Two users get the same feature: one relation call.
    ASSERT_EQ(select(Grid::UserFilter,
                     [](const db::RowView& row) {
                         const int id = row.value(QStringLiteral("UserId")).toInt();
                         return id == kJana || id == 3;
                     }),
              2);
    window.TimerFilterTimer();
    const int before = count(
        QStringLiteral("SELECT count(*) FROM TUser_TFeature WHERE FeatureId = 120 AND UserId IN (2, 3)"));
    ASSERT_EQ(select(Grid::UserFeatures, is(users::kItemField, kFeatureUserAdministration)), 2);
    run("ActionEnable");
    ASSERT_EQ(select(Grid::RoleDetails, is("RoleId", kAssetManagers)), 1);
    run("ActionRoleLevel4");
    ASSERT_EQ(select(Grid::UserDetails, is("UserId", kJana)), 1);
    run("ActionUserLevel3");
    WhenShown answer(organisation, [&] {
        organisation.comboBox()->setEditText(QStringLiteral("Harbour Wind"));
        organisation.findChild<QPushButton*>(QStringLiteral("ButtonOK"))->click();
    });
    run("ActionSetOrganisation");
    ASSERT_TRUE(window.hasPendingChanges());

    env.queries.clear();
    ASSERT_TRUE(window.SpeedButtonSaveChangesClick());
    EXPECT_EQ(env.queries.filter(QStringLiteral("UPDATE_RELATIONS")).size(), 1);
    EXPECT_EQ(count(QStringLiteral(
                  "SELECT count(*) FROM TUser_TFeature WHERE FeatureId = 120 AND UserId IN (2, 3)")),
              2);
    EXPECT_LT(before, 2);
    EXPECT_EQ(count(QStringLiteral("SELECT AccessLevelId FROM TUserRole WHERE RoleId = 4")), 4);
    EXPECT_EQ(count(QStringLiteral("SELECT AccessLevelId FROM TUser WHERE UserId = 2")), 3);
    EXPECT_EQ(count(QStringLiteral("SELECT OverrideAccessLevel FROM TUser WHERE UserId = 2")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM TUser WHERE UserOrganisation = 'Harbour Wind'")), 1);

    window.SpeedButtonRefreshClick();
    EXPECT_EQ(questions(), 0);
    EXPECT_FALSE(window.hasPendingChanges());
    ASSERT_EQ(select(Grid::UserDetails, is("UserId", kJana)), 1);
    EXPECT_EQ(window.rows(Grid::UserDetails).value(QStringLiteral("UserLevel")).toString(), "3");
    EXPECT_EQ(window.findChild<QComboBox*>(QStringLiteral("ComboBoxOrganisation"))
                      ->findText(QStringLiteral("Harbour Wind")) > 0,
              true);
}

TEST_F(UserManagementWindow, RefusalsShowOncePerCommand) {
    env.prompts.allowMessages();
    ASSERT_GT(select(Grid::RoleFeatures, is(users::kOwnerField, kAdministrators)), 1);
    run("ActionDisable");
    ASSERT_GT(select(Grid::RoleDetails, [](const db::RowView&) { return true; }), 2);
    run("ActionRoleLevel3");  // the locked roles are refused, the others change
    const auto shown = env.prompts.take();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, env.context.texts().window(262));
    EXPECT_EQ(shown[1].caption, env.context.texts().window(261));
    EXPECT_EQ(env.administration.roles.find(kAssetManagers)->AccessLevelId, 3);
    // A double-click on a relation cell switches it: Jana leaves a role.
    const int jana = select(Grid::UserRoles, [](const db::RowView& row) {
        return row.value(QLatin1String(users::kOwnerField)).toInt() == kJana &&
               !row.value(QStringLiteral("Required")).toBool();
    });
    ASSERT_GE(jana, 1);
    QTableView* view = window.grid(Grid::UserRoles);
    ui::pause(0);  // the page is laid out
    const QModelIndex cell = view->currentIndex();
    view->selectionModel()->select(cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const QRect rect = view->visualRect(view->model()->index(cell.row(), 1));
    // The press before the double click names the cell, as a user's first click does.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(env.administration.users.find(kJana)->rights.of(users::RightKind::Members).size() + 1,
              env.administration.users.loadedRecord(kJana)->rights.of(users::RightKind::Members).size());
}

TEST_F(UserManagementWindow, PendingChangesAreOfferedBeforeEveryReload) {
    const auto change = [&] {
        ASSERT_EQ(select(Grid::UserDetails, is("UserId", kJana)), 1);
        run("ActionUserLevel1");
        ASSERT_TRUE(window.hasPendingChanges());
    };
    change();
    env.prompts.answer(ui::Button::No);
    window.SpeedButtonRefreshClick();
    EXPECT_EQ(questions(), 1);
    EXPECT_FALSE(window.hasPendingChanges());  // dropped by the reload
    EXPECT_NE(env.administration.users.find(kJana)->AccessLevelId, 1);

    // Import asks first too; what it wrote is read back.
    std::vector<bool> wizards;
    window.setDialogs(
        {nullptr, nullptr, &organisation, &query, [&](bool import) {
             wizards.push_back(import);
             env.database.exec(
                 QStringLiteral("UPDATE TUser SET UserSurName = 'Imported' WHERE UserId = %1").arg(kJana));
             return import;
         }});
    change();
    env.prompts.answer(ui::Button::No);
    window.findChild<QToolButton*>(QStringLiteral("SpeedButtonImport"))->click();
    EXPECT_EQ(questions(), 1);
    EXPECT_EQ(wizards, std::vector<bool>{true});
    EXPECT_EQ(env.administration.users.find(kJana)->SurName, QStringLiteral("Imported"));
    EXPECT_FALSE(window.hasPendingChanges());

    change();
    auto* korvane = window.findChild<QCheckBox*>(QStringLiteral("CheckBoxShowKorvaneUsers"));
    env.prompts.answer(ui::Button::Yes);
    korvane->click();
    EXPECT_EQ(count(QStringLiteral("SELECT AccessLevelId FROM TUser WHERE UserId = 2")), 1);
    EXPECT_EQ(env.administration.users.find(kKorvaneUser), nullptr);

    // A save that fails keeps the changes, the switch and the window.
    env.prompts.allowMessages();
    ASSERT_EQ(select(Grid::UserDetails, is("UserId", kJana)), 1);
    run("ActionUserLevel2");
    calls.user.failNext();
    env.prompts.answer(ui::Button::Yes);
    korvane->click();
    EXPECT_FALSE(korvane->isChecked());
    EXPECT_TRUE(window.hasPendingChanges());
    calls.user.failNext();
    env.prompts.answer(ui::Button::Yes);
    window.reject();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.hasPendingChanges());
    env.prompts.answer(ui::Button::No);
    window.reject();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(QFileInfo(window.settingsFile()).size(), 272);

    // The next opening keeps the view.
    ASSERT_TRUE(open());
    EXPECT_FALSE(korvane->isChecked());
    EXPECT_EQ(env.administration.users.find(kKorvaneUser), nullptr);
}

TEST_F(UserManagementWindow, RemovingARole) {
    env.prompts.allowMessages();
    // The administrator also in a role that alone gives him an add-on feature.
    env.database.exec(QStringLiteral("DELETE FROM TUser_TFeature WHERE UserId = 1"));
    env.database.exec(QStringLiteral("INSERT INTO TUserRole_TUser (RoleId, UserId) VALUES (5, 1)"));
    window.SpeedButtonRefreshClick();
    const auto remove = [&](int roleId) {
        EXPECT_EQ(select(Grid::RoleDetails, is("RoleId", roleId)), 1);
        window.ButtonRemoveRoleClick();
        return env.prompts.take();
    };
    auto shown = remove(kAdministrators);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, env.context.texts().window(263));
    shown = remove(kGridAnalysts);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, env.context.texts().window(270));
    env.prompts.answer(ui::Button::Yes);
    shown = remove(kAssetManagers);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, env.context.texts().window(91));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM TUserRole WHERE RoleId = 4")), 0);
    EXPECT_EQ(env.administration.roles.find(kAssetManagers), nullptr);
}

TEST_F(UserManagementWindow, FiltersAndSwitchesOnlyRebuild) {
    env.queries.clear();
    const int users = window.rows(Grid::UserDetails).recordCount();
    window.findChild<QCheckBox*>(QStringLiteral("CheckBoxShowInactiveUsers"))->click();
    EXPECT_EQ(window.rows(Grid::UserDetails).recordCount(), users - 1);
    EXPECT_FALSE(window.rows(Grid::UserDetails).locate(QStringLiteral("UserId"), kNora));
    auto* organisations = window.findChild<QComboBox*>(QStringLiteral("ComboBoxOrganisation"));
    organisations->setCurrentIndex(organisations->findText(QStringLiteral("Northwind Asset Management")));
    window.ComboBoxOrganisationChange();
    window.TimerFilterTimer();
    EXPECT_EQ(window.rows(Grid::UserDetails).recordCount(), 2);
    EXPECT_TRUE(env.queries.isEmpty());

    // A large grid is built on a worker: meanwhile its page shows nothing to
    // print, and a change before it arrives gives the newer rows.
    window.setBackgroundRowBound(0);
    window.showGrid(Grid::Overview);
    ASSERT_TRUE(window.isBuilding(Grid::Overview));
    EXPECT_FALSE(window.findChild<QToolButton*>(QStringLiteral("SpeedButtonPrint"))->isEnabled());
    organisations->setCurrentIndex(0);  // every organisation
    window.ComboBoxOrganisationChange();
    window.TimerFilterTimer();
    bool built = false;
    QObject::connect(&window, &TFormUserManagement::gridBuilt,
                     [&](Grid grid) { built = grid == Grid::Overview; });
    ASSERT_TRUE(ui::waitUntil([&] { return built; }, 10, 5000));
    EXPECT_TRUE(window.findChild<QToolButton*>(QStringLiteral("SpeedButtonPrint"))->isEnabled());
    const int shown = window.grid(Grid::Overview)->model()->rowCount();
    const users::UserData data{env.administration.users, env.administration.roles,
                               env.administration.catalogue};
    users::ViewOptions view;
    view.showInactive = false;
    EXPECT_EQ(shown, users::BuildGrid(Grid::Overview, data, view, [](int) { return QString(); }).rows.size());
    view.organisation = QStringLiteral("Northwind Asset Management");
    EXPECT_NE(shown, users::BuildGrid(Grid::Overview, data, view, [](int) { return QString(); }).rows.size());

    // Q, U, E, R, Y typed in the window shows the query log; again closes it.
    QTest::keyClicks(window.grid(Grid::UserDetails), QStringLiteral("query"));
    EXPECT_TRUE(query.isVisible());
    QTest::keyClicks(window.grid(Grid::UserDetails), QStringLiteral("query"));
    EXPECT_FALSE(query.isVisible());
}

}  // namespace
