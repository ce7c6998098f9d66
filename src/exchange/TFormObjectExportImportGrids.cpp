// The wizard's grids: the selection lists, the questions and the result
// list, with the clicks, keys and pop-up commands that tick their cells.

#include "exchange/TFormObjectExportImport.h"
#include "exchange/WizardTexts.h"
#include "ui/DataSetModel.h"
#include "users/UserAdministration.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStackedWidget>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

using namespace exchange::wizard_texts;

namespace {

db::Column column(const char* name, db::FieldType type) { return {QLatin1String(name), type, 0}; }

// Grid model that shows an object type or an outcome as an icon and a word.
class GlyphModel : public ui::DataSetModel {
public:
    using Word = std::function<QString(int)>;
    GlyphModel(db::DataSet& set, QObject* parent, const char* field,
               std::array<QStyle::StandardPixmap, 2> icons, Word word)
        : ui::DataSetModel(set, parent),
          field_(QLatin1String(field)),
          icons_(icons),
          word_(std::move(word)) {}

    QVariant data(const QModelIndex& index, int role) const override {
        const int field = fieldAt(index.column());
        if (!dataSet() || field < 0 || dataSet()->field(field).name != field_)
            return ui::DataSetModel::data(index, role);
        const int value = dataSet()->valueAt(index.row(), field).toInt();
        if (role == Qt::DecorationRole) return qApp->style()->standardIcon(icons_[value == 0 ? 0 : 1]);
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return word_(value);
        return ui::DataSetModel::data(index, role);
    }

private:
    QString field_;
    std::array<QStyle::StandardPixmap, 2> icons_;
    Word word_;
};

}  // namespace

QWidget* TFormObjectExportImport::gridPage(Grid grid, const char* name, bool withResult) {
    auto* page = new QWidget(PageControl);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* view = new QTableView(page);
    view->setObjectName(QLatin1String(name));
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    // Yes and No stay narrow; elsewhere the last column takes the room.
    view->horizontalHeader()->setStretchLastSection(grid != Conflicts);
    view->setWordWrap(false);
    db::DataSet& set = sets_[size_t(grid)];
    if (grid == Conflicts)
        models_[size_t(grid)] = std::make_unique<GlyphModel>(
            set, this, "ObjectType", std::array{QStyle::SP_DirHomeIcon, QStyle::SP_FileDialogDetailedView},
            [this](int type) { return text(type == 0 ? kTextUsers : kTextUserRoles); });
    else if (grid == Process)
        models_[size_t(grid)] = std::make_unique<GlyphModel>(
            set, this, "Status", std::array{QStyle::SP_MessageBoxCritical, QStyle::SP_DialogApplyButton},
            [this](int status) { return text(status == 0 ? kTextError : kTextSucceeded); });
    else
        models_[size_t(grid)] = std::make_unique<ui::DataSetModel>(set, this);
    view->setModel(models_[size_t(grid)].get());
    views_[size_t(grid)] = view;
    connect(view, &QTableView::clicked, this,
            [this, grid](const QModelIndex& index) { cellClicked(grid, index); });
    view->installEventFilter(this);
    if (grid != Process) {
        // The pop-up answers or selects the selected rows.
        view->setContextMenuPolicy(Qt::ActionsContextMenu);
        const bool conflicts = grid == Conflicts;
        for (const auto& [actionName, field, value] :
             {std::tuple{conflicts ? "ActionYes" : "ActionSelect", conflicts ? kYes : kSelected, true},
              std::tuple{conflicts ? "ActionNo" : "ActionDeselect", conflicts ? kNo : kSelected, false}}) {
            auto* action = new QAction(view);
            action->setObjectName(QLatin1String(actionName));
            const char* target = field;
            const bool on = value;
            connect(action, &QAction::triggered, this,
                    [this, grid, target, on] { setChecks(grid, target, on); });
            view->addAction(action);
        }
    }
    layout->addWidget(view);
    if (withResult) {
        LabelResult = new QLabel(page);
        LabelResult->setObjectName(QStringLiteral("LabelResult"));
        layout->addWidget(LabelResult);
    }
    return page;
}

