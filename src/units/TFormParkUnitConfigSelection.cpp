// Changing the profile's set of units from the configuration window: the
// two unit lists, the selection dialog, and the removals and additions run
// one unit at a time under the data calculation progress dialog.

#include "app/AppContext.h"
#include "app/TOrinADOProgressDialog.h"
#include "shadowdata/TFormRegenerateShadowData.h"
#include "text/TextTables.h"
#include "units/TFormEditParkUnit.h"
#include "units/TFormParkUnitConfig.h"
#include "units/TFormSelectParkUnits.h"
#include "units/TformDeselectedUnits.h"

namespace {
constexpr int kTextNothingRemoved = 383;
constexpr int kTextRemoving = 384;
constexpr int kTextAdding = 385;
constexpr int kTextAddFailed = 386;
}  // namespace

bool TFormParkUnitConfig::openUnitLists() {
    const QString text = QStringLiteral("exec dce_SP_selectParkUnitsWithProfileid %1,%2,'WTG_MET_GRID'");
    for (auto [rows, selected] : {std::pair{&UnselectADO, 0}, std::pair{&SelectADO, 1}}) {
        rows->close();
        db::Command command;
        command.text = text.arg(profileId_).arg(selected);
        if (!rows->open(context_.Database(), command)) {
            showError(rows->lastError());
            return false;
        }
    }
    return true;
}

bool TFormParkUnitConfig::PrepareSelection(units::StartMode mode) {
    if (!dialogs_.selectUnits || !openUnitLists()) return false;
    std::vector<int> session;
    for (const app::SessionParkUnit& unit : context_.session().ParkUnits) session.push_back(unit.SParkUnitId);
    dialogs_.selectUnits->Prepare(units::buildCandidates(session, UnselectADO, SelectADO, mode));
    return true;
}

void TFormParkUnitConfig::ButtonAddRemoveClick() {
    if (!editable_ || !buttonsOn_ || !dialogs_.selectUnits) return;
    if (dialogs_.editUnit) dialogs_.editUnit->hide();
    app::BusyScope busy(context_);
    if (!SaveOffer()) return;
    SetButtonState(false);
    if (PrepareSelection(units::StartMode::Available)) {
        if (dialogs_.selectUnits->Execute() == 1) {
            applySelection();
            TimerStartTimer();
        }
    }
    SetButtonState(true);
}

bool TFormParkUnitConfig::AddAllSessionUnits(int profileId, const QString& title) {
    if (!dialogs_.selectUnits) return false;
    profileId_ = profileId;
    profileTitle_ = title;
    caption_ = context_.texts().profile(360) + QStringLiteral(" (") + title + u')';
    app::BusyScope busy(context_);
    if (!PrepareSelection(units::StartMode::Selected)) return false;
    dialogs_.selectUnits->Fill();
    applySelection();
    UnselectADO.close();
    SelectADO.close();
    return true;
}

void TFormParkUnitConfig::applySelection() {
    const units::SelectionChanges changes = units::selectionChanges(
        dialogs_.selectUnits->candidates(), dialogs_.selectUnits->selectedIds(), SelectADO, UnselectADO);
    if (!changes.removals.empty() && !changes.removalTitles.isEmpty()) removeUnits(changes);
    // Additions are made whatever became of the removals.
    if (!changes.additions.empty()) addUnits(changes);
}

void TFormParkUnitConfig::removeUnits(const units::SelectionChanges& changes) {
    TOrinADOProgressDialog* progress = context_.windows().progress;
    const int answer =
        dialogs_.deselectedUnits ? dialogs_.deselectedUnits->Execute(changes.removalTitles) : 2;
    if (answer != 1) {
        context_.prompts().message(ui::Icon::Error, text(kTextNothingRemoved), caption_);
        return;
    }
    if (!progress) return;
    std::vector<ProgressItem> items;
    for (int id : changes.removals)
        items.push_back({QStringLiteral("DCE_SP_DeleteParkUnitsWithProfileId %1, %2").arg(id).arg(profileId_),
                         text(kTextRemoving)});
    setEnabled(false);
    QString error;
    const bool ok =
        runBatch(context_, *progress, false, QStringLiteral("Delete_Profile_Units"), items, &error);
    setEnabled(true);
    // A failed removal is told, as a failed addition is; a cancel is not.
    if (!ok && !error.isEmpty()) showError(error);
}

void TFormParkUnitConfig::addUnits(const units::SelectionChanges& changes) {
    TOrinADOProgressDialog* progress = context_.windows().progress;
    if (!progress) return;
    QString start;
    if (dialogs_.startDate && dialogs_.startDate->Execute() == QDialog::Accepted &&
        dialogs_.startDate->chosenDate().isValid())
        start = units::shadowDataStartText(dialogs_.startDate->chosenDate(),
                                           dialogs_.startDate->minPcTimeStamp());
    std::vector<ProgressItem> items;
    for (int id : changes.additions) {
        const QString call =
            start.isEmpty() ? QStringLiteral("exec DCE_SP_AddParkUnitToProfile %1,%2").arg(id).arg(profileId_)
                            : QStringLiteral("exec DCE_SP_AddParkUnitToProfile %1,%2,'%3'")
                                  .arg(id)
                                  .arg(profileId_)
                                  .arg(start);
        items.push_back({call, text(kTextAdding)});
    }
    setEnabled(false);
    QString error;
    const bool ok = runBatch(context_, *progress, true, QStringLiteral("Add_Profile_Units"), items, &error);
    setEnabled(true);
    if (!ok && !error.isEmpty())
        context_.prompts().message(ui::Icon::Error, text(kTextAddFailed) + u' ' + error, caption_);
}
