#pragma once
// "Curve properties": title, description, air density, type, cut-in and
// cut-out wind speeds and the lock flag of a reference curve. Locking asks
// first; a locked curve's details are disabled, and only an administrator
// (feature 101) may untick the lock again.

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace app {
class AppContext;
}

namespace curves {

struct CurveProperties {
    QString title;
    QString description;
    QString airDensity;  // as typed: ',' or '.'
    int typeIndex = 0;   // 0 power reference curve, 1 wind distribution curve
    QString cutIn;       // empty: none
    QString cutOut;
    bool locked = false;
};

}  // namespace curves

class TFormCurveProperties : public QDialog {
    Q_OBJECT

public:
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;
    static constexpr int kMaxDescription = 2048;

    explicit TFormCurveProperties(app::AppContext& context, QWidget* parent = nullptr);

    // Fills the dialog; `withTypes` offers the wind distribution type.
    void Prepare(const curves::CurveProperties& properties, bool withTypes);
    int Execute(const curves::CurveProperties& properties, bool withTypes);
    // The fields as the dialog holds them (after OK: validated).
    curves::CurveProperties values() const;
    // The default air density with the locale's decimal mark.
    static QString defaultAirDensity();

    void ButtonOKClick();
    void CheckBox1Click(bool checked);
    void ComboBoxNormCurveTypeChange(int index);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void setCaptions();
    void applyLock(bool locked);
    void showError(const QString& message);

    app::AppContext& context_;
    QLabel* LabelTitle = nullptr;
    QLabel* LabelDescription = nullptr;
    QLabel* LabelAirDensity = nullptr;
    QLabel* LabelType = nullptr;
    QLabel* LabelCutIn = nullptr;
    QLabel* LabelCutOut = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLineEdit* EditAirDensity = nullptr;
    QComboBox* ComboBoxNormCurveType = nullptr;
    QLineEdit* EditCutIn = nullptr;
    QLineEdit* EditCutOut = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* Button1 = nullptr;
    bool withTypes_ = true;
};
