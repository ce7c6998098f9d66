#include "ShadowTestSupport.h"

#include "text/TextTables.h"

#include <gtest/gtest.h>
#include <chrono>

namespace shadow_test {

namespace {

// The standard procedures and TEST_SP_Hold. It is read-only, so the test can
// update the profile row meanwhile, and keeps a statement running all the
// time: an interrupt only stops a statement that runs.
std::shared_ptr<reportdb::ProcedureRegistry> withHold(std::shared_ptr<std::atomic<bool>> release) {
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

}  // namespace

Environment::Environment(const QString& version)
    : database(version, withHold(release)), context(prompts, trace.log(), database.factory()) {
    context.session().DBVersion = version;
    context.session().OnlineConnection.Catalog = "Reporting";
    context.session().OnlineConnection.UserName = "report_admin";
    context.Database().setConnectionString(database.connectionString());
    context.Database2().setConnectionString(database.connectionString());
    context.texts().setLocation(PA_LANG_DIR, "UK");
    EXPECT_TRUE(context.texts().load(text::Slot::Profile, text::kProfileFile));
    database.exec(
        "INSERT INTO TUnitType (UnitTypeId, UnitTypeTitle, UnitTypeDevice, UnitTypeCapacity) VALUES (900, "
        "'Mast', 'MET', 0); INSERT INTO TParkUnit (ParkUnitId, ParkUnitTitle, UnitTypeId) VALUES (900, 'MM', "
        "900)");
}

int Environment::addProfile(const QString& title, int status, int pendingFlag) {
    database.exec(QStringLiteral("INSERT INTO TReportProfile (ReportProfileTitle, ReportProfileStatus, "
                                 "ReportProfileRegeneratePendingFlag) VALUES ('%1', %2, %3)")
                      .arg(title)
                      .arg(status)
                      .arg(pendingFlag));
    return scalar("SELECT max(ReportProfileId) FROM TReportProfile").toInt();
}

void Environment::setStatus(int profileId, int status) {
    database.exec(
        QStringLiteral("UPDATE TReportProfile SET ReportProfileStatus = %1 WHERE ReportProfileId = %2")
            .arg(status)
            .arg(profileId));
}

int Environment::status(int profileId) {
    return scalar(QStringLiteral("SELECT ReportProfileStatus FROM TReportProfile WHERE ReportProfileId = %1")
                      .arg(profileId))
        .toInt();
}

void Environment::setLimits(const std::optional<shadowdata::DataLimits>& limits) {
    database.exec("DELETE FROM TRawDataTimeLimits WHERE ParkUnitId = 900");
    if (limits)
        database.exec(QStringLiteral("INSERT INTO TRawDataTimeLimits VALUES (900, '%1', '%2')")
                          .arg(limits->minimum.toString("yyyy-MM-dd hh:mm:ss"),
                               limits->maximum.toString("yyyy-MM-dd hh:mm:ss")));
}

}  // namespace shadow_test
