// The main window's commands and the list operations they share.

#include "app/AppContext.h"
#include "categorization/TFormCatagoryAllocation.h"
#include "categorization/TFormCatagorySelect.h"
#include "categorization/TFormCategoryDetails.h"
#include "categorization/TFormDeratingCatagoryAllocation.h"
#include "categorization/TFormSelectCategorizationType.h"
#include "curves/TFormFWPTable.h"
#include "curves/TFormNormCurve.h"
#include "profiles/ProfileRemoval.h"
#include "profiles/TFormSQLProfileAdministrator.h"
#include "profiles/TFormValidation.h"
#include "reports/ReportJobs.h"
#include "reports/TFormReportMenu.h"
#include "shadowdata/ShadowDataRegeneration.h"
#include "shadowdata/TFormLockShadowData.h"
#include "text/TextTables.h"
#include "ui/Waiting.h"
#include "units/TFormParkUnitConfig.h"
#include "users/TFormUserManagement.h"
#include "windsectors/TFormWindExclusionSectors.h"

#include <QApplication>
#include <QDate>
#include <QTimer>
#include <QToolButton>

namespace {
constexpr int kTextErrorCaption = 64;
constexpr int kTextProfileLocked = 59;
constexpr int kTextLockedCaption = 311;
constexpr int kTextAllPending = 560;
constexpr int kTextUnlockQuestion = 561;
// How many times the list is refreshed after a regeneration was started.
constexpr int kRegenerationWatchRounds = 10;
// How long a command waits for a running tick of the watch.
constexpr int kWatchTickWaitMs = 2200;
}  // namespace

void TFormSQLProfileAdministrator::BeginCommand() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    watchWasRunning_ = TimerRegenationStatus->isActive();
    // Let a running refresh of the watch finish; its end ends the wait.
    TimerRegenationStatus->stop();
    ui::waitForSignal(this, &TFormSQLProfileAdministrator::watchTickEnded,
                      [this] { return !watchTickRunning_; }, {kWatchTickWaitMs, {}, 0});
    // The tick restarts the watch when it ends.
    TimerRegenationStatus->stop();
    QApplication::restoreOverrideCursor();
}

void TFormSQLProfileAdministrator::EndCommand() {
    if (watchWasRunning_) TimerRegenationStatus->start();
    watchWasRunning_ = false;
}

void TFormSQLProfileAdministrator::runCommand(const std::function<void()>& action) {
    // Whatever window the command opens is modal: the host's reset and close
    // wait until the command has ended.
    app::BusyScope busy(context_);
    BeginCommand();
    SetCommandsEnabled(false);
    action();
    SetCommandsEnabled(!current_.Busy);
    EndCommand();
}

bool TFormSQLProfileAdministrator::refuseLockedProfile() {
    if (current_.Locked != 1) return false;
    context_.prompts().message(ui::Icon::Error, text(kTextProfileLocked), text(kTextLockedCaption));
    return true;
}

bool TFormSQLProfileAdministrator::writeBackProfileList() {
    auto* connection = context_.Database().get();
    if (!connection) return false;
    if (TableReportProfile.updateBatch(*connection, QStringLiteral("TReportProfile"),
                                       {QStringLiteral("ReportProfileId")}))
        return true;
    const auto message = TableReportProfile.lastError();
    // Nothing was written: drop the held edit so the list shows the database.
    TableReportProfile.cancelBatch();
    showError(message);
    return false;
}

void TFormSQLProfileAdministrator::Refresh() {
    if (refreshing_ || !started_) return;
    refreshing_ = true;
    app::BusyScope busy(context_);
    const int row = TableReportProfile.currentRow();
    TableReportProfile.close();
    if (openProfileList()) {
        if (row >= 0 && row < TableReportProfile.recordCount()) TableReportProfile.moveTo(row);
        selectionChanged();
        // While a regeneration runs the watch keeps going, one round at a time.
        if (watchOn_ && anyRegenerationRunning() && !watchTickRunning_) TimerRegenationStatus->start();
    }
    refreshing_ = false;
}

void TFormSQLProfileAdministrator::MarkRegenerationPending(int profileId) {
    const int selectedId = current_.ProfileId;
    TableReportProfile.close();
    if (!openProfileList()) return;
    const QString key = QStringLiteral("ReportProfileId");
    if (TableReportProfile.locate(key, profileId)) {
        TableReportProfile.edit();
        TableReportProfile.setValue(QStringLiteral("ReportProfileRegeneratePendingFlag"), 1);
        TableReportProfile.post();
        writeBackProfileList();
    }
    if (selectedId != profileId) TableReportProfile.locate(key, selectedId);
    selectionChanged();
}