namespace {

db::ResultSet userRows(const std::map<int, users::User>& users, bool selected) {
    db::ResultSet rows;
    rows.columns = {column(kSelected, db::FieldType::Boolean), column("Id", db::FieldType::Integer),
                    column("Initials", db::FieldType::String), column("FirstName", db::FieldType::String),
                    column("SurName", db::FieldType::String),  column("Organisation", db::FieldType::String)};
    for (const auto& [id, user] : users)
        rows.rows.push_back({selected, id, user.Initials, user.FirstName, user.SurName, user.Organisation});
    return rows;
}

db::ResultSet roleRows(const std::map<int, users::UserRole>& roles, bool selected) {
    db::ResultSet rows;
    rows.columns = {column(kSelected, db::FieldType::Boolean), column("Id", db::FieldType::Integer),
                    column("Title", db::FieldType::String), column("Description", db::FieldType::String),
                    column("AccessLevel", db::FieldType::Integer)};
    for (const auto& [id, role] : roles)
        rows.rows.push_back({selected, id, role.Title, role.Description, role.AccessLevelId});
    return rows;
}

}  // namespace

void TFormObjectExportImport::fillExportGrids() {
    sets_[ExportUsers].setRows(userRows(administration_.users.items, false));
    sets_[ExportRoles].setRows(roleRows(administration_.roles.items, false));
    for (Grid grid : {ExportUsers, ExportRoles}) {
        db::DataSet& set = sets_[grid];
        set.setVisible(QStringLiteral("Id"), false);
        for (int f = 0; f < set.fieldCount(); ++f) set.setReadOnly(set.field(f).name, true);
    }
    labelSelectionGrids();
    for (Grid grid : {ExportUsers, ExportRoles}) views_[grid]->resizeColumnsToContents();
}

void TFormObjectExportImport::labelSelectionGrids() {
    const std::pair<const char*, int> labels[] = {
        {kSelected, kTextSelected},        {"Initials", kTextInitials},         {"FirstName", kTextFirstName},
        {"SurName", kTextLastName},        {"Organisation", kTextOrganisation}, {"Title", kTextTitle},
        {"Description", kTextDescription}, {"AccessLevel", kTextAccessLevel}};
    for (Grid grid : {ExportUsers, ExportRoles, ImportUsers, ImportRoles})
        if (sets_[grid].isOpen())
            for (const auto& [field, number] : labels)
                if (sets_[grid].fieldIndex(QLatin1String(field)) >= 0)
                    sets_[grid].setDisplayLabel(QLatin1String(field), text(number));
    for (Grid grid : {ImportUsers, ImportRoles}) views_[grid]->resizeColumnsToContents();
}

void TFormObjectExportImport::fillImportGrids() {
    // What the package holds is offered in full; the administrator deselects.
    sets_[ImportUsers].setRows(userRows(imported_.users, true));
    sets_[ImportRoles].setRows(roleRows(imported_.roles, true));
    for (Grid grid : {ImportUsers, ImportRoles}) {
        db::DataSet& set = sets_[grid];
        set.setVisible(QStringLiteral("Id"), false);
        for (int f = 0; f < set.fieldCount(); ++f) set.setReadOnly(set.field(f).name, true);
    }
    labelSelectionGrids();
}

void TFormObjectExportImport::fillConflicts() {
    db::ResultSet rows;
    rows.columns = {column("Row", db::FieldType::Integer),     column("ObjectType", db::FieldType::Integer),
                    column("Title", db::FieldType::String),    column("Description", db::FieldType::String),
                    column("Question", db::FieldType::String), column(kYes, db::FieldType::Boolean),
                    column(kNo, db::FieldType::Boolean)};
    for (size_t n = 0; n < conflicts_.size(); ++n) {
        const exchange::Conflict& c = conflicts_[n];
        const bool user = c.type == exchange::ObjectType::User;
        const int description = c.kind == exchange::kPersonal ? (user ? kTextPersonalUser : kTextPersonalRole)
                                : c.kind == exchange::kFeatures  ? kTextFeatures
                                : c.kind == exchange::kTemplates ? kTextTemplates
                                                                 : kTextMemberships;
        rows.rows.push_back({int(n), int(c.type), c.title, text(description),
                             text(user ? kTextUserQuestion : kTextRoleQuestion), c.yes, !c.yes});
    }
    db::DataSet& set = sets_[Conflicts];
    set.setRows(std::move(rows));
    set.setVisible(QStringLiteral("Row"), false);
    const std::pair<const char*, int> labels[] = {
        {"ObjectType", kTextType},   {"Title", kTextTitle}, {"Description", kTextDescription},
        {"Question", kTextQuestion}, {kYes, kTextYes},      {kNo, kTextNo}};
    for (const auto& [field, number] : labels) set.setDisplayLabel(QLatin1String(field), text(number));
    for (int f = 0; f < set.fieldCount(); ++f) set.setReadOnly(set.field(f).name, true);
    views_[Conflicts]->resizeColumnsToContents();
}

