// Process start-up: the trace log, the application, the windows in their fixed
// order (the main window first), the host channel, the message loop.

#include "app/ActivityMonitor.h"
#include "app/AppContext.h"
#include "app/HostChannel.h"
#include "app/HostCommands.h"
#include "app/SessionReader.h"
#include "app/TraceLog.h"
#include "db/odbc/OdbcConnection.h"
#include "profiles/ApplicationWindows.h"
#include "profiles/TFormSQLProfileAdministrator.h"
#include "reportdb/EmbeddedDatabase.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    app::TraceLog traceLog;
    traceLog.StartTraceLog(QStringLiteral("ProfileAdmin_Trace.log"), QStringLiteral("ProfileAdmin"), 5, 10,
                           10);

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("SQL_Report_ProfileAdministrator"));
    QApplication::setApplicationDisplayName(QStringLiteral("Profile administrator"));

    ui::QtPrompts prompts;
    // Session strings that name a server open through ODBC; the embedded database stays the default.
    app::AppContext context(prompts, traceLog,
                            db::odbc::withServerBackend(reportdb::makeConnectionFactory()));
    app::ActivityMonitor activityMonitor(context);
    context.windows().activity = &activityMonitor;

    int result = 0;
    {
        ApplicationWindows windows(context);
        TFormSQLProfileAdministrator& mainWindow = *windows.mainWindow;
        prompts.setParentWidget(&mainWindow);

        app::HostCommandHandler hostCommands(mainWindow, [&context] { return context.isBusy(); });
        app::HostChannel hostChannel(hostCommands);

        if (!app::CheckCommandLine(context.session(), QApplication::arguments())) {
            // Without a session there is nothing to do: close without a message.
            QTimer::singleShot(50, &application, &QApplication::quit);
            result = application.exec();
        } else {
            QString error;
            const auto listened = hostChannel.listen(context.session().SessionId, &error);
            if (listened != app::HostChannel::ListenResult::Listening) {
                // Without its channel the host could never close the tool.
                app::showHostChannelRefusal(context, listened, error);
                result = 1;
            } else {
                mainWindow.show();
                result = application.exec();
            }
        }
        prompts.setParentWidget(nullptr);
    }
    context.windows() = app::SharedWindows{};
    traceLog.StopTraceLog();
    return result;
}