std::function<void()> TFormSQLProfileAdministrator::regenerationMarker(int profileId) {
    // Bound when the command starts: the list may have moved by the time the
    // window marks.
    return [this, profileId] { MarkRegenerationPending(profileId); };
}

void TFormSQLProfileAdministrator::MarkAllRegenerationPending() {
    const int profileId = current_.ProfileId;
    TableReportProfile.close();
    if (!openProfileList()) return;
    for (TableReportProfile.first(); !TableReportProfile.eof(); TableReportProfile.next()) {
        TableReportProfile.edit();
        TableReportProfile.setValue(QStringLiteral("ReportProfileRegeneratePendingFlag"), 1);
        TableReportProfile.post();
    }
    writeBackProfileList();
    TableReportProfile.locate(QStringLiteral("ReportProfileId"), profileId);
    selectionChanged();
    context_.prompts().message(ui::Icon::Warning, text(kTextAllPending), text(kTextErrorCaption));
}

void TFormSQLProfileAdministrator::ActionUnlockProfileExecute() {
    if (!hasRows() || !UnlockProfile.action->isEnabled()) return;
    runCommand([this] {
        const int profileId = current_.ProfileId;
        const auto answer = context_.prompts().question(
            ui::Icon::Error, text::withLineBreaks(text(kTextUnlockQuestion)), text(kTextErrorCaption),
            ui::Button::Yes | ui::Button::No, ui::Button::No);
        if (answer != ui::Button::Yes) return;
        if (!TableReportProfile.locate(QStringLiteral("ReportProfileId"), profileId)) return;
        TableReportProfile.edit();
        TableReportProfile.setValue(QStringLiteral("ReportProfileLocked"), 0);
        TableReportProfile.post();
        writeBackProfileList();
        selectionChanged();
    });
}

categorization::ProfileInfo TFormSQLProfileAdministrator::categorizationProfile() const {
    categorization::ProfileInfo profile;
    profile.ReportProfileId = current_.ProfileId;
    profile.Title = current_.Title;
    profile.Locked = current_.Locked == 1;
    profile.UseDeratingCategorisation = current_.UseDeratingCategorisation;
    profile.UseIECReporting = current_.UseIECReporting;
    profile.UseEEGReporting = current_.UseEEGReporting;
    return profile;
}

void TFormSQLProfileAdministrator::ActionCategorizeEventsExecute() {
    if (!hasRows() || !CategoryEvent.isEnabled()) return;
    if (!dialogs_.categorySelect || !dialogs_.categoryAllocation) return;
    runCommand([this] {
        const categorization::ProfileInfo profile = categorizationProfile();
        const categorization::RegenerationMarker marker = regenerationMarker(profile.ReportProfileId);
        // Derating sources are a choice only where the profile categorises them.
        auto* type = dialogs_.categorizationType;
        if (type && dialogs_.deratingAllocation &&
            (profile.UseDeratingCategorisation || profile.UseIECReporting) &&
            type->Execute() == QDialog::Accepted && type->CategorizationType() == 2) {
            dialogs_.deratingAllocation->Execute(profile, marker);
            Refresh();
            return;
        }
        if (!dialogs_.categorySelect->Select(profile.ReportProfileId)) return;
        dialogs_.categoryAllocation->Execute(profile, dialogs_.categorySelect->selection(), marker);
        Refresh();
    });
}

void TFormSQLProfileAdministrator::ActionCategoryConfigurationExecute() {
    if (!hasRows() || !CategoryConfiguration.isEnabled() || !dialogs_.categoryDetails) return;
    runCommand([this] {
        // A successful save marks the profile, which reloads the list.
        const categorization::ProfileInfo profile = categorizationProfile();
        dialogs_.categoryDetails->Execute(profile, regenerationMarker(profile.ReportProfileId));
    });
}

void TFormSQLProfileAdministrator::ActionSelectAndEditUnitsExecute() {
    if (!hasRows() || !EditUnits.isEnabled() || !dialogs_.parkUnitConfig) return;
    runCommand([this] {
        const int profileId = current_.ProfileId;
        editUnitsOf(profileId, current_.Title, current_.Locked == 1);
    });
}

void TFormSQLProfileAdministrator::editUnitsOf(int profileId, const QString& title, bool locked) {
    if (dialogs_.parkUnitConfig->Execute(profileId, title, locked) == TFormParkUnitConfig::kResultApplied)
        MarkRegenerationPending(profileId);
}

void TFormSQLProfileAdministrator::ActionValidationParameterEditorExecute() {
    if (!ValidationParameters.isEnabled() || !dialogs_.validation) return;
    runCommand([this] {
        // The limits apply to every profile: all of them need new shadow data.
        if (dialogs_.validation->Execute() == TFormValidation::kResultApplied) MarkAllRegenerationPending();
    });
}

