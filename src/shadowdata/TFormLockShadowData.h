#pragma once
// The shadow data sign-off of a profile: every lock and unlock record of its
// shadow data periods, and a new record for a chosen period, confirmed with
// the login's password. Records are only ever added; the database keeps the
// shadow data of signed-off days as it is.

#include "db/DataSet.h"

#include <QDateTime>
#include <QDialog>
#include <memory>

class QCheckBox;
class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;
class TFormLockConfirmation;

namespace app {
class AppContext;
}
namespace ui {
class DataSetModel;
class LoadOnFirstShow;
}  // namespace ui

namespace shadowdata {

// The state of the entries that decides whether a record can be added.
struct SignOffEntry {
    QDateTime start;
    QDateTime stop;
    QString description;
};
bool periodIsForward(const SignOffEntry& entry);
bool mayAdd(const SignOffEntry& entry);

// Whether the confirmation's password admits the record: it must equal the
// login's password where the session carries one; without one there is
// nothing to check against.
bool passwordAccepted(const QString& sessionPassword, const QString& entered);

}  // namespace shadowdata

class TFormLockShadowData : public QDialog {
    Q_OBJECT

public:
    // Numbered texts of the profile file.
    static constexpr int kTextStartError = 20;
    static constexpr int kTextStopError = 21;
    static constexpr int kTextCaption = 32;
    static constexpr int kTextPeriod = 33;
    static constexpr int kTextFrom = 34;
    static constexpr int kTextTo = 35;
    static constexpr int kTextMakerLock = 36;
    static constexpr int kTextCustomerLock = 37;
    static constexpr int kTextFirstColumn = 40;  // to 46
    static constexpr int kTextDescription = 43;
    static constexpr int kTextOK = 50;
    static constexpr int kTextCancel = 51;
    static constexpr int kTextLoading = 60;
    static constexpr int kTextLoadFailed = 61;
    static constexpr int kTextLockFailed = 63;
    static constexpr int kTextErrorCaption = 64;
    static constexpr int kTextUnlockFailed = 65;
    static constexpr int kTextInformation = 66;
    static constexpr int kTextLocked = 67;
    static constexpr int kTextUnlocked = 68;
    static constexpr int kTextWrongPassword = 69;
    static constexpr int kTextLocking = 78;
    static constexpr int kTextUnlocking = 79;
    static constexpr int kMaxDescriptionLength = 256;
    static constexpr int kLoadDelayMs = 50;

    explicit TFormLockShadowData(app::AppContext& context, QWidget* parent = nullptr);
    ~TFormLockShadowData() override;

    // The confirmation dialog each new record goes through.
    void setConfirmation(TFormLockConfirmation* confirmation) { confirmation_ = confirmation; }

    // Sets the window up for the profile: it loads on its next show.
    void Prepare(int reportProfileId);
    // Prepare, then show modally.
    int Execute(int reportProfileId);

    db::DataSet& dataSet() { return ADODataSetLocks; }
    QTableView* grid() const { return GridLocks; }

    void TimerStartTimer();
    void DatePickerChange();
    void EditDescriptionChange();
    void ButtonOKClick();
    void ButtonCancelClick();

Q_SIGNALS:
    // A load of the list ended (ok: the list is shown).
    void loaded(bool ok);

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void buildUi();
    void setCaptions();
    void FormShow();
    shadowdata::SignOffEntry entry() const;
    bool addRecord(bool locking, QString* error);
    void trace(const char* method);

    app::AppContext& context_;
    TFormLockConfirmation* confirmation_ = nullptr;
    ui::LoadOnFirstShow* firstShow_ = nullptr;
    int reportProfileId_ = 0;

    QGroupBox* GroupBoxPeriod = nullptr;
    QLabel* LabelFrom = nullptr;
    QLabel* LabelTo = nullptr;
    QDateTimeEdit* DatePickerStart = nullptr;
    QDateTimeEdit* DatePickerStop = nullptr;
    QLabel* LabelStartError = nullptr;
    QLabel* LabelStopError = nullptr;
    QLabel* LabelDescription = nullptr;
    QLineEdit* EditDescription = nullptr;
    QCheckBox* CheckBoxLocked = nullptr;
    QTableView* GridLocks = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QTimer* TimerStart = nullptr;

    db::DataSet ADODataSetLocks;
    std::unique_ptr<ui::DataSetModel> model_;
};
