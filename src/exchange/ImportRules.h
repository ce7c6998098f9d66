#pragma once
// The rules of an import without windows or calls: the records a package
// holds, which database objects they match, the conflicts offered as
// questions, and what the answers change in the containers.

#include "exchange/Package.h"
#include "users/UserRecords.h"

#include <QString>
#include <map>
#include <set>
#include <vector>

namespace exchange {

// The attribute texts written for a user or role, values escaped.
QString UserPlainText(const users::User& user);
QString RolePlainText(const users::UserRole& role);

// Records from a package's fields: numbers in decimal (anything else gives
// 0), id lists as the user administration writes them.
users::User UserFromFields(const PackageRecord& record);
users::UserRole RoleFromFields(const PackageRecord& record);
std::set<int> ParseIdList(const QString& text);

// The readable records of a package by their id in the package.
struct ImportedObjects {
    std::map<int, users::User> users;
    std::map<int, users::UserRole> roles;
};
ImportedObjects ImportedFrom(const Package& package);

// A user matches by initials regardless of case, a role by its exact title.
const users::User* MatchUser(const users::UserList& database, const users::User& imported);
const users::UserRole* MatchRole(const users::RoleList& database, const users::UserRole& imported);

enum class ObjectType { User = 0, Role = 1 };

// The kinds of a conflict.
enum ConflictKind { kPersonal = 1, kFeatures = 2, kTemplates = 4, kMemberships = 5 };

struct Conflict {
    int objectId = 0;  // the imported record's id
    ObjectType type = ObjectType::User;
    int kind = kPersonal;
    QString title;  // initials or role title
    bool yes = false;
};

// Conflicts of the selected imported objects that match, users first, each
// object's kinds in ascending order.
std::vector<Conflict> BuildConflicts(const ImportedObjects& imported, const std::set<int>& selectedUsers,
                                     const std::set<int>& selectedRoles, const users::UserList& databaseUsers,
                                     const users::RoleList& databaseRoles);

// Moves the imported users' memberships of imported roles that exist in the
// database (by title) under another id to the database id.
void TranslateRoleIds(ImportedObjects& imported, const users::RoleList& databaseRoles);

// Drops held edits, then applies every conflict answered yes to the
// matching database records.
void ApplyAnswers(const std::vector<Conflict>& conflicts, const ImportedObjects& imported,
                  users::UserList& databaseUsers, users::RoleList& databaseRoles);

}  // namespace exchange
