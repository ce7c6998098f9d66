#include "app/TFormStatus.h"

#include "app/AppContext.h"
#include "db/DataSet.h"
#include "ui/Waiting.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <limits>
#include <stdexcept>

namespace {

constexpr int kWidth = 380;
constexpr int kBaseHeight = 96;
constexpr int kPanelHeight = 42;
constexpr int kPollMs = 100;
// A time-out of 0 means "no limit", which is a day in practice.
constexpr int kDefaultTimeoutSeconds = 86400;
// After a cancel the worker needs a moment to give its connection back.
constexpr int kCancelWaitMs = 30000;

const QString kCancelledText = QStringLiteral("Operation cancelled");
const QString kTimeoutText = QStringLiteral("Query timeout expired");

// The statement could not even be started (no connection, executor busy).
class StartError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace

TFormStatus::TFormStatus(app::AppContext& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), context_(context) {
    setObjectName(QStringLiteral("TFormStatus"));
    setWindowTitle(QStringLiteral("Status"));
    setModal(false);
    buildUi();
    connect(&executor_, &db::AsyncExecutor::finished, this, &TFormStatus::ADOConnectionExecuteComplete);
}

TFormStatus::~TFormStatus() { restoreCursor(); }

void TFormStatus::buildUi() {
    LabelText = new QLabel(this);
    LabelText->setObjectName(QStringLiteral("LabelText"));
    LabelText->setAlignment(Qt::AlignCenter);
    LabelText->setWordWrap(true);
    LabelText->setGeometry(12, 10, kWidth - 24, 44);

    ProgressBarTotal = new QProgressBar(this);
    ProgressBarTotal->setObjectName(QStringLiteral("ProgressBarTotal"));
    ProgressBarTotal->setGeometry(12, 62, kWidth - 24, 20);
    ProgressBarTotal->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: blue; }"));
    ProgressBarTotal->setValue(0);
    ProgressBarTotal->hide();

    PanelCancel = new QFrame(this);
    PanelCancel->setObjectName(QStringLiteral("PanelCancel"));
    PanelCancel->setGeometry(0, kBaseHeight, kWidth, kPanelHeight);
    ButtonCancel = new QPushButton(QStringLiteral("&Cancel"), PanelCancel);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setGeometry((kWidth - 90) / 2, 8, 90, 26);
    ButtonCancel->setEnabled(false);
    PanelCancel->hide();
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormStatus::ButtonCancelClick);

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(200);
    connect(Timer, &QTimer::timeout, this, &TFormStatus::TimerTimer);
    TimerStart = new QTimer(this);
    TimerStart->setObjectName(QStringLiteral("TimerStart"));
    TimerStart->setInterval(50);
    TimerStart->setSingleShot(true);
    connect(TimerStart, &QTimer::timeout, this, &TFormStatus::TimerStartTimer);

    baseHeight_ = kBaseHeight;
    setFixedSize(kWidth, baseHeight_);
}

void TFormStatus::trace(int level, const QString& text) { context_.trace().Trace(level, text); }

void TFormStatus::traceException(const QString& message, const char* where) {
    trace(int(app::TraceLevel::Error), QStringLiteral("Caught Exception: ") + message);
    if (where) trace(int(app::TraceLevel::Error), QString::fromLatin1(where));
}

void TFormStatus::setWaitCursor() {
    if (waitCursor_) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    waitCursor_ = true;
}

void TFormStatus::restoreCursor() {
    if (!waitCursor_) return;
    QApplication::restoreOverrideCursor();
    waitCursor_ = false;
}

