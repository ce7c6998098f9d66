#pragma once
// "Weibull": asks for the scale c, the shape k and the factor Y of the wind
// distribution that the reference curve editor generates. OK is enabled
// only while all three are numbers greater than 0.

#include "windsectors/WeibullFormula.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace app {
class AppContext;
}

class TFormWeibull : public QDialog {
    Q_OBJECT

public:
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;

    explicit TFormWeibull(app::AppContext& context, QWidget* parent = nullptr);

    // Puts the defaults back.
    void Prepare();
    // Prepare, then show the dialog modally.
    int Execute();
    // The parameters as typed; valid after Execute returned kResultOk.
    windsectors::WeibullParameters parameters() const;

    void EditChange();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void setCaptions();

    app::AppContext& context_;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* LabelFormula = nullptr;
    QLabel* Labelc = nullptr;
    QLabel* Labelk = nullptr;
    QLabel* LabelYFactor = nullptr;
    QLineEdit* Editc = nullptr;
    QLineEdit* Editk = nullptr;
    QLineEdit* EditYFactor = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
};
