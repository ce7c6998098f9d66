// "Profile and template access" from the main window: the user management
// opens for the session's user, and what is changed in its grids is saved
// and seen again after a refresh.

#include "MainWindowFixture.h"

#include "support/WhenShown.h"
#include "ui/Waiting.h"
#include "users/TFormUserManagement.h"

#include <QAction>
#include <QTest>
#include <QToolButton>

using namespace testing_support;
using users::Grid;

TEST(MainWindowUserAccess, TheWindowSavesWhatItsGridsShow) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    TFormUserManagement& window = *f.windows.userManagement;
    window.setSettingsFile(f.database.folder() + QStringLiteral("/UserManagement.ini"));
    bool loaded = false;
    QObject::connect(&window, &TFormUserManagement::loaded, [&loaded](bool ok) { loaded = ok; });
    const QString jana = QStringLiteral("UserId = 2");
    const int features = f.database.scalar("SELECT count(*) FROM TUser_TFeature WHERE " + jana).toInt();
    const int roles = f.database.scalar("SELECT count(*) FROM TUserRole_TUser WHERE " + jana).toInt();
    ASSERT_GT(features, 0);
    WhenShown work(
        window,
        [&] {
            // Jana's own features, disabled from the pop-up menu.
            window.showGrid(Grid::UserFeatures);
            QTableView* grid = window.grid(Grid::UserFeatures);
            db::DataSet& rows = window.rows(Grid::UserFeatures);
            for (int row = 0; row < rows.recordCount(); ++row)
                if (rows.rowView(row).value(users::kOwnerField).toInt() == 2 &&
                    rows.rowView(row).value(users::kEnabledField).toBool())
                    grid->selectionModel()->select(grid->model()->index(row, 0),
                                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
            ASSERT_TRUE(grid->actions().contains(window.action("ActionDisable")));
            window.action("ActionDisable")->trigger();
            // A double-click on her role relation takes her out of the role.
            window.showGrid(Grid::UserRoles);
            grid = window.grid(Grid::UserRoles);
            ASSERT_TRUE(window.rows(Grid::UserRoles).locate(users::kOwnerField, 2));
            const QModelIndex cell = grid->model()->index(window.rows(Grid::UserRoles).currentRow(), 1);
            grid->selectionModel()->select(cell,
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            ui::pause(0);  // the page is laid out
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
            window.findChild<QToolButton*>(QStringLiteral("SpeedButtonSaveChanges"))->click();
            window.findChild<QToolButton*>(QStringLiteral("SpeedButtonRefresh"))->click();
            EXPECT_FALSE(window.hasPendingChanges());
            window.reject();
        },
        [&loaded] { return loaded; });
    f.window.findChild<QToolButton*>(QStringLiteral("SpeedButtonUserAccess"))->click();
    ASSERT_TRUE(work.fired());
    EXPECT_EQ(f.database.scalar("SELECT count(*) FROM TUser_TFeature WHERE " + jana).toInt(), 0);
    EXPECT_EQ(f.database.scalar("SELECT count(*) FROM TUserRole_TUser WHERE " + jana).toInt(), roles - 1);
    EXPECT_FALSE(f.context.isBusy());
}
