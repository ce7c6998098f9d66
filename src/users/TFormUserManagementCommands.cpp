// The user management's commands: saving and reloading, the edit dialogs,
// levels and rights, and the grid's print, copy and save.

#include "app/ActivityMonitor.h"
#include "app/AppContext.h"
#include "reports/ClipboardText.h"
#include "reports/ReportJobs.h"
#include "reports/ReportTable.h"
#include "reports/TFormReportMenu.h"
#include "text/TextTables.h"
#include "ui/DataSetModel.h"
#include "ui/SaveDialog.h"
#include "users/GridFiles.h"
#include "users/TEditUser.h"
#include "users/TFormAddEditUserRole.h"
#include "users/TFormSetOrganisation.h"
#include "users/TFormUserManagement.h"
#include "users/UserAdministration.h"

#include <QTableView>
#include <QTimer>
#include <set>

using users::Grid;

namespace {

constexpr int kTextPendingCaption = 21;
constexpr int kTextPendingQuestion = 22;
constexpr int kTextRemoveQuestion = 90;
constexpr int kTextRemoveCaption = 91;
constexpr int kTextRefusalCaption = 260;
constexpr int kTextLevelCaption = 261;
constexpr int kTextLocked = 262;
constexpr int kTextLockedRole = 263;
constexpr int kTextRequired = 264;
constexpr int kTextNotRelatableCaption = 265;
constexpr int kTextNotRelatable = 266;
constexpr int kTextRoleOnlyFeature = 267;
constexpr int kTextLockedTemplate = 268;
constexpr int kTextRoleOnlyTemplate = 269;
constexpr int kTextOwnAccess = 270;
constexpr int kTextSaveFile = 9074;
constexpr int kTextFirstFilter = 9075;  // one per format, in their order
constexpr int kTextWriteFailed = 9079;

}  // namespace

bool TFormUserManagement::offerSave() {
    if (!hasPendingChanges()) return true;
    const ui::Button answer =
        context_.prompts().question(ui::Icon::Question, text(kTextPendingQuestion), text(kTextPendingCaption),
                                    ui::Button::Yes | ui::Button::No, ui::Button::Yes);
    if (answer != ui::Button::Yes) return true;
    // A failed save keeps the changes, and the command that asked stops.
    return SpeedButtonSaveChangesClick();
}

bool TFormUserManagement::SpeedButtonSaveChangesClick() {
    if (loading_) return false;
    const bool ok = administration_.saveRoles() && administration_.saveUsers();
    rebuild();
    return ok;
}

void TFormUserManagement::SpeedButtonRefreshClick() {
    if (loading_ || !offerSave()) return;
    reload();
}

void TFormUserManagement::SpeedButtonImportClick() {
    if (loading_ || !dialogs_.objectExchange || !offerSave()) return;
    // What the import wrote is read back, so the grids show the database.
    if (dialogs_.objectExchange(true)) reload();
}

void TFormUserManagement::SpeedButtonExportClick() {
    if (loading_ || !dialogs_.objectExchange || !offerSave()) return;
    dialogs_.objectExchange(false);
}

void TFormUserManagement::reject() {
    if (loading_ || !closeWindow()) return;
    QDialog::reject();
}

bool TFormUserManagement::closeWindow() {
    // When the save the administrator wanted fails, the window stays open
    // with the changes.
    if (!offerSave()) return false;
    storeSettings();
    TimerStart->stop();
    TimerFilter->stop();
    if (auto* monitor = context_.windows().activity) {
        // The main window's watch goes on as before the window opened.
        if (monitorWasRunning_)
            monitor->StartMonitor();
        else
            monitor->StopMonitor();
    }
    open_ = false;
    return true;
}

void TFormUserManagement::ButtonAddUserClick() {
    if (loading_ || !dialogs_.editUser || !offerSave()) return;
    if (dialogs_.editUser->AddUsers()) reload();
}

