#include "ShadowTestSupport.h"

#include "text/TextTables.h"

#include <gtest/gtest.h>
#include <chrono>

namespace shadow_test {

using db::FieldType;
using reportdb::Arguments;
using reportdb::ProcedureContext;
using reportdb::ProcedureResult;

std::shared_ptr<reportdb::ProcedureRegistry> testRegistry(const std::shared_ptr<Controls>& controls,
                                                          bool fakeLimits) {
    auto registry = reportdb::standardRegistry();
    if (fakeLimits) {
        registry->add(
            "DCE_SP_GetPcTimeStampLimits", {},
            [controls](ProcedureContext&, const Arguments&) {
                if (controls->limitsFail) return ProcedureResult::failure("Raw data is not reachable");
                db::ResultSet rows;
                rows.columns = {{"MinPcTimeStamp", FieldType::DateTime, 0},
                                {"MaxPcTimeStamp", FieldType::DateTime, 0}};
                if (controls->limits)
                    rows.rows.push_back({controls->limits->minimum, controls->limits->maximum});
                ProcedureResult result;
                result.resultSets.push_back(rows);
                return result;
            },
            true);
    }
    // Read-only, so the test can update the profile row meanwhile. It keeps a
    // statement running all the time: an interrupt only stops a statement
    // that runs.
    registry->add(
        "TEST_SP_Hold", {},
        [controls](ProcedureContext& context, const Arguments&) {
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (!controls->release && std::chrono::steady_clock::now() < end)
                context.query(
                    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 20000) "
                    "SELECT count(*) FROM c");
            return ProcedureResult();
        },
        true);
    return registry;
}

Environment::Environment(const QString& version, bool fakeLimits)
    : database(version, testRegistry(controls, fakeLimits)),
      context(prompts, trace.log(), database.factory()) {
    context.session().DBVersion = version;
    context.session().OnlineConnection.Catalog = "Reporting";
    context.session().OnlineConnection.UserName = "report_admin";
    context.Database().setConnectionString(database.connectionString());
    context.Database2().setConnectionString(database.connectionString());
    context.texts().setLocation(PA_LANG_DIR, "UK");
    EXPECT_TRUE(context.texts().load(text::Slot::Profile, text::kProfileFile));
}

int Environment::addProfile(const QString& title, int status, int pendingFlag) {
    database.exec(QStringLiteral("INSERT INTO TReportProfile (ReportProfileTitle, ReportProfileStatus, "
                                 "ReportProfileRegeneratePendingFlag) VALUES ('%1', %2, %3)")
                      .arg(title)
                      .arg(status)
                      .arg(pendingFlag));
    return database.exec("SELECT max(ReportProfileId) FROM TReportProfile")
        .resultSets.at(0)
        .rows.at(0)
        .at(0)
        .toInt();
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

int Environment::pendingFlag(int profileId) {
    return scalar(QStringLiteral("SELECT ReportProfileRegeneratePendingFlag FROM TReportProfile WHERE "
                                 "ReportProfileId = %1")
                      .arg(profileId))
        .toInt();
}

QVariant Environment::scalar(const QString& sql) {
    const db::Result result = database.exec(sql);
    if (result.resultSets.empty() || result.resultSets[0].rows.empty()) return {};
    return result.resultSets[0].rows[0].at(0);
}

}  // namespace shadow_test
