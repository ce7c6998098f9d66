// Process start-up: the trace log, the application, the windows in their fixed
// order (the main window first), the host channel, the message loop.

#include "app/AppContext.h"
#include "app/HostChannel.h"
#include "app/HostCommands.h"
#include "app/SessionReader.h"
#include "app/ShellWindow.h"
#include "app/TraceLog.h"
#include "reportdb/ConnectionFactory.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QTimer>
#include <memory>
#include <vector>

int main(int argc, char** argv) {
    app::TraceLog traceLog;
    traceLog.StartTraceLog(QStringLiteral("ProfileAdmin_Trace.log"), QStringLiteral("ProfileAdmin"), 5, 10, 10);

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("SQL_Report_ProfileAdministrator"));
    QApplication::setApplicationDisplayName(QStringLiteral("Profile administrator"));

    ui::QtPrompts prompts;
    app::AppContext context(prompts, traceLog, reportdb::makeConnectionFactory());

    // The windows, created once in their fixed order and reused; the main
    // window comes first.
    auto mainWindow = std::make_unique<app::ShellWindow>(context);
    prompts.setParentWidget(mainWindow.get());
    std::vector<QWidget*> windowsInCreationOrder{mainWindow.get()};

    app::HostCommandHandler hostCommands(*mainWindow, [&context] { return context.isBusy(); });
    app::HostChannel hostChannel(hostCommands);

    int result = 0;
    if (!app::CheckCommandLine(context.session(), QApplication::arguments())) {
        // Without a session there is nothing to do: close without a message.
        QTimer::singleShot(50, &application, &QApplication::quit);
        result = application.exec();
    } else {
        QString error;
        if (!hostChannel.listen(context.session().SessionId, &error))
            traceLog.Trace(app::TraceLevel::Error, QStringLiteral("Host channel: ") + error);
        mainWindow->show();
        result = application.exec();
    }

    windowsInCreationOrder.clear();
    mainWindow.reset();
    traceLog.StopTraceLog();
    return result;
}
