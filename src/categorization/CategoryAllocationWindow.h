#pragma once
// What the event and the derating allocation windows share: the tool bar,
// the grid, the buttons, the editing rule, the load on a timer, the save of
// the changed rows and the close question. The two windows differ by their
// AllocationVariant and, for events, the category set and event list.

#include "categorization/AllocationFile.h"
#include "categorization/AllocationGrid.h"
#include "categorization/ProfileInfo.h"
#include "db/DataSet.h"

#include <QDialog>
#include <QStringList>

class QPushButton;
class QTimer;
class QToolButton;
class QVBoxLayout;
class TFormMapCategory;
class TFormReMapCategory;

namespace app {
class AppContext;
}

namespace ui {
class LoadOnFirstShow;
}

namespace categorization {

class AllocationGridModel;
class OvcDbTableCategory;

class CategoryAllocationWindow : public QDialog {
    Q_OBJECT

public:
    // Numbered texts of the profile file.
    static constexpr int kTextOK = 50;
    static constexpr int kTextApply = 53;
    static constexpr int kTextCaption = 64;
    static constexpr int kTextInformation = 66;
    static constexpr int kTextUnsavedChanges = 140;
    static constexpr int kTextLoading = 223;
    static constexpr int kTextRemap = 473;
    static constexpr int kTextReportTitle = 475;
    static constexpr int kTextSaving = 480;
    static constexpr int kTextSaveFailed = 481;
    static constexpr int kTextLoadFailed = 483;
    static constexpr int kTextSwitchOffAllocated = 486;
    static constexpr int kTextAllocateSwitchedOff = 487;
    static constexpr int kTextExpand = 495;
    static constexpr int kTextCollapse = 496;
    static constexpr int kTextImport = 497;
    static constexpr int kTextExport = 498;
    static constexpr int kTextOtherEventList = 488;
    static constexpr int kTextNoFileName = 489;
    static constexpr int kTextNotAnAllocationFile = 490;
    static constexpr int kTextAllocationFileCaption = 491;
    static constexpr int kTextNotADeratingFile = 492;
    static constexpr int kTextFileFilter = 9084;
    static constexpr int kTextWriteFailed = 9085;
    // Hints.
    static constexpr int kHintClose = 0;
    static constexpr int kHintCopy = 21;
    static constexpr int kHintPrint = 22;
    // The feature that allows editing a profile's configuration.
    static constexpr int kFeatureEditProfile = 3;
    static constexpr int kLoadDelayMs = 100;

    CategoryAllocationWindow(app::AppContext& context, const AllocationVariant& variant, QWidget* parent);
    ~CategoryAllocationWindow() override;

    // The main window's rule for import and re-map (the profile is not
    // locked). Both change the grid, so they also need the grid editable.
    void setImportAndRemapAllowed(bool allowed) { importAndRemapAllowed_ = allowed; }
    bool importAndRemapAllowed() const { return importAndRemapAllowed_; }

    // The dialogs of re-map and import; without them both do nothing.
    void setMappingDialogs(TFormMapCategory* mapCategory, TFormReMapCategory* reMapCategory) {
        mapCategory_ = mapCategory;
        reMapCategory_ = reMapCategory;
    }

    const ProfileInfo& profile() const { return profile_; }
    // Something was written since the last Prepare.
    bool wroteSomething() const { return wrote_; }
    // Edits not written yet (a failed save keeps them).
    bool hasUnsavedChanges() const;
    bool isEditable() const { return grid_.isEditable(); }

    AllocationGrid& grid() { return grid_; }
    db::DataSet& dataSet() { return dataSet_; }
    AllocationGridModel* model() const { return model_; }
    OvcDbTableCategory* table() const { return OvcDbTableCategory_; }

    // Event handlers.
    void TimerStartTimer();
    void ApplyButtonClick();
    void OkButtonClick();
    void CancelButtonClick();
    void ExpandCollapseClick();
    void SpeedButtonPrintClick();
    void SpeedButtonCopyClick();
    void SpeedButtonExportClick();
    void SpeedButtonImportClick();
    void ButtonRemapCategoryClick();
    void OvcDbTableCategoryCellActivated(int row, int field);
    void OvcDbTableCategoryRowIndicatorClick(int row);