void TFormStatus::StartStatusDialog(int showProgress, const QString& text, bool cancelAllowed) {
    trace(int(app::TraceLevel::Trace), QStringLiteral("Enter Function: TFormStatus::StartStatusDialog"));
    cancelAllowed_ = cancelAllowed;
    if (!isVisible()) {
        if (QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
        show();
    }
    ButtonCancel->setEnabled(false);
    ProgressBarTotal->setVisible(showProgress != 0);
    LabelText->setText(text);
    repaint();
}

void TFormStatus::StopStatusDialog() {
    trace(int(app::TraceLevel::Trace), QStringLiteral("Enter Function: TFormStatus::StopStatusDialog"));
    Timer->stop();
    if (isVisible()) close();
}

bool TFormStatus::ExecuteAsync(db::SharedConnection& connection, db::Command& command) {
    trace(int(app::TraceLevel::Trace),
          QStringLiteral("Enter Function: TFormStatus::ExecuteAsync-TADOCommand"));
    try {
        return ExecuteCommandAsync(connection, command, nullptr);
    } catch (const std::exception& e) {
        traceException(QString::fromUtf8(e.what()), nullptr);
        return false;
    }
}

bool TFormStatus::ExecuteAsync(db::SharedConnection& connection, db::Command& command, db::DataSet& dataSet) {
    trace(int(app::TraceLevel::Trace),
          QStringLiteral("Enter Function: TFormStatus::ExecuteAsync-TADODataSet"));
    bool ok = false;
    try {
        // Checked before the data set is touched: it may be the one being filled.
        if (executing_) throw StartError("Another statement is still running");
        dataSet.close();
        ok = ExecuteCommandAsync(connection, command, &dataSet);
    } catch (const std::exception& e) {
        traceException(QString::fromUtf8(e.what()), "ExecuteAsync ptrADODataSet failed 1");
        return false;
    }
    try {
        dataSet.setCommand(command);
        // Rows of a cancelled, timed-out or failed run are not handed out.
        if (errorReported_ || cancelRequested_ || timedOut_) dataSet.close();
    } catch (const std::exception& e) {
        traceException(QString::fromUtf8(e.what()), "ExecuteAsync ptrADODataSet failed 2");
        return false;
    }
    return ok;
}

bool TFormStatus::ExecuteCommandAsync(db::SharedConnection& connection, db::Command& command,
                                      db::DataSet* dataSet) {
    trace(int(app::TraceLevel::Trace), QStringLiteral("Enter Function: TFormStatus::ExecuteCommandAsync"));
    const bool ok = runExecution(connection, command.timeoutSeconds, dataSet, [&] {
        return dataSet ? executor_.open(*connection.get(), command)
                       : executor_.execute(*connection.get(), command);
    });
    command.parameters = executor_.command().parameters;
    return ok;
}

bool TFormStatus::ExecuteAsync(db::SharedConnection& connection, std::vector<db::Command>& commands) {
    trace(int(app::TraceLevel::Trace),
          QStringLiteral("Enter Function: TFormStatus::ExecuteAsync-Transaction"));
    try {
        if (commands.empty()) return true;
        const bool ok = runExecution(connection, commands.front().timeoutSeconds, nullptr,
                                     [&] { return executor_.executeAll(connection, commands); });
        if (executor_.commands().size() == commands.size()) commands = executor_.commands();
        return ok;
    } catch (const std::exception& e) {
        traceException(QString::fromUtf8(e.what()), nullptr);
        return false;
    }
}

bool TFormStatus::runExecution(db::SharedConnection& connection, int timeoutSeconds, db::DataSet* dataSet,
                               const std::function<bool()>& start) {
    // The state lives in this one window: a second execution started from an
    // event handler during the wait must not disturb the first.
    if (executing_) throw StartError("Another statement is still running");

    completed_ = false;
    errorReported_ = false;
    cancelRequested_ = false;
    timedOut_ = false;
    returnValue_ = 0;
    errorText_.clear();

    QString error;
    if (!connection.connect(&error)) {
        errorText_ = error;
        throw StartError(error.toStdString());
    }
    if (!start()) {
        errorText_ = executor_.errorText();
        throw StartError(errorText_.toStdString());
    }

    executing_ = true;
    dataSet_ = dataSet;
    app::BusyScope busy(context_);
    const int seconds = timeoutSeconds > 0 ? timeoutSeconds : kDefaultTimeoutSeconds;
    if (cancelAllowed_) ButtonCancel->setEnabled(true);

    // The executor's finished() ends the wait; the timer only watches the
    // time-out and the cancel button.
    ui::WaitLimits limits;
    limits.timeoutMs = int(std::min<qint64>(qint64(seconds) * 1000, std::numeric_limits<int>::max()));
    limits.cancelled = [this] { return cancelRequested_; };
    limits.checkMs = kPollMs;
    ui::Wait wait([this] { return completed_; });
    wait.on(&executor_, &db::AsyncExecutor::finished).on(ButtonCancel, &QPushButton::clicked);
    const ui::WaitEnd end = wait.run(limits);
    if (end == ui::WaitEnd::TimedOut) timedOut_ = true;
    if (cancelRequested_ && !completed_) setWaitCursor();
    ButtonCancel->setEnabled(false);

    if (!completed_) {
        // Ended by the user, the time-out, or the application leaving its
        // event loops: stop the statement and let the worker finish.
        if (!timedOut_) cancelRequested_ = true;
        errorText_ = timedOut_ ? kTimeoutText : kCancelledText;
        executor_.cancel();
        ui::waitForSignal(&executor_, &db::AsyncExecutor::finished, [this] { return !executor_.isRunning(); },
                          {kCancelWaitMs, {}, 0});
    }
    executing_ = false;
    dataSet_ = nullptr;

    if (errorReported_ || cancelRequested_ || timedOut_) return false;
    return returnValue_ == 0;
}

void TFormStatus::ADOConnectionExecuteComplete(bool ok) {
    trace(int(app::TraceLevel::Trace),
          QStringLiteral("Enter Function: TFormStatus::ADOConnectionExecuteComplete"));
    try {
        if (!executing_) return;  // a run given up on: nobody waits for it any more
        if (!ok) {
            trace(int(app::TraceLevel::Error), QStringLiteral("Description: ") + executor_.errorText());
            errorReported_ = true;
            if (executor_.outcome() == db::AsyncExecutor::Outcome::TimedOut) {
                timedOut_ = true;
                errorText_ = kTimeoutText;
            } else if (cancelRequested_ || timedOut_) {
                // Keep the reason the run was stopped for.
            } else {
                errorText_ = executor_.errorText();
            }
        }
        readReturnValue(executor_.command());
        if (ok && dataSet_ && !cancelRequested_ && !timedOut_) dataSet_->setRows(executor_.takeRows());
        completed_ = true;
    } catch (const std::exception& e) {
        traceException(QString::fromUtf8(e.what()), "ADOConnectionExecuteComplete failed");
        errorReported_ = true;
        completed_ = true;
    }
}

void TFormStatus::readReturnValue(const db::Command& command) {
    const db::Parameter* parameter = command.returnValueParameter();
    if (!parameter) return;
    bool converted = false;
    const int value = parameter->value.toInt(&converted);
    if (converted) {
        returnValue_ = value;
    } else {
        returnValue_ = 0;
        traceException(
            QStringLiteral("The return value '%1' is not an integer").arg(parameter->value.toString()),
            nullptr);
    }
}

void TFormStatus::ButtonCancelClick() {
    trace(int(app::TraceLevel::Trace), QStringLiteral("Enter Function: TFormStatus::ButtonCancelClick"));
    if (!cancelAllowed_) return;
    cancelRequested_ = true;
}

void TFormStatus::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    setWaitCursor();
    TimerStart->start();
    Timer->start();
}

