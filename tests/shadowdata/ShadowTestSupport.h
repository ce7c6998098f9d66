#pragma once
// What the shadow data window tests share: an application context with the
// UK texts on a temporary database of a chosen version, profile rows, raw
// data limits, and a statement that runs until the test releases it.

#include "app/AppContext.h"
#include "shadowdata/RegenerationPeriod.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDatabase.h"
#include "support/TraceCapture.h"
#include "support/WhenShown.h"
#include "text/TextTables.h"

#include <gtest/gtest.h>
#include <atomic>
#include <chrono>

namespace shadow_test {

class Environment {
public:
    explicit Environment(const QString& version)
        : database(version, withHold(release)), context(prompts, trace.log(), database.factory()) {
        context.session().DBVersion = version;
        context.Database().setConnectionString(database.connectionString());
        context.texts().setLocation(PA_LANG_DIR, "UK");
        EXPECT_TRUE(context.texts().load(text::Slot::Profile, text::kProfileFile));
        database.exec(
            "INSERT INTO TUnitType (UnitTypeId, UnitTypeTitle, UnitTypeDevice, UnitTypeCapacity) VALUES "
            "(900, "
            "'Mast', 'MET', 0); INSERT INTO TParkUnit (ParkUnitId, ParkUnitTitle, UnitTypeId) VALUES (900, "
            "'M', 900)");
    }

    int addProfile(const QString& title, int status = 0) {
        database.exec(QStringLiteral("INSERT INTO TReportProfile (ReportProfileTitle, ReportProfileStatus) "
                                     "VALUES ('%1', %2)")
                          .arg(title)
                          .arg(status));
        return database.scalar("SELECT max(ReportProfileId) FROM TReportProfile").toInt();
    }
    void setStatus(int profileId, int status) {
        database.exec(
            QStringLiteral("UPDATE TReportProfile SET ReportProfileStatus = %1 WHERE ReportProfileId = %2")
                .arg(status)
                .arg(profileId));
    }
    // The raw data limits the database reports (none: no raw data).
    void setLimits(const std::optional<shadowdata::DataLimits>& limits) {
        database.exec("DELETE FROM TRawDataTimeLimits");
        if (limits)
            database.exec(QStringLiteral("INSERT INTO TRawDataTimeLimits VALUES (900, '%1', '%2')")
                              .arg(limits->minimum.toString("yyyy-MM-dd hh:mm:ss"),
                                   limits->maximum.toString("yyyy-MM-dd hh:mm:ss")));
    }

    // TEST_SP_Hold runs (interruptible) until this is set.
    std::shared_ptr<std::atomic<bool>> release = std::make_shared<std::atomic<bool>>(false);
    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    testing_support::TempDatabase database;
    app::AppContext context;

private:
    // The standard procedures and TEST_SP_Hold. It is read-only, so the test
    // can update the profile row meanwhile, and keeps a statement running all
    // the time: an interrupt only stops a statement that runs.
    static std::shared_ptr<reportdb::ProcedureRegistry> withHold(std::shared_ptr<std::atomic<bool>> release) {
        auto registry = reportdb::standardRegistry();
        registry->add(
            "TEST_SP_Hold", {},
            [release](reportdb::ProcedureContext& context, const reportdb::Arguments&) {
                const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
                while (!*release && std::chrono::steady_clock::now() < end)
                    context.query(
                        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 20000) "
                        "SELECT count(*) FROM c");
                return reportdb::ProcedureResult();
            },
            true);
        return registry;
    }
};

using testing_support::WhenShown;

}  // namespace shadow_test
