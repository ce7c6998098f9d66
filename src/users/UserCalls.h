#pragma once
// The calls of WMS_SP_CRQ_AdminUser and WMS_SP_CRQ_AdminUserRole, one
// builder per call: the five common parameters, then the call's own in the
// procedure's order, with type, size and direction.

#include "db/Value.h"
#include "users/UserRecords.h"

#include <QString>
#include <array>

namespace users {

inline constexpr char kUserProcedure[] = "WMS_SP_CRQ_AdminUser";
inline constexpr char kRoleProcedure[] = "WMS_SP_CRQ_AdminUserRole";

// The operation numbers of the result reports.
enum class Operation { Create = 0, Update = 1, UpdateRelations = 2, Select = 3, Delete = 4 };

struct CallSettings {
    int administratorId = 0;  // the user who runs the program
    bool showKorvaneUsers = false;
    QString databaseVersion;

    // Whether users have a password, level and override of their own.
    bool oldUserColumns() const;
};

// The eight add and delete lists of a relation call, in the procedure's
// order (members, features, report templates, report profiles; each add,
// then delete). "NULL" leaves a list alone.
struct RelationLists {
    std::array<QString, 2 * kRightKinds> texts;

    RelationLists() { texts.fill(QStringLiteral("NULL")); }
    QString& added(RightKind kind) { return texts[2 * size_t(kind)]; }
    QString& deleted(RightKind kind) { return texts[2 * size_t(kind) + 1]; }
    const QString& added(RightKind kind) const { return texts[2 * size_t(kind)]; }
    const QString& deleted(RightKind kind) const { return texts[2 * size_t(kind) + 1]; }
    // Whether a list of `kind` is sent as something other than "NULL".
    bool sends(RightKind kind) const;
};

db::Command SelectCatalogueCall(const CallSettings& settings);
db::Command SelectRolesCall(const CallSettings& settings);
db::Command SelectUsersCall(const CallSettings& settings);
db::Command SelectUserRelationsCall(const CallSettings& settings);
db::Command SelectRoleRelationsCall(const CallSettings& settings);

// A user CREATE or UPDATE with the user's fields; every list "NULL". On
// older databases `password` is sent when given, else "NULL"; from
// "3.24.0.0" on the password, level and override are not sent at all.
db::Command UserWriteCall(const CallSettings& settings, Operation operation, const User& user,
                          const QString* password);
// UPDATE_RELATIONS of the users in `userIds` (an id list).
db::Command UserRelationsCall(const CallSettings& settings, const QString& userIds,
                              const RelationLists& lists);

// A role CREATE (copying the rights of `copyFrom`, 0 for none) or UPDATE.
db::Command RoleWriteCall(const CallSettings& settings, Operation operation, const UserRole& role,
                          int copyFrom, const QString& usersToAdd = QStringLiteral("NULL"));
db::Command RoleRelationsCall(const CallSettings& settings, const QString& roleIds,
                              const RelationLists& lists);
db::Command RoleDeleteCall(const CallSettings& settings, int roleId);

}  // namespace users
