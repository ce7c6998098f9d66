#pragma once
// The main window: the profile list of the logged-in user, the selected
// profile's description, and every command of the tool. It runs the start-up
// sequence, applies the version gates and the user's rights to the commands,
// and carries out the host's commands.

#include "app/HostCommands.h"
#include "db/DataSet.h"
#include "profiles/ProfileRules.h"
#include "ui/CommandLink.h"
#include "ui/OnFirstUse.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <vector>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QTableView;
class QTimer;
class QToolButton;
class TFormRemovePromt;
class TFormRGSDialog;
class TFormProgresser;
class TFormXML;
class TFormSessionLocked;
class TFormCategoryDetails;
class TFormSelectCategorizationType;
class TFormCatagorySelect;
class TFormCatagoryAllocation;
class TFormDeratingCatagoryAllocation;
class TFormParkUnitConfig;
class TFormValidation;
class TFormLockShadowData;
class TForm_Input;
class TFormPUProgresser;
class TFormContractConfiguration;
class TFormNormCurve;
class TFormFWPTable;
class TFormUserManagement;
class TFormWindExclusionSectors;
namespace categorization {
struct ProfileInfo;
}

namespace app {
class AppContext;
}
namespace ui {
class DataSetModel;
}

// The windows the main window opens; any of them may be missing in tests.
struct MainWindowDialogs {
    TFormRemovePromt* removePrompt = nullptr;
    TFormRGSDialog* regenerationPeriod = nullptr;
    TFormProgresser* progresser = nullptr;
    TFormXML* closingWindow = nullptr;
    TFormSessionLocked* sessionLocked = nullptr;
    TFormSelectCategorizationType* categorizationType = nullptr;
    TFormCatagorySelect* categorySelect = nullptr;
    // Made on first use (they take long to build).
    ui::OnFirstUse<TFormCatagoryAllocation> categoryAllocation;
    ui::OnFirstUse<TFormDeratingCatagoryAllocation> deratingAllocation;
    ui::OnFirstUse<TFormCategoryDetails> categoryDetails;
    ui::OnFirstUse<TFormParkUnitConfig> parkUnitConfig;
    ui::OnFirstUse<TFormValidation> validation;
    ui::OnFirstUse<TFormLockShadowData> lockShadowData;
    ui::OnFirstUse<TForm_Input> profileInput;
    ui::OnFirstUse<TFormPUProgresser> unitProgresser;
    ui::OnFirstUse<TFormContractConfiguration> contractConfiguration;
    ui::OnFirstUse<TFormNormCurve> normCurve;
    ui::OnFirstUse<TFormFWPTable> freeWind;
    ui::OnFirstUse<TFormUserManagement> userManagement;
    ui::OnFirstUse<TFormWindExclusionSectors> windSectors;
};

class TFormSQLProfileAdministrator : public QMainWindow, public app::HostActions {
    Q_OBJECT

public:
    explicit TFormSQLProfileAdministrator(app::AppContext& context, QWidget* parent = nullptr);
    ~TFormSQLProfileAdministrator() override;

    // Hands over the windows this window opens; the closing window's end
    // closes this window.
    void setDialogs(const MainWindowDialogs& dialogs);

    // The start-up sequence (the start timer runs it; tests call it).
    bool TimerStartTimer();
    bool isStarted() const { return started_; }

    // --- the list and the current profile ---
    db::DataSet& profileList() { return TableReportProfile; }
    const profiles::CurrentProfile& currentProfile() const { return current_; }
    // The current profile as the categorization windows take it.
    categorization::ProfileInfo categorizationProfile() const;
    QTableView* grid() const { return DBGridReportProfile; }
    void SetCommandsEnabled(bool enable);
    void Refresh();
    // Marks one profile, named by id, for regeneration; the list stays on
    // the profile the user has selected.
    void MarkRegenerationPending(int profileId);
    void MarkAllRegenerationPending();
    // Writes the list's held changes (the current row's edits) back.
    bool writeBackProfileList();

