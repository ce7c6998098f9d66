// The main window's profile dialog commands: create a profile (with the
// session's units if asked), edit its properties, and the contract
// configuration.

#include "app/AppContext.h"
#include "contracts/TFormContractConfiguration.h"
#include "profiles/ProfileInput.h"
#include "profiles/TFormSQLProfileAdministrator.h"
#include "profiles/TFormUtil.h"
#include "profiles/TForm_Input.h"
#include "text/TextTables.h"
#include "ui/Waiting.h"
#include "units/TFormPUProgresser.h"
#include "units/TFormParkUnitConfig.h"

namespace {
constexpr int kTextEmptyDescription = 312;
constexpr int kTextCreating = 313;
constexpr int kProgressCreated = 50;
}  // namespace

int TFormSQLProfileAdministrator::newestProfileId() const {
    int newest = 0;
    for (int row = 0; row < TableReportProfile.recordCount(); ++row)
        newest = std::max(newest,
                          TableReportProfile.rowView(row).value(QStringLiteral("ReportProfileId")).toInt());
    return newest;
}

void TFormSQLProfileAdministrator::ActionProfilePropertiesExecute() {
    if (!hasRows() || !EditProfile.isEnabled() || !dialogs_.profileInput) return;
    runCommand([this] {
        if (refuseLockedProfile()) return;
        const profiles::CurrentProfile stored = current_;
        if (dialogs_.profileInput->ExecuteProperties(stored) != TForm_Input::kResultOK) return;
        const QString key = QStringLiteral("ReportProfileId");
        if (!TableReportProfile.locate(key, stored.ProfileId)) return;
        const auto writes = profiles::propertyWrites(
            dialogs_.profileInput->input(), stored,
            [this](const QString& threshold) { return context_.IsDatabaseVersionAtLeast(threshold); },
            [this](int code) { return context_.HasFeature(code); });
        TableReportProfile.edit();
        for (const auto& [column, value] : writes) TableReportProfile.setValue(column, value);
        TableReportProfile.post();
        if (!writeBackProfileList()) {
            // Show what the database holds now.
            TableReportProfile.close();
            if (openProfileList()) TableReportProfile.locate(key, stored.ProfileId);
        }
        selectionChanged();
    });
}

void TFormSQLProfileAdministrator::ActionCreateNewProfileExecute() {
    if (!CreateProfile.isEnabled() || !dialogs_.profileInput) return;
    runCommand([this] {
        TForm_Input& dialog = *dialogs_.profileInput;
        // Units can only be added where the session lists some.
        if (dialog.ExecuteCreate(!context_.session().ParkUnits.empty()) != TForm_Input::kResultOK) return;
        TFormUtil* util = context_.windows().util;
        if (!util) return;
        const profiles::ProfileInput input = dialog.input();
        const int newestBefore = newestProfileId();
        const QString statement = profiles::createProfileStatement(
            input, context_.session().UserId,
            [this](const QString& threshold) { return context_.IsDatabaseVersionAtLeast(threshold); },
            text(kTextEmptyDescription));
        TFormPUProgresser* progress = dialogs_.unitProgresser.get();
        if (progress) {
            progress->Start();
            progress->Step(0, text(kTextCreating));
        }
        const bool created = util->RunCommand(statement);
        if (progress) progress->Step(kProgressCreated, text(kTextCreating));
        TableReportProfile.close();
        const bool listed = openProfileList();
        ui::pause(500);
        if (progress) progress->Finish();
        if (!created) {
            // Nothing was made: no row is moved to, no unit is added.
            showError(util->lastError());
            selectionChanged();
            return;
        }
        // The new profile is the newest the user sees; a list that does not
        // show one leaves every other profile alone.
        const int profileId = listed ? newestProfileId() : 0;
        if (profileId <= newestBefore ||
            !TableReportProfile.locate(QStringLiteral("ReportProfileId"), profileId)) {
            selectionChanged();
            return;
        }
        selectionChanged();
        if (dialog.addUnits() && dialogs_.parkUnitConfig &&
            dialogs_.parkUnitConfig->AddAllSessionUnits(profileId, input.title))
            editUnitsOf(profileId, input.title, input.locked);
        Refresh();
    });
}

void TFormSQLProfileAdministrator::ActionContractConfigurationExecute() {
    if (!ContractConfiguration.isEnabled() || !dialogs_.contractConfiguration) return;
    runCommand([this] {
        dialogs_.contractConfiguration->Execute();
        Refresh();
    });
}