void TFormUserManagement::ButtonEditUserClick() {
    const std::vector<int> ids = selectedIds(Grid::UserDetails, "UserId");
    if (loading_ || !dialogs_.editUser || ids.empty()) return;
    const QModelIndex current = views_[size_t(Grid::UserDetails)]->currentIndex();
    const db::DataSet& set = sets_[size_t(Grid::UserDetails)];
    const int userId = current.isValid()
                           ? set.valueAt(current.row(), set.fieldIndex(QStringLiteral("UserId"))).toInt()
                           : ids.front();
    // The reload afterwards would drop held changes: they are offered first.
    if (!offerSave()) return;
    dialogs_.editUser->EditUser(userId);
    reload();
}

void TFormUserManagement::ButtonAddRoleClick() {
    if (loading_ || !dialogs_.editRole || !offerSave()) return;
    if (dialogs_.editRole->AddRole()) rebuild();
}

void TFormUserManagement::ButtonEditRoleClick() {
    const int row = views_[size_t(Grid::RoleDetails)]->currentIndex().row();
    const db::DataSet& set = sets_[size_t(Grid::RoleDetails)];
    if (loading_ || !dialogs_.editRole || row < 0 || row >= set.recordCount()) return;
    const int roleId = set.valueAt(row, set.fieldIndex(QStringLiteral("RoleId"))).toInt();
    const users::UserRole* role = administration_.roles.find(roleId);
    if (!role || role->Locked || !offerSave()) return;
    if (dialogs_.editRole->EditRole(roleId)) rebuild();
}

void TFormUserManagement::ButtonRemoveRoleClick() {
    const int row = views_[size_t(Grid::RoleDetails)]->currentIndex().row();
    const db::DataSet& set = sets_[size_t(Grid::RoleDetails)];
    if (loading_ || row < 0 || row >= set.recordCount()) return;
    const int roleId = set.valueAt(row, set.fieldIndex(QStringLiteral("RoleId"))).toInt();
    const users::UserData data{administration_.users, administration_.roles, administration_.catalogue};
    switch (users::CheckRoleRemoval(data, roleId, administratorId_)) {
        case users::RemovalCheck::Locked:
            context_.prompts().message(ui::Icon::Information, text(kTextLockedRole),
                                       text(kTextRefusalCaption));
            return;
        case users::RemovalCheck::OwnAccess:
            context_.prompts().message(ui::Icon::Information, text(kTextOwnAccess),
                                       text(kTextRefusalCaption));
            return;
        case users::RemovalCheck::Allowed: break;
    }
    if (!offerSave()) return;
    const users::UserRole* role = administration_.roles.find(roleId);
    const QString question = text(kTextRemoveQuestion) + QStringLiteral(" \"") +
                             (role ? role->Title : QString()) + QStringLiteral("\"?");
    if (context_.prompts().question(ui::Icon::Question, question, text(kTextRemoveCaption),
                                    ui::Button::Yes | ui::Button::No, ui::Button::No) != ui::Button::Yes)
        return;
    if (administration_.deleteRole(roleId)) reload();
}

void TFormUserManagement::SetLevelClick(int level) {
    if (loading_) return;
    const Grid grid = activeGrid();
    if (grid == Grid::RoleDetails) {
        if (level < 1) return;
        bool refused = false;
        const int changed =
            users::SetRoleLevels(administration_.roles, selectedIds(grid, "RoleId"), level, &refused);
        if (refused)
            context_.prompts().message(ui::Icon::Information, text(kTextLockedRole), text(kTextLevelCaption));
        if (changed > 0) rebuild();
        return;
    }
    // From the database version on that has no user levels, the save would
    // drop them: the commands are off.
    if (grid != Grid::UserDetails || !view_.oldUserColumns) return;
    if (users::SetUserLevels(administration_.users, selectedIds(grid, "UserId"), level) > 0) rebuild();
}

void TFormUserManagement::UseRoleLevelClick() {
    if (loading_ || activeGrid() != Grid::UserDetails || !view_.oldUserColumns) return;
    if (users::UseRoleLevels(administration_.users, selectedIds(Grid::UserDetails, "UserId")) > 0) rebuild();
}

void TFormUserManagement::SetOrganisationClick() {
    const std::vector<int> ids = selectedIds(Grid::UserDetails, "UserId");
    if (loading_ || !dialogs_.setOrganisation || ids.empty()) return;
    if (!dialogs_.setOrganisation->SetOrganisation(ids)) return;
    fillOrganisations();
    rebuild();
}

