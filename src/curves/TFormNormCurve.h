#pragma once
// "Reference curve editor": the curves of one type, the current curve's
// points as a grid and a line chart, and the commands that change them
// (typed cells, paste, interpolation, Weibull, properties). Every change is
// held in the two data sets until Apply writes both in one transaction.

#include "db/DataSet.h"
#include "windsectors/WeibullFormula.h"

#include <QDialog>
#include <QStringList>
#include <functional>
#include <memory>

class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QPlainTextEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QTimer;
class QToolButton;
class QValueAxis;
class TFormCurveProperties;
class TFormWeibull;

namespace app {
class AppContext;
}
namespace ui {
class DataSetModel;
class LoadOnFirstShow;
}  // namespace ui

class TFormNormCurve : public QDialog {
    Q_OBJECT

public:
    // A saved curve is used by a profile (its shadow data needs regenerating).
    static constexpr int kResultInUse = 1;
    static constexpr int kResultNotInUse = 2;

    TFormNormCurve(app::AppContext& context, TFormCurveProperties& properties, TFormWeibull& weibull,
                   QWidget* parent = nullptr);
    ~TFormNormCurve() override;

    // Runs the statements that create a curve (the wait window's runner in
    // the program): sql, the wait text; false with the error set.
    using CommandRunner = std::function<bool(const QString& sql, const QString& waitText, QString* error)>;
    void setCommandRunner(CommandRunner runner) { runner_ = std::move(runner); }

    void Prepare();
    int Execute();

    // --- state, for the tests and the screenshot tool ---
    db::DataSet& curves() { return curves_; }
    db::DataSet& points() { return points_; }
    QTableView* curveGrid() const { return DBGrid2; }
    QTableView* pointGrid() const { return StringGridNormCurve; }
    QLineSeries* series() const { return series_; }
    QValueAxis* productionAxis() const { return axisY_; }
    int currentCurveId() const { return curveId_; }
    bool isDirty() const { return dirty_; }

    // --- event handlers ---
    void TimerStartTimer();
    void DBGrid2CellClick(int row);
    void ComboBoxNormCurveTypeChange(int index);
    void ComboBoxWindSpeedFilterChange(int index);
    void AddNewButtonClick();
    void ChangeButtonClick();
    void DeleteButtonClick();
    void InterPolateButtonClick();
    void ButtonGenerateWeibullClick();
    // Overwrites every point of the current curve with the Weibull density.
    void GenerateWeibull(const windsectors::WeibullParameters& parameters);
    bool ApplyButtonClick();
    void OkButtonClick();
    void CancelButtonClick();
    void StringGridNormCurvePaste();
    void SpeedButtonCopyClick();
    void SpeedButtonPrintClick();
    void reject() override;

    // The production typed into the point grid's row (of the rows shown);
    // `text` takes ',' or '.', empty is 0. False when it is not a number:
    // the cell keeps its value.
    bool setTypedProduction(int gridRow, const QString& text);

Q_SIGNALS:
    void loaded(bool ok);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildUi();
    void setCaptions();
    bool openCurves();
    void applyTypeFilter();
    void loadCurve();
    void showCurveFields();
    void preparePointFields();
    void refreshChart();
    void selectCurveRow();
    void SetButtonState(bool on);
    bool SaveOffer();
    bool mayChangeCurve();  // the lock rule, with message 148
    bool pointsEditable() const;
    void setProduction(int pointRow, double value);
    void markDirty();
    bool titleTaken(const QString& title, int exceptId);
    bool runUtilCommand(const QString& sql);
    bool anyChangedCurveInUse();
    void closeWindow(int result);
    QString text(int number);
    int typeIndex() const;

    app::AppContext& context_;
    TFormCurveProperties& properties_;
    TFormWeibull& weibull_;
    QString caption_;
    bool editRight_ = false;
    bool withTypes_ = true;
    bool dirty_ = false;
    bool buttonsOn_ = true;
    bool selecting_ = false;
    int curveId_ = 0;
    bool locked_ = false;
    QStringList changedCurves_;
    CommandRunner runner_;

    db::DataSet curves_;
    db::DataSet points_;
    std::unique_ptr<ui::DataSetModel> curveModel_;
    std::unique_ptr<ui::DataSetModel> pointModel_;
    QSortFilterProxyModel* pointFilter_ = nullptr;

    QToolButton* SpeedButtonClose = nullptr;
    QToolButton* SpeedButtonCopy = nullptr;
    QToolButton* SpeedButtonPrint = nullptr;
    QComboBox* ComboBoxNormCurveType = nullptr;
    QTableView* DBGrid2 = nullptr;
    QLabel* LabelDescription = nullptr;
    QLabel* LabelStatus = nullptr;
    QLabel* LabelAirDensity = nullptr;
    QLabel* LabelCutIn = nullptr;
    QLabel* LabelCutOut = nullptr;
    QLabel* LabelFilter = nullptr;
    QPlainTextEdit* DBMemo1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* EditAirDensity = nullptr;
    QLineEdit* EditCutIn = nullptr;
    QLineEdit* EditCutOut = nullptr;
    QTableView* StringGridNormCurve = nullptr;
    QComboBox* ComboBoxWindSpeedFilter = nullptr;
    QChartView* DBChart1 = nullptr;
    QChart* chart_ = nullptr;
    QLineSeries* series_ = nullptr;
    QValueAxis* axisX_ = nullptr;
    QValueAxis* axisY_ = nullptr;
    QPushButton* AddNewButton = nullptr;
    QPushButton* ChangeButton = nullptr;
    QPushButton* DeleteButton = nullptr;
    QPushButton* InterPolateButton = nullptr;
    QPushButton* ButtonGenerateWeibull = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* ApplyButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QTimer* TimerStart = nullptr;
    ui::LoadOnFirstShow* firstShow_ = nullptr;
};
