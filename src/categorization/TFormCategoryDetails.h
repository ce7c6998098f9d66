#pragma once
// The category configuration of a report profile: which report categories
// belong to which category set, which sets are enabled, their order and
// titles, and, where the database offers it, manual category titles.
// Everything is loaded from and saved through WMS_SP_CRQ_HandleReportCategory.

#include "categorization/CategoryConfiguration.h"
#include "categorization/ProfileInfo.h"

#include <QDialog>
#include <optional>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class TFormManageCategorySet;
class TFormRenameCategorySet;

namespace app {
class AppContext;
}

namespace ui {
class LoadOnFirstShow;
}

class TFormCategoryDetails : public QDialog {
    Q_OBJECT

public:
    // Modal results: the configuration was saved / nothing was saved.
    static constexpr int kResultSaved = 1;
    static constexpr int kResultNotSaved = 2;

    TFormCategoryDetails(app::AppContext& context, TFormManageCategorySet& manage,
                         TFormRenameCategorySet& rename, QWidget* parent = nullptr);

    // Resets the window for `profile`: caption, OK enabling, empty lists.
    // The load starts 50 ms after the next show and ends with loaded(); later
    // shows (a restore, a re-show) keep what the window holds. `marker` is
    // called after a successful save that changed something.
    void Prepare(const categorization::ProfileInfo& profile, categorization::RegenerationMarker marker);
    // Prepare, then show modally; kResultSaved or kResultNotSaved.
    int Execute(const categorization::ProfileInfo& profile, categorization::RegenerationMarker marker);

    // --- state, for the tests and the screenshot tool ---
    const categorization::CategoryConfiguration& configuration() const { return configuration_; }
    int selectedSetIndex() const { return selectedSet_; }
    // The sets as OK would save them differ from the sets as loaded.
    bool isModified() const;
    // Found once per run; asked again at every load until then.
    bool manualTitlesAvailable() const { return manualTitlesAvailable_; }
    bool isBusy() const { return busy_; }

    // --- event handlers ---
    void TimerStartTimer();
    void ComboBoxCategorySetChange(int index);
    void CheckListBoxCategoryClick(int row);
    void ButtonManageClick();
    void EditButtonClick();
    void OkButtonClick();
    void reject() override;

Q_SIGNALS:
    // The load that the timer started has finished (ok: the window shows the
    // configuration; otherwise it was closed).
    void loaded(bool ok);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void setCaptions();
    bool LoadCategoryInformation(QString* why);
    void loadFailed(const QString& reason);
    bool checkManualTitleAccess();
    void fillCheckList();
    // Offers the enabled sets and selects the one with `selectId` (the
    // first when it is not offered).
    void fillComboBox(int selectId);
    int comboSetIndex(int comboIndex) const;
    void showCheckMarks();
    void storeCheckMarks();
    std::vector<bool> checkMarks() const;
    void selectFirstCategory();
    void applyEditingRule();
    void refreshEditButton();
    void setControlsEnabled(bool enabled);
    bool SaveCategoryConfiguration();
    void saveManualTitle(int row, const QString& title);
    void trace(const QString& function);
    void traceException(const std::exception& e);

    app::AppContext& context_;
    TFormManageCategorySet& manage_;
    TFormRenameCategorySet& rename_;

    categorization::ProfileInfo profile_;
    categorization::RegenerationMarker marker_;
    QString caption_;
    categorization::CategoryConfiguration configuration_;
    std::vector<bool> locked_;  // per category: always checked, member of every set
    int selectedSet_ = -1;      // index into configuration_.sets
    // The sets as the database gave them, to tell whether OK changes anything.
    std::vector<categorization::CategorySetEntry> loadedSets_;
    bool manualTitlesAvailable_ = false;
    bool editable_ = false;
    bool busy_ = false;     // a database action runs: the window stays open
    bool filling_ = false;  // the lists are being rebuilt: no change handlers
    // The user's unsaved sets and selection, kept over the reload after a
    // manual title was saved.
    std::optional<std::vector<categorization::CategorySetEntry>> keptSets_;
    int keptSetId_ = -1;

    QGroupBox* GroupBoxDetails = nullptr;
    QLabel* LabelCategorySet = nullptr;
    QComboBox* ComboBoxCategorySet = nullptr;
    QPushButton* ButtonManage = nullptr;
    QLabel* LabelCategory = nullptr;
    QListWidget* CheckListBoxCategory = nullptr;
    QPushButton* EditButton = nullptr;
    QLabel* LabelDescription = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QTimer* TimerStart = nullptr;
    ui::LoadOnFirstShow* firstShow_ = nullptr;
};
