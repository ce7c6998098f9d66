#pragma once
// Adds or edits one user, writing at once when OK is pressed: the user, then
// the roles ticked (and, when editing, unticked) in one relation call. From
// database version "3.24.0.0" on users have no password, level or override
// of their own, and those fields are off.

#include <QDialog>
#include <set>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace app {
class AppContext;
}

namespace users {
class UserAdministration;
struct User;
}  // namespace users

class TEditUser : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMaxInitials = 8;
    static constexpr int kMaxPassword = 8;
    static constexpr int kMaxText = 50;

    TEditUser(app::AppContext& context, users::UserAdministration& administration, QWidget* parent = nullptr);

    // Adds users until the user wants no further one; true when one was added.
    bool AddUsers();
    // Edits the user; true when something was written.
    bool EditUser(int userId);

    // Fills the dialog for adding (id 0) or editing, without showing it.
    void Prepare(int userId);

    QPushButton* okButton() const { return ButtonOK; }

private:
    void buildUi();
    void setCaptions();
    void prepare(const users::User* user);
    bool storesPasswords() const;
    void FieldChange();
    void PasswordEdited();
    void ButtonOKClick();
    users::User userFromFields() const;
    std::set<int> tickedRoles() const;

    app::AppContext& context_;
    users::UserAdministration& administration_;
    int userId_ = 0;  // 0: adding
    bool passwordChanged_ = false;
    bool wrote_ = false;

    QLabel* LabelInit = nullptr;
    QLineEdit* EditInit = nullptr;
    QLabel* LabelPassword1 = nullptr;
    QLineEdit* EditPassword1 = nullptr;
    QLabel* LabelPassword2 = nullptr;
    QLineEdit* EditPassword2 = nullptr;
    QLabel* LabelFirstname = nullptr;
    QLineEdit* EditFirstname = nullptr;
    QLabel* LabelLastname = nullptr;
    QLineEdit* EditLastname = nullptr;
    QLabel* LabelOrganisation = nullptr;
    QLineEdit* EditOrganisation = nullptr;
    QLabel* LabelEmail = nullptr;
    QLineEdit* EditEmail = nullptr;
    QLabel* LabelLevel = nullptr;
    QComboBox* ComboBoxLevel = nullptr;
    QCheckBox* CheckBoxOverrideUserlevel = nullptr;
    QLabel* LabelUserRoles = nullptr;
    QListWidget* CheckListBoxUserRoles = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
};
