#pragma once
// The database side of an import: creating the objects the database lacks
// and writing the answered conflicts, all through the user administration,
// whose result sink hears every call.

#include "exchange/ImportRules.h"

#include <set>

namespace users {
class UserAdministration;
}

namespace exchange {

// Creates the selected objects that match nothing (users with their features
// and templates; roles without rights), translates the users' role ids to
// the database's and reloads the containers. A failed creation is reported
// and the next object follows. Returns how many objects were created.
int CreateMissingObjects(users::UserAdministration& administration, PackageType type,
                         ImportedObjects& imported, const std::set<int>& selectedUsers,
                         const std::set<int>& selectedRoles);

// Applies the answers to the containers and saves users, then roles.
bool SaveAnswers(users::UserAdministration& administration, const std::vector<Conflict>& conflicts,
                 const ImportedObjects& imported);

}  // namespace exchange
