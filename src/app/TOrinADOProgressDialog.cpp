#include "app/TOrinADOProgressDialog.h"

#include "app/AppContext.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "text/TextTables.h"
#include "ui/Waiting.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

namespace {

constexpr char kClassName[] = "TOrinADOProgressDialog";
constexpr char kProcessIdParameter[] = "ProcessId";
constexpr char kStatusParameter[] = "DataCalcProcessStatus";
// Terminate and drop run on the user-interface thread; they must not hang it.
constexpr int kProcessCommandTimeoutSeconds = 60;
// How long a cancel waits for an interrupted statement to give up.
constexpr int kStopWaitMs = 30000;

// Texts of SQLProgressDialog.txt.
enum Text {
    TextCaption = 0,
    TextProgressGroup = 1,
    TextCurrentQuery = 2,
    TextOverall = 3,
    TextStatus = 4,
    TextCancel = 5,
    TextNoProcessId = 6,
    TextNotReady = 7,
};

QString formatElapsed(qint64 ms) {
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

TOrinADOProgressDialog::TOrinADOProgressDialog(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QString::fromLatin1(kClassName));
    buildUi();
}

TOrinADOProgressDialog::~TOrinADOProgressDialog() = default;

void TOrinADOProgressDialog::buildUi() {
    setModal(true);

    GroupBoxProcess = new QGroupBox(this);
    GroupBoxProcess->setObjectName(QStringLiteral("GroupBoxProcess"));
    LabelCurrentQuery = new QLabel(GroupBoxProcess);
    LabelCurrentQuery->setObjectName(QStringLiteral("LabelCurrentQuery"));
    CGaugeCurrentProgress = new QProgressBar(GroupBoxProcess);
    CGaugeCurrentProgress->setObjectName(QStringLiteral("CGaugeCurrentProgress"));
    CGaugeCurrentProgress->setRange(0, kCurrentGaugeUnset);
    CGaugeCurrentProgress->setValue(0);
    LabelCurrentStatus = new QLabel(GroupBoxProcess);
    LabelCurrentStatus->setObjectName(QStringLiteral("LabelCurrentStatus"));
    LabelOverAll = new QLabel(GroupBoxProcess);
    LabelOverAll->setObjectName(QStringLiteral("LabelOverAll"));
    CGaugeOverall = new QProgressBar(GroupBoxProcess);
    CGaugeOverall->setObjectName(QStringLiteral("CGaugeOverall"));
    CGaugeOverall->setRange(0, 1);
    CGaugeOverall->setValue(0);

    auto* gauges = new QGridLayout(GroupBoxProcess);
    gauges->addWidget(LabelCurrentQuery, 0, 0);
    gauges->addWidget(CGaugeCurrentProgress, 1, 0);
    gauges->addWidget(LabelCurrentStatus, 2, 0);
    gauges->addWidget(LabelOverAll, 3, 0);
    gauges->addWidget(CGaugeOverall, 4, 0);

    BevelStatus = new QFrame(this);
    BevelStatus->setObjectName(QStringLiteral("BevelStatus"));
    BevelStatus->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    LabelStatus = new QLabel(BevelStatus);
    LabelStatus->setObjectName(QStringLiteral("LabelStatus"));
    LabelStatus->setWordWrap(true);
    auto* statusLayout = new QHBoxLayout(BevelStatus);
    statusLayout->addWidget(LabelStatus);

    AnimateProgress = new QProgressBar(this);
    AnimateProgress->setObjectName(QStringLiteral("AnimateProgress"));
    AnimateProgress->setTextVisible(false);
    AnimateProgress->setRange(0, 1);
    AnimateProgress->setValue(0);
    AnimateProgress->setMaximumWidth(120);

    LabelExecutionTime = new QLabel(QStringLiteral("00:00:00"), this);
    LabelExecutionTime->setObjectName(QStringLiteral("LabelExecutionTime"));
    LabelExecutionTime->setVisible(false);

    BitBtnCancel = new QPushButton(this);
    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    BitBtnCancel->setAutoDefault(false);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(AnimateProgress);
    bottom->addWidget(LabelExecutionTime);
    bottom->addStretch(1);
    bottom->addWidget(BitBtnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBoxProcess);
    layout->addWidget(BevelStatus);
    layout->addLayout(bottom);
    setMinimumWidth(420);

    TimerProcess = new QTimer(this);
    TimerProcess->setObjectName(QStringLiteral("TimerProcess"));
    TimerProcess->setInterval(kPollIntervalMs);
    TimerElapsed = new QTimer(this);
    TimerElapsed->setObjectName(QStringLiteral("TimerElapsed"));
    TimerElapsed->setInterval(1000);

    connect(BitBtnCancel, &QPushButton::clicked, this, &TOrinADOProgressDialog::BitBtnCancelClick);
    connect(TimerProcess, &QTimer::timeout, this, &TOrinADOProgressDialog::TimerProcessTimer);
    connect(TimerElapsed, &QTimer::timeout, this, &TOrinADOProgressDialog::updateElapsedTime);
    connect(&statementExecutor_, &db::AsyncExecutor::finished, this,
            &TOrinADOProgressDialog::ADOConnectionExecuteComplete);
    connect(&statusExecutor_, &db::AsyncExecutor::finished, this,
            &TOrinADOProgressDialog::ADOConnectionProcessExecuteComplete);
}

void TOrinADOProgressDialog::setCaptions() {
    text::TextTables& texts = context_.texts();
    const auto window = [&](int number) { return text::withLineBreaks(texts.window(number)); };
    setWindowTitle(window(TextCaption));
    GroupBoxProcess->setTitle(window(TextProgressGroup));
    LabelCurrentQuery->setText(window(TextCurrentQuery));
    LabelOverAll->setText(window(TextOverall));
    LabelStatus->setText(window(TextStatus));
    BitBtnCancel->setText(window(TextCancel));
}

void TOrinADOProgressDialog::arrangeLayout(int layout) {
    // The current-query gauge only moves with the status reports of a process.
    const bool current = layout >= LayoutCurrent && useProcess_;
    const bool overall = layout >= LayoutBatch;
    LabelCurrentQuery->setVisible(current);
    CGaugeCurrentProgress->setVisible(current);
    LabelCurrentStatus->setVisible(current);
    LabelOverAll->setVisible(overall);
    CGaugeOverall->setVisible(overall);
    GroupBoxProcess->setVisible(current || overall);
    LabelExecutionTime->setVisible(layout >= LayoutCurrent);
    adjustSize();
}

void TOrinADOProgressDialog::startAnimation() { AnimateProgress->setRange(0, 0); }

void TOrinADOProgressDialog::stopAnimation() {
    AnimateProgress->setRange(0, 1);
    AnimateProgress->setValue(0);
}

void TOrinADOProgressDialog::restoreLabels() {
    LabelStatus->setText(text::withLineBreaks(context_.texts().window(TextStatus)));
    LabelCurrentStatus->clear();
}

void TOrinADOProgressDialog::updateElapsedTime() {
    LabelExecutionTime->setText(formatElapsed(elapsed_.elapsed()));
}

void TOrinADOProgressDialog::setStatusText(const QString& text) { LabelStatus->setText(text); }

void TOrinADOProgressDialog::traceEnter(const char* function) {
    context_.trace().Trace(
        app::TraceLevel::Trace,
        QStringLiteral("Enter Function: %1::%2").arg(QLatin1String(kClassName), QLatin1String(function)));
}

void TOrinADOProgressDialog::traceException(const QString& message) {
    context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("Caught Exception: ") + message);
}

