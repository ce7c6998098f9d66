#pragma once
// "User management": every user and user role of the reporting database
// with their rights on features, report profiles and report templates, and
// the relations between users and roles. Levels and rights are changed in
// the grids and held in the containers until "Save changes"; the grids are
// rebuilt from the containers, the filter selections and the switches,
// without a database call.

#include "db/DataSet.h"
#include "users/UserGrids.h"
#include "users/UserManagementRules.h"
#include "users/UserManagementSettings.h"

#include <QDialog>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QTimer;
class QToolButton;
class TEditUser;
class TFormAddEditUserRole;
class TFormSetOrganisation;
class TFormShowQuery;
template <typename T>
class QFutureWatcher;

namespace app {
class AppContext;
}
namespace text {
class TextTables;
}  // namespace text
namespace ui {
class DataSetModel;
class LoadOnFirstShow;
}  // namespace ui
namespace users {
class UserAdministration;
}

// The dialogs the window opens; made after it, in the program's order.
struct UserManagementDialogs {
    TEditUser* editUser = nullptr;
    TFormAddEditUserRole* editRole = nullptr;
    TFormSetOrganisation* setOrganisation = nullptr;
    TFormShowQuery* showQuery = nullptr;
    // Opens the object export (false) or import (true) wizard; true when an
    // import ran.
    std::function<bool(bool import)> objectExchange;
};

class TFormUserManagement : public QDialog {
    Q_OBJECT

public:
    static constexpr int kStartDelayMs = 50;
    static constexpr int kFilterDelayMs = 500;

    TFormUserManagement(app::AppContext& context, users::UserAdministration& administration,
                        QWidget* parent = nullptr);
    ~TFormUserManagement() override;
    void setDialogs(const UserManagementDialogs& dialogs);

    // Reads the window's language file and sets every caption; false when
    // the file could not be read.
    bool setCaptions();
    // Loads the window's language file; false when it cannot be read.
    static bool LoadTexts(text::TextTables& texts);
    // Sets the window up for the administrator; it loads on the next show.
    void Prepare(int administratorId);
    // Prepare, then show modally until closed.
    int Execute(int administratorId);

    // Where the view settings are kept (by default under the session's BaseDir).
    void setSettingsFile(const QString& path) { settingsFile_ = path; }
    QString settingsFile() const;

    // --- state, for the tests and the screenshot tool ---
    QTableView* grid(users::Grid grid) const { return views_[size_t(grid)]; }
    // The grid's rows, built first when they are out of date.
    db::DataSet& rows(users::Grid grid);
    // Whether the grid's rows are being built on a worker thread.
    bool isBuilding(users::Grid grid) const;
    // From how many rows (an upper bound) a grid is built on a worker thread.
    void setBackgroundRowBound(size_t rows) { backgroundRowBound_ = rows; }
    // The grid of the page on top, and bringing a grid's page on top.
    users::Grid activeGrid() const;
    void showGrid(users::Grid grid);
    const users::ViewOptions& view() const { return view_; }
    const users::UserManagementSettings& settings() const { return settings_; }
    bool hasPendingChanges() const;
    // How often the grids were built (a reload or a rebuild).
    int rebuildCount() const { return rebuilds_; }
    QAction* action(const char* name) const;

