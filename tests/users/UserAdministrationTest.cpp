// The user administration without windows: id lists, reports, the save
// plan, and loads and saves against the demo database.

#include "UsersTestSupport.h"

#include "users/IdList.h"
#include "users/ResultReports.h"
#include "users/UserChanges.h"

using namespace users;
using namespace users_test;

namespace {

QString numbered(int n) { return QStringLiteral("<%1>").arg(n); }

TEST(UserIdLists, RangesAndEmptyLists) {
    const std::set<int> ids{12, 3, 1000000};
    EXPECT_EQ(IdListText(ids, ListUse::Call), "3,12,1000000");
    EXPECT_EQ(IdListText(ids, false, true, ListUse::Call), "1000000");
    EXPECT_EQ(IdListText(ids, true, false, ListUse::Export), "3,12");
    EXPECT_EQ(IdListText({1000000}, true, false, ListUse::Export), "");
    EXPECT_EQ(IdListText({1000000}, true, false, ListUse::Call), "NULL");
    std::set<int> many;
    for (int id = 1; id <= 3000; ++id) many.insert(id * 7);
    const std::vector<QString> parts = SplitIdList(many, 100);
    QStringList joined;
    for (const QString& part : parts) {
        EXPECT_LE(part.size(), 100);
        joined << part;
    }
    EXPECT_EQ(joined.join(u','), IdListText(many, ListUse::Call));
}

TEST(UserReports, MessagesByReturnValue) {
    struct Case {
        Subject subject;
        Operation operation;
        int returnValue;
        QString providerError;
        QString message;
        bool succeeded;
    };
    const Case cases[] = {
        {Subject::Users, Operation::Update, 14, {}, "<186>  <179>14).", false},
        {Subject::Users, Operation::Update, 16, {}, "<186>  <172>", false},
        {Subject::Users, Operation::Create, 50, {}, "<185>  <225>", false},
        {Subject::Users, Operation::Create, -3, {}, "<185>  <179>-3).", false},
        {Subject::Roles, Operation::Create, 17, {}, "<214>  <223>", false},
        {Subject::Roles, Operation::Update, 18, {}, "<215>  <224>18).", false},
        {Subject::Roles, Operation::Delete, 0, "locked", "<154>  locked", false},
        {Subject::Users, Operation::UpdateRelations, 0, {}, "<180>", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        const ResultReport report = MakeReport(c.subject, c.operation, c.returnValue, c.providerError, "ctx",
                                               kPlainReport, false, numbered);
        EXPECT_EQ(report.message, c.message);
        EXPECT_EQ(report.succeeded, c.succeeded);
    }
    const auto breaks = [](int n) { return n == 170 ? QStringLiteral("a\\nb\\Nc") : numbered(n); };
    EXPECT_EQ(MakeReport(Subject::Users, Operation::Update, 13, {}, {}, 1, false, breaks).message,
              "<186>  a\nb\nc");
}

TEST(UserSavePlan, NeighboursWithEqualDifferencesGoTogether) {
    UserList list;
    std::map<int, User> loaded;
    for (int id = 1; id <= 5; ++id) loaded[id].UserId = id;
    loaded[4].rights.of(RightKind::Members) = {2};
    list.setLoaded(loaded);
    list.items[1].SurName = "Edited";
    list.items[3].Email = "c@d.ef";
    for (int id : {2, 3, 5}) list.items[id].rights.of(RightKind::Features).insert(3);
    list.items[4].rights.of(RightKind::Members).clear();
    QStringList steps;
    for (const SaveStep& step : PlanSave(list)) {
        QStringList ids;
        for (int id : step.ids) ids << QString::number(id);
        steps << (step.kind == SaveStep::Kind::Personal ? "P" : "R") + ids.join(u',');
    }
    EXPECT_EQ(steps.join(u' '), "P1 P3 R2,3 R4 R5");
}

class Layer : public ::testing::TestWithParam<const char*> {};

TEST_P(Layer, LoadsAndSendsEveryCallOnItsVersion) {
    Environment env(QString::fromLatin1(GetParam()));
    const bool old = env.administration.settings().oldUserColumns();
    ASSERT_TRUE(env.administration.load());
    const UserList& users = env.administration.users;
    EXPECT_FALSE(users.find(kKorvaneUser));
    EXPECT_EQ(users.find(kJana)->Password.isEmpty(), !old);
    EXPECT_TRUE(users.find(kJana)->rights.of(RightKind::Members).count(2));
    EXPECT_FALSE(env.administration.catalogue.reportTemplates.begin()->second.TypeName.isEmpty());
    EXPECT_TRUE(std::any_of(env.administration.roles.items.begin(), env.administration.roles.items.end(),
                            [](const auto& role) { return !role.second.notRelatableTemplates.empty(); }));

    // Every write call binds on this version and succeeds.
    User user = *users.find(kJana);
    user.SurName = "NULL";
    const QString password = "pw";
    EXPECT_TRUE(env.administration.updateUser(user, &password, {kAssetManagers, kGridAnalysts}));
    User created;
    created.Initials = "NEW";
    ASSERT_TRUE(env.administration.createUser(created, password, {kGridAnalysts}));
    UserRole role;
    role.Title = "Copy";
    ASSERT_TRUE(env.administration.createRole(role, kAssetManagers));
    role.Description = "changed";
    EXPECT_TRUE(env.administration.updateRole(role));
    env.administration.roles.items[role.RoleId].rights.of(RightKind::Features).erase(1);
    EXPECT_TRUE(env.administration.saveRoles());
    EXPECT_TRUE(env.administration.deleteRole(role.RoleId));
    EXPECT_EQ(env.scalar("SELECT UserSurName FROM TUser WHERE UserId = 2").toString(), "NULL");
    EXPECT_EQ(env.scalar("SELECT UserPassword FROM TUser WHERE UserInitials = 'NEW'").toString(),
              old ? "pw" : "");
    EXPECT_EQ(env.queries.filter("@Password").isEmpty(), !old);
    EXPECT_EQ(env.queries.filter("'DELETE', @OperationParams = '',").size(), 1);
    EXPECT_EQ(env.queries.filter("@RoleIdToCopyFrom = 4").size(), 1);
    EXPECT_EQ(env.queries.filter("'UPDATE'").filter("@RoleIdToCopyFrom = NULL").size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Versions, Layer, ::testing::Values("3.23.9.9", "3.24.0.0"));

// Users with their rights as the database holds them.
QString storedRights(const Environment& env) {
    return env
        .scalar(
            "SELECT group_concat(x, ' ') FROM (SELECT UserId || ':' || FeatureId AS x FROM "
            "TUser_TFeature UNION ALL SELECT UserId || '/' || UserSurName FROM TUser ORDER BY 1)")
        .toString();
}

TEST(UserSave, StopsAtTheFirstFailedCallAndResumes) {
    FailingUserCalls failing;
    Environment env(QStringLiteral("3.28.0.0"), failing.registry);
    ASSERT_TRUE(env.administration.load());
    UserList& users = env.administration.users;
    users.items[1].SurName = "First";
    for (int id : {2, 3}) users.items[id].rights.of(RightKind::Features).insert(146);
    users.items[4].SurName = "Fourth";
    QString expected = storedRights(env);
    env.queries.clear();
    expected.replace("1/Morgan", "1/First").replace("4/Svensson", "4/Fourth");
    // Personal updates of users 1 and 4, then the relations of 2 and 3 together.
    *failing.user.failOn = *failing.user.calls + 3;
    env.prompts.allowMessages();
    EXPECT_FALSE(env.administration.saveUsers());
    EXPECT_EQ(env.prompts.take().size(), 1u);
    EXPECT_EQ(env.queries.size(), 3);
    EXPECT_EQ(storedRights(env), expected);
    // What was written is not sent again.
    env.queries.clear();
    EXPECT_TRUE(env.administration.saveUsers());
    EXPECT_EQ(env.queries.size(), 1);
    ASSERT_TRUE(env.administration.load());
    EXPECT_TRUE(PlanSave(env.administration.users).empty());
    EXPECT_EQ(users.find(4)->SurName, "Fourth");
    EXPECT_TRUE(users.find(3)->rights.of(RightKind::Features).count(146));
}

TEST(UserSave, SplitGroupIsOneTransaction) {
    FailingUserCalls failing;
    Environment env(QStringLiteral("3.28.0.0"), failing.registry);
    env.database.exec(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
        "INSERT INTO TUser (UserInitials) SELECT 'U' || i FROM n");
    ASSERT_TRUE(env.administration.load());
    for (auto& [id, user] : env.administration.users.items) user.rights.of(RightKind::Features).insert(120);
    const QVariant before = env.scalar("SELECT count(*) FROM TUser_TFeature WHERE FeatureId = 120");
    *failing.user.failOn = *failing.user.calls + 2;
    env.prompts.allowMessages();
    EXPECT_FALSE(env.administration.saveUsers());
    EXPECT_EQ(env.scalar("SELECT count(*) FROM TUser_TFeature WHERE FeatureId = 120"), before);
    EXPECT_GE(env.queries.size(), 2);
    EXPECT_TRUE(env.administration.saveUsers());
    EXPECT_EQ(
        env.scalar("SELECT count(*) FROM TUser_TFeature INNER JOIN TUser USING (UserId) WHERE FeatureId = "
                   "120 AND KorvaneUser = 0")
            .toInt(),
        3006);
}

struct RecordingSink : ResultSink {
    bool importRunning() const override { return true; }
    void report(const ResultReport& report) override { reports.push_back(report); }
    std::vector<ResultReport> reports;
};

TEST(UserSave, ImportReportsFeaturesAndTemplatesApart) {
    Environment env;
    RecordingSink sink;
    env.administration.setResultSink(&sink);
    ASSERT_TRUE(env.administration.load());
    User& jana = env.administration.users.items[kJana];
    const auto grantNew = [&](RightKind kind, const auto& catalogue) {
        for (const auto& [id, entry] : catalogue)
            if (jana.rights.of(kind).insert(id).second) return;
    };
    grantNew(RightKind::Features, env.administration.catalogue.features);
    grantNew(RightKind::ReportTemplates, env.administration.catalogue.reportTemplates);
    EXPECT_TRUE(env.administration.saveUsers());
    ASSERT_EQ(sink.reports.size(), 2u);
    EXPECT_EQ(sink.reports[0].kind, kFeatureReport);
    EXPECT_EQ(sink.reports[1].kind, kTemplateReport);
    EXPECT_TRUE(sink.reports[0].succeeded && sink.reports[1].succeeded);
}

}  // namespace