void TFormSQLProfileAdministrator::ActionNormCurveEditorExecute() {
    if (!NormCurve.isEnabled() || !dialogs_.normCurve) return;
    runCommand([this] {
        if (dialogs_.normCurve->Execute() == TFormNormCurve::kResultInUse)
            MarkRegenerationPending(current_.ProfileId);
    });
}

void TFormSQLProfileAdministrator::ActionFreewindParameterEditorExecute() {
    if (!FreeWindParameters.isEnabled() || !dialogs_.freeWind) return;
    runCommand([this] {
        // Every profile may use a changed set: all of them need new shadow data.
        if (dialogs_.freeWind->Execute() == TFormFWPTable::kResultChanged) MarkAllRegenerationPending();
    });
}

void TFormSQLProfileAdministrator::ActionShadowDataLockExecute() {
    if (!hasRows() || !ShadowDataLocks.isEnabled() || !dialogs_.lockShadowData) return;
    runCommand([this] { dialogs_.lockShadowData->Execute(current_.ProfileId); });
}

void TFormSQLProfileAdministrator::ActionUserAccessSetupExecute() {
    if (!UserAccess.isEnabled() || !dialogs_.userManagement) return;
    runCommand([this] { dialogs_.userManagement->Execute(context_.session().UserId); });
}

void TFormSQLProfileAdministrator::ActionRemoveProfileExecute() {
    if (!hasRows() || !RemoveProfile.isEnabled()) return;
    runCommand([this] {
        if (refuseLockedProfile()) return;
        profiles::ProfileRemoval removal(context_, dialogs_.removePrompt);
        if (removal.Run(current_.ProfileId, current_.Title)) {
            TableReportProfile.close();
            openProfileList();
            selectionChanged();
        }
    });
}

void TFormSQLProfileAdministrator::ActionRegenerateShadowDataExecute() {
    if (!hasRows() || !RegenerateShadow.isEnabled()) return;
    if (!dialogs_.regenerationPeriod || !dialogs_.progresser) return;
    runCommand([this] {
        ShadowDataRegeneration regeneration(context_, *dialogs_.regenerationPeriod, *dialogs_.progresser);
        regeneration.Run(current_.ProfileId, current_.Title, [this] { Refresh(); });
    });
    // Whatever the outcome, the list follows the profile's status for a
    // while: a failed or cancelled regeneration shows as such.
    startRegenerationWatch(kRegenerationWatchRounds);
}

void TFormSQLProfileAdministrator::SpeedButtonCloseClick() {
    SpeedButtonClose->setEnabled(false);
    TimerClose->start();
}

void TFormSQLProfileAdministrator::startRegenerationWatch(int rounds) {
    watchOn_ = true;
    watchTicks_ = 0;
    watchRounds_ = std::max(1, rounds);
    TimerRegenationStatus->start();
}

bool TFormSQLProfileAdministrator::anyRegenerationRunning() const {
    for (int row = 0; row < TableReportProfile.recordCount(); ++row)
        if (TableReportProfile.rowView(row).value(QStringLiteral("ReportProfileStatus")).toInt() > 0)
            return true;
    return false;
}

bool TFormSQLProfileAdministrator::isWatching() const { return TimerRegenationStatus->isActive(); }

void TFormSQLProfileAdministrator::TimerRegenationStatusTimer() {
    if (watchTickRunning_) return;
    watchTickRunning_ = true;
    TimerRegenationStatus->stop();
    ++watchTicks_;
    Refresh();
    QApplication::processEvents();
    if (watchTicks_ >= watchRounds_) {
        watchTicks_ = 0;
        watchRounds_ = 1;
        if (anyRegenerationRunning())
            TimerRegenationStatus->start();
        else
            TimerRegenationStatus->stop();
    } else {
        TimerRegenationStatus->start();
    }
    watchTickRunning_ = false;
    SetCommandsEnabled(!current_.Busy);
    Q_EMIT watchTickEnded();
}

void TFormSQLProfileAdministrator::SpeedButtonPrintClick() {
    TFormReportMenu* menu = context_.windows().reportMenu;
    if (!menu) return;
    // The commands stay as they are: the screen dump shows the window as the user sees it.
    BeginCommand();
    menu->Execute(reports::dataSetReport(
        TableReportProfile, this,
        {reports::applicationTitle(), QLocale().toString(QDate::currentDate(), QLocale::LongFormat)}));
    EndCommand();
}

void TFormSQLProfileAdministrator::ActionWindExclusionEditorExecute() {
    if (!WindSectorEditor.isEnabled() || !dialogs_.windSectors) return;
    runCommand([this] {
        dialogs_.windSectors->Execute();
        Refresh();
    });
}
