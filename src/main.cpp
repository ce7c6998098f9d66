// Process start-up: the trace log, the application, the windows in their fixed
// order (the main window first), the host channel, the message loop.

#include "app/ActivityMonitor.h"
#include "app/AppContext.h"
#include "app/HostChannel.h"
#include "app/HostCommands.h"
#include "app/SessionReader.h"
#include "app/TFormSessionLocked.h"
#include "app/TFormStatus.h"
#include "app/TFormXML.h"
#include "app/TOrinADOProgressDialog.h"
#include "app/TraceLog.h"
#include "profiles/TFormRemovePromt.h"
#include "profiles/TFormSQLProfileAdministrator.h"
#include "profiles/TFormUtil.h"
#include "reportdb/EmbeddedDatabase.h"
#include "shadowdata/TFormProgresser.h"
#include "shadowdata/TFormRGSDialog.h"
#include "shadowdata/TFormRegenerateShadowData.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QTimer>
#include <memory>
#include <vector>

int main(int argc, char** argv) {
    app::TraceLog traceLog;
    traceLog.StartTraceLog(QStringLiteral("ProfileAdmin_Trace.log"), QStringLiteral("ProfileAdmin"), 5, 10,
                           10);

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("SQL_Report_ProfileAdministrator"));
    QApplication::setApplicationDisplayName(QStringLiteral("Profile administrator"));

    ui::QtPrompts prompts;
    app::AppContext context(prompts, traceLog, reportdb::makeConnectionFactory());
    app::ActivityMonitor activityMonitor(context);
    context.windows().activity = &activityMonitor;

    // The windows, created once in their fixed order (the main window first)
    // and reused until the process ends.
    auto mainWindow = std::make_unique<TFormSQLProfileAdministrator>(context);
    QWidget* const parent = mainWindow.get();
    auto util = std::make_unique<TFormUtil>(context, parent);
    auto removePrompt = std::make_unique<TFormRemovePromt>(context, parent);
    auto progresser = std::make_unique<TFormProgresser>(context, parent);
    auto regenerateShadowData = std::make_unique<TFormRegenerateShadowData>(context, parent);
    auto rgsDialog = std::make_unique<TFormRGSDialog>(context, parent);
    auto closingWindow = std::make_unique<TFormXML>(context, parent);
    auto status = std::make_unique<TFormStatus>(context, parent);
    auto progressDialog = std::make_unique<TOrinADOProgressDialog>(context, parent);
    auto sessionLocked = std::make_unique<TFormSessionLocked>(context, parent);

    prompts.setParentWidget(parent);
    context.windows().util = util.get();
    context.windows().status = status.get();
    context.windows().progress = progressDialog.get();
    activityMonitor.setSessionLockedWindow(sessionLocked.get());
    MainWindowDialogs dialogs;
    dialogs.removePrompt = removePrompt.get();
    dialogs.regenerationPeriod = rgsDialog.get();
    dialogs.progresser = progresser.get();
    dialogs.closingWindow = closingWindow.get();
    dialogs.sessionLocked = sessionLocked.get();
    mainWindow->setDialogs(dialogs);

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

    // Dialogs are children of the main window; release them before it.
    context.windows() = app::SharedWindows{};
    sessionLocked.reset();
    progressDialog.reset();
    status.reset();
    closingWindow.reset();
    rgsDialog.reset();
    regenerateShadowData.reset();
    progresser.reset();
    removePrompt.reset();
    util.reset();
    mainWindow.reset();
    traceLog.StopTraceLog();
    return result;
}
