#include "users/UserCalls.h"

#include "db/Parameters.h"
#include "db/VersionGate.h"
#include "users/IdList.h"

namespace users {

bool CallSettings::oldUserColumns() const {
    return !db::IsDatabaseVersionAtLeast(databaseVersion, QLatin1String(kNoStoredPasswordsSince));
}

bool RelationLists::sends(RightKind kind) const {
    return added(kind).compare(QLatin1String("NULL"), Qt::CaseInsensitive) != 0 ||
           deleted(kind).compare(QLatin1String("NULL"), Qt::CaseInsensitive) != 0;
}

namespace {

using db::FieldType;
using db::ParameterDirection;

constexpr char kNull[] = "NULL";

void add(db::Command& command, const char* name, FieldType type, int size, const QString& value,
         ParameterDirection direction = ParameterDirection::Input) {
    db::AddParameter(command, {QLatin1String(name), type, size, direction, value});
}

// A text the user typed goes as it is: "NULL" there is a name, not a NULL.
void addTyped(db::Command& command, const char* name, int size, const QString& value) {
    add(command, name, FieldType::String, size, QString());
    command.parameters.back().value = value;
}

db::Command common(const CallSettings& settings, const char* procedure, const char* operation,
                   const QString& operationParams, int operationParamsSize) {
    db::Command command;
    command.type = db::CommandType::StoredProcedure;
    command.text = QLatin1String(procedure);
    add(command, "@ReturnValue", FieldType::Integer, 0, QString(), ParameterDirection::ReturnValue);
    add(command, "@Operation", FieldType::String, 50, QLatin1String(operation));
    if (operationParams.isEmpty()) {
        // An empty text, which AddParameter would otherwise keep as empty.
        add(command, "@OperationParams", FieldType::String, operationParamsSize, QString());
        command.parameters.back().value = QString(QLatin1String(""));
    } else {
        add(command, "@OperationParams", FieldType::String, operationParamsSize, operationParams);
    }
    add(command, "@UserAdministratorId", FieldType::Integer, 0, QString::number(settings.administratorId));
    add(command, "@ShowKorvaneUsers", FieldType::Boolean, 0, settings.showKorvaneUsers ? "1" : "0");
    return command;
}

const char* operationWord(Operation operation) {
    switch (operation) {
        case Operation::Create: return "CREATE";
        case Operation::Update: return "UPDATE";
        case Operation::UpdateRelations: return "UPDATE_RELATIONS";
        case Operation::Select: return "SELECT";
        case Operation::Delete: return "DELETE";
    }
    return "SELECT";
}

void addLists(db::Command& command, const char* targetList, const QString& targets, const char* members,
              const RelationLists& lists) {
    add(command, targetList, FieldType::String, kListParameterSize, targets);
    static constexpr const char* kUserNames[] = {"@RoleIdsToAdd",           "@RoleIdsToDelete",
                                                 "@FeatureIdsToAdd",        "@FeatureIdsToDelete",
                                                 "@ReportTemplateIdsToAdd", "@ReportTemplateIdsToDelete",
                                                 "@ReportProfileIdsToAdd",  "@ReportProfileIdsToDelete"};
    for (size_t i = 0; i < lists.texts.size(); ++i) {
        QString name = QLatin1String(kUserNames[i]);
        if (i < 2) name.replace(QLatin1String("Role"), QLatin1String(members));
        db::AddParameter(command, {name, FieldType::String, kListParameterSize, ParameterDirection::Input,
                                   lists.texts[i]});
    }
}

}  // namespace

db::Command SelectCatalogueCall(const CallSettings& s) {
    return common(s, kRoleProcedure, "SELECT", QStringLiteral("FEATURES,REPORTPROFILES,REPORTTEMPLATES"), 50);
}

db::Command SelectRolesCall(const CallSettings& s) {
    return common(s, kRoleProcedure, "SELECT", QStringLiteral("ROLES"), 0);
}

db::Command SelectUsersCall(const CallSettings& s) {
    return common(s, kUserProcedure, "SELECT", QStringLiteral("USERS"), 50);
}

db::Command SelectUserRelationsCall(const CallSettings& s) {
    return common(s, kUserProcedure, "SELECT",
                  QStringLiteral("FEATURE_RELATIONS,REPORTPROFILE_RELATIONS,REPORTTEMPLATE_RELATIONS"), 50);
}

db::Command SelectRoleRelationsCall(const CallSettings& s) {
    return common(
        s, kRoleProcedure, "SELECT",
        QStringLiteral("USER_RELATIONS,FEATURE_RELATIONS,REPORTPROFILE_RELATIONS,REPORTTEMPLATE_RELATIONS"),
        50);
}

namespace {

// The user write call; `user` null: the personal fields are "NULL".
db::Command userCall(const CallSettings& s, Operation operation, const User* user, const QString* password,
                     const QString& userIds, const RelationLists& lists) {
    db::Command command = common(s, kUserProcedure, operationWord(operation), QLatin1String(kNull), 8000);
    add(command, "@UserId", FieldType::Integer, 0,
        user ? QString::number(user->UserId) : QLatin1String(kNull), ParameterDirection::InputOutput);
    if (user) {
        addTyped(command, "@Initials", 10, user->Initials);
        addTyped(command, "@FirstName", 50, user->FirstName);
        addTyped(command, "@SurName", 50, user->SurName);
        addTyped(command, "@Organisation", 50, user->Organisation);
        addTyped(command, "@Email", 50, user->Email);
    } else {
        for (const char* name : {"@Initials", "@FirstName", "@SurName", "@Organisation", "@Email"})
            add(command, name, FieldType::String, qstrcmp(name, "@Initials") == 0 ? 10 : 50,
                QLatin1String(kNull));
    }
    if (s.oldUserColumns()) {
        if (user && password)
            addTyped(command, "@Password", 50, *password);
        else
            add(command, "@Password", FieldType::String, 50, QLatin1String(kNull));
        add(command, "@AccessLevelId", FieldType::Integer, 0,
            user ? QString::number(user->AccessLevelId) : QLatin1String(kNull));
        add(command, "@OverrideAccessLevel", FieldType::Boolean, 0,
            user ? QString::number(user->OverrideAccessLevel ? 1 : 0) : QLatin1String(kNull));
    }
    addLists(command, "@UserIdsToUpdate", userIds, "Role", lists);
    return command;
}

}  // namespace

db::Command UserWriteCall(const CallSettings& s, Operation operation, const User& user,
                          const QString* password) {
    return userCall(s, operation, &user, password, QLatin1String(kNull), RelationLists());
}

db::Command UserRelationsCall(const CallSettings& s, const QString& userIds, const RelationLists& lists) {
    return userCall(s, Operation::UpdateRelations, nullptr, nullptr, userIds, lists);
}

db::Command RoleWriteCall(const CallSettings& s, Operation operation, const UserRole& role, int copyFrom,
                          const QString& usersToAdd) {
    db::Command command = common(s, kRoleProcedure, operationWord(operation), QLatin1String(kNull), 50);
    add(command, "@RoleId", FieldType::Integer, 0, QString::number(role.RoleId),
        ParameterDirection::InputOutput);
    addTyped(command, "@RoleTitle", 50, role.Title);
    addTyped(command, "@RoleDescription", 200, role.Description);
    add(command, "@AccessLevelId", FieldType::Integer, 0, QString::number(role.AccessLevelId));
    add(command, "@RoleIdToCopyFrom", FieldType::Integer, 0,
        operation == Operation::Create ? QString::number(copyFrom) : QLatin1String(kNull));
    add(command, "@RoleIdsToUpdate", FieldType::String, kListParameterSize, QLatin1String(kNull));
    add(command, "@UserIdsToAdd", FieldType::String, kListParameterSize, usersToAdd);
    add(command, "@UserIdsToDelete", FieldType::String, kListParameterSize, QLatin1String(kNull));
    return command;
}

db::Command RoleRelationsCall(const CallSettings& s, const QString& roleIds, const RelationLists& lists) {
    db::Command command = common(s, kRoleProcedure, "UPDATE_RELATIONS", QLatin1String(kNull), 50);
    add(command, "@RoleId", FieldType::Integer, 0, QLatin1String(kNull));
    add(command, "@RoleTitle", FieldType::String, 50, QLatin1String(kNull));
    add(command, "@RoleDescription", FieldType::String, 200, QLatin1String(kNull));
    add(command, "@AccessLevelId", FieldType::Integer, 0, QLatin1String(kNull));
    add(command, "@RoleIdToCopyFrom", FieldType::Integer, 0, QLatin1String(kNull));
    addLists(command, "@RoleIdsToUpdate", roleIds, "User", lists);
    return command;
}

db::Command RoleDeleteCall(const CallSettings& s, int roleId) {
    db::Command command = common(s, kRoleProcedure, "DELETE", QString(), 0);
    add(command, "@RoleId", FieldType::Integer, 0, QString::number(roleId));
    return command;
}

}  // namespace users
