#pragma once
// Chooses the first day of a profile's shadow data within the raw data's
// limits. It can only be left by OK.

#include "shadowdata/RegenerationPeriod.h"

#include <QDate>
#include <QDateTime>
#include <QDialog>
#include <optional>

class QDateEdit;
class QLabel;
class QPushButton;

namespace app {
class AppContext;
}

namespace ui {
class LoadOnFirstShow;
}

class TFormRegenerateShadowData : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTextOK = 50;  // numbered texts of the profile file
    static constexpr int kTextCaption = 530;
    static constexpr int kTextPrompt = 531;
    static constexpr int kTextFirstData = 532;
    static constexpr int kTextLastData = 533;

    explicit TFormRegenerateShadowData(app::AppContext& context, QWidget* parent = nullptr);

    // Sets the dialog up: the next show reads the limits and presets the
    // day; later shows (a restore) keep the user's choice.
    void Prepare();
    // Prepare, then show modally; always ends with QDialog::Accepted.
    int Execute() {
        Prepare();
        return exec();
    }

    // After OK: the chosen day (within the limits when there were any) and
    // the lower data limit read on show (invalid when there was none); its
    // time of day is the caller's.
    QDate chosenDate() const;
    QDateTime minPcTimeStamp() const { return limits_ ? limits_->minimum : QDateTime(); }
    const std::optional<shadowdata::DataLimits>& limits() const { return limits_; }

    void ButtonOKClick();
    void DatePickerChange();

    void reject() override;  // Escape does not close it

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildUi();
    void setCaptions();
    // The first show after Prepare.
    void FormShow();
    bool insideLimits(const QDate& day) const;

    app::AppContext& context_;
    std::optional<shadowdata::DataLimits> limits_;
    bool closingByOK_ = false;
    ui::LoadOnFirstShow* firstShow_ = nullptr;

    QLabel* Label1 = nullptr;  // prompt
    QLabel* Label4 = nullptr;  // "First data:"
    QLabel* Label5 = nullptr;  // "Last data:"
    QLabel* Label2 = nullptr;  // data minimum
    QLabel* Label3 = nullptr;  // data maximum
    QDateEdit* DatePicker = nullptr;
    QPushButton* ButtonOK = nullptr;
};
