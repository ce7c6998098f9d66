#pragma once
// "Free wind parameter setup": the free wind parameter sets, added, edited
// and removed one at a time, each change written at once.

#include "db/DataSet.h"

#include <QDialog>
#include <memory>

class QLabel;
class QPushButton;
class QTableView;
class QTimer;
class QToolButton;
class TForm_FWP_Parameters;

namespace app {
class AppContext;
}
namespace ui {
class DataSetModel;
class LoadOnFirstShow;
}  // namespace ui

class TFormFWPTable : public QDialog {
    Q_OBJECT

public:
    static constexpr int kResultChanged = 1;
    static constexpr int kResultUnchanged = 2;

    TFormFWPTable(app::AppContext& context, TForm_FWP_Parameters& parameters, QWidget* parent = nullptr);
    ~TFormFWPTable() override;

    void Prepare();
    int Execute();

    db::DataSet& sets() { return rows_; }
    QTableView* grid() const { return DBGrid1; }
    bool isChanged() const { return changed_; }

    void TimerLoadTimer();
    void ButtonAddClick();
    void ButtonEditClick();
    void ButtonRemoveClick();
    void SpeedButtonReloadClick();
    void SpeedButtonCopyClick();
    void SpeedButtonPrintClick();
    void reject() override;

Q_SIGNALS:
    void loaded(bool ok);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void setCaptions();
    bool openList(int selectId);
    void SetButtonState(bool running);
    bool writeRow();
    void showError(const QString& message);
    QString text(int number);

    app::AppContext& context_;
    TForm_FWP_Parameters& parameters_;
    bool changed_ = false;
    db::DataSet rows_;
    std::unique_ptr<ui::DataSetModel> model_;
    QToolButton* SpeedButtonClose = nullptr;
    QToolButton* SpeedButtonCopy = nullptr;
    QToolButton* SpeedButtonPrint = nullptr;
    QToolButton* SpeedButtonReload = nullptr;
    QLabel* Label1 = nullptr;
    QTableView* DBGrid1 = nullptr;
    QPushButton* ButtonAdd = nullptr;
    QPushButton* ButtonEdit = nullptr;
    QPushButton* ButtonRemove = nullptr;
    QTimer* TimerLoad = nullptr;
    ui::LoadOnFirstShow* firstShow_ = nullptr;
};