std::set<int> TFormObjectExportImport::selectedIds(Grid grid) const {
    std::set<int> ids;
    const db::DataSet& set = sets_[size_t(grid)];
    if (!set.isOpen()) return ids;
    const int selected = set.fieldIndex(QLatin1String(kSelected));
    const int id = set.fieldIndex(QStringLiteral("Id"));
    for (int row = 0; row < set.recordCount(); ++row)
        if (set.valueAt(row, selected).toBool()) ids.insert(set.valueAt(row, id).toInt());
    return ids;
}

int TFormObjectExportImport::selectedCount(Grid grid) const { return int(selectedIds(grid).size()); }

void TFormObjectExportImport::cellClicked(Grid grid, const QModelIndex& index) {
    db::DataSet& set = sets_[size_t(grid)];
    const int field = models_[size_t(grid)]->fieldAt(index.column());
    if (field < 0 || index.row() >= set.recordCount()) return;
    const QString name = set.field(field).name;
    const bool on = !set.valueAt(index.row(), field).toBool();
    if (name == QLatin1String(kSelected)) {
        set.setStoredValue(index.row(), field, on);
    } else if (grid == Conflicts && (name == QLatin1String(kYes) || name == QLatin1String(kNo))) {
        // Yes and No exclude each other.
        set.setStoredValue(index.row(), field, on);
        const QString other = QLatin1String(name == QLatin1String(kYes) ? kNo : kYes);
        set.setStoredValue(index.row(), set.fieldIndex(other), !on);
    }
    enableButtons();
}

void TFormObjectExportImport::setChecks(Grid grid, const char* field, bool value) {
    db::DataSet& set = sets_[size_t(grid)];
    QTableView* view = views_[size_t(grid)];
    QModelIndexList rows = view->selectionModel()->selectedRows();
    if (rows.isEmpty() && view->currentIndex().isValid()) rows << view->currentIndex();
    for (const QModelIndex& index : rows) {
        if (grid == Conflicts) {
            set.setStoredValue(index.row(), set.fieldIndex(QLatin1String(kYes)), value);
            set.setStoredValue(index.row(), set.fieldIndex(QLatin1String(kNo)), !value);
        } else {
            set.setStoredValue(index.row(), set.fieldIndex(QLatin1String(field)), value);
        }
    }
    enableButtons();
}

bool TFormObjectExportImport::eventFilter(QObject* watched, QEvent* event) {
    // Space toggles the current cell, as a click does.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space)
        for (int g = 0; g < kGrids; ++g)
            if (watched == views_[size_t(g)] && views_[size_t(g)]->currentIndex().isValid()) {
                cellClicked(Grid(g), views_[size_t(g)]->currentIndex());
                return true;
            }
    return QDialog::eventFilter(watched, event);
}

void TFormObjectExportImport::resetProcessList() {
    sets_[Process].close();
    db::ResultSet rows;
    rows.columns = {column("ProcessDescription", db::FieldType::String),
                    column("Title", db::FieldType::String), column("Message", db::FieldType::String),
                    column("Status", db::FieldType::Integer)};
    sets_[Process].setRows(std::move(rows));
    const std::pair<const char*, int> labels[] = {{"ProcessDescription", kTextProcess},
                                                  {"Title", kTextTitle},
                                                  {"Message", kTextMessage},
                                                  {"Status", kTextStatus}};
    for (const auto& [field, number] : labels)
        sets_[Process].setDisplayLabel(QLatin1String(field), text(number));
}
