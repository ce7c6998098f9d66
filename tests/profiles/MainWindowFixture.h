#pragma once
// Every window of the program, made as the program makes them, on a small
// demo database, with a session file written as the host writes it.

#include "app/AppContext.h"
#include "app/SessionFile.h"
#include "db/odbc/OdbcConnection.h"
#include "demo/DemoSession.h"
#include "profiles/ApplicationWindows.h"
#include "profiles/TFormSQLProfileAdministrator.h"
#include "reportdb/demo/Demo.h"
#include "reports/TFormReportMenu.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDatabase.h"
#include "support/TraceCapture.h"
#include "ui/DataSetModel.h"

#include <gtest/gtest.h>
#include <QTableView>
#include <memory>

namespace testing_support {

// Demo profiles by id.
constexpr int kWholePark = 1;      // automatic generation, IEC reporting
constexpr int kPhase1 = 2;         // locked
constexpr int kPhase2 = 3;         // regeneration pending, derating categorisation
constexpr int kExportProfile = 4;  // used by an export job
constexpr int kNorthRow = 5;

struct MainWindowSetup {
    // The database version the session reports (the demo's own is the same
    // for every test: one demo database per test program).
    QString version = QStringLiteral("3.28.0.0");
    QString online = QStringLiteral("YES");
    std::shared_ptr<const reportdb::ProcedureRegistry> registry;
    int userId = -1;           // -1: the demo administrator
    QString connectionString;  // empty: the test database
};

class MainWindowFixture {
public:
    explicit MainWindowFixture(const MainWindowSetup& setup = {})
        : database(DemoContent::small(4, 20), setup.registry),
          // Composed as the program composes it: server strings go to ODBC.
          context(prompts, trace.log(), db::odbc::withServerBackend(database.factory())),
          windows(context),
          window(*windows.mainWindow) {
        reportdb::demo::Summary summary;
        QString error;
        EXPECT_TRUE(reportdb::demo::readDemoSummary(database.path(), &summary, &error))
            << error.toStdString();
        demo::SessionChoices choices;
        choices.sessionId = 7;
        choices.features = QStringLiteral("3,6,101,102,146,153");
        choices.sysDir = QStringLiteral(PA_LANG_DIR);
        app::SessionDescription session = demo::demoSession(summary, database.path(), choices);
        if (setup.userId >= 0) session.UserId = setup.userId;
        session.DBVersion = setup.version;
        session.Online = setup.online;
        if (!setup.connectionString.isEmpty()) session.OnlineConfiguration = setup.connectionString;
        sessionFile = database.folder() + QStringLiteral("/session.xml");
        EXPECT_TRUE(app::writeSessionFile(sessionFile, {session}, &error)) << error.toStdString();
        context.session().SessionFile = sessionFile;
        context.session().SessionId = 7;
        windows.reportMenu->setSettingsFile(database.folder() + QStringLiteral("/printers.ini"));
    }

    bool start() { return window.TimerStartTimer(); }

    // Selects the list row of a profile.
    bool select(int profileId) {
        return window.profileList().locate(QStringLiteral("ReportProfileId"), profileId);
    }
    QVariant cell(const QString& column, int profileId) {
        return database.scalar(QStringLiteral("SELECT %1 FROM TReportProfile WHERE ReportProfileId = %2")
                                   .arg(column)
                                   .arg(profileId));
    }
    // The grid's text of a calculated or shown field.
    QString gridText(int row, const QString& field) {
        auto* model = qobject_cast<ui::DataSetModel*>(window.grid()->model());
        return model->data(model->index(row, model->columnOf(field))).toString();
    }
    bool enabled(const char* name) {
        auto* w = window.findChild<QWidget*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w && w->isEnabled();
    }

    ScriptedPrompts prompts;
    TraceCapture trace;
    TempDatabase database;
    app::AppContext context;
    ApplicationWindows windows;
    TFormSQLProfileAdministrator& window;
    QString sessionFile;
};

}  // namespace testing_support
