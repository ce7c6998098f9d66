#pragma once
// "Executing query": runs a batch of long statements one at a time, either
// plainly or wrapped in the database's data calculation process (which
// reports the remaining work and can be terminated), with gauges, the
// elapsed time and a Cancel button. Callers start it once per batch, hand it
// one statement at a time and wait on its Failed / Finished / Cancelled flags
// (runBatch below does all of that).

#include "db/AsyncExecutor.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

class QFrame;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace app {
class AppContext;
}
namespace db {
class Connection;
class DataSet;
}  // namespace db

class TOrinADOProgressDialog : public QDialog {
    Q_OBJECT

public:
    // Layouts: 1 status only, 2 adds the current-query gauge (process runs)
    // and the elapsed time, 3 adds the overall gauge of the batch.
    enum Layout { LayoutStatus = 1, LayoutCurrent = 2, LayoutBatch = 3 };
    // StartProgress modes.
    enum Mode { ModeOpenDataSet = 1, ModeExecute = 2 };

    static constexpr int kCurrentGaugeUnset = 99999;  // the current gauge's maximum before the first report
    static constexpr int kPollIntervalMs = 2000;
    static constexpr int kDataSetTimeoutSeconds = 36000;
    static constexpr int kFinishDelayMs = 500;

    explicit TOrinADOProgressDialog(app::AppContext& context, QWidget* parent = nullptr);
    ~TOrinADOProgressDialog() override;

    // Loads the dialog's texts, arranges it for `layout`, shows it and opens
    // its private connections from `connectionString` (a second one for the
    // status queries when `useProcess` is 1). Shows the error and returns
    // false when a connection cannot be opened.
    bool Start(int layout, int useProcess, const QString& connectionString, int itemCount);

    // Starts one statement and returns at once. Mode 1 opens `dataSet` on the
    // statement's rows, mode 2 executes it. `commandName` names the data
    // calculation process. False (with Failed set) when it could not start.
    bool StartProgress(int mode, db::DataSet* dataSet, const QString& commandName, const QString& statement);

    // The status line the caller sets before each item.
    void setStatusText(const QString& text);

    bool Failed() const { return failed_; }
    bool Finished() const { return finished_; }
    bool Cancelled() const { return cancelled_; }
    const QString& errorText() const { return errorText_; }

    // After a failure: stops what still runs, terminates and drops a running
    // process, and closes the dialog. Safe to call more than once.
    void CleanUp();

    // State, for callers and tests.
    bool isStepRunning() const { return stepRunning_; }
    bool processRunning() const { return processRunning_; }
    int processId() const { return processId_; }
    int remaining() const { return remaining_; }

    // Event handlers (public so tests can drive them).
    void BitBtnCancelClick();
    void TimerProcessTimer();

Q_SIGNALS:
    // The step started last is over (Finished() is set): it succeeded,
    // failed or was cancelled.
    void stepEnded();

protected:
    void reject() override;  // Escape and the close button cancel a running step

private:
    void buildUi();
    void setCaptions();
    void arrangeLayout(int layout);
    void startAnimation();
    void stopAnimation();
    void restoreLabels();
    void updateElapsedTime();

    bool openConnections(const QString& connectionString, QString* error);
    void closeConnections();
    bool startStatement(const QString& text, QString* error);

    void ADOConnectionExecuteComplete(bool ok);
    void ADOConnectionProcessExecuteComplete(bool ok);
    void handleStatementCompletion(bool ok);
    void applyRemaining(int remaining);
    void stepSucceeded();
    void finishDialog();
    void failStep(const QString& error);
    void endStep();
    // Stops running executions and waits until they have ended.
    void stopExecutions();
    // Terminates the running process and, when that worked, drops its tables.
    void terminateProcess();
    bool runProcessCommand(const QString& text, QString* error);
    void closeDialog();
    void traceEnter(const char* function);
    void traceException(const QString& message);

    app::AppContext& context_;

    // Controls.
    QGroupBox* GroupBoxProcess = nullptr;
    QLabel* LabelCurrentQuery = nullptr;
    QProgressBar* CGaugeCurrentProgress = nullptr;
    QLabel* LabelCurrentStatus = nullptr;
    QLabel* LabelOverAll = nullptr;
    QProgressBar* CGaugeOverall = nullptr;
    QLabel* LabelStatus = nullptr;
    QFrame* BevelStatus = nullptr;
    QProgressBar* AnimateProgress = nullptr;  // a busy indicator stands in for the animation file
    QLabel* LabelExecutionTime = nullptr;
    QPushButton* BitBtnCancel = nullptr;
    QTimer* TimerProcess = nullptr;
    QTimer* TimerElapsed = nullptr;

    // Execution state.
    int mode_ = ModeExecute;
    QString statement_;
    QString commandName_;
    std::unique_ptr<db::Connection> statementConnection_;
    std::unique_ptr<db::Connection> statusConnection_;
    QString connectionString_;
    db::DataSet* dataSet_ = nullptr;
    db::AsyncExecutor statementExecutor_;
    db::AsyncExecutor statusExecutor_;
    bool useProcess_ = false;
    bool creatingProcess_ = false;
    bool processRunning_ = false;
    bool processIdKnown_ = false;
    int processId_ = 0;
    int remaining_ = 0;
    bool finished_ = false;
    bool failed_ = false;
    bool cancelled_ = false;
    QString errorText_;

    bool stepRunning_ = false;
    bool dialogDone_ = true;  // closed after the batch, a failure or a cancel
    bool polling_ = false;
    int itemCount_ = 0;
    QElapsedTimer elapsed_;
};

// One statement of a batch and the status line shown while it runs.
struct ProgressItem {
    QString statement;
    QString statusText;
    QString commandName = {};  // the process's name for this item; empty: the batch's
};

// Runs `items` one after another under the dialog (layout 3, statements
// executed as commands on the session's connection, each under its own
// command name or else `commandName`), processing events while each step
// runs; the next starts as soon as one has ended. Returns true when every
// item finished.
// On false the dialog has been cleaned up; `error` holds the failing
// statement's error text, and is empty when the user cancelled
// (dialog.Cancelled()) or the dialog could not start (it said why).
bool runBatch(app::AppContext& context, TOrinADOProgressDialog& dialog, bool useProcess,
              const QString& commandName, const std::vector<ProgressItem>& items, QString* error = nullptr);