void TFormStatus::TimerStartTimer() {
    panelHeight_ = PanelCancel->height();
    if (cancelAllowed_) {
        setFixedSize(kWidth, baseHeight_ + panelHeight_);
        PanelCancel->show();
    } else {
        setFixedSize(kWidth, baseHeight_);
        PanelCancel->hide();
    }
}

void TFormStatus::TimerTimer() {
    // Callers move the gauge between statements; keep it painted.
    LabelText->update();
    ProgressBarTotal->update();
}

void TFormStatus::closeEvent(QCloseEvent* event) {
    if (executing_) {
        // The window belongs to the running statement until it ends.
        event->ignore();
        return;
    }
    FormClose();
    QDialog::closeEvent(event);
}

void TFormStatus::keyPressEvent(QKeyEvent* event) {
    // No close button: Escape does not close the window either.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormStatus::FormClose() {
    try {
        ProgressBarTotal->hide();
        ProgressBarTotal->setValue(0);
        Timer->stop();
        TimerStart->stop();
        restoreCursor();
    } catch (const std::exception& e) {
        traceException(QString::fromUtf8(e.what()), "FormClose failed");
    }
}

namespace app {

namespace {

bool runWithStatus(AppContext& context, const QString& text, bool cancelAllowed, QString* errorText,
                   const std::function<bool(TFormStatus&)>& run) {
    TFormStatus* status = context.windows().status;
    if (!status || status->isExecuting()) {
        const QString reason = status ? QStringLiteral("Another statement is still running")
                                      : QStringLiteral("The status window is not available");
        context.trace().Trace(TraceLevel::Error, QStringLiteral("Caught Exception: ") + reason);
        if (errorText) *errorText = reason;
        return false;
    }
    status->StartStatusDialog(0, text, cancelAllowed);
    const bool ok = run(*status);
    status->StopStatusDialog();
    if (errorText) *errorText = status->errorText();
    return ok;
}

}  // namespace

bool runUnderStatus(AppContext& context, const QString& text, db::SharedConnection& connection,
                    db::Command& command, bool cancelAllowed, QString* errorText) {
    return runWithStatus(context, text, cancelAllowed, errorText,
                         [&](TFormStatus& status) { return status.ExecuteAsync(connection, command); });
}

bool runUnderStatus(AppContext& context, const QString& text, db::SharedConnection& connection,
                    std::vector<db::Command>& commands, QString* errorText) {
    return runWithStatus(context, text, false, errorText,
                         [&](TFormStatus& status) { return status.ExecuteAsync(connection, commands); });
}

bool runUnderStatus(AppContext& context, const QString& text, db::SharedConnection& connection,
                    db::Command& command, db::DataSet& dataSet, bool cancelAllowed, QString* errorText) {
    return runWithStatus(context, text, cancelAllowed, errorText, [&](TFormStatus& status) {
        return status.ExecuteAsync(connection, command, dataSet);
    });
}

}  // namespace app
