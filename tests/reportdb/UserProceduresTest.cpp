// The user and role procedures: their refusals change nothing, the service
// users stay out of sight unless asked for, relations can be sent twice, and
// the old user columns belong to old databases only.

#include "ReportDbTestSupport.h"

#include <QRegularExpression>
#include <algorithm>

using namespace reportdb_tests;

namespace {

const QString kUserProcedure = QStringLiteral("WMS_SP_CRQ_AdminUser");
const QString kRoleProcedure = QStringLiteral("WMS_SP_CRQ_AdminUserRole");

// Demo users and roles these tests name.
constexpr int kAdministrator = 1;
constexpr int kKorvaneUser = 6;
constexpr int kLockedRole = 1;
constexpr int kClosedRole = 3;  // locked and takes no users
constexpr int kOpenRole = 4;

Call admin(db::Connection& connection, const QString& procedure, const char* operation, db::Parameters more,
           int administrator = kAdministrator, bool korvane = false) {
    db::Parameters parameters{
        text("@Operation", QString::fromLatin1(operation)), text("@OperationParams", QVariant()),
        integer("@UserAdministratorId", administrator), integer("@ShowKorvaneUsers", korvane ? 1 : 0)};
    for (db::Parameter& p : more) {
        auto same = std::find_if(parameters.begin(), parameters.end(),
                                 [&](const db::Parameter& given) { return given.name == p.name; });
        if (same != parameters.end())
            *same = std::move(p);
        else
            parameters.push_back(std::move(p));
    }
    return call(connection, procedure, std::move(parameters));
}

const QStringList kTables{QStringLiteral("TUser"),
                          QStringLiteral("TUserRole"),
                          QStringLiteral("TUserRole_TUser"),
                          QStringLiteral("TUserRole_TFeature"),
                          QStringLiteral("TUser_TFeature"),
                          QStringLiteral("TUser_TReportTemplate"),
                          QStringLiteral("TUser_TReportProfile")};

class UserProcedures : public ::testing::Test {
protected:
    testing_support::TempDatabase database{sharedDemo()};
    std::unique_ptr<db::Connection> connection = database.connect();
};

TEST_F(UserProcedures, RefusalsChangeNothing) {
    const auto user = [](int id) { return output("@UserId", db::ParameterDirection::InputOutput, id); };
    const auto role = [](int id) { return output("@RoleId", db::ParameterDirection::InputOutput, id); };
    const auto users = [](const char* list) { return text("@UserIdsToUpdate", list); };
    const auto roles = [](const char* list) { return text("@RoleIdsToUpdate", list); };
    const QString &U = kUserProcedure, &R = kRoleProcedure;
    const char* const REL = "UPDATE_RELATIONS";
    struct Case {
        const char* what;
        const QString& procedure;
        const char* operation;
        db::Parameters parameters;
        int expected;
        int administrator = kAdministrator;
    };
    const std::vector<Case> cases = {
        {"no such administrator", U, "SELECT", {text("@OperationParams", "USERS")}, 13, 999},
        {"unknown operation", U, "MERGE", {}, 15},
        {"initials missing", U, "CREATE", {text("@Initials", " ")}, 16},
        {"initials taken in another case", U, "CREATE", {text("@Initials", "adm")}, 17},
        {"initials of another user", U, "UPDATE", {user(2), text("@Initials", "MKL")}, 17},
        {"unknown user", U, "UPDATE", {user(999), text("@Initials", "ZZ")}, 18},
        {"service user hidden", U, REL, {users("2,6"), text("@FeatureIdsToAdd", "1")}, 18},
        {"unknown role",
         U,
         REL,
         {users("2"), text("@FeatureIdsToAdd", "1"), text("@RoleIdsToAdd", "4,999")},
         19},
        {"unknown feature", U, REL, {users("2"), text("@FeatureIdsToAdd", "1,99999")}, 20},
        {"unknown template", U, REL, {users("2"), text("@ReportTemplateIdsToAdd", "999")}, 21},
        {"unknown profile", U, REL, {users("2"), text("@ReportProfileIdsToAdd", "999")}, 22},
        {"role takes no users", U, REL, {users("2"), text("@RoleIdsToAdd", "3")}, 50},
        {"role: no such administrator", R, "DELETE", {role(kOpenRole)}, 13, 999},
        {"role title taken", R, "CREATE", {text("@RoleTitle", "operators")}, 15},
        {"role title missing", R, "UPDATE", {role(kOpenRole), text("@RoleTitle", "")}, 15},
        {"unknown role to copy",
         R,
         "CREATE",
         {text("@RoleTitle", "New"), integer("@RoleIdToCopyFrom", 999)},
         16},
        {"role: unknown role", R, "DELETE", {role(999)}, 16},
        {"locked role changed", R, "UPDATE", {role(kLockedRole), text("@RoleTitle", "Admins")}, 17},
        {"locked role removed", R, "DELETE", {role(kLockedRole)}, 17},
        {"locked role's rights", R, REL, {roles("4,1"), text("@FeatureIdsToDelete", "1")}, 17},
        {"role: service user hidden", R, REL, {roles("4"), text("@UserIdsToAdd", "6")}, 16},
    };
    const QString before = snapshot(*connection, kTables);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Call result = admin(*connection, c.procedure, c.operation, c.parameters, c.administrator);
        EXPECT_EQ(result.returnValue(), c.expected);
    }
    EXPECT_EQ(snapshot(*connection, kTables), before);
}

