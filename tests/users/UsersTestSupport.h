#pragma once
// An application context on a small demo database with the user
// administration's texts, its status window, the administration itself and
// its query log; optionally the user procedure refusing one call.

#include "app/AppContext.h"
#include "app/TFormStatus.h"
#include "reportdb/ProcedureRegistry.h"
#include "reportdb/demo/Demo.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDatabase.h"
#include "support/TraceCapture.h"
#include "text/TextTables.h"
#include "users/UserAdministration.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace users_test {

// Demo users and roles the tests name.
constexpr int kJana = 2;           // JDO
constexpr int kKorvaneUser = 6;    // shown only when asked for
constexpr int kAssetManagers = 4;  // a role of our own
constexpr int kGridAnalysts = 5;

inline testing_support::DemoContent smallDemo(const QString& version) {
    testing_support::DemoContent demo;
    demo.options.versionText = version;
    demo.options.turbineCount = 4;
    demo.options.rawDataDays = 3;
    return demo;
}

// The standard procedures, with the user procedure returning 99 on call
// number `failOn` (counted from 1; 0: never).
struct FailingUserCalls {
    std::shared_ptr<std::atomic<int>> calls = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::atomic<int>> failOn = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<reportdb::ProcedureRegistry> registry = reportdb::standardRegistry();

    FailingUserCalls() {
        reportdb::ProcedureDefinition definition = *registry->find(QStringLiteral("WMS_SP_CRQ_AdminUser"));
        definition.body = [inner = definition.body, calls = calls, failOn = failOn](
                              reportdb::ProcedureContext& context, const reportdb::Arguments& args) {
            if (++*calls == failOn->load()) {
                reportdb::ProcedureResult refused;
                refused.returnValue = 99;
                return refused;
            }
            return inner(context, args);
        };
        registry->add(std::move(definition));
    }
};

class Environment {
public:
    explicit Environment(const QString& version = QStringLiteral("3.28.0.0"),
                         std::shared_ptr<const reportdb::ProcedureRegistry> registry = nullptr)
        : database(smallDemo(version), std::move(registry)),
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

    QVariant scalar(const QString& sql) const {
        const db::Result result = database.exec(sql);
        if (result.resultSets.empty() || result.resultSets[0].rows.empty()) return {};
        return result.resultSets[0].rows[0].at(0);
    }

    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    testing_support::TempDatabase database;
    app::AppContext context;
    TFormStatus status;
    users::UserAdministration administration;
    QStringList queries;
};

}  // namespace users_test