// --- Starting ---

bool TOrinADOProgressDialog::Start(int layout, int useProcess, const QString& connectionString,
                                   int itemCount) {
    if (!dialogDone_ || stepRunning_) CleanUp();  // a batch that was left open

    context_.texts().load(text::Slot::Window, QString::fromLatin1(text::kProgressDialogFile));
    useProcess_ = useProcess == 1;
    itemCount_ = std::max(itemCount, 1);
    failed_ = finished_ = cancelled_ = false;
    errorText_.clear();
    stepRunning_ = creatingProcess_ = processRunning_ = processIdKnown_ = false;
    processId_ = remaining_ = 0;

    setCaptions();
    arrangeLayout(layout);
    CGaugeCurrentProgress->setRange(0, kCurrentGaugeUnset);
    CGaugeCurrentProgress->setValue(0);
    LabelCurrentStatus->clear();
    CGaugeOverall->setRange(0, itemCount_);
    CGaugeOverall->setValue(0);
    LabelExecutionTime->setText(formatElapsed(0));

    dialogDone_ = false;
    show();
    startAnimation();

    QString error;
    if (!openConnections(connectionString, &error)) {
        failed_ = true;
        errorText_ = error;
        stopAnimation();
        closeDialog();
        context_.prompts().message(ui::Icon::Error, error, windowTitle());
        return false;
    }
    return true;
}