TEST_F(UserProcedures, ServiceUsersTakePartOnlyWhenShown) {
    for (const bool shown : {false, true}) {
        SCOPED_TRACE(shown);
        const Call users =
            admin(*connection, kUserProcedure, "SELECT",
                  {text("@OperationParams", "USERS,FEATURE_RELATIONS")}, kAdministrator, shown);
        const Call roles = admin(*connection, kRoleProcedure, "SELECT",
                                 {text("@OperationParams", "USER_RELATIONS")}, kAdministrator, shown);
        ASSERT_EQ(users.result.resultSets.size(), 2u);
        const auto hasKorvane = [](const db::ResultSet& rows, int column) {
            return std::any_of(rows.rows.begin(), rows.rows.end(), [&](const db::Row& row) {
                return row.at(size_t(column)).toInt() == kKorvaneUser;
            });
        };
        EXPECT_EQ(hasKorvane(users.set(0), 0), shown);
        EXPECT_EQ(hasKorvane(users.set(1), 0), shown);
        EXPECT_EQ(hasKorvane(roles.set(0), 1), shown);
        const Call changed = admin(*connection, kUserProcedure, "UPDATE",
                                   {output("@UserId", db::ParameterDirection::InputOutput, kKorvaneUser),
                                    text("@Organisation", "Korvane Field Service")},
                                   kAdministrator, shown);
        EXPECT_EQ(changed.returnValue(), shown ? 0 : 18);
    }
}

TEST_F(UserProcedures, RelationsSentTwiceAreNoError) {
    const db::Parameters add{text("@UserIdsToUpdate", "2,3"), text("@FeatureIdsToAdd", "146,153"),
                             text("@RoleIdsToAdd", "5"), text("@ReportTemplateIdsToAdd", "1000016")};
    const db::Parameters remove{text("@UserIdsToUpdate", "2,3"), text("@FeatureIdsToDelete", "146"),
                                text("@RoleIdsToDelete", "5"), text("@ReportTemplateIdsToDelete", "1000016")};
    const QString granted = QStringLiteral(
        "SELECT group_concat(UserId || ':' || FeatureId) FROM (SELECT * FROM TUser_TFeature WHERE UserId IN "
        "(2, 3) "
        "AND FeatureId IN (146, 153) ORDER BY 1, 2)");
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        EXPECT_EQ(admin(*connection, kUserProcedure, "UPDATE_RELATIONS", add).returnValue(), 0);
        EXPECT_EQ(scalar(*connection, granted).toString(), QStringLiteral("2:146,2:153,3:146,3:153"));
        EXPECT_EQ(
            scalar(*connection, "SELECT count(*) FROM TUserRole_TUser WHERE RoleId = 5 AND UserId IN (2, 3)"),
            QVariant(qlonglong(2)));
    }
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        EXPECT_EQ(admin(*connection, kUserProcedure, "UPDATE_RELATIONS", remove).returnValue(), 0);
        EXPECT_EQ(scalar(*connection, granted).toString(), QStringLiteral("2:153,3:153"));
        EXPECT_EQ(scalar(*connection,
                         "SELECT count(*) FROM TUser_TReportTemplate WHERE ReportTemplateId = 1000016 "
                         "AND UserId IN (2, 3)"),
                  QVariant(qlonglong(0)));
    }
}

