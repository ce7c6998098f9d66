#pragma once
// "Contract Configuration": which calculation steps each availability
// contract uses, and in which order. Loads on show, holds the changes of
// every contract until OK writes them in one call.

#include "contracts/ContractSteps.h"
#include "db/DataSet.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTimer;
class QToolButton;

namespace app {
class AppContext;
}
namespace ui {
class LoadOnFirstShow;
}

class TFormContractConfiguration : public QDialog {
    Q_OBJECT

public:
    explicit TFormContractConfiguration(app::AppContext& context, QWidget* parent = nullptr);

    // Empties the window; it loads on its next show.
    void Prepare();
    int Execute() {
        Prepare();
        return exec();
    }

    const std::vector<contracts::Contract>& contracts() const { return contracts_; }

    // --- event handlers ---
    void TimerStartTimer();
    void ComboBoxContractChange();
    void CheckListBoxCalculationStepsClickCheck(QListWidgetItem* item);
    void BitBtnUpClick();
    void BitBtnDownClick();
    void ButtonOKClick();
    void ButtonCancelClick();

Q_SIGNALS:
    // The load the timer started has ended (ok: the lists show the contracts).
    void loaded(bool ok);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildUi();
    void setCaptions();
    void showSteps(int selectedStep = -1);
    void move(int delta);
    contracts::Contract* currentContract();
    QString text(int number);

    app::AppContext& context_;
    std::vector<contracts::Contract> contracts_;
    db::DataSet rows_;
    bool filling_ = false;

    QLabel* LabelContract = nullptr;
    QComboBox* ComboBoxContract = nullptr;
    QLabel* LabelCalculationSteps = nullptr;
    QListWidget* CheckListBoxCalculationSteps = nullptr;
    QToolButton* BitBtnUp = nullptr;
    QToolButton* BitBtnDown = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QTimer* TimerStart = nullptr;
    ui::LoadOnFirstShow* firstShow_ = nullptr;
};