bool TOrinADOProgressDialog::openConnections(const QString& connectionString, QString* error) {
    if (connectionString != connectionString_) closeConnections();
    connectionString_ = connectionString;
    const db::ConnectionFactory& factory = context_.connectionFactory();
    if (!factory) {
        *error = QStringLiteral("No database provider is configured");
        return false;
    }
    if (!statementConnection_) statementConnection_ = factory(connectionString, error);
    if (!statementConnection_) return false;
    if (useProcess_ && !statusConnection_) statusConnection_ = factory(connectionString, error);
    return !useProcess_ || statusConnection_ != nullptr;
}

void TOrinADOProgressDialog::closeConnections() {
    statementConnection_.reset();
    statusConnection_.reset();
}

bool TOrinADOProgressDialog::StartProgress(int mode, db::DataSet* dataSet, const QString& commandName,
                                           const QString& statement) {
    traceEnter("StartProgress");
    if (stepRunning_) return false;  // one statement at a time
    ui::pause(0);                    // let pending messages run first
    if (cancelled_) return false;
    if (dialogDone_ || !statementConnection_ || (mode == ModeOpenDataSet && !dataSet)) {
        failStep(context_.texts().window(TextNotReady));
        return false;
    }

    LabelExecutionTime->setText(formatElapsed(0));
    elapsed_.start();
    TimerElapsed->start();
    mode_ = mode;
    commandName_ = commandName;
    statement_ = statement;
    dataSet_ = mode == ModeOpenDataSet ? dataSet : nullptr;
    processRunning_ = processIdKnown_ = false;
    processId_ = remaining_ = 0;
    finished_ = false;
    CGaugeCurrentProgress->setRange(0, kCurrentGaugeUnset);
    CGaugeCurrentProgress->setValue(0);
    LabelCurrentStatus->clear();
    if (dataSet_) dataSet_->close();

    creatingProcess_ = useProcess_;
    const QString first = useProcess_
                              ? QStringLiteral("WMS_SP_UTL_CreateDataCalcProcess '%1', :ProcessId OUTPUT")
                                    .arg(QString(commandName).replace(u'\'', QStringLiteral("''")))
                              : statement;
    QString error;
    if (!startStatement(first, &error)) {
        failStep(error);
        return false;
    }
    stepRunning_ = true;
    startAnimation();
    return true;
}

bool TOrinADOProgressDialog::startStatement(const QString& text, QString* error) {
    db::Command command;
    command.text = text;
    bool started = false;
    if (creatingProcess_) {
        db::Parameter id;
        id.name = QString::fromLatin1(kProcessIdParameter);
        id.type = db::FieldType::Integer;
        id.direction = db::ParameterDirection::Output;
        command.parameters.push_back(id);
        started = statementExecutor_.execute(*statementConnection_, command);
    } else if (mode_ == ModeOpenDataSet) {
        command.timeoutSeconds = kDataSetTimeoutSeconds;
        if (dataSet_) dataSet_->setCommand(command);
        started = statementExecutor_.open(*statementConnection_, command);
    } else {
        started = statementExecutor_.execute(*statementConnection_, command);
    }
    if (!started) *error = statementExecutor_.errorText();
    return started;
}

// --- Completions ---

void TOrinADOProgressDialog::ADOConnectionExecuteComplete(bool ok) {
    traceEnter("ADOConnectionExecuteComplete");
    try {
        handleStatementCompletion(ok);
    } catch (const std::exception& e) {
        traceException(QString::fromUtf8(e.what()));
        if (stepRunning_) failStep(QString::fromUtf8(e.what()));
    }
}

