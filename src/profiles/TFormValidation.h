#pragma once
// The validation parameter editor: per group (the meteorological units, or a
// turbine type) the plausibility limits of the measured values, whether each
// is checked and its minimum and maximum. The limits apply to every profile.
// Every edit stays in the data set until Apply or OK writes them in one
// batch; the window returns 1 when it wrote something, else 2.

#include "db/DataSet.h"

#include <QDialog>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class QToolButton;

namespace app {
class AppContext;
}
namespace ui {
class DataSetModel;
class LoadOnFirstShow;
}  // namespace ui
namespace profiles {
class ValidationGridModel;
}

class TFormValidation : public QDialog {
    Q_OBJECT

public:
    // Numbered texts of the profile file.
    static constexpr int kTextOK = 50;
    static constexpr int kTextCancel = 51;
    static constexpr int kTextApply = 53;
    static constexpr int kTextErrorCaption = 64;
    static constexpr int kTextUnsavedChanges = 140;
    static constexpr int kTextReportTitle = 162;
    static constexpr int kTextFirstColumn = 162;  // the column of field n gets text 162 + n
    static constexpr int kTextWindowCaption = 9063;
    static constexpr int kTextSelectGroup = 9064;
    static constexpr int kTextMetGroup = 9065;
    static constexpr int kHintClose = 0;
    static constexpr int kHintCopy = 21;
    static constexpr int kHintPrint = 22;
    static constexpr int kFeatureEditValidation = 102;
    static constexpr int kMaxGroups = 999;

    // Modal results.
    static constexpr int kResultApplied = 1;
    static constexpr int kResultNothingWritten = 2;

    explicit TFormValidation(app::AppContext& context, QWidget* parent = nullptr);
    ~TFormValidation() override;

    // Sets the window up for a new opening: it loads on its next show.
    void Prepare();
    // Prepare, then show modally: 1 when the limits were written, else 2.
    int Execute();

    db::DataSet& dataSet() { return ADODataSet1; }
    QTableView* grid() const { return DBGrid1; }
    bool isEditable() const { return editable_; }
    bool isChanged() const { return changed_; }
    bool isApplied() const { return applied_; }

    void UnitBoxChange();
    void DBGrid1CellClick(const QModelIndex& index);
    void ApplyButtonClick();
    void OkButtonClick();
    void CancelButtonClick();
    void SpeedButtonPrintClick();
    void SpeedButtonCopyClick();

Q_SIGNALS:
    // The first show's loading ended (ok: the group list and the limits are shown).
    void loaded(bool ok);

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void buildUi();
    void setCaptions();
    void FormShow();
    bool fillGroups();
    bool loadParameters();
    void setupColumns();
    // Writes the held changes; shows why when it fails (the changes stay).
    bool apply();
    // Asks text 140 about held changes: Yes writes them, No drops them.
    // False when the changes could not be written.
    bool settleChanges();
    void noteChanges();
    // Takes a limit still open in its cell editor into the data set.
    void commitEdit();
    void closeWith();
    void showError(const QString& message);
    void trace(const char* method);
    QString groupTitle() const;

    app::AppContext& context_;
    ui::LoadOnFirstShow* firstShow_ = nullptr;

    QToolButton* SpeedButtonCopy = nullptr;
    QToolButton* SpeedButtonPrint = nullptr;
    QToolButton* SpeedButtonClose = nullptr;
    QLabel* LabelSelectGroup = nullptr;
    QComboBox* UnitBox = nullptr;
    QTableView* DBGrid1 = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* ApplyButton = nullptr;

    db::DataSet ADODataSet1;
    std::unique_ptr<ui::DataSetModel> dataModel_;
    profiles::ValidationGridModel* gridModel_ = nullptr;
    std::vector<int> unitTypeIds_;  // per UnitBox entry; 0 for the meteorological units
    int shownGroup_ = -1;           // the UnitBox entry whose limits are loaded
    bool editable_ = false;
    bool changed_ = false;
    bool applied_ = false;
    bool loading_ = false;
};