    // --- commands ---
    void BeginCommand();
    void EndCommand();
    void ActionUnlockProfileExecute();
    void ActionRemoveProfileExecute();
    void ActionRegenerateShadowDataExecute();
    void ActionCategorizeEventsExecute();
    void ActionCategoryConfigurationExecute();
    void ActionSelectAndEditUnitsExecute();
    void ActionValidationParameterEditorExecute();
    void ActionShadowDataLockExecute();
    void ActionProfilePropertiesExecute();
    void ActionCreateNewProfileExecute();
    void ActionContractConfigurationExecute();
    void ActionNormCurveEditorExecute();
    void ActionFreewindParameterEditorExecute();
    void ActionUserAccessSetupExecute();
    void ActionWindExclusionEditorExecute();
    void SpeedButtonCloseClick();
    void SpeedButtonPrintClick();

    // --- the regeneration watch ---
    void startRegenerationWatch(int rounds);
    void TimerRegenationStatusTimer();
    bool isWatching() const;
    bool anyRegenerationRunning() const;

    // --- HostActions ---
    void reset() override;
    void close() override;
    void showSessionLocked() override;
    void closeSessionLocked() override;
    void minimise() override;
    void restore() override;
    void connectionLost() override;
    bool wasActiveRecently() override;
    void trace(int level, const char* text) override;

Q_SIGNALS:
    // The start-up sequence ended (loaded: the list is shown).
    void startupFinished(bool loaded);
    // A tick of the regeneration watch has ended.
    void watchTickEnded();

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // One command of the window. A command without a handler has no window
    // yet: it stays disabled, with a hint saying it is not available yet;
    // its window enables it by giving it its handler here.
    struct Command {
        ui::CommandLink* link;
        const char* buttonName;
        const char* actionName;
        const char* iconName;
        int captionText;
        const char* designCaption;  // shown until the texts are loaded
        void (TFormSQLProfileAdministrator::*execute)();
    };

    void buildUi();
    void setCaptions();
    void setColumnCaptions(const QStringList& captions);
    void applyVersionGates();
    bool openProfileList();
    // Empties the list but keeps its columns, so the grid shows them.
    void clearProfileList();
    // A marker of one profile for the windows a command opens.
    std::function<void()> regenerationMarker(int profileId);
    // Column captions and the status scale of a freshly read list.
    void listOpened();
    void selectionChanged();
    bool refuseLockedProfile();
    // The highest profile id in the list (0 when empty).
    int newestProfileId() const;
    // Opens the unit configuration of a profile as "Select and edit units" does.
    void editUnitsOf(int profileId, const QString& title, bool locked);

    void runCommand(const std::function<void()>& action);
    void BeforeClose();
    void showWait(const QString& text);
    void hideWait();
    void showError(const QString& text);
    QString text(int number);
    bool hasRows() const;

    app::AppContext& context_;
    MainWindowDialogs dialogs_;

    // Tool bar
    QToolButton* SpeedButtonPrint = nullptr;
    QToolButton* SpeedButtonClose = nullptr;
    QToolButton* SpeedButtonRefresh = nullptr;
    // Report Profile Configuration
    QGroupBox* GroupBoxProfiles = nullptr;
    QTableView* DBGridReportProfile = nullptr;
    QLabel* LabelDescription = nullptr;
    QPlainTextEdit* ProfileMemo = nullptr;
    ui::CommandLink EditProfile, EditUnits, CategoryEvent, RegenerateShadow, RemoveProfile, CreateProfile,
        CategoryConfiguration, UnlockProfile, ShadowDataLocks;
    // Overall Configuration
    QGroupBox* GroupBoxOverall = nullptr;
    ui::CommandLink NormCurve, ValidationParameters, UserAccess, FreeWindParameters, WindSectorEditor,
        ContractConfiguration;
    std::vector<Command> commands_;
    QLabel* StatusBarPanel = nullptr;

    QTimer* TimerStart = nullptr;
    QTimer* TimerClose = nullptr;
    QTimer* TimerRegenationStatus = nullptr;

    db::DataSet TableReportProfile;
    std::unique_ptr<ui::DataSetModel> profileModel_;
    profiles::StatusTexts statusTexts_;
    profiles::CurrentProfile current_;

    bool firstShow_ = true;
    bool startAfterPaint_ = false;
    bool started_ = false;
    bool contractsGate_ = false;   // the database offers contract configuration
    bool importAndRemap_ = false;  // the rules allow import and remap in the allocation windows
    bool closed_ = false;
    bool refreshing_ = false;
    bool watchTickRunning_ = false;
    bool watchWasRunning_ = false;
    bool watchOn_ = false;
    int watchTicks_ = 0;
    int watchRounds_ = 1;
};
