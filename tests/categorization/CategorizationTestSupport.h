#pragma once
// What the categorization window tests share: an application context on a
// small demo database with the UK texts, a session of the demo administrator
// with chosen rights and database version, and the status window.

#include "app/AppContext.h"
#include "app/TFormStatus.h"
#include "categorization/ProfileInfo.h"
#include "reportdb/ProcedureRegistry.h"
#include "reportdb/demo/Demo.h"
#include "support/ProcedureHooks.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDatabase.h"
#include "support/TraceCapture.h"
#include "support/WhenShown.h"

#include <QString>
#include <QVariant>

namespace categorization_test {

struct Setup {
    QString version = QStringLiteral("3.28.0.0");
    QString features = QStringLiteral("3,153");  // the session's feature codes
    // Null: the standard procedures.
    std::shared_ptr<const reportdb::ProcedureRegistry> registry;
};

class Environment {
public:
    explicit Environment(const Setup& setup = {});
    ~Environment();

    // SQL on a short-lived connection; a failure fails the test.
    db::Result exec(const QString& sql) const { return database.exec(sql); }
    // The first column of the first row (null when there is none).
    QVariant scalar(const QString& sql) const { return database.scalar(sql); }
    int pendingFlag(int profileId) const;

    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    testing_support::TempDatabase database;
    app::AppContext context;
    TFormStatus status;
    reportdb::demo::Summary summary;
};

using testing_support::WhenShown;

// The profile's values as the main window hands them over.
categorization::ProfileInfo profileInfo(const Environment& env, int profileId);

using testing_support::WrappedProcedure;
using testing_support::wrapProcedure;

}  // namespace categorization_test
