#pragma once
// Follows a shadow data regeneration once a second until it has finished,
// failed or been cancelled; the end of the start statement is looked at as
// soon as it comes, not on the next tick. On job databases the start statement only
// queues the job; on older ones it runs the regeneration while the window
// polls the profile's ReportProfileStatus.

#include "shadowdata/ProgressRules.h"

#include <QDialog>
#include <QTimer>
#include <functional>
#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace app {
class AppContext;
}
namespace db {
class AsyncExecutor;
}

class TFormProgresser : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTextCancel = 51;  // numbered texts of the profile file
    static constexpr int kTextClose = 52;
    static constexpr int kPollMs = 1000;

    // The window's own literal texts.
    static const QString kCaption;
    static const QString kJobStarted;
    static const QString kNotRegenerated;
    static const QString kRegenerated;

    explicit TFormProgresser(app::AppContext& context, QWidget* parent = nullptr);

    // Prepares the window for one regeneration; the next show starts it (and
    // only that one).
    // `statement` is the running start statement (may be null), `refresh`
    // reloads the main window's profile data after a finished regeneration.
    void setRegeneration(int profileId, const QString& periodText, db::AsyncExecutor* statement,
                         std::function<void()> refresh);
    // setRegeneration, then shows the window modally until it is closed.
    // Returns whether the regeneration was started (job) or finished.
    bool Execute(int profileId, const QString& periodText, db::AsyncExecutor* statement,
                 std::function<void()> refresh);

    bool isRunning() const { return running_; }
    bool succeeded() const { return succeeded_; }

    // Event handlers, public so that ticks can be driven directly.
    void TimerTimer();
    void Button1Click();  // cancel
    void Button2Click();  // close

    void reject() override;  // Escape cancels a run, then closes

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildUi();
    void setCaptions();
    void FormShow();
    shadowdata::StatementState statementState() const;
    // ReportProfileStatus of the profile; -1 with `rowGone` set when the row
    // is missing, empty when it could not be read.
    std::optional<int> readStatus(bool* rowGone);
    // `cancel`: a statement still running is stopped (the user ended the
    // run); a failure the database reported lets it end with its own error.
    void Finish(bool success, bool cancel = true);
    void showGauge();

    app::AppContext& context_;
    int profileId_ = 0;
    QString periodText_;
    db::AsyncExecutor* statement_ = nullptr;
    std::function<void()> refresh_;
    bool asJob_ = false;
    bool prepared_ = false;
    bool running_ = false;
    bool succeeded_ = false;
    shadowdata::GaugeState gauge_;
    QMetaObject::Connection statementFinished_;

    QLabel* Label1 = nullptr;  // the period
    QLabel* Label2 = nullptr;  // the outcome
    QProgressBar* Gauge1 = nullptr;
    QProgressBar* Animate1 = nullptr;  // busy indicator while running
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QTimer Timer;
};
