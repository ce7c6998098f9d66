#pragma once
// A main window on a small demo database, with a session file written as the
// host writes it, and the shared windows it uses.

#include "app/AppContext.h"
#include "app/SessionFile.h"
#include "app/TFormStatus.h"
#include "categorization/TFormCatagoryAllocation.h"
#include "categorization/TFormCatagorySelect.h"
#include "categorization/TFormCategoryDetails.h"
#include "categorization/TFormDeratingCatagoryAllocation.h"
#include "categorization/TFormManageCategorySet.h"
#include "categorization/TFormRenameCategorySet.h"
#include "categorization/TFormSelectCategorizationType.h"
#include "demo/DemoSession.h"
#include "profiles/TFormRemovePromt.h"
#include "profiles/TFormSQLProfileAdministrator.h"
#include "reportdb/demo/Demo.h"
#include "shadowdata/TFormProgresser.h"
#include "shadowdata/TFormRGSDialog.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDatabase.h"
#include "support/TraceCapture.h"

#include <gtest/gtest.h>
#include <QTableView>
#include <memory>

namespace testing_support {

inline DemoContent smallDemo(const QString& version = QStringLiteral("3.28.0.0")) {
    DemoContent demo;
    demo.options.versionText = version;
    demo.options.turbineCount = 4;
    demo.options.rawDataDays = 20;
    return demo;
}

struct MainWindowSetup {
    QString version = QStringLiteral("3.28.0.0");
    QString features = QStringLiteral("3,6,101,102,146,153");
    QString online = QStringLiteral("YES");
    std::shared_ptr<const reportdb::ProcedureRegistry> registry;
    int userId = -1;           // -1: the demo administrator
    QString connectionString;  // empty: the test database
};

class MainWindowFixture {
public:
    explicit MainWindowFixture(const MainWindowSetup& setup = {})
        : database(smallDemo(setup.version), setup.registry),
          context(prompts, trace.log(), database.factory()),
          status(context),
          removePrompt(context),
          periodDialog(context),
          progresser(context),
          categorizationType(context),
          categorySelect(context),
          categoryAllocation(context),
          deratingAllocation(context),
          renameCategorySet(context),
          manageCategorySet(context, renameCategorySet),
          categoryDetails(context, manageCategorySet, renameCategorySet),
          window(context) {
        reportdb::demo::Summary summary;
        QString error;
        EXPECT_TRUE(reportdb::demo::readDemoSummary(database.path(), &summary, &error))
            << error.toStdString();
        demo::SessionChoices choices;
        choices.sessionId = 7;
        choices.features = setup.features;
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
        context.windows().status = &status;
        MainWindowDialogs dialogs;
        dialogs.removePrompt = &removePrompt;
        dialogs.regenerationPeriod = &periodDialog;
        dialogs.progresser = &progresser;
        dialogs.categorizationType = &categorizationType;
        dialogs.categorySelect = &categorySelect;
        dialogs.categoryAllocation = &categoryAllocation;
        dialogs.deratingAllocation = &deratingAllocation;
        dialogs.categoryDetails = &categoryDetails;
        window.setDialogs(dialogs);
    }

    ~MainWindowFixture() { context.windows() = app::SharedWindows{}; }

    bool start() { return window.TimerStartTimer(); }

    // Selects the list row of a profile.
    bool select(int profileId) {
        return window.profileList().locate(QStringLiteral("ReportProfileId"), profileId);
    }
    QVariant cell(const QString& column, const QString& sqlWhere) {
        return database.scalar(
            QStringLiteral("SELECT %1 FROM TReportProfile WHERE %2").arg(column, sqlWhere));
    }
    template <typename T>
    T* find(const char* name) {
        return window.findChild<T*>(QLatin1String(name));
    }
    bool enabled(const char* buttonName) {
        auto* w = window.findChild<QWidget*>(QLatin1String(buttonName));
        EXPECT_NE(w, nullptr) << buttonName;
        return w && w->isEnabled();
    }

    ScriptedPrompts prompts;
    TraceCapture trace;
    TempDatabase database;
    app::AppContext context;
    TFormStatus status;
    TFormRemovePromt removePrompt;
    TFormRGSDialog periodDialog;
    TFormProgresser progresser;
    TFormSelectCategorizationType categorizationType;
    TFormCatagorySelect categorySelect;
    TFormCatagoryAllocation categoryAllocation;
    TFormDeratingCatagoryAllocation deratingAllocation;
    TFormRenameCategorySet renameCategorySet;
    TFormManageCategorySet manageCategorySet;
    TFormCategoryDetails categoryDetails;
    TFormSQLProfileAdministrator window;
    QString sessionFile;
};

}  // namespace testing_support
