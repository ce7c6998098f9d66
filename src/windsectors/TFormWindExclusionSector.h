#pragma once
// "Wind exclusion sector": one sector's angles, whether it is excluded, and
// the coefficients of its Run and Stop correction functions. OK refuses
// coefficients from 1000 up and angles that are no whole number up to 360.

#include "windsectors/SectorEditorModel.h"

#include <QDialog>
#include <array>
#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace app {
class AppContext;
}

class TFormWindExclusionSector : public QDialog {
    Q_OBJECT

public:
    static constexpr int kAngleLength = 3;
    static constexpr int kCoefficientLength = 9;

    explicit TFormWindExclusionSector(app::AppContext& context, QWidget* parent = nullptr);

    // Puts `values` into the boxes.
    void Prepare(const windsectors::SectorValues& values);
    // Prepare, then show modally; the sector as read when the dialog closed
    // with OK (a stop angle of 0 then reads 360).
    std::optional<windsectors::SectorValues> Execute(const windsectors::SectorValues& values);

    void ButtonOKClick();

private:
    void buildUi();
    void setCaptions();

    app::AppContext& context_;
    QGroupBox* GroupBoxAngles = nullptr;
    QLabel* LabelStart = nullptr;
    QLineEdit* DBEdit1 = nullptr;
    QLabel* LabelStop = nullptr;
    QLineEdit* DBEdit10 = nullptr;
    QLabel* LabelExample = nullptr;
    QCheckBox* CheckBoxExcluded = nullptr;
    QGroupBox* GroupBoxFunctions = nullptr;
    QLabel* LabelFunction = nullptr;
    QLabel* LabelRun = nullptr;
    QLabel* LabelStopFunction = nullptr;
    std::array<QLabel*, 4> coefficientLabels_{};
    std::array<QLineEdit*, 8> coefficientEdits_{};  // EditRunA..D, EditStopA..D
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
    windsectors::SectorValues read_;
};
