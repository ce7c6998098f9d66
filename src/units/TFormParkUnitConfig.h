#pragma once
// "Park Unit Configuration for a Profile": one row per unit of a profile
// with its reference curve, neighbours, met stations, calibration, wind
// parameters and connection point, edited in the grid, in the record view
// or by copying a cell down, and written by Apply in one batch update. It
// also changes the profile's set of units (Add and remove).

#include "db/DataSet.h"
#include "units/ConfigLookups.h"
#include "units/UnitSelection.h"

#include <QDialog>
#include <memory>
#include <vector>

class QLabel;
class QPushButton;
class QTableView;
class QTimer;
class QToolButton;
class TFormEditParkUnit;
class TFormPUProgresser;
class TFormRegenerateShadowData;
class TFormSelectParkUnits;
class TformDeselectedUnits;

namespace app {
class AppContext;
}
namespace ui {
class DataSetModel;
class LoadOnFirstShow;
}  // namespace ui

// The windows the configuration opens; made after it, in the program's order.
struct ParkUnitDialogs {
    TFormSelectParkUnits* selectUnits = nullptr;
    TformDeselectedUnits* deselectedUnits = nullptr;
    TFormPUProgresser* progresser = nullptr;
    TFormEditParkUnit* editUnit = nullptr;
    TFormRegenerateShadowData* startDate = nullptr;
};

class TFormParkUnitConfig : public QDialog, private db::DataSetListener {
    Q_OBJECT

public:
    static constexpr int kResultApplied = 1;
    static constexpr int kResultNotApplied = 2;

    explicit TFormParkUnitConfig(app::AppContext& context, QWidget* parent = nullptr);
    ~TFormParkUnitConfig() override;
    void setDialogs(const ParkUnitDialogs& dialogs);

    // Sets the window up for a profile; it loads on the next show.
    void Prepare(int profileId, const QString& title, bool locked);
    // Prepare, then show modally: kResultApplied when Apply wrote something.
    int Execute(int profileId, const QString& title, bool locked);

    // Puts every session unit into a new profile without asking (the
    // profile's creation offers it), then loads the grid.
    bool AddAllSessionUnits(int profileId, const QString& title);
    // Reads the profile's units in and outside it and prepares the
    // selection dialog with the session's units (step before showing it).
    bool PrepareSelection(units::StartMode mode);

    // --- state, for the tests, the record view and the screenshot tool ---
    db::DataSet& rows() { return rows_; }
    const units::ConfigLookups& lookups() const { return lookups_; }
    QTableView* grid() const { return DBGridParkUnits; }
    bool isEditable() const { return editable_; }
    bool isDirty() const { return dirty_; }
    bool wasApplied() const { return applied_; }

    // --- event handlers ---
    void TimerStartTimer();
    bool ApplyButtonClick();
    void OkButtonClick();
    void CancelButtonClick();
    void ButtonEditClick();
    void ButtonAddRemoveClick();
    void CopyActvieCellButtonClick();
    void SpeedButtonPrintClick();
    void SpeedButtonCopyClick();
    void reject() override;

Q_SIGNALS:
    // The load that the timer started has ended (ok: the grid shows the rows).
    void loaded(bool ok);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void setCaptions();
    bool Load();
    bool openLookup(ui::LookupList& list, const QString& text, const QString& key, const QString& title);
    void prepareFields();
    void sizeColumns();
    void SetButtonState(bool on);
    void applyRowFilters();
    // Asks to save held edits; Yes applies, No drops them. False when the
    // answer was Yes and the update failed: the edits are still held.
    bool SaveOffer();
    void closeWindow();
    QString text(int number);
    void showError(const QString& message);

    // Unit selection (TFormParkUnitConfigSelection.cpp).
    bool openUnitLists();
    void applySelection();
    void removeUnits(const units::SelectionChanges& changes);
    void addUnits(const units::SelectionChanges& changes);

    // --- DataSetListener ---
    void currentRowChanged(int row) override;
    void stateChanged(db::DataSetState state) override;
    void rowsChanged(int first, int last) override;

    app::AppContext& context_;
    ParkUnitDialogs dialogs_;
    int profileId_ = 0;
    QString profileTitle_;
    bool locked_ = false;
    QString caption_;
    bool editable_ = false;
    bool dirty_ = false;
    bool applied_ = false;
    bool buttonsOn_ = true;
    bool filtering_ = false;
    bool sectorGroups_ = true;      // the database version has the column
    bool connectionPoints_ = true;  // likewise

    db::DataSet rows_;
    db::DataSet UnselectADO;
    db::DataSet SelectADO;
    units::ConfigLookups lookups_;
    std::unique_ptr<ui::DataSetModel> model_;

    QToolButton* SpeedButtonClose = nullptr;
    QToolButton* SpeedButtonCopy = nullptr;
    QToolButton* SpeedButtonPrint = nullptr;
    QToolButton* CopyActvieCellButton = nullptr;
    QLabel* LabelGrid = nullptr;
    QTableView* DBGridParkUnits = nullptr;
    QPushButton* ButtonAddRemove = nullptr;
    QPushButton* ButtonEdit = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* ApplyButton = nullptr;
    QTimer* TimerStart = nullptr;
    ui::LoadOnFirstShow* firstShow_ = nullptr;
};
