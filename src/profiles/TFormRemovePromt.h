#pragma once
// The second confirmation before a profile is removed: the user has to type
// the confirmation word before OK is offered.

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace app {
class AppContext;
}

class TFormRemovePromt : public QDialog {
    Q_OBJECT

public:
    explicit TFormRemovePromt(app::AppContext& context, QWidget* parent = nullptr);

    // Shows the prompt modally; the typed word when it ended with OK,
    // otherwise nothing.
    std::optional<QString> ask();

    QLineEdit* editApproved() const { return EditApproved; }
    QPushButton* okButton() const { return OkButton; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void setCaptions();
    void EditApprovedChange();

    app::AppContext& context_;
    QLabel* LabelMessage = nullptr;
    QLineEdit* EditApproved = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
};