void TFormUserManagement::refuse(users::Refusal refusal, const QString& rowName) {
    ui::Prompts& prompts = context_.prompts();
    switch (refusal) {
        case users::Refusal::Required:
            prompts.message(ui::Icon::Information,
                            rowName + QStringLiteral(" (") + text(kTextRequired) + u')',
                            text(kTextRefusalCaption));
            break;
        case users::Refusal::Locked: {
            const Grid grid = activeGrid();
            const bool templates = grid == Grid::UserTemplates || grid == Grid::RoleTemplates;
            prompts.message(ui::Icon::Information, text(templates ? kTextLockedTemplate : kTextLocked),
                            text(kTextRefusalCaption));
            break;
        }
        case users::Refusal::NotRelatable:
            prompts.message(ui::Icon::Information, text(kTextNotRelatable), text(kTextNotRelatableCaption));
            break;
        case users::Refusal::RoleOnlyFeature:
            prompts.message(ui::Icon::Information, text(kTextRoleOnlyFeature), text(kTextRefusalCaption));
            break;
        case users::Refusal::RoleOnlyTemplate:
            prompts.message(ui::Icon::Information, text(kTextRoleOnlyTemplate), text(kTextRefusalCaption));
            break;
        case users::Refusal::None: break;
    }
}

void TFormUserManagement::SwitchRightsClick(std::optional<bool> enable) {
    const Grid grid = activeGrid();
    if (loading_ || !users::IsRightsGrid(grid)) return;
    users::MutableUserData data{administration_.users, administration_.roles, administration_.catalogue};
    std::set<users::Refusal> shown;  // each refusal once per command
    bool changed = false;
    for (const users::RightsRow& row : selectedRightsRows(grid)) {
        const bool target = enable ? *enable : !users::HoldsRight(grid, data.view(), row.ownerId, row.itemId);
        const users::Refusal refusal = users::CheckSwitch(grid, data.view(), row, target);
        if (refusal != users::Refusal::None) {
            if (shown.insert(refusal).second) {
                const int roleId = grid == Grid::UserRoles ? row.itemId : row.ownerId;
                const users::UserRole* role = administration_.roles.find(roleId);
                refuse(refusal, role ? role->Title : QString());
            }
            continue;
        }
        changed = users::SwitchRight(grid, data, row, target) || changed;
    }
    if (changed) rebuild();
}

void TFormUserManagement::SpeedButtonPrintClick() {
    TFormReportMenu* menu = context_.windows().reportMenu;
    if (loading_ || !menu) return;
    reports::ReportSource source;
    source.kind = reports::SourceKind::GridLink;
    source.model = models_[size_t(activeGrid())].get();
    source.window = this;
    source.headerTexts[0] = reports::applicationTitle();
    source.orientation = QPageLayout::Landscape;
    menu->Execute(source);
}

void TFormUserManagement::SpeedButtonCopyClick() {
    if (loading_) return;
    context_.prompts().setClipboardText(
        reports::clipboardText(reports::tableFromModel(*models_[size_t(activeGrid())])));
}

void TFormUserManagement::SpeedButtonSaveClick() {
    if (loading_) return;
    QStringList filters;
    for (int f = 0; f < users::kGridFileFormats; ++f) filters << text(kTextFirstFilter + f);
    int chosen = -1;
    const QString name = ui::saveFileNameWithFilter(context_.prompts(), text(kTextSaveFile), QString(),
                                                    filters.join(QStringLiteral(";;")), &chosen);
    if (name.isEmpty()) return;
    const users::GridFileFormat format = users::GridFileFormatFor(name, chosen);
    const QString path = users::WithGridFileExtension(name, format);
    const Grid grid = activeGrid();
    QString error;
    const QString title = windowTitle();
    if (!users::WriteGridFile(path, reports::tableFromModel(*models_[size_t(grid)]), format, title, &error))
        context_.prompts().message(ui::Icon::Error, text(kTextWriteFailed) + u' ' + error, title);
}
