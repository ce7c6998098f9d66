#pragma once
// An application context on a small demo database with the user
// administration's texts, its status window, the administration itself and
// its query log; optionally the user procedure refusing one call.

#include "app/AppContext.h"
#include "app/TFormStatus.h"
#include "reportdb/ProcedureRegistry.h"
#include "reportdb/demo/Demo.h"
#include "support/ProcedureHooks.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDatabase.h"
#include "support/TraceCapture.h"
#include "text/TextTables.h"
#include "users/UserAdministration.h"

#include <gtest/gtest.h>

#include <memory>

namespace users_test {

// Demo users and roles the tests name.
constexpr int kJana = 2;           // JDO
constexpr int kKorvaneUser = 6;    // shown only when asked for
constexpr int kAssetManagers = 4;  // a role of our own
constexpr int kGridAnalysts = 5;

// The standard procedures, the user procedure returning 99 on a call the test chooses.
struct FailingUserCalls {
    std::shared_ptr<reportdb::ProcedureRegistry> registry = reportdb::standardRegistry();
    testing_support::WrappedProcedure user =
        testing_support::wrapProcedure(*registry, QStringLiteral("WMS_SP_CRQ_AdminUser"), 99);
};

class Environment {
public:
    explicit Environment(const QString& version = QStringLiteral("3.28.0.0"),
                         std::shared_ptr<const reportdb::ProcedureRegistry> registry = nullptr)
        : database(testing_support::DemoContent::small(4, 3, version), std::move(registry)),
          context(prompts, trace.log(), database.factory()),
          status(context),
          administration(context) {
        reportdb::demo::Summary summary;
        QString error;
        EXPECT_TRUE(reportdb::demo::readDemoSummary(database.path(), &summary, &error))
            << error.toStdString();
        context.session().DBVersion = version;
        context.session().UserId = summary.administratorUserId;
        context.Database().setConnectionString(database.connectionString());
        context.texts().setLocation(QStringLiteral(PA_LANG_DIR), QStringLiteral("UK"));
        EXPECT_TRUE(context.texts().load(text::Slot::Window, QLatin1String(text::kUserManagementFile)));
        context.windows().status = &status;
        administration.setQueryLog([this](const QString& line) { queries << line; });
    }
    ~Environment() { context.windows() = app::SharedWindows{}; }

    QVariant scalar(const QString& sql) const { return database.scalar(sql); }

    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    testing_support::TempDatabase database;
    app::AppContext context;
    TFormStatus status;
    users::UserAdministration administration;
    QStringList queries;
};

}  // namespace users_test