    // The printed list's header: its title, then the lines below it.
    virtual QStringList reportHeaderTexts();

    // Writes the changed rows; true when they were written or there were none.
    bool save();

    // Closing asks about unsaved changes; a Yes whose save fails keeps the
    // window open.
    void reject() override;

Q_SIGNALS:
    // The timer's load has ended; a failed load closes the window.
    void loaded(bool ok);

protected:
    // Every opening starts from here: the profile, the marker, and no state
    // of the last opening. The next show loads the grid; later shows (a
    // restore, a re-show) keep what the window holds.
    void prepareWindow(const ProfileInfo& profile, RegenerationMarker marker);
    // Shows the window modally; 1 when something was written, 2 otherwise.
    int runModal();

    virtual db::Command loadCommand() const = 0;
    virtual int categorySetId() const { return 0; }
    // Captions of the controls a subclass adds.
    virtual void setInputCaptions() {}
    // The variant's allocation file without categories and rows.
    virtual AllocationFile emptyFile() const = 0;
    // Whether a read file is one of this window's; shows why not.
    virtual bool fileBelongsHere(const AllocationFile& file) = 0;
    // Apply is enabled by every import attempt, not only by an applied file.
    virtual bool enablesApplyOnEveryImport() const { return false; }
    // Where a subclass puts its controls, between tool bar and grid.
    QVBoxLayout* inputLayout() const { return inputLayout_; }

    void showEvent(QShowEvent* event) override;

    app::AppContext& context_;
    const AllocationVariant& variant_;

private:
    void buildUi();
    void setCaptions();
    void FormShow();
    // The first show after prepareWindow(): the editing rule, then the load
    // on the timer.
    void FirstShow();
    void applyEditingRule();
    bool mayEdit() const;
    bool load();
    void setupFields();
    void enableApply();
    bool importAndRemapEnabled() const { return importAndRemapAllowed_ && mayEdit(); }
    // True when a file was applied to the grid.
    bool importFile();
    QString allocationFileFilter();
    // Where the user is in the grid, kept across a view's filter.
    struct GridPosition {
        qlonglong allocationId = -1;
        int field = -1;
        int topRow = 0;
    };
    GridPosition gridPosition() const;
    void restoreGridPosition(const GridPosition& position);
    void setBusy(bool busy);
    // True when the window may close (saving first where the user wants).
    bool queryClose();
    void closeDataSets();
    QString caption(const CaptionText& text);
    void trace(const char* method);
    void traceException(const QString& message);

    db::DataSet dataSet_;
    AllocationGrid grid_;
    AllocationGridModel* model_ = nullptr;
    ProfileInfo profile_;
    RegenerationMarker marker_;
    bool importAndRemapAllowed_ = false;
    TFormMapCategory* mapCategory_ = nullptr;
    TFormReMapCategory* reMapCategory_ = nullptr;
    bool pendingEdits_ = false;  // Apply was enabled by an edit, and no save took it since
    bool wrote_ = false;
    bool busy_ = false;  // loading or saving

    ui::LoadOnFirstShow* firstShow_ = nullptr;
    QTimer* Timer = nullptr;
    QToolButton* SpeedButtonCopy = nullptr;
    QToolButton* SpeedButtonPrint = nullptr;
    QToolButton* SpeedButtonClose = nullptr;
    QToolButton* Expand = nullptr;
    QToolButton* Collapse = nullptr;
    QToolButton* SpeedButtonImport = nullptr;
    QToolButton* SpeedButtonExport = nullptr;
    QVBoxLayout* inputLayout_ = nullptr;
    OvcDbTableCategory* OvcDbTableCategory_ = nullptr;
    QPushButton* ButtonRemapCategory = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* ApplyButton = nullptr;
};

}  // namespace categorization
