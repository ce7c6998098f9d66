#pragma once
// The export and import wizard for users and user roles. Export: package
// data, the users or roles to write, the result. Import: the package, the
// users and roles to take over, the questions about objects the database
// has already, and the list of every database call with its outcome.

#include "db/DataSet.h"
#include "exchange/ImportRules.h"
#include "exchange/WizardRules.h"
#include "users/ResultReports.h"

#include <QDialog>
#include <array>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTableView;
class QToolButton;

namespace app {
class AppContext;
class BusyWhileOpen;
}  // namespace app
namespace ui {
class DataSetModel;
}
namespace users {
class UserAdministration;
}

class TFormObjectExportImport : public QDialog, private users::ResultSink {
    Q_OBJECT

public:
    enum class Mode { Export, Import };
    // The wizard's grids.
    enum Grid { ExportUsers, ExportRoles, ImportUsers, ImportRoles, Conflicts, Process, kGrids };

    TFormObjectExportImport(app::AppContext& context, users::UserAdministration& administration,
                            QWidget* parent = nullptr);
    ~TFormObjectExportImport() override;

    // Resets the wizard for `mode` on its first page.
    void Prepare(Mode mode);
    // Prepare, then show modally. True when an import ran (the containers
    // then hold what the database holds).
    bool Execute(Mode mode);

    // --- state, for the tests and the screenshot tool ---
    exchange::WizardPage page() const { return page_; }
    db::DataSet& rows(Grid grid) { return sets_[size_t(grid)]; }
    QTableView* view(Grid grid) const { return views_[size_t(grid)]; }
    const exchange::Package& package() const { return package_; }
    bool importRan() const { return importRan_; }

    // --- event handlers ---
    void ButtonNextClick();
    void ButtonBackClick();
    void ButtonSaveAsClick();
    void ButtonOpenClick();
    void ComboBoxExportTypeChange();
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // While shown, the wizard's result list hears every call's outcome.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // users::ResultSink
    bool importRunning() const override { return isVisible(); }
    void report(const users::ResultReport& report) override;

    void buildUi();
    QWidget* buildExportStep1();
    QWidget* buildImportStep1();
    QWidget* gridPage(Grid grid, const char* name, bool withResult = false);
    void setCaptions();
    QString text(int number) const;
    void showPage(exchange::WizardPage page);
    void enableButtons();
    void fillContents();
    void fillExportGrids();
    void fillImportGrids();
    void labelSelectionGrids();
    void fillConflicts();
    std::set<int> selectedIds(Grid grid) const;
    int selectedCount(Grid grid) const;
    void cellClicked(Grid grid, const QModelIndex& index);
    void setChecks(Grid grid, const char* field, bool value);
    bool writePackage();
    bool readPackage();
    void resetProcessList();
    void runImport();
    void applyAnswers();
    void finishImport();
    exchange::PackageType exportType() const;
    exchange::PackageType importType() const;

    app::AppContext& context_;
    users::UserAdministration& administration_;
    std::unique_ptr<app::BusyWhileOpen> busy_;
    Mode mode_ = Mode::Export;
    exchange::WizardPage page_ = exchange::WizardPage::ExportStep1;
    exchange::Package package_;
    QString packageFile_;  // the file package_ was read from
    bool packageRead_ = false;
    exchange::ImportedObjects imported_;
    std::vector<exchange::Conflict> conflicts_;
    bool importRan_ = false;

    std::array<db::DataSet, kGrids> sets_;
    std::array<std::unique_ptr<ui::DataSetModel>, kGrids> models_;
    std::array<QTableView*, kGrids> views_{};

    QLabel* LabelPageCaption = nullptr;
    QLabel* LabelHint = nullptr;
    QStackedWidget* PageControl = nullptr;
    QPushButton* ButtonBack = nullptr;
    QPushButton* ButtonNext = nullptr;
    QPushButton* ButtonCancel = nullptr;
    // Export step 1.
    QLabel* LabelTitle = nullptr;
    QLineEdit* EditTitle = nullptr;
    QLabel* LabelDescription = nullptr;
    QPlainTextEdit* MemoDescription = nullptr;
    QLabel* LabelFileName = nullptr;
    QLineEdit* EditFileName = nullptr;
    QToolButton* ButtonSaveAs = nullptr;
    QLabel* LabelExportType = nullptr;
    QComboBox* ComboBoxExportType = nullptr;
    QLabel* LabelContents = nullptr;
    QListWidget* ListBoxContents = nullptr;
    // Export step 4.
    QLabel* LabelExportResult = nullptr;
    // Import step 1.
    QLabel* LabelImportFile = nullptr;
    QLineEdit* EditImportFile = nullptr;
    QToolButton* ButtonOpen = nullptr;
    QLabel* LabelImportTitle = nullptr;
    QLineEdit* EditImportTitle = nullptr;
    QLabel* LabelImportDescription = nullptr;
    QPlainTextEdit* MemoImportDescription = nullptr;
    QLabel* LabelImportType = nullptr;
    QComboBox* ComboBoxImportType = nullptr;
    QLabel* LabelDatabaseVersion = nullptr;
    QLineEdit* EditDatabaseVersion = nullptr;
    QLabel* LabelUnreadable = nullptr;
    // Import step 5.
    QLabel* LabelResult = nullptr;
};
