#pragma once
// "Wind exclusion sectors": the wind sector groups and the sectors of the
// selected one. Groups are added, renamed and removed, sectors added, edited
// and removed in the editor's model only; OK and Apply send one call per
// changed group and one per removed group under the process dialog. A save
// that fails or is cancelled keeps the window open with every change held,
// so that another OK or Apply sends them again.

#include "windsectors/SectorEditorModel.h"

#include <QDialog>
#include <memory>

class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;
class TFormWindExclusionGroup;
class TFormWindExclusionSector;

namespace app {
class AppContext;
}
namespace ui {
class DataSetModel;
class LoadOnFirstShow;
}  // namespace ui

class TFormWindExclusionSectors : public QDialog {
    Q_OBJECT

public:
    // Modal results.
    static constexpr int kResultSaved = 1;
    static constexpr int kResultNothingSaved = 2;

    explicit TFormWindExclusionSectors(app::AppContext& context, QWidget* parent = nullptr);
    ~TFormWindExclusionSectors() override;

    void setDialogs(TFormWindExclusionGroup* group, TFormWindExclusionSector* sector);

    // Sets the window up for a new opening: it loads on its next show.
    void Prepare();
    // Prepare, then show modally: 1 when something was saved, else 2.
    int Execute();

    windsectors::SectorEditorModel& model() { return model_; }
    QTableView* groupList() const { return ListViewWindSectorGroups; }
    QTableView* sectorList() const { return ListViewWindSectors; }

    void ButtonAddGroupClick();
    void ButtonRenameGroupClick();
    void ButtonRemoveGroupClick();
    void ButtonAddSectorClick();
    void ButtonEditSectorClick();
    void ButtonRemoveSectorClick();
    void ButtonOKClick();
    void ButtonApplyClick();
    void ButtonCancelClick();

Q_SIGNALS:
    // A load ended (ok: the groups and sectors are shown).
    void loaded(bool ok);

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;  // Escape and the close button: Cancel

private:
    void buildUi();
    void setCaptions();
    void FormShow();
    bool load();
    // Sends every held change; false (told to the user) when a call failed
    // or was cancelled.
    bool save();
    void showGroup(int row);
    void ListViewWindSectorGroupsSelect();
    void updateButtons();
    // The working key of the sector selected in the list, or -1.
    int selectedSector() const;
    void selectSector(int key);
    void editSector(std::optional<int> key);
    void showError(const QString& text);
    void trace(const char* method);

    app::AppContext& context_;
    ui::LoadOnFirstShow* firstShow_ = nullptr;
    TFormWindExclusionGroup* groupDialog_ = nullptr;
    TFormWindExclusionSector* sectorDialog_ = nullptr;
    windsectors::SectorEditorModel model_;
    std::unique_ptr<ui::DataSetModel> groupModel_;
    std::unique_ptr<ui::DataSetModel> sectorModel_;

    QTableView* ListViewWindSectorGroups = nullptr;
    QPushButton* ButtonAddGroup = nullptr;
    QPushButton* ButtonRemoveGroup = nullptr;
    QLineEdit* EditGroup = nullptr;
    QPushButton* ButtonRenameGroup = nullptr;
    QTableView* ListViewWindSectors = nullptr;
    QPushButton* ButtonAddSector = nullptr;
    QPushButton* ButtonEditSector = nullptr;
    QPushButton* ButtonRemoveSector = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonApply = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QTimer* TimerClose = nullptr;  // closes the window after a failed load

    bool loadedOk_ = false;
    bool saved_ = false;
    bool saving_ = false;
    bool syncing_ = false;  // the views follow the model: no selection handling
};