TEST_F(UserProcedures, CreatedRoleCopiesItsBaseAndLockedRoleKeepsMembers) {
    const Call created =
        admin(*connection, kRoleProcedure, "CREATE",
              {output("@RoleId", db::ParameterDirection::InputOutput, 0), text("@RoleTitle", "Night shift"),
               integer("@RoleIdToCopyFrom", kOpenRole), text("@UserIdsToAdd", "7")});
    ASSERT_EQ(created.returnValue(), 0);
    const int roleId = created.command.parameter("@RoleId")->value.toInt();
    for (const char* table :
         {"TUserRole_TFeature", "TUserRole_TReportProfile", "TUserRole_TReportTemplate"}) {
        SCOPED_TRACE(table);
        const auto rights = [&](int role) {
            return lines(*connection,
                         QStringLiteral("SELECT * FROM %1 WHERE RoleId = %2 ORDER BY 2").arg(table).arg(role))
                .replaceInStrings(QRegularExpression(QStringLiteral("^\\d+\\|")), QString());
        };
        EXPECT_FALSE(rights(kOpenRole).isEmpty());
        EXPECT_EQ(rights(roleId), rights(kOpenRole));
    }
    // Members of a locked role may change; its rights may not.
    EXPECT_EQ(admin(*connection, kRoleProcedure, "UPDATE_RELATIONS",
                    {text("@RoleIdsToUpdate", QString::number(kLockedRole)), text("@UserIdsToAdd", "7")})
                  .returnValue(),
              0);
    EXPECT_EQ(admin(*connection, kRoleProcedure, "UPDATE_RELATIONS",
                    {text("@RoleIdsToUpdate", QString::number(kClosedRole)), text("@UserIdsToAdd", "7")})
                  .returnValue(),
              17);
}

TEST(UserProcedureVersions, OldUserColumnsAndParametersOnlyBefore3_24) {
    for (const char* version : {"3.23.9.9", "3.24.0.0"}) {
        SCOPED_TRACE(version);
        const bool old = QLatin1String(version) == QLatin1String("3.23.9.9");
        testing_support::DemoContent demo = sharedDemo();
        demo.options.versionText = QString::fromLatin1(version);
        testing_support::TempDatabase database(demo);
        auto connection = database.connect();
        const Call users = admin(*connection, kUserProcedure, "SELECT", {text("@OperationParams", "USERS")});
        EXPECT_EQ(users.set(0).columnIndex(QStringLiteral("UserPassword")) >= 0, old);
        db::Command update;
        update.type = db::CommandType::StoredProcedure;
        update.text = kUserProcedure;
        update.parameters = {{QStringLiteral("@ReturnValue"),
                              db::FieldType::Integer,
                              0,
                              db::ParameterDirection::ReturnValue,
                              {}},
                             text("@Operation", "UPDATE"),
                             integer("@UserAdministratorId", kAdministrator),
                             output("@UserId", db::ParameterDirection::InputOutput, 2),
                             text("@Password", "secret")};
        EXPECT_EQ(connection->execute(update).ok(), old);
        if (old)
            EXPECT_EQ(scalar(*connection, "SELECT UserPassword FROM TUser WHERE UserId = 2").toString(),
                      "secret");
    }
}

}  // namespace
