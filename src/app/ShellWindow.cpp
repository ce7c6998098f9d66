#include "app/ShellWindow.h"

#include "app/AppContext.h"
#include "app/SessionReader.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace app {

ShellWindow::ShellWindow(AppContext& context, QWidget* parent) : QMainWindow(parent), context_(context) {
    setObjectName(QStringLiteral("TFormSQLProfileAdministrator"));
    setWindowTitle(QApplication::applicationDisplayName());
    LabelStatus = new QLabel(this);
    LabelStatus->setObjectName(QStringLiteral("LabelStatus"));
    LabelStatus->setAlignment(Qt::AlignCenter);
    LabelStatus->setWordWrap(true);
    setCentralWidget(LabelStatus);
    resize(720, 420);

    TimerStart = new QTimer(this);
    TimerStart->setSingleShot(true);
    TimerStart->setInterval(50);
    connect(TimerStart, &QTimer::timeout, this, &ShellWindow::TimerStartTimer);

    TimerClose = new QTimer(this);
    TimerClose->setSingleShot(true);
    TimerClose->setInterval(50);
    connect(TimerClose, &QTimer::timeout, this, [this] { QMainWindow::close(); });
}

void ShellWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (firstShow_) {
        firstShow_ = false;
        TimerStart->start();
    }
}

void ShellWindow::TimerStartTimer() {
    loaded_ = runStartup();
    if (loaded_) context_.trace().Trace(TraceLevel::Info, QStringLiteral("Start-up finished"));
    Q_EMIT startupFinished(loaded_);
}

bool ShellWindow::runStartup() {
    auto& session = context_.session();
    if (!ReadSession(session, context_.prompts())) {
        LabelStatus->clear();
        return false;
    }
    context_.trace().SetTraceLevel(session.TraceLevel);
    context_.texts().setLocation(session.SysDir, session.Language);
    context_.texts().loadStartup();

    QString state;
    if (session.Online == QLatin1String("YES")) {
        QString error;
        if (!context_.openConnections(&error)) {
            context_.trace().Trace(TraceLevel::Error, QStringLiteral("Caught Exception: ") + error);
            context_.prompts().message(ui::Icon::Error, error, context_.texts().profile(64));
            TimerClose->start();
            return false;
        }
        state = QStringLiteral("connected to %1").arg(session.OnlineConnection.Catalog);
    } else {
        state = QStringLiteral("offline");
    }
    LabelStatus->setText(QStringLiteral("%1\n%2 (%3), %4 park units, database version %5, %6")
                             .arg(session.ParkName, session.UserInit)
                             .arg(session.UserId)
                             .arg(session.ParkUnits.size())
                             .arg(session.DBVersion, state));
    return true;
}

void ShellWindow::reset() { TimerStart->start(); }

void ShellWindow::close() {
    context_.closeConnections();
    TimerClose->start();
}

void ShellWindow::minimise() { showMinimized(); }

void ShellWindow::restore() {
    showNormal();
    raise();
    activateWindow();
}

void ShellWindow::connectionLost() {
    if (context_.session().ClosingStarted) return;
    context_.session().ClosingStarted = true;
    close();
}

void ShellWindow::trace(int level, const char* text) { context_.trace().Trace(level, QString::fromUtf8(text)); }

}  // namespace app
