// The user management window's keys and filters: the query-log shortcut,
// Esc, the filter lists and their timer, the organisation and the "Show ..."
// switches. Each ends in a rebuild from the held containers, or a reload
// after the pending-changes question.
#include "users/TFormUserManagement.h"

#include "app/AppContext.h"
#include "ui/DataSetModel.h"
#include "users/TFormShowQuery.h"
#include "users/UserAdministration.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTableView>
#include <QTimer>

using users::Grid;

void TFormUserManagement::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        // Esc clears the filters; the window closes with its close button.
        ClearFilterClick();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormUserManagement::keyReleaseEvent(QKeyEvent* event) {
    // Releases the focused control leaves alone come up to the window.
    if (!event->isAutoRepeat()) keyReleased(event->key());
    QDialog::keyReleaseEvent(event);
}

void TFormUserManagement::keyReleased(int key) {
    if (!querySequence_.keyUp(key) || !dialogs_.showQuery) return;
    if (dialogs_.showQuery->isVisible())
        dialogs_.showQuery->hide();
    else
        dialogs_.showQuery->show();
}

void TFormUserManagement::TimerFilterTimer() {
    TimerFilter->stop();
    const auto chosen = [this](Grid grid, const char* field) {
        const std::vector<int> ids = [&] {
            const db::DataSet& set = sets_[size_t(grid)];
            const int column = set.fieldIndex(QLatin1String(field));
            std::vector<int> out;
            if (column < 0) return out;
            for (const QModelIndex& index : views_[size_t(grid)]->selectionModel()->selectedRows())
                if (index.row() < set.recordCount()) out.push_back(set.valueAt(index.row(), column).toInt());
            return out;
        }();
        return std::set<int>(ids.begin(), ids.end());
    };
    view_.selectedUsers = chosen(Grid::UserFilter, "UserId");
    view_.selectedRoles = chosen(Grid::RoleFilter, "RoleId");
    rebuild();
    focusFirstRow(activeGrid());
}

void TFormUserManagement::ClearFilterClick() {
    for (Grid grid : {Grid::UserFilter, Grid::RoleFilter}) {
        const QSignalBlocker blocker(views_[size_t(grid)]->selectionModel());
        views_[size_t(grid)]->clearSelection();
        views_[size_t(grid)]->viewport()->update();
    }
    TimerFilter->start();
}

void TFormUserManagement::ShowNamesClick(bool names) {
    view_.showNames = names;
    action("ActionShowUserName")->setChecked(names);
    action("ActionShowInitials")->setChecked(!names);
    rebuild();
    // Typing in the list searches the column it shows.
    QTableView* list = views_[size_t(Grid::UserFilter)];
    const int column = models_[size_t(Grid::UserFilter)]->columnOf(names ? QStringLiteral("UserName")
                                                                         : QStringLiteral("Initials"));
    if (column >= 0 && models_[size_t(Grid::UserFilter)]->rowCount() > 0)
        list->selectionModel()->setCurrentIndex(models_[size_t(Grid::UserFilter)]->index(0, column),
                                                QItemSelectionModel::NoUpdate);
}

void TFormUserManagement::ComboBoxOrganisationChange() {
    view_.organisation =
        ComboBoxOrganisation->currentIndex() > 0 ? ComboBoxOrganisation->currentText() : QString();
    TimerFilter->start();
}

void TFormUserManagement::CheckBoxShowDisabledUsersClick() {
    view_.showDisabled = CheckBoxShowDisabledUsers->isChecked();
    rebuild();
}

void TFormUserManagement::CheckBoxShowInactiveUsersClick() {
    view_.showInactive = CheckBoxShowInactiveUsers->isChecked();
    rebuild();
}

void TFormUserManagement::CheckBoxShowKorvaneUsersClick() {
    if (loading_) return;
    // The procedures decide who is shown: the switch reloads, and unsaved
    // changes are offered for saving first.
    if (!offerSave()) {
        const QSignalBlocker blocker(CheckBoxShowKorvaneUsers);
        CheckBoxShowKorvaneUsers->setChecked(!CheckBoxShowKorvaneUsers->isChecked());
        return;
    }
    reload();
}
