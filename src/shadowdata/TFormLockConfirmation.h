#pragma once
// Confirms a new sign-off record: what will be written (lock or unlock, by a
// maker's or a customer's user), the period, and the password of the login.

#include <QDateTime>
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace app {
class AppContext;
}

class TFormLockConfirmation : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTextOK = 50;
    static constexpr int kTextCancel = 51;
    static constexpr int kTextCaption = 70;
    static constexpr int kTextMakerLock = 71;
    static constexpr int kTextMakerUnlock = 72;
    static constexpr int kTextCustomerLock = 73;
    static constexpr int kTextCustomerUnlock = 74;
    static constexpr int kTextFrom = 75;
    static constexpr int kTextTo = 76;
    static constexpr int kTextPassword = 77;
    static constexpr int kMaxPasswordLength = 32;

    explicit TFormLockConfirmation(app::AppContext& context, QWidget* parent = nullptr);

    // The title's text number for the user kind and the lock state.
    static int titleText(bool makerUser, bool locking);

    // Sets the window up: title, the period, an empty password field.
    void Prepare(bool makerUser, bool locking, const QDateTime& from, const QDateTime& to);
    // Prepare, then show modally; QDialog::Accepted on OK (or Enter in the
    // password field).
    int Execute(bool makerUser, bool locking, const QDateTime& from, const QDateTime& to);

    // What the user typed; never written anywhere.
    QString password() const;
    // Empties the password field once the entry was checked.
    void forgetPassword();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void setCaptions();

    app::AppContext& context_;
    int titleText_ = kTextMakerLock;

    QLabel* LabelTitle = nullptr;
    QLabel* LabelFrom = nullptr;
    QLabel* LabelFromValue = nullptr;
    QLabel* LabelTo = nullptr;
    QLabel* LabelToValue = nullptr;
    QLabel* LabelPassword = nullptr;
    QLineEdit* EditPassword = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
};
