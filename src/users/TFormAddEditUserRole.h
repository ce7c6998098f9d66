#pragma once
// Adds a role (optionally copying the rights of a base role) or edits the
// title, description and level of one. Writes at once; closes with OK only
// when the call succeeded.

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace app {
class AppContext;
}

namespace users {
class UserAdministration;
struct UserRole;
}  // namespace users

class TFormAddEditUserRole : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMaxTitle = 50;
    // What the procedure keeps of a description.
    static constexpr int kMaxDescription = 200;

    TFormAddEditUserRole(app::AppContext& context, users::UserAdministration& administration,
                         QWidget* parent = nullptr);

    // True when a role was created (its id in `createdRoleId`) or updated.
    bool AddRole(int* createdRoleId = nullptr);
    bool EditRole(int roleId);

    // Fills the dialog for adding (id 0) or editing, without showing it.
    void Prepare(int roleId);

    QPushButton* okButton() const { return ButtonOK; }

private:
    void buildUi();
    void setCaptions();
    void prepare(const users::UserRole* role);
    void FieldChange();
    void MemoRoleDescriptionChange();
    void ButtonOKClick();

    app::AppContext& context_;
    users::UserAdministration& administration_;
    int roleId_ = 0;  // 0: adding
    int createdRoleId_ = 0;
    bool changed_ = false;

    QLabel* LabelRoleTitle = nullptr;
    QLineEdit* EditRoleTitle = nullptr;
    QLabel* LabelRoleDescription = nullptr;
    QPlainTextEdit* MemoRoleDescription = nullptr;
    QLabel* LabelUserRoles = nullptr;
    QComboBox* ComboBoxUserRoles = nullptr;
    QLabel* LabelAccessLevel = nullptr;
    QComboBox* ComboBoxAccessLevel = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
};
