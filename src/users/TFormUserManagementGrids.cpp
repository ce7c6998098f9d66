// The user management's grids: built from the containers when their page is
// shown, a large one on a worker thread while the window stays usable.

#include "ui/DataSetModel.h"
#include "ui/ToolButtons.h"
#include "users/TFormUserManagement.h"
#include "users/UserAdministration.h"

#include <QFutureWatcher>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPromise>
#include <QSignalBlocker>
#include <QTableView>
#include <QThreadPool>
#include <tuple>

using users::Grid;

namespace {
// Pixels; a long title or description is elided beyond this.
constexpr int kWidestColumn = 320;
}  // namespace

db::ResultSet TFormUserManagement::buildRows(Grid grid) {
    const users::UserData data{administration_.users, administration_.roles, administration_.catalogue};
    return users::BuildGrid(grid, data, view_, [this](int n) { return text(n); });
}

void TFormUserManagement::fillGrid(Grid grid) { setGridRows(grid, buildRows(grid)); }

void TFormUserManagement::setGridRows(Grid grid, db::ResultSet&& rows) {
    db::DataSet& set = sets_[size_t(grid)];
    set.setRows(std::move(rows));
    // Field settings carry over to the next rows; each is set only when it
    // differs, as every change resets the grid.
    for (const users::GridColumn& column : users::GridColumns(grid, view_.templateTypes)) {
        const QString name = QLatin1String(column.field);
        const int index = set.fieldIndex(name);
        if (index < 0) continue;
        const db::Field& field = set.field(index);
        const bool visible = column.label != 0;
        if (visible && field.displayLabel != text(column.label))
            set.setDisplayLabel(name, text(column.label));
        if (field.visible != visible) set.setVisible(name, visible);
        if (!field.readOnly) set.setReadOnly(name, true);
    }
    if (!sized_[size_t(grid)] && set.recordCount() > 0) {
        // The first rows give the columns their widths; the user's own
        // widths stay after that.
        QTableView* view = views_[size_t(grid)];
        view->resizeColumnsToContents();
        for (int column = 0; column < view->model()->columnCount(); ++column)
            view->setColumnWidth(column, std::min(view->columnWidth(column), kWidestColumn));
        sized_[size_t(grid)] = true;
    }
    if (grid == Grid::UserFilter) {
        // The list shows, sorts and searches by name or by initials.
        const bool names = view_.showNames;
        if (set.field(set.fieldIndex(QStringLiteral("UserName"))).visible != names)
            set.setVisible(QStringLiteral("UserName"), names);
        if (set.field(set.fieldIndex(QStringLiteral("Initials"))).visible == names)
            set.setVisible(QStringLiteral("Initials"), !names);
    }
}

