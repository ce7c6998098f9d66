#include "users/UserGrids.h"

#include <QDate>
#include <algorithm>
#include <iterator>
#include <map>

namespace users {

namespace {

using db::FieldType;

// Captions (window texts).
constexpr int kTextInitials = 9003;
constexpr int kTextOrganisation = 9008;
constexpr int kTextUserLevel = 9010;
constexpr int kTextTitle = 9013;
constexpr int kTextDescription = 9014;
constexpr int kTextFirstname = 9030;
constexpr int kTextSurname = 9031;
constexpr int kTextEmail = 9032;
constexpr int kTextLastLogin = 9033;
constexpr int kTextUserName = 9034;
constexpr int kTextUserRole = 9035;
constexpr int kTextEnabled = 9036;
constexpr int kTextType = 9037;
constexpr int kTextPredefined = 9038;
constexpr int kTextRequired = 9039;
constexpr int kTextRelatable = 9040;
constexpr int kTextName = 9041;
constexpr int kTextFeatureModule = 9042;
constexpr int kTextFeatureTitle = 9043;
constexpr int kTextReportProfile = 9044;
constexpr int kTextReportTemplate = 9045;
constexpr int kTextLocked = 9046;
constexpr int kTextNoAccess = 9047;
constexpr int kTextUserId = 9048;
constexpr int kTextDisabled = 23;

constexpr GridColumn kOwner{kOwnerField, FieldType::Integer, 0};
constexpr GridColumn kItem{kItemField, FieldType::Integer, 0};
constexpr GridColumn kDescription{kDescriptionField, FieldType::String, 0};
constexpr GridColumn kEnabled{kEnabledField, FieldType::Boolean, kTextEnabled};

RightKind kindOf(Grid grid) {
    switch (grid) {
        case Grid::UserFeatures:
        case Grid::RoleFeatures: return RightKind::Features;
        case Grid::UserProfiles:
        case Grid::RoleProfiles: return RightKind::ReportProfiles;
        case Grid::UserTemplates:
        case Grid::RoleTemplates: return RightKind::ReportTemplates;
        default: return RightKind::Members;
    }
}

QString joined(const std::vector<QString>& parts) {
    QString out;
    for (const QString& part : parts) {
        if (!out.isEmpty()) out += QStringLiteral(", ");
        out += part;
    }
    return out;
}

// The rights of one user (role) kind, and the items of the catalogue.
struct Item {
    int id;
    QString title;
    QString description;
    QString type;
    bool locked = false;
};

std::vector<Item> catalogueItems(const RightsCatalogue& catalogue, RightKind kind) {
    std::vector<Item> items;
    switch (kind) {
        case RightKind::Features:
            for (const auto& [id, f] : catalogue.features)
                items.push_back({id, f.FeatureTitle, f.FeatureDescription, f.FeatureModule, false});
            break;
        case RightKind::ReportProfiles:
            for (const auto& [id, p] : catalogue.reportProfiles)
                items.push_back({id, p.ReportProfileTitle, p.ReportProfileDescription, {}, false});
            break;
        case RightKind::ReportTemplates:
            for (const auto& [id, t] : catalogue.reportTemplates)
                items.push_back(
                    {id, t.ReportTemplateTitle, t.ReportTemplateDescription, t.TypeName, t.Locked});
            break;
        case RightKind::Members: break;
    }
    return items;
}

// Item ids -> their catalogue entry, for rows of the rights held.
class Catalogue {
public:
    Catalogue(const RightsCatalogue& catalogue, RightKind kind) {
        for (Item& item : catalogueItems(catalogue, kind)) byId_.emplace(item.id, std::move(item));
    }
    const Item* find(int id) const {
        auto it = byId_.find(id);
        return it == byId_.end() ? nullptr : &it->second;
    }
    const std::map<int, Item>& all() const { return byId_; }

private:
    std::map<int, Item> byId_;
};

// What a role hands on to its users: every right, except templates it holds
// without handing them on.
bool roleGrants(const UserRole& role, RightKind kind, int itemId) {
    if (!role.rights.of(kind).count(itemId)) return false;
    return kind != RightKind::ReportTemplates || !role.notRelatableTemplates.count(itemId);
}

// Per item, the roles that hand it to the user, in ascending id order.
std::map<int, std::vector<int>> grantsOf(const UserData& data, const User& user, RightKind kind) {
    std::map<int, std::vector<int>> grants;
    for (int roleId : user.rights.of(RightKind::Members)) {
        const UserRole* role = data.roles.find(roleId);
        if (!role) continue;
        for (int item : role->rights.of(kind))
            if (roleGrants(*role, kind, item)) grants[item].push_back(roleId);
    }
    return grants;
}

// The titles of a set of granting roles as a grid cell. Most rows share a
// few role combinations: each is joined once and the text shared.
class GrantTitles {
public:
    explicit GrantTitles(const RoleList& roles) : roles_(roles) {}
    const QString& of(const std::vector<int>& roleIds) {
        auto [it, added] = joined_.try_emplace(roleIds);
        if (added) {
            std::vector<QString> titles;
            for (int id : roleIds)
                if (const UserRole* role = roles_.find(id)) titles.push_back(role->Title);
            it->second = joined(titles);
        }
        return it->second;
    }

private:
    const RoleList& roles_;
    std::map<std::vector<int>, QString> joined_;
};

// The items a user holds himself or through a role, in ascending order.
std::vector<int> heldItems(const std::set<int>& own, const std::map<int, std::vector<int>>& grants) {
    std::vector<int> granted;
    granted.reserve(grants.size());
    for (const auto& grant : grants)
        granted.push_back(grant.first);
    std::vector<int> items;
    items.reserve(own.size() + granted.size());
    std::ranges::set_union(own, granted, std::back_inserter(items));
    return items;
}

std::vector<int> shownUsers(const UserData& data, const ViewOptions& view) {
    std::vector<int> ids = FilteredUsers(data.users, view);
    if (!view.selectedUsers.empty())
        std::erase_if(ids, [&](int id) { return !view.selectedUsers.count(id); });
    return ids;
}

std::vector<int> shownRoles(const UserData& data, const ViewOptions& view) {
    std::vector<int> ids;
    for (const auto& [id, role] : data.roles.items)
        if (view.selectedRoles.empty() || view.selectedRoles.count(id)) ids.push_back(id);
    return ids;
}

void userRights(db::ResultSet& out, Grid grid, const UserData& data, const ViewOptions& view) {
    const RightKind kind = kindOf(grid);
    const Catalogue catalogue(data.catalogue, kind);
    const bool everyItem = !view.selectedUsers.empty();
    const size_t width = out.columns.size();
    GrantTitles grantTitles(data.roles);
    std::vector<int> everyId;
    if (everyItem)
        for (const auto& [id, item] : catalogue.all()) everyId.push_back(id);
    for (int userId : shownUsers(data, view)) {
        const User& user = data.users.items.at(userId);
        const auto grants = grantsOf(data, user, kind);
        const std::set<int>& own = user.rights.of(kind);
        const std::vector<int> items = everyItem ? everyId : heldItems(own, grants);
        const QString name = UserName(user);
        for (int id : items) {
            const Item* item = catalogue.find(id);
            if (!item) continue;
            auto granted = grants.find(id);
            db::Row row;
            row.reserve(width);
            row.insert(row.end(), {userId, id, name, item->title,
                                   granted == grants.end() ? QString() : grantTitles.of(granted->second)});
            if (grid == Grid::UserTemplates) {
                if (view.templateTypes) row.emplace_back(item->type);
                row.emplace_back(item->locked);
            }
            row.emplace_back(own.count(id) > 0);
            row.emplace_back(item->description);
            out.rows.push_back(std::move(row));
        }
    }
}

void roleRights(db::ResultSet& out, Grid grid, const UserData& data, const ViewOptions& view) {
    const RightKind kind = kindOf(grid);
    const Catalogue catalogue(data.catalogue, kind);
    const bool everyItem = !view.selectedRoles.empty();
    for (int roleId : shownRoles(data, view)) {
        const UserRole& role = data.roles.items.at(roleId);
        const std::set<int>& held = role.rights.of(kind);
        const auto add = [&](int id, const Item& item) {
            db::Row row{roleId, id, role.Title, item.title};
            if (grid == Grid::RoleTemplates) {
                if (view.templateTypes) row.push_back(item.type);
                row.push_back(item.locked);
                row.push_back(role.notRelatableTemplates.count(id) > 0);
            }
            row.push_back(held.count(id) > 0);
            row.push_back(item.description);
            out.rows.push_back(std::move(row));
        };
        if (everyItem) {
            for (const auto& [id, item] : catalogue.all()) add(id, item);
        } else {
            for (int id : held)
                if (const Item* item = catalogue.find(id)) add(id, *item);
        }
    }
}

db::Row relationRow(const UserRole& role, const User& user, bool userFirst) {
    const bool member = user.rights.of(RightKind::Members).count(role.RoleId) > 0 ||
                        role.rights.of(RightKind::Members).count(user.UserId) > 0;
    db::Row row;
    if (userFirst)
        row = {user.UserId, role.RoleId, UserName(user), role.Title};
    else
        row = {role.RoleId, user.UserId, role.Title, UserName(user)};
    row.insert(row.end(), {role.Required, role.Relatable, member, role.Description});
    return row;
}

void userRoles(db::ResultSet& out, const UserData& data, const ViewOptions& view) {
    const bool everyRole = !view.selectedUsers.empty();
    for (int userId : shownUsers(data, view)) {
        const User& user = data.users.items.at(userId);
        for (const auto& [roleId, role] : data.roles.items)
            if (everyRole || user.rights.of(RightKind::Members).count(roleId))
                out.rows.push_back(relationRow(role, user, true));
    }
}

void roleUsers(db::ResultSet& out, const UserData& data, const ViewOptions& view) {
    const bool everyUser = !view.selectedRoles.empty();
    const std::vector<int> users = FilteredUsers(data.users, view);
    for (int roleId : shownRoles(data, view)) {
        const UserRole& role = data.roles.items.at(roleId);
        for (int userId : users)
            if (everyUser || role.rights.of(RightKind::Members).count(userId))
                out.rows.push_back(relationRow(role, data.users.items.at(userId), false));
    }
}

void overview(db::ResultSet& out, const UserData& data, const ViewOptions& view, const TextLookup& text) {
    const Catalogue features(data.catalogue, RightKind::Features);
    const Catalogue profiles(data.catalogue, RightKind::ReportProfiles);
    const Catalogue templates(data.catalogue, RightKind::ReportTemplates);
    GrantTitles grantTitles(data.roles);
    for (int userId : shownUsers(data, view)) {
        const User& user = data.users.items.at(userId);
        const QString name = UserName(user);
        const QString level = UserLevelText(user, view.oldUserColumns, text);
        for (RightKind kind : {RightKind::Features, RightKind::ReportProfiles, RightKind::ReportTemplates}) {
            const Catalogue& catalogue = kind == RightKind::Features         ? features
                                         : kind == RightKind::ReportProfiles ? profiles
                                                                             : templates;
            const size_t column = kind == RightKind::Features ? 5 : kind == RightKind::ReportProfiles ? 6 : 7;
            const auto grants = grantsOf(data, user, kind);
            for (int id : heldItems(user.rights.of(kind), grants)) {
                const Item* item = catalogue.find(id);
                if (!item) continue;
                auto granted = grants.find(id);
                const QString roles = granted == grants.end() ? QString() : grantTitles.of(granted->second);
                db::Row row{userId,    user.Initials, name,      level, QString(),
                            QString(), QString(),     QString(), roles};
                row[column] = item->title;
                if (kind == RightKind::Features) row[4] = item->type;  // the module
                out.rows.push_back(std::move(row));
            }
        }
    }
}

}  // namespace

std::vector<GridColumn> GridColumns(Grid grid, bool templateTypes) {
    const GridColumn userName{"UserName", FieldType::String, kTextUserName};
    const GridColumn roleTitle{"RoleTitle", FieldType::String, kTextUserRole};
    const GridColumn grantedBy{"GrantedBy", FieldType::String, kTextUserRole};
    const GridColumn type{"TypeName", FieldType::String, kTextType};
    const GridColumn predefined{"Predefined", FieldType::Boolean, kTextPredefined};
    const GridColumn required{"Required", FieldType::Boolean, kTextRequired};
    const GridColumn relatable{"Relatable", FieldType::Boolean, kTextRelatable};
    const GridColumn featureTitle{"FeatureTitle", FieldType::String, kTextFeatureTitle};
    const GridColumn profileTitle{"ReportProfileTitle", FieldType::String, kTextReportProfile};
    const GridColumn templateTitle{"ReportTemplateTitle", FieldType::String, kTextReportTemplate};
    std::vector<GridColumn> columns;
    switch (grid) {
        case Grid::UserDetails:
            return {{"UserId", FieldType::Integer, 0},
                    {"Initials", FieldType::String, kTextInitials},
                    {"FirstName", FieldType::String, kTextFirstname},
                    {"SurName", FieldType::String, kTextSurname},
                    {"UserLevel", FieldType::String, kTextUserLevel},
                    {"Organisation", FieldType::String, kTextOrganisation},
                    {"Email", FieldType::String, kTextEmail},
                    {"LastLoginDate", FieldType::DateTime, kTextLastLogin}};
        case Grid::UserFeatures:
            return {kOwner, kItem, userName, featureTitle, grantedBy, kEnabled, kDescription};
        case Grid::UserProfiles:
            return {kOwner, kItem, userName, profileTitle, grantedBy, kEnabled, kDescription};
        case Grid::UserTemplates:
            columns = {kOwner, kItem, userName, templateTitle, grantedBy};
            if (templateTypes) columns.push_back(type);
            columns.insert(columns.end(), {predefined, kEnabled, kDescription});
            return columns;
        case Grid::UserRoles:
            return {kOwner, kItem, userName, roleTitle, required, relatable, kEnabled, kDescription};
        case Grid::Overview:
            return {{"UserId", FieldType::Integer, 0},
                    {"Initials", FieldType::String, kTextInitials},
                    {"Name", FieldType::String, kTextName},
                    {"UserLevel", FieldType::String, kTextUserLevel},
                    {"FeatureModule", FieldType::String, kTextFeatureModule},
                    featureTitle,
                    profileTitle,
                    templateTitle,
                    grantedBy};
        case Grid::RoleDetails:
            return {{"RoleId", FieldType::Integer, kTextUserRole},
                    {"Title", FieldType::String, kTextTitle},
                    {"Locked", FieldType::Boolean, kTextLocked},
                    {kDescriptionField, FieldType::String, kTextDescription},
                    {"UserLevel", FieldType::Integer, kTextUserLevel}};
        case Grid::RoleFeatures: return {kOwner, kItem, roleTitle, featureTitle, kEnabled, kDescription};
        case Grid::RoleProfiles: return {kOwner, kItem, roleTitle, profileTitle, kEnabled, kDescription};
        case Grid::RoleTemplates:
            columns = {kOwner, kItem, roleTitle, templateTitle};
            if (templateTypes) columns.push_back(type);
            columns.insert(
                columns.end(),
                {predefined, {"NoAccess", FieldType::Boolean, kTextNoAccess}, kEnabled, kDescription});
            return columns;
        case Grid::RoleUsers:
            return {kOwner, kItem, roleTitle, userName, required, relatable, kEnabled, kDescription};
        case Grid::UserFilter:
            return {{"UserId", FieldType::Integer, kTextUserId},
                    {"Initials", FieldType::String, kTextInitials},
                    {"UserName", FieldType::String, kTextUserName}};
        case Grid::RoleFilter:
            return {{"RoleId", FieldType::Integer, kTextUserRole}, {"Title", FieldType::String, kTextTitle}};
    }
    return columns;
}

bool IsRightsGrid(Grid grid) {
    switch (grid) {
        case Grid::UserFeatures:
        case Grid::UserProfiles:
        case Grid::UserTemplates:
        case Grid::UserRoles:
        case Grid::RoleFeatures:
        case Grid::RoleTemplates:
        case Grid::RoleProfiles:
        case Grid::RoleUsers: return true;
        default: return false;
    }
}

bool IsUserGrid(Grid grid) { return int(grid) <= int(Grid::Overview) || grid == Grid::UserFilter; }

bool IsDisabled(const User& user, bool oldUserColumns) { return oldUserColumns && user.AccessLevelId == 0; }

namespace {
// The date-time the database stores for "never": day zero of its calendar.
bool isEmptyDate(const QDateTime& date) {
    return !date.isValid() || date.date() == QDate(1899, 12, 30) || date.date() == QDate(1900, 1, 1);
}
}  // namespace

bool IsInactive(const User& user) { return isEmptyDate(user.LastLoginDate); }

QVariant LastLoginValue(const QDateTime& date) { return isEmptyDate(date) ? QVariant() : QVariant(date); }

QString UserName(const User& user) {
    return (user.FirstName.trimmed() + u' ' + user.SurName.trimmed()).trimmed();
}

QString UserLevelText(const User& user, bool oldUserColumns, const TextLookup& text) {
    if (!oldUserColumns) return {};
    return user.AccessLevelId == 0 ? text(kTextDisabled) : QString::number(user.AccessLevelId);
}

std::vector<int> FilteredUsers(const UserList& users, const ViewOptions& view) {
    std::vector<int> ids;
    for (const auto& [id, user] : users.items) {
        if (!view.organisation.isEmpty() && user.Organisation != view.organisation) continue;
        if (!view.showDisabled && IsDisabled(user, view.oldUserColumns)) continue;
        if (!view.showInactive && IsInactive(user)) continue;
        ids.push_back(id);
    }
    return ids;
}

QStringList Organisations(const UserList& users) {
    std::set<QString> names;
    for (const auto& [id, user] : users.items)
        if (!user.Organisation.trimmed().isEmpty()) names.insert(user.Organisation);
    return QStringList(names.begin(), names.end());
}

db::ResultSet BuildGrid(Grid grid, const UserData& data, const ViewOptions& view, const TextLookup& text) {
    db::ResultSet out;
    for (const GridColumn& column : GridColumns(grid, view.templateTypes))
        out.columns.push_back({QLatin1String(column.field), column.type, 0});
    switch (grid) {
        case Grid::UserDetails:
            for (int id : shownUsers(data, view)) {
                const User& u = data.users.items.at(id);
                out.rows.push_back({id, u.Initials, u.FirstName, u.SurName,
                                    UserLevelText(u, view.oldUserColumns, text), u.Organisation, u.Email,
                                    LastLoginValue(u.LastLoginDate)});
            }
            break;
        case Grid::UserFeatures:
        case Grid::UserProfiles:
        case Grid::UserTemplates: userRights(out, grid, data, view); break;
        case Grid::UserRoles: userRoles(out, data, view); break;
        case Grid::Overview: overview(out, data, view, text); break;
        case Grid::RoleDetails:
            for (int id : shownRoles(data, view)) {
                const UserRole& r = data.roles.items.at(id);
                out.rows.push_back({id, r.Title, r.Locked, r.Description, r.AccessLevelId});
            }
            break;
        case Grid::RoleFeatures:
        case Grid::RoleProfiles:
        case Grid::RoleTemplates: roleRights(out, grid, data, view); break;
        case Grid::RoleUsers: roleUsers(out, data, view); break;
        case Grid::UserFilter: {
            for (int id : FilteredUsers(data.users, view)) {
                const User& u = data.users.items.at(id);
                out.rows.push_back({id, u.Initials, UserName(u)});
            }
            // Sorted by what the list shows, so that typing finds a user.
            const int key = view.showNames ? 2 : 1;
            std::stable_sort(out.rows.begin(), out.rows.end(), [key](const db::Row& a, const db::Row& b) {
                return a[size_t(key)].toString().compare(b[size_t(key)].toString(), Qt::CaseInsensitive) < 0;
            });
            break;
        }
        case Grid::RoleFilter:
            for (const auto& [id, role] : data.roles.items) out.rows.push_back({id, role.Title});
            break;
    }
    return out;
}

size_t GridRowBound(Grid grid, const UserData& data, const ViewOptions& view) {
    const auto items = [&](RightKind kind) {
        switch (kind) {
            case RightKind::Features: return data.catalogue.features.size();
            case RightKind::ReportProfiles: return data.catalogue.reportProfiles.size();
            case RightKind::ReportTemplates: return data.catalogue.reportTemplates.size();
            case RightKind::Members: break;
        }
        return data.roles.items.size();
    };
    const size_t users = shownUsers(data, view).size(), roles = shownRoles(data, view).size();
    switch (grid) {
        case Grid::UserFeatures:
        case Grid::UserProfiles:
        case Grid::UserTemplates: return users * items(kindOf(grid));
        case Grid::UserRoles:
        case Grid::RoleUsers: return users * roles;
        case Grid::Overview:
            return users * (items(RightKind::Features) + items(RightKind::ReportProfiles) +
                            items(RightKind::ReportTemplates));
        case Grid::RoleFeatures:
        case Grid::RoleProfiles:
        case Grid::RoleTemplates: return roles * items(kindOf(grid));
        default: return std::max(users, roles);
    }
}

GridSource::GridSource(const UserData& data, ViewOptions view, const TextLookup& text)
    : catalogue_(data.catalogue), view_(std::move(view)) {
    users_.items = data.users.items;
    roles_.items = data.roles.items;
    // The texts a grid shows, read now: the window's text tables stay on its thread.
    const QString disabled = text(kTextDisabled);
    text_ = [disabled](int number) { return number == kTextDisabled ? disabled : QString(); };
}

db::ResultSet GridSource::build(Grid grid) const {
    return BuildGrid(grid, UserData{users_, roles_, catalogue_}, view_, text_);
}

bool HoldsRight(Grid grid, const UserData& data, int ownerId, int itemId) {
    const RightKind kind = kindOf(grid);
    if (IsUserGrid(grid)) {
        const User* user = data.users.find(ownerId);
        return user && user->rights.of(kind).count(itemId) > 0;
    }
    const UserRole* role = data.roles.find(ownerId);
    return role && role->rights.of(kind).count(itemId) > 0;
}

std::vector<int> GrantingRoles(const UserData& data, const User& user, RightKind kind, int itemId) {
    std::vector<int> roles;
    if (kind == RightKind::Members) return roles;
    for (int roleId : user.rights.of(RightKind::Members))
        if (const UserRole* role = data.roles.find(roleId); role && roleGrants(*role, kind, itemId))
            roles.push_back(roleId);
    return roles;
}

}  // namespace users
