#include "CategorizationTestSupport.h"

#include "text/TextTables.h"

#include <gtest/gtest.h>

namespace categorization_test {

Environment::Environment(const Setup& setup)
    : database(testing_support::DemoContent::small(4, 3, setup.version), setup.registry),
      context(prompts, trace.log(), database.factory()),
      status(context) {
    QString error;
    EXPECT_TRUE(reportdb::demo::readDemoSummary(database.path(), &summary, &error)) << error.toStdString();
    auto& session = context.session();
    session.DBVersion = setup.version;
    session.UserId = summary.administratorUserId;
    session.UserInit = summary.administratorInitials;
    session.FeatureCode = setup.features;
    session.FeatureCodes = app::ParseFeatureCodes(setup.features);
    session.OnlineConnection.Catalog = QStringLiteral("Reporting");
    session.OnlineConnection.UserName = summary.loginName;
    context.Database().setConnectionString(database.connectionString());
    context.Database2().setConnectionString(database.connectionString());
    context.texts().setLocation(QStringLiteral(PA_LANG_DIR), QStringLiteral("UK"));
    for (const auto& [slot, file] :
         {std::pair{text::Slot::Profile, text::kProfileFile}, std::pair{text::Slot::Hints, text::kHintsFile},
          std::pair{text::Slot::Messages, text::kMessageFile},
          std::pair{text::Slot::ReportDialog, text::kReportDialogFile}})
        EXPECT_TRUE(context.texts().load(slot, QLatin1String(file))) << file;
    context.windows().status = &status;
}

Environment::~Environment() { context.windows() = app::SharedWindows{}; }

int Environment::pendingFlag(int profileId) const {
    return scalar(QStringLiteral("SELECT ReportProfileRegeneratePendingFlag FROM TReportProfile WHERE "
                                 "ReportProfileId = %1")
                      .arg(profileId))
        .toInt();
}

categorization::ProfileInfo profileInfo(const Environment& env, int profileId) {
    const db::Result result = env.exec(
        QStringLiteral("SELECT ReportProfileTitle, ReportProfileLocked, UseDeratingCategorisation, "
                       "UseIECReporting, UseEEGReporting FROM TReportProfile WHERE ReportProfileId = %1")
            .arg(profileId));
    categorization::ProfileInfo info;
    info.ReportProfileId = profileId;
    if (result.resultSets.empty() || result.resultSets[0].rows.empty()) return info;
    const db::Row& row = result.resultSets[0].rows[0];
    info.Title = row[0].toString();
    info.Locked = row[1].toInt() != 0;
    info.UseDeratingCategorisation = row[2].toInt() != 0;
    info.UseIECReporting = row[3].toInt() != 0;
    info.UseEEGReporting = row[4].toInt() != 0;
    return info;
}

}  // namespace categorization_test
