#pragma once
// The period dialog of a shadow data regeneration: the raw data's limits,
// a start and a stop day, or the whole period.

#include "shadowdata/RegenerationPeriod.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;

namespace app {
class AppContext;
}

namespace ui {
class LoadOnFirstShow;
}

class TFormRGSDialog : public QDialog {
    Q_OBJECT

public:
    // Numbered texts of the profile file.
    static constexpr int kTextStartError = 20;
    static constexpr int kTextStopError = 21;
    static constexpr int kTextOK = 50;
    static constexpr int kTextCancel = 51;
    static constexpr int kTextRegenerate = 550;
    static constexpr int kTextPeriod = 555;
    static constexpr int kTextWholePeriod = 556;
    static constexpr int kTextFrom = 557;
    static constexpr int kTextTo = 558;

    explicit TFormRGSDialog(app::AppContext& context, QWidget* parent = nullptr);

    // Sets the dialog up for a profile: the next show reads the limits and
    // presets the pickers; later shows (a restore) keep the user's choice.
    void Prepare(const QString& title);
    // Prepare, then show modally; QDialog::Accepted on OK.
    int Execute(const QString& title);

    // The dialog's state after it was shown.
    shadowdata::PeriodChoice choice() const;
    const std::optional<shadowdata::DataLimits>& limits() const { return limits_; }

    void ButtonOKClick();
    void ButtonCancelClick();
    void CheckBoxWholePeriodClick();
    void DatePickerChange();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void setCaptions();
    // The first show after Prepare: read the limits and preset the pickers.
    void FormShow();
    static void markPicker(QDateEdit* picker, bool invalid);

    app::AppContext& context_;
    QString title_;
    std::optional<shadowdata::DataLimits> limits_;
    ui::LoadOnFirstShow* firstShow_ = nullptr;

    QGroupBox* GroupBoxPeriod = nullptr;
    QCheckBox* CheckBoxWholePeriod = nullptr;
    QLabel* Label1 = nullptr;  // "From:"
    QLabel* Label2 = nullptr;  // "To:"
    QLabel* Label4 = nullptr;  // data minimum
    QLabel* Label5 = nullptr;  // data maximum
    QDateEdit* DatePickerStart = nullptr;
    QDateEdit* DatePickerStop = nullptr;
    QLabel* LabelStartError = nullptr;
    QLabel* LabelStopError = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
};