void TOrinADOProgressDialog::handleStatementCompletion(bool ok) {
    // Late completions after a cancel or clean-up: those have done the rest.
    if (dialogDone_ || !stepRunning_) return;

    if (!ok) {
        failStep(statementExecutor_.errorText());
        return;
    }
    if (creatingProcess_) {
        creatingProcess_ = false;
        const db::Parameter* id =
            statementExecutor_.command().parameter(QString::fromLatin1(kProcessIdParameter));
        bool valid = id && !id->isNull();
        const int processId = valid ? id->value.toInt(&valid) : 0;
        if (!valid) {
            failStep(context_.texts().window(TextNoProcessId));
            return;
        }
        processId_ = processId;
        processIdKnown_ = processRunning_ = true;
        QString error;
        if (!startStatement(statement_ + QStringLiteral(", @ProcessId = ") + QString::number(processId_),
                            &error)) {
            failStep(error);
            return;
        }
        TimerProcess->start();
        return;
    }

    processRunning_ = false;
    TimerProcess->stop();
    statusExecutor_.cancel();
    if (mode_ == ModeOpenDataSet && dataSet_) dataSet_->setRows(statementExecutor_.takeRows());
    stepRunning_ = false;
    stepSucceeded();
    endStep();
}

void TOrinADOProgressDialog::endStep() {
    finished_ = true;
    Q_EMIT stepEnded();
}

void TOrinADOProgressDialog::stepSucceeded() {
    CGaugeOverall->setValue(std::min(CGaugeOverall->value() + 1, CGaugeOverall->maximum()));
    if (CGaugeOverall->value() >= itemCount_) finishDialog();
}

void TOrinADOProgressDialog::finishDialog() {
    CGaugeCurrentProgress->setValue(CGaugeCurrentProgress->maximum());
    CGaugeOverall->setValue(CGaugeOverall->maximum());
    TimerProcess->stop();
    ui::pause(0);
    ui::pause(kFinishDelayMs);
    TimerElapsed->stop();
    closeDialog();
    stopAnimation();
}

void TOrinADOProgressDialog::failStep(const QString& error) {
    if (!failed_) errorText_ = error;
    failed_ = true;
    CleanUp();
    endStep();
}

// --- Status polling ---

void TOrinADOProgressDialog::TimerProcessTimer() {
    if (polling_) return;
    polling_ = true;
    TimerProcess->stop();
    if (processRunning_ && stepRunning_ && statusConnection_ && !statusExecutor_.isRunning()) {
        db::Command command;
        command.text =
            QStringLiteral("EXEC WMS_SP_UTL_GetDataCalcProcessStatus %1, :DataCalcProcessStatus OUTPUT")
                .arg(processId_);
        db::Parameter status;
        status.name = QString::fromLatin1(kStatusParameter);
        status.type = db::FieldType::Integer;
        status.direction = db::ParameterDirection::InputOutput;
        command.parameters.push_back(status);
        if (!statusExecutor_.execute(*statusConnection_, command)) TimerProcess->start();
    }
    polling_ = false;
}

void TOrinADOProgressDialog::ADOConnectionProcessExecuteComplete(bool ok) {
    traceEnter("ADOConnectionProcessExecuteComplete");
    try {
        if (cancelled_ || finished_ || !stepRunning_ || dialogDone_) return;
        const db::Parameter* status =
            ok ? statusExecutor_.command().parameter(QString::fromLatin1(kStatusParameter)) : nullptr;
        if (status && !status->isNull() && !status->value.toString().trimmed().isEmpty()) {
            bool number = false;
            const int value = status->value.toString().trimmed().toInt(&number);
            // Negative amounts of work mean nothing to the gauge.
            if (number && value >= 0) {
                remaining_ = value;
                if (remaining_ != 0) applyRemaining(remaining_);
            }
        }
        if (processRunning_) TimerProcess->start();
    } catch (const std::exception& e) {
        traceException(QString::fromUtf8(e.what()));
        if (processRunning_ && stepRunning_) TimerProcess->start();
    }
}

void TOrinADOProgressDialog::applyRemaining(int remaining) {
    const int maximum = CGaugeCurrentProgress->maximum();
    if (maximum != kCurrentGaugeUnset && maximum >= remaining) {
        CGaugeCurrentProgress->setValue(maximum - remaining);
    } else {
        // The first report (or more work than first reported) sets the scale.
        CGaugeCurrentProgress->setRange(0, remaining);
        CGaugeCurrentProgress->setValue(0);
    }
    LabelCurrentStatus->setText(
        QStringLiteral("%1 / %2").arg(CGaugeCurrentProgress->value()).arg(CGaugeCurrentProgress->maximum()));
}

// --- Cancel and clean-up ---