    // --- event handlers ---
    void TimerStartTimer();
    void TimerFilterTimer();
    void SpeedButtonPrintClick();
    void SpeedButtonCopyClick();
    void SpeedButtonSaveClick();
    void SpeedButtonRefreshClick();
    void SpeedButtonImportClick();
    void SpeedButtonExportClick();
    bool SpeedButtonSaveChangesClick();
    void ButtonAddUserClick();
    void ButtonEditUserClick();
    void ButtonAddRoleClick();
    void ButtonEditRoleClick();
    void ButtonRemoveRoleClick();
    void SetLevelClick(int level);
    void UseRoleLevelClick();
    void SetOrganisationClick();
    // `enable` empty: each row is switched to the other state (double-click).
    void SwitchRightsClick(std::optional<bool> enable);
    void ClearFilterClick();
    void ShowNamesClick(bool names);
    void CheckBoxShowKorvaneUsersClick();
    void CheckBoxShowDisabledUsersClick();
    void CheckBoxShowInactiveUsersClick();
    void ComboBoxOrganisationChange();
    void reject() override;

Q_SIGNALS:
    // The load that the start timer ran has ended.
    void loaded(bool ok);
    // A grid built on a worker thread is shown.
    void gridBuilt(users::Grid grid);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void buildUi();
    QTableView* makeGrid(users::Grid grid, const char* name, QWidget* parent);
    QAction* addAction(QWidget* owner, const char* name, void (TFormUserManagement::*handler)());
    QString text(int number);
    // Reloads the language file, then rebuilds the filter lists and the
    // grids that are shown or serve the commands; the others are marked out
    // of date.
    void rebuild(bool filterLists = true);
    // The grid's rows from the containers as they are now.
    db::ResultSet buildRows(users::Grid grid);
    void fillGrid(users::Grid grid);
    void setGridRows(users::Grid grid, db::ResultSet&& rows);
    // Shows new rows, keeping the selection by position.
    void showGridRows(users::Grid grid, db::ResultSet&& rows);
    void refreshGrid(users::Grid grid);
    // Marks the grid out of date; builds it now when it is shown (or serves
    // the commands).
    void refreshOrDefer(users::Grid grid);
    void refreshShownGrid();
    void endBackgroundBuild(users::Grid grid);
    // The worker build the grid waits for (null: none); the view is off meanwhile.
    void setBuild(users::Grid grid, QFutureWatcher<db::ResultSet>* watcher);
    void fillOrganisations();
    void applySettings();
    void storeSettings();
    void enableCommands();
    bool reload();
    // Asks to save held changes; false when the save was wanted and failed.
    bool offerSave();
    bool closeWindow();
    std::vector<int> selectedIds(users::Grid grid, const char* field) const;
    std::vector<users::RightsRow> selectedRightsRows(users::Grid grid) const;
    void focusFirstRow(users::Grid grid);
    void showDescription();
    void refuse(users::Refusal refusal, const QString& rowName);
    void keyReleased(int key);

    app::AppContext& context_;
    users::UserAdministration& administration_;
    UserManagementDialogs dialogs_;
    users::ViewOptions view_;
    users::UserManagementSettings settings_;
    users::QuerySequence querySequence_;
    QString settingsFile_;
    bool settingsRead_ = false;
    bool loading_ = false;
    bool monitorWasRunning_ = false;
    bool open_ = false;
    int administratorId_ = 0;
    int rebuilds_ = 0;
    std::array<bool, users::kGridCount> stale_{};  // rows out of date, built when shown
    std::array<QFutureWatcher<db::ResultSet>*, users::kGridCount> builds_{};  // running on a worker
    size_t backgroundRowBound_ = 200000;
    std::array<bool, users::kGridCount> sized_{};  // columns fitted to the first rows

    std::array<db::DataSet, users::kGridCount> sets_;
    std::array<std::unique_ptr<ui::DataSetModel>, users::kGridCount> models_;
    std::array<QTableView*, users::kGridCount> views_{};

    QToolButton* SpeedButtonClose = nullptr;
    QToolButton* SpeedButtonPrint = nullptr;
    QToolButton* SpeedButtonCopy = nullptr;
    QToolButton* SpeedButtonSave = nullptr;
    QToolButton* SpeedButtonRefresh = nullptr;
    QToolButton* SpeedButtonSaveChanges = nullptr;
    QToolButton* SpeedButtonImport = nullptr;
    QToolButton* SpeedButtonExport = nullptr;
    QTabWidget* PageControlMain = nullptr;
    QTabWidget* PageControlUsers = nullptr;
    QTabWidget* PageControlUserRoles = nullptr;
    QPushButton* ButtonAddUser = nullptr;
    QPushButton* ButtonEditUser = nullptr;
    QPushButton* ButtonAddRole = nullptr;
    QPushButton* ButtonEditRole = nullptr;
    QPushButton* ButtonRemoveRole = nullptr;
    QLabel* LabelOrganisation = nullptr;
    QComboBox* ComboBoxOrganisation = nullptr;
    QCheckBox* CheckBoxShowKorvaneUsers = nullptr;
    QCheckBox* CheckBoxShowDisabledUsers = nullptr;
    QCheckBox* CheckBoxShowInactiveUsers = nullptr;
    QLabel* LabelDescription = nullptr;
    QPlainTextEdit* MemoDescription = nullptr;
    QTimer* TimerStart = nullptr;
    QTimer* TimerFilter = nullptr;
    ui::LoadOnFirstShow* firstShow_ = nullptr;
};
