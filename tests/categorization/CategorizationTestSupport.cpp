#include "CategorizationTestSupport.h"

#include "text/TextTables.h"

#include <gtest/gtest.h>

namespace categorization_test {

namespace {

testing_support::DemoContent smallDemo(const QString& version) {
    testing_support::DemoContent demo;
    demo.options.versionText = version;
    demo.options.turbineCount = 4;
    demo.options.rawDataDays = 3;
    return demo;
}

}  // namespace

Environment::Environment(const Setup& setup)
    : database(smallDemo(setup.version), setup.registry),
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

QVariant Environment::scalar(const QString& sql) const {
    const db::Result result = database.exec(sql);
    if (result.resultSets.empty() || result.resultSets[0].rows.empty()) return {};
    return result.resultSets[0].rows[0].at(0);
}

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

WrappedProcedure wrapProcedure(reportdb::ProcedureRegistry& registry, const QString& name, int failWith) {
    WrappedProcedure wrapped;
    const reportdb::ProcedureDefinition* original = registry.find(name);
    EXPECT_TRUE(original) << name.toStdString();
    if (!original) return wrapped;
    reportdb::ProcedureDefinition definition = *original;
    definition.body = [inner = original->body, calls = wrapped.calls, failOn = wrapped.failOn, failWith](
                          reportdb::ProcedureContext& context, const reportdb::Arguments& args) {
        if (++*calls == failOn->load()) {
            reportdb::ProcedureResult refused;
            refused.returnValue = failWith;
            return refused;
        }
        return inner(context, args);
    };
    registry.add(std::move(definition));
    return wrapped;
}

}  // namespace categorization_test