void TOrinADOProgressDialog::stopExecutions() {
    statementExecutor_.cancel();
    statusExecutor_.cancel();
    ui::Wait([this] { return !statementExecutor_.isRunning() && !statusExecutor_.isRunning(); })
        .on(&statementExecutor_, &db::AsyncExecutor::finished)
        .on(&statusExecutor_, &db::AsyncExecutor::finished)
        .run({kStopWaitMs, {}, 0});
    // A process created just before the cancel reached the statement still
    // has to be terminated.
    if (creatingProcess_ && statementExecutor_.succeeded()) {
        const db::Parameter* id =
            statementExecutor_.command().parameter(QString::fromLatin1(kProcessIdParameter));
        bool valid = id && !id->isNull();
        const int processId = valid ? id->value.toInt(&valid) : 0;
        if (valid) {
            processId_ = processId;
            processIdKnown_ = processRunning_ = true;
        }
    }
    creatingProcess_ = false;
}

bool TOrinADOProgressDialog::runProcessCommand(const QString& text, QString* error) {
    db::Connection* connection = statusConnection_ ? statusConnection_.get() : statementConnection_.get();
    if (!connection) {
        *error = context_.texts().window(TextNotReady);
        return false;
    }
    db::Command command;
    command.text = text;
    command.timeoutSeconds = kProcessCommandTimeoutSeconds;
    const db::Result result = connection->execute(command);
    if (!result.ok()) *error = result.error;
    return result.ok();
}

void TOrinADOProgressDialog::terminateProcess() {
    processRunning_ = false;
    QString error;
    if (!runProcessCommand(QStringLiteral("EXEC WMS_SP_UTL_TerminateDataCalcProcess @DataCalcProcessId = %1")
                               .arg(processId_),
                           &error)) {
        // Its tables may still be in use: leave them.
        traceException(error);
        return;
    }
    if (!runProcessCommand(QStringLiteral("EXEC WMS_SP_UTL_DropDataCalcProcessTables @DataCalcProcessId = %1")
                               .arg(processId_),
                           &error))
        traceException(error);
}

void TOrinADOProgressDialog::BitBtnCancelClick() {
    if (!stepRunning_) return;
    stepRunning_ = false;
    cancelled_ = true;
    TimerProcess->stop();
    TimerElapsed->stop();
    stopExecutions();
    if (useProcess_ && processIdKnown_) terminateProcess();
    restoreLabels();
    stopAnimation();
    ui::pause(0);
    endStep();
    // Nothing runs any more: a dialog left open would offer a dead Cancel.
    closeDialog();
}

void TOrinADOProgressDialog::CleanUp() {
    const bool wasRunning = stepRunning_;
    stepRunning_ = false;
    TimerProcess->stop();
    TimerElapsed->stop();
    if (wasRunning || statementExecutor_.isRunning() || statusExecutor_.isRunning()) stopExecutions();
    if (useProcess_ && processIdKnown_ && processRunning_) terminateProcess();
    stopAnimation();
    closeDialog();
}

void TOrinADOProgressDialog::closeDialog() {
    dialogDone_ = true;
    hide();
    closeConnections();
}

void TOrinADOProgressDialog::reject() {
    if (stepRunning_) {
        BitBtnCancelClick();
    } else if (!dialogDone_) {
        cancelled_ = true;
        CleanUp();
    } else {
        QDialog::reject();
    }
}

// --- Batches ---

bool runBatch(app::AppContext& context, TOrinADOProgressDialog& dialog, bool useProcess,
              const QString& commandName, const std::vector<ProgressItem>& items, QString* error) {
    if (error) error->clear();
    if (items.empty()) return true;
    app::BusyScope busy(context);
    if (!dialog.Start(TOrinADOProgressDialog::LayoutBatch, useProcess ? 1 : 0,
                      context.session().OnlineConfiguration, int(items.size())))
        return false;

    std::size_t done = 0;
    for (const ProgressItem& item : items) {
        dialog.setStatusText(item.statusText);
        if (!dialog.StartProgress(TOrinADOProgressDialog::ModeExecute, nullptr,
                                  item.commandName.isEmpty() ? commandName : item.commandName, item.statement))
            break;
        ui::waitForSignal(&dialog, &TOrinADOProgressDialog::stepEnded,
                          [&dialog] { return dialog.Failed() || dialog.Finished() || dialog.Cancelled(); });
        if (dialog.Failed() || dialog.Cancelled()) break;
        ++done;
    }
    if (done == items.size()) return true;
    dialog.CleanUp();
    if (error && dialog.Failed()) *error = dialog.errorText();
    return false;
}