void TFormUserManagement::showGridRows(Grid grid, db::ResultSet&& rows) {
    const size_t g = size_t(grid);
    QTableView* view = views_[g];
    // The selection survives by position.
    const int current = view->currentIndex().row();
    std::vector<int> selected;
    for (const QModelIndex& index : view->selectionModel()->selectedRows()) selected.push_back(index.row());
    setGridRows(grid, std::move(rows));
    stale_[g] = false;
    const int count = models_[g]->rowCount();
    if (current >= 0 && current < count)
        view->selectionModel()->setCurrentIndex(models_[g]->index(current, 0), QItemSelectionModel::NoUpdate);
    for (int row : selected)
        if (row < count)
            view->selectionModel()->select(models_[g]->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void TFormUserManagement::refreshGrid(Grid grid) {
    // A build still running on a worker would bring older rows.
    endBackgroundBuild(grid);
    showGridRows(grid, buildRows(grid));
}

db::DataSet& TFormUserManagement::rows(Grid grid) {
    if (stale_[size_t(grid)]) refreshGrid(grid);
    return sets_[size_t(grid)];
}

bool TFormUserManagement::isBuilding(Grid grid) const { return builds_[size_t(grid)] != nullptr; }

void TFormUserManagement::refreshOrDefer(Grid grid) {
    // The details grids serve the user and role commands whatever page is
    // shown; a rights grid can run to millions of rows on a large
    // installation, so it is built when its page is shown.
    stale_[size_t(grid)] = true;
    if (grid == Grid::UserDetails || grid == Grid::RoleDetails)
        refreshGrid(grid);
    else if (grid == activeGrid())
        refreshShownGrid();
}

void TFormUserManagement::refreshShownGrid() {
    const Grid grid = activeGrid();
    if (!stale_[size_t(grid)]) return;
    const users::UserData data{administration_.users, administration_.roles, administration_.catalogue};
    if (users::GridRowBound(grid, data, view_) < backgroundRowBound_) {
        const ui::WaitCursor cursor;
        refreshGrid(grid);
        return;
    }
    // The rows are built from a copy of the containers; a change meanwhile
    // makes the grid stale again and starts a new build.
    endBackgroundBuild(grid);
    auto source = std::make_shared<const users::GridSource>(data, view_, [this](int n) { return text(n); });
    auto promise = std::make_shared<QPromise<db::ResultSet>>();
    auto* watcher = new QFutureWatcher<db::ResultSet>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, grid, watcher] {
        watcher->deleteLater();
        if (builds_[size_t(grid)] != watcher) return;
        setBuild(grid, nullptr);
        showGridRows(grid, watcher->future().takeResult());
        showDescription();
        enableCommands();
        Q_EMIT gridBuilt(grid);
    });
    watcher->setFuture(promise->future());
    promise->start();
    QThreadPool::globalInstance()->start([promise, source, grid] {
        promise->addResult(source->build(grid));
        promise->finish();
    });
    setBuild(grid, watcher);
    enableCommands();
}

void TFormUserManagement::endBackgroundBuild(Grid grid) {
    QFutureWatcher<db::ResultSet>* watcher = builds_[size_t(grid)];
    if (!watcher) return;
    // Its rows are dropped; the worker finishes on its own.
    watcher->disconnect(this);
    watcher->deleteLater();
    setBuild(grid, nullptr);
}

void TFormUserManagement::setBuild(Grid grid, QFutureWatcher<db::ResultSet>* watcher) {
    builds_[size_t(grid)] = watcher;
    QTableView* view = views_[size_t(grid)];
    view->setEnabled(!watcher);
    if (watcher)
        view->setCursor(Qt::BusyCursor);
    else
        view->unsetCursor();
}

void TFormUserManagement::rebuild(bool filterLists) {
    ++rebuilds_;
    setCaptions();
    for (int g = 0; g < users::kGridCount; ++g)
        if (Grid(g) != Grid::UserFilter && Grid(g) != Grid::RoleFilter) refreshOrDefer(Grid(g));
    if (filterLists) {
        // The filter lists keep what was chosen in them, by id.
        for (auto [grid, field, ids] : {std::tuple{Grid::UserFilter, "UserId", &view_.selectedUsers},
                                        std::tuple{Grid::RoleFilter, "RoleId", &view_.selectedRoles}}) {
            QTableView* view = views_[size_t(grid)];
            const QSignalBlocker blocker(view->selectionModel());
            fillGrid(grid);
            std::set<int> kept;
            db::DataSet& set = sets_[size_t(grid)];
            const int column = set.fieldIndex(QLatin1String(field));
            for (int row = 0; row < set.recordCount(); ++row) {
                const int id = set.valueAt(row, column).toInt();
                if (!ids->count(id)) continue;
                kept.insert(id);
                view->selectionModel()->select(models_[size_t(grid)]->index(row, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
            }
            view->viewport()->update();
            if (kept != *ids) {
                *ids = kept;
                for (int g = 0; g < users::kGridCount; ++g)
                    if (users::IsUserGrid(Grid(g)) == (grid == Grid::UserFilter) && Grid(g) != grid)
                        refreshOrDefer(Grid(g));
            }
        }
    }
    showDescription();
    enableCommands();
}
