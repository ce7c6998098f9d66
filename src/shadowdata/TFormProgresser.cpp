#include "shadowdata/TFormProgresser.h"

#include "app/AppContext.h"
#include "db/AsyncExecutor.h"
#include "shadowdata/RegenerationPeriod.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using shadowdata::PollDecision;
using shadowdata::StatementState;

const QString TFormProgresser::kCaption = QStringLiteral("Generate shadow data");
const QString TFormProgresser::kJobStarted =
    QStringLiteral("Shadow data generation was started with success");
const QString TFormProgresser::kNotRegenerated = QStringLiteral("Shadow data was not regenerated");
const QString TFormProgresser::kRegenerated = QStringLiteral("Shadow data generation was successfull");

TFormProgresser::TFormProgresser(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormProgresser"));
    buildUi();
    // The host's reset and close wait while a regeneration is followed here,
    // however the window was opened.
    new app::BusyWhileOpen(context_, *this);
}

void TFormProgresser::buildUi() {
    setWindowTitle(kCaption);
    setModal(true);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setTextVisible(true);
    Animate1 = new QProgressBar(this);
    Animate1->setObjectName(QStringLiteral("Animate1"));
    Animate1->setTextVisible(false);
    Animate1->setMaximumHeight(8);

    Button1 = new QPushButton(this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    Button2 = new QPushButton(this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->hide();
    // Both in one place: only one of them is visible at a time.
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Animate1);
    layout->addWidget(Gauge1);
    layout->addWidget(Label2);
    layout->addLayout(buttons);
    resize(420, 160);

    Timer.setObjectName(QStringLiteral("Timer"));
    Timer.setInterval(kPollMs);
    connect(&Timer, &QTimer::timeout, this, &TFormProgresser::TimerTimer);
    connect(Button1, &QPushButton::clicked, this, &TFormProgresser::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFormProgresser::Button2Click);
}

void TFormProgresser::setCaptions() {
    text::TextTables& texts = context_.texts();
    Button1->setText(texts.profile(kTextCancel));
    Button2->setText(texts.profile(kTextClose));
}

void TFormProgresser::setRegeneration(int profileId, const QString& periodText, db::AsyncExecutor* statement,
                                      std::function<void()> refresh) {
    profileId_ = profileId;
    periodText_ = periodText;
    statement_ = statement;
    refresh_ = std::move(refresh);
    prepared_ = true;
    disconnect(statementFinished_);
    if (statement_)
        statementFinished_ = connect(statement_, &db::AsyncExecutor::finished, this, [this] {
            if (running_) TimerTimer();
        });
}

bool TFormProgresser::Execute(int profileId, const QString& periodText, db::AsyncExecutor* statement,
                              std::function<void()> refresh) {
    setRegeneration(profileId, periodText, statement, std::move(refresh));
    exec();
    return succeeded_;
}

void TFormProgresser::showEvent(QShowEvent* event) {
    // A run starts on the first show after it was prepared; restoring or
    // showing the window again keeps the run and its outcome.
    if (prepared_) {
        prepared_ = false;
        FormShow();
    }
    QDialog::showEvent(event);
}

void TFormProgresser::FormShow() {
    context_.trace().Trace(app::TraceLevel::Trace,
                           QStringLiteral("Enter Function: TFormProgresser::FormShow"));
    setCaptions();
    asJob_ = context_.IsDatabaseVersionAtLeast(QString::fromLatin1(shadowdata::kJobDatabaseVersion));
    succeeded_ = false;
    running_ = true;
    gauge_ = {};
    showGauge();
    Label1->setText(periodText_);
    Label2->clear();
    Animate1->setRange(0, 0);  // an endless bar: the animation
    Animate1->show();
    Button2->hide();
    Button1->show();
    Button1->setFocus();
    Timer.start();
    // A statement that ended before the window showed is judged at once.
    if (statement_ && !statement_->isRunning())
        QTimer::singleShot(0, this, [this] {
            if (running_) TimerTimer();
        });
}

void TFormProgresser::showGauge() {
    // A range of 0..0 would turn the gauge into a busy indicator.
    Gauge1->setRange(0, std::max(gauge_.maximum, 1));
    Gauge1->setValue(gauge_.position);
}

StatementState TFormProgresser::statementState() const {
    if (!statement_) return StatementState::None;
    switch (statement_->outcome()) {
        case db::AsyncExecutor::Outcome::Running: return StatementState::Running;
        case db::AsyncExecutor::Outcome::Completed: return StatementState::Succeeded;
        case db::AsyncExecutor::Outcome::None: return StatementState::None;
        default: return StatementState::Failed;
    }
}

std::optional<int> TFormProgresser::readStatus(bool* rowGone) {
    db::Command command;
    command.text =
        QStringLiteral("SELECT * FROM TReportProfile WHERE ReportProfileId=") + QString::number(profileId_);
    const db::Result result = context_.Database().execute(command);
    if (!result.ok()) {
        context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("Caught Exception: ") + result.error);
        return std::nullopt;
    }
    if (result.resultSets.empty() || result.resultSets.front().rows.empty()) {
        *rowGone = true;
        return -1;
    }
    const db::ResultSet& rows = result.resultSets.front();
    const int column = rows.columnIndex(QStringLiteral("ReportProfileStatus"));
    if (column < 0) return std::nullopt;
    return rows.rows.front()[column].toInt();
}

void TFormProgresser::TimerTimer() {
    Timer.stop();
    if (!running_) return;
    PollDecision decision;
    bool rowGone = false;
    if (asJob_) {
        decision = shadowdata::decideJobTick(statementState());
    } else {
        const std::optional<int> status = readStatus(&rowGone);
        decision = shadowdata::decideDirectTick(statementState(), status);
        if (decision == PollDecision::Wait && status && *status > 0) {
            gauge_.follow(*status);
            showGauge();
        }
    }
    switch (decision) {
        case PollDecision::Wait: Timer.start(); break;
        case PollDecision::Success: Finish(true); break;
        // A failure the database reports ends its statement with the
        // database's own message; a profile gone leaves nothing to wait for.
        case PollDecision::Failure: Finish(false, rowGone); break;
    }
}

void TFormProgresser::Finish(bool success, bool cancel) {
    Timer.stop();
    Animate1->setRange(0, 1);
    Animate1->hide();
    running_ = false;
    succeeded_ = success;
    if (!success) {
        gauge_.clear();
        if (cancel && statement_ && statement_->isRunning()) statement_->cancel();
        Label2->setText(kNotRegenerated);
    } else if (asJob_) {
        gauge_.fill();
        Label2->setText(kJobStarted);
    } else {
        if (refresh_) refresh_();
        gauge_.fill();
        Label2->setText(kRegenerated);
    }
    showGauge();
    context_.trace().Trace(app::TraceLevel::Trace, Label2->text());
    QApplication::beep();
    Button1->hide();
    Button2->show();
    Button2->setDefault(true);
    Button2->setFocus();
}

void TFormProgresser::Button1Click() {
    if (running_) Finish(false);
}

void TFormProgresser::Button2Click() { done(succeeded_ ? QDialog::Accepted : QDialog::Rejected); }

void TFormProgresser::reject() {
    if (running_)
        Finish(false);
    else
        Button2Click();
}

void TFormProgresser::closeEvent(QCloseEvent* event) {
    // Closing the window while it runs cancels the run first; the outcome
    // stays visible.
    if (running_) {
        Finish(false);
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
