#pragma once
// Sets the organisation of chosen users in the users container; the user
// management's save writes it later.

#include <QDialog>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

namespace app {
class AppContext;
}

namespace users {
class UserAdministration;
}

class TFormSetOrganisation : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMaxOrganisation = 50;

    TFormSetOrganisation(app::AppContext& context, users::UserAdministration& administration,
                         QWidget* parent = nullptr);

    // Offers the organisations in use; with OK the users get the entered
    // one. True when they did.
    bool SetOrganisation(const std::vector<int>& userIds);

    QComboBox* comboBox() const { return ComboBoxOrganisation; }

private:
    void buildUi();
    void setCaptions();

    app::AppContext& context_;
    users::UserAdministration& administration_;
    QLabel* LabelOrganisation = nullptr;
    QComboBox* ComboBoxOrganisation = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
};
