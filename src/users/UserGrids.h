#pragma once
// The rows of the user management's grids, built from the users, roles and
// catalogue as held in memory, the filter selections and the view switches.
// Building never calls the database, so a filter change or an edit in a grid
// only rebuilds.

#include "db/Value.h"
#include "users/UserRecords.h"

#include <QString>
#include <set>
#include <vector>

namespace users {

// Every grid of the window, the filter lists included.
enum class Grid {
    UserDetails,
    UserFeatures,
    UserProfiles,
    UserTemplates,
    UserRoles,
    Overview,
    RoleDetails,
    RoleFeatures,
    RoleTemplates,
    RoleProfiles,
    RoleUsers,
    UserFilter,
    RoleFilter,
};
inline constexpr int kGridCount = int(Grid::RoleFilter) + 1;

// Fields every rights and relation grid carries for its commands: the user
// or role of the row, the feature, profile, template, role or user it
// relates to, and that item's description.
inline constexpr char kOwnerField[] = "OwnerId";
inline constexpr char kItemField[] = "ItemId";
inline constexpr char kDescriptionField[] = "Description";
inline constexpr char kEnabledField[] = "Enabled";

struct GridColumn {
    const char* field;
    db::FieldType type;
    int label;  // window text of the caption; 0: not shown
};

// The fields of a grid in order; `templateTypes`: the database has report
// template types.
std::vector<GridColumn> GridColumns(Grid grid, bool templateTypes);

// Whether the grid's rows are a user's or role's rights that the toggle
// commands change.
bool IsRightsGrid(Grid grid);
bool IsUserGrid(Grid grid);  // on the Users page (the user filter applies)

struct ViewOptions {
    bool showNames = true;  // the user filter list by name, else by initials
    bool showDisabled = true;
    bool showInactive = true;
    QString organisation;         // empty: every organisation
    bool oldUserColumns = false;  // users have a level of their own
    bool templateTypes = true;
    std::set<int> selectedUsers;  // empty: every user the filters let through
    std::set<int> selectedRoles;  // empty: every role
};

// A user whose level is 0, where users have levels of their own.
bool IsDisabled(const User& user, bool oldUserColumns);
// A user who never logged in.
bool IsInactive(const User& user);
// What a "Last login date" shows: nothing for a user who never logged in
// (no date, or the empty date-time the database writes for it).
QVariant LastLoginValue(const QDateTime& date);
QString UserName(const User& user);
// A user's own level as the grids show it: empty where users have none, the
// text for level 0, else the number.
QString UserLevelText(const User& user, bool oldUserColumns, const TextLookup& text);

// The users the organisation and the two switches let through, by id.
std::vector<int> FilteredUsers(const UserList& users, const ViewOptions& view);
// The organisations in use, sorted, without empty ones.
QStringList Organisations(const UserList& users);

struct UserData {
    const UserList& users;
    const RoleList& roles;
    const RightsCatalogue& catalogue;
};

// The rows of one grid. Without a selection in the filter list a rights
// grid holds the rights each user (role) has; with one, every item of the
// catalogue for each selected user (role), so that new rights can be given.
db::ResultSet BuildGrid(Grid grid, const UserData& data, const ViewOptions& view, const TextLookup& text);

// An upper bound of a grid's rows, quick to reckon: whether a build is long
// enough to run away from the window.
size_t GridRowBound(Grid grid, const UserData& data, const ViewOptions& view);

// What a grid is built from, copied, so that it can be built on another
// thread while the window's own containers change.
class GridSource {
public:
    GridSource(const UserData& data, ViewOptions view, const TextLookup& text);
    db::ResultSet build(Grid grid) const;

private:
    UserList users_;
    RoleList roles_;
    RightsCatalogue catalogue_;
    ViewOptions view_;
    TextLookup text_;
};

// Whether the user (role) holds the item of a rights grid's row itself.
bool HoldsRight(Grid grid, const UserData& data, int ownerId, int itemId);
// The roles of a user that hand it the item (the Members kind: none).
std::vector<int> GrantingRoles(const UserData& data, const User& user, RightKind kind, int itemId);

}  // namespace users
