#include "users/UserManagementRules.h"

namespace users {

namespace {

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

bool templateLocked(const UserData& data, int templateId) {
    auto it = data.catalogue.reportTemplates.find(templateId);
    return it != data.catalogue.reportTemplates.end() && it->second.Locked;
}

}  // namespace

Refusal CheckSwitch(Grid grid, const UserData& data, const RightsRow& row, bool enable) {
    if (grid == Grid::UserRoles || grid == Grid::RoleUsers) {
        const int roleId = grid == Grid::UserRoles ? row.itemId : row.ownerId;
        const UserRole* role = data.roles.find(roleId);
        if (!role) return Refusal::Locked;
        if (role->Required) return Refusal::Required;
        if (!role->Relatable) return Refusal::NotRelatable;
        return Refusal::None;
    }
    const RightKind kind = kindOf(grid);
    if (IsUserGrid(grid)) {
        if (grid == Grid::UserTemplates && templateLocked(data, row.itemId)) return Refusal::Locked;
        const User* user = data.users.find(row.ownerId);
        if (!user) return Refusal::Locked;
        // Taking the user's own right away leaves what a role gives: the row
        // would stay as it is.
        if (!enable && !user->rights.of(kind).count(row.itemId) &&
            !GrantingRoles(data, *user, kind, row.itemId).empty()) {
            if (kind == RightKind::Features) return Refusal::RoleOnlyFeature;
            if (kind == RightKind::ReportTemplates) return Refusal::RoleOnlyTemplate;
        }
        return Refusal::None;
    }
    const UserRole* role = data.roles.find(row.ownerId);
    if (!role || role->Locked) return Refusal::Locked;
    if (grid == Grid::RoleTemplates && templateLocked(data, row.itemId)) return Refusal::Locked;
    return Refusal::None;
}

bool SwitchRight(Grid grid, MutableUserData data, const RightsRow& row, bool enable) {
    const RightKind kind = kindOf(grid);
    const auto set = [enable](std::set<int>& ids, int id) {
        return enable ? ids.insert(id).second : ids.erase(id) > 0;
    };
    if (kind == RightKind::Members) {
        const int userId = grid == Grid::UserRoles ? row.ownerId : row.itemId;
        const int roleId = grid == Grid::UserRoles ? row.itemId : row.ownerId;
        User* user = data.users.find(userId);
        UserRole* role = data.roles.find(roleId);
        if (!user || !role) return false;
        const bool a = set(user->rights.of(RightKind::Members), roleId);
        const bool b = set(role->rights.of(RightKind::Members), userId);
        return a || b;
    }
    if (IsUserGrid(grid)) {
        User* user = data.users.find(row.ownerId);
        return user && set(user->rights.of(kind), row.itemId);
    }
    UserRole* role = data.roles.find(row.ownerId);
    return role && set(role->rights.of(kind), row.itemId);
}

int SetRoleLevels(RoleList& roles, const std::vector<int>& roleIds, int level, bool* refused) {
    int changed = 0;
    for (int id : roleIds) {
        UserRole* role = roles.find(id);
        if (!role) continue;
        if (role->Locked) {
            if (refused) *refused = true;
            continue;
        }
        role->AccessLevelId = level;
        ++changed;
    }
    return changed;
}

int SetUserLevels(UserList& users, const std::vector<int>& userIds, int level) {
    int changed = 0;
    for (int id : userIds)
        if (User* user = users.find(id)) {
            user->AccessLevelId = level;
            user->OverrideAccessLevel = true;
            ++changed;
        }
    return changed;
}

int UseRoleLevels(UserList& users, const std::vector<int>& userIds) {
    int changed = 0;
    for (int id : userIds)
        if (User* user = users.find(id)) {
            user->OverrideAccessLevel = false;
            ++changed;
        }
    return changed;
}

RemovalCheck CheckRoleRemoval(const UserData& data, int roleId, int administratorId) {
    const UserRole* role = data.roles.find(roleId);
    if (!role || role->Locked) return RemovalCheck::Locked;
    const User* administrator = data.users.find(administratorId);
    if (!administrator || !administrator->rights.of(RightKind::Members).count(roleId))
        return RemovalCheck::Allowed;
    for (RightKind kind : {RightKind::Features, RightKind::ReportTemplates})
        for (int item : role->rights.of(kind)) {
            if (kind == RightKind::ReportTemplates && role->notRelatableTemplates.count(item)) continue;
            if (administrator->rights.of(kind).count(item)) continue;
            const std::vector<int> granting = GrantingRoles(data, *administrator, kind, item);
            if (granting.size() <= 1) return RemovalCheck::OwnAccess;
        }
    return RemovalCheck::Allowed;
}

bool QuerySequence::keyUp(int key) {
    static constexpr int kSequence[] = {'Q', 'U', 'E', 'R', 'Y'};
    const bool letter = (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9') || key == ' ';
    if (!letter) return false;
    if (position_ < int(std::size(kSequence)) && key == kSequence[position_])
        ++position_;
    else
        position_ = 1;  // the key that broke the sequence may start it
    return position_ == int(std::size(kSequence));
}

QString GridFileExtension(GridFileFormat format) {
    switch (format) {
        case GridFileFormat::Excel: return QStringLiteral(".XLSX");
        case GridFileFormat::Html: return QStringLiteral(".HTML");
        case GridFileFormat::Xml: return QStringLiteral(".XML");
        case GridFileFormat::Text: return QStringLiteral(".TXT");
    }
    return {};
}

GridFileFormat GridFileFormatFor(const QString& fileName, int filterIndex) {
    if (filterIndex >= 0 && filterIndex < kGridFileFormats) return GridFileFormat(filterIndex);
    for (int f = 0; f < kGridFileFormats; ++f)
        if (fileName.endsWith(GridFileExtension(GridFileFormat(f)), Qt::CaseInsensitive))
            return GridFileFormat(f);
    return GridFileFormat::Excel;
}

QString WithGridFileExtension(const QString& fileName, GridFileFormat format) {
    const QString extension = GridFileExtension(format);
    return fileName.endsWith(extension, Qt::CaseInsensitive) ? fileName : fileName + extension;
}

}  // namespace users
