#pragma once
// The status window: shows a text, an optional gauge and an optional cancel
// button while one long statement runs on a worker connection; the caller
// waits for a single success flag while the user interface keeps running.
//
// Calling order: StartStatusDialog, one or more ExecuteAsync, StopStatusDialog.

#include "db/AsyncExecutor.h"
#include "db/Connection.h"
#include "db/Value.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QFrame;

namespace db {
class DataSet;
}

namespace app {
class AppContext;
}

class TFormStatus : public QDialog {
    Q_OBJECT

public:
    explicit TFormStatus(app::AppContext& context, QWidget* parent = nullptr);
    ~TFormStatus() override;

    // Shows the window modelessly with `text`; a non-zero showProgress shows
    // the gauge, cancelAllowed offers the cancel button during executions.
    void StartStatusDialog(int showProgress, const QString& text, bool cancelAllowed);
    // Runs `command` on a worker connection to `connection`'s database. True
    // when it completed without error and its return value (if the first
    // parameter is "@ReturnValue") is 0. Output parameters and the return
    // value are written back into `command` in every case.
    bool ExecuteAsync(db::SharedConnection& connection, db::Command& command);
    // The same for a statement that returns rows: `dataSet` is closed first
    // and, when the statement completed, open on its first result set.
    bool ExecuteAsync(db::SharedConnection& connection, db::Command& command, db::DataSet& dataSet);
    // Runs `commands` one after the other in one transaction on a worker
    // connection: all are written or none. Stops at the first that fails or
    // returns a non-zero "@ReturnValue" (returnValue() then holds it). Output
    // parameters are written back into each command.
    bool ExecuteAsync(db::SharedConnection& connection, std::vector<db::Command>& commands);
    void StopStatusDialog();

    // The return value of the last execution (0 without a return-value parameter).
    int returnValue() const { return returnValue_; }
    // Why the last execution failed: the provider's error description, or
    // why it was stopped. Empty after a run without error.
    const QString& errorText() const { return errorText_; }
    // Every result set and output of the last execution, for statements
    // that return more than the one result set a data set takes (after a
    // data set execution the first one's rows are in the data set).
    const db::Result& lastResult() const { return executor_.result(); }
    bool isExecuting() const { return executing_; }
    bool cancelAllowed() const { return cancelAllowed_; }
    QProgressBar* progressBar() const { return ProgressBarTotal; }

    void ButtonCancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildUi();
    bool ExecuteCommandAsync(db::SharedConnection& connection, db::Command& command, db::DataSet* dataSet);
    bool runExecution(db::SharedConnection& connection, int timeoutSeconds, db::DataSet* dataSet,
                      const std::function<bool()>& start);
    void ADOConnectionExecuteComplete(bool ok);
    void readReturnValue(const db::Command& command);
    void TimerStartTimer();
    void TimerTimer();
    void FormClose();
    void setWaitCursor();
    void restoreCursor();
    void trace(int level, const QString& text);
    void traceException(const QString& message, const char* where);

    app::AppContext& context_;

    QLabel* LabelText = nullptr;
    QProgressBar* ProgressBarTotal = nullptr;
    QFrame* PanelCancel = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QTimer* Timer = nullptr;
    QTimer* TimerStart = nullptr;

    db::AsyncExecutor executor_;
    // State of the running execution.
    db::DataSet* dataSet_ = nullptr;
    int returnValue_ = 0;
    int baseHeight_ = 0;
    int panelHeight_ = 0;
    bool completed_ = false;
    bool errorReported_ = false;
    bool cancelAllowed_ = false;
    bool cancelRequested_ = false;
    bool timedOut_ = false;
    bool executing_ = false;
    bool waitCursor_ = false;
    QString errorText_;
};

namespace app {

// Start, execute and stop in one call, for windows that run a single long
// statement: shows the registered status window with `text`, runs the
// command and hides the window again. `errorText` receives the reason of a
// failure. Refused (false) when no status window is registered or one is
// already executing.
bool runUnderStatus(AppContext& context, const QString& text, db::SharedConnection& connection,
                    db::Command& command, bool cancelAllowed = false, QString* errorText = nullptr);
// The same for several commands in one transaction (all are written or none).
bool runUnderStatus(AppContext& context, const QString& text, db::SharedConnection& connection,
                    std::vector<db::Command>& commands, QString* errorText = nullptr);
// The same, opening `dataSet` on the rows the statement returns.
bool runUnderStatus(AppContext& context, const QString& text, db::SharedConnection& connection,
                    db::Command& command, db::DataSet& dataSet, bool cancelAllowed = false,
                    QString* errorText = nullptr);

}  // namespace app
