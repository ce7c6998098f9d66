#pragma once
// The rules of the user management's commands, on the containers alone:
// which rights rows may be switched and switching them, levels, whether a
// role may be removed, the query log's key sequence and the names of saved
// grid files.

#include "users/UserGrids.h"

#include <QString>
#include <vector>

namespace users {

// Why a rights row is not switched, in the order the checks run.
enum class Refusal {
    None,
    Required,          // the role keeps its users
    Locked,            // a predefined role or report template
    NotRelatable,      // the role takes no users
    RoleOnlyFeature,   // disabling a feature the user has only from a role
    RoleOnlyTemplate,  // the same for a report template
};

struct RightsRow {
    int ownerId = 0;
    int itemId = 0;
};

// `enable`: the state the row is to get.
Refusal CheckSwitch(Grid grid, const UserData& data, const RightsRow& row, bool enable);

struct MutableUserData {
    UserList& users;
    RoleList& roles;
    const RightsCatalogue& catalogue;
    UserData view() const { return {users, roles, catalogue}; }
};

// Gives or takes the right; a membership changes on both sides. False when
// nothing changed.
bool SwitchRight(Grid grid, MutableUserData data, const RightsRow& row, bool enable);

// Sets the level of every role that is not locked; `refused`: a locked one
// was among them. Returns how many changed.
int SetRoleLevels(RoleList& roles, const std::vector<int>& roleIds, int level, bool* refused);
// Sets the users' own level and lets it override their roles' level.
int SetUserLevels(UserList& users, const std::vector<int>& userIds, int level);
// Lets the roles' level apply again.
int UseRoleLevels(UserList& users, const std::vector<int>& userIds);

enum class RemovalCheck { Allowed, Locked, OwnAccess };
// A role that gives the administrator a feature or report template right he
// has neither himself nor from another role would take his access away.
RemovalCheck CheckRoleRemoval(const UserData& data, int roleId, int administratorId);

// The key sequence that shows and closes the query log: Q, U, E, R, Y.
class QuerySequence {
public:
    // A key released (its key code). True when the sequence is complete.
    bool keyUp(int key);
    int position() const { return position_; }

private:
    int position_ = 0;
};

// The formats a grid is saved in, in the order of the save dialog's filters.
enum class GridFileFormat { Excel = 0, Html = 1, Xml = 2, Text = 3 };
inline constexpr int kGridFileFormats = 4;

QString GridFileExtension(GridFileFormat format);
// The format of the chosen filter (its index, -1 when unknown), else of the
// name's extension, else a workbook.
GridFileFormat GridFileFormatFor(const QString& fileName, int filterIndex);
// The name with the format's extension, unless it ends in it already (in
// any case).
QString WithGridFileExtension(const QString& fileName, GridFileFormat format);

}  // namespace users
