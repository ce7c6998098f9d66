#include "exchange/ObjectImport.h"

#include "users/UserAdministration.h"

#include <algorithm>
#include <memory>

namespace exchange {

namespace {

constexpr int kTextLoading = 150;
constexpr int kTextImporting = 445;

using users::RightKind;

// The creations run under one status window whose gauge counts the objects.
class Progress {
public:
    Progress(users::UserAdministration& administration, size_t total)
        : administration_(administration), total_(std::max<size_t>(total, 1)) {
        administration_.beginStatus(kTextImporting);
    }
    ~Progress() { administration_.endStatus(); }
    void step() { administration_.setProgress(int(100 * ++done_ / total_)); }

private:
    users::UserAdministration& administration_;
    size_t total_;
    size_t done_ = 0;
};

int createRoles(users::UserAdministration& administration, const ImportedObjects& imported,
                const std::set<int>& selected, Progress& progress) {
    int created = 0;
    for (int id : selected) {
        progress.step();
        auto it = imported.roles.find(id);
        if (it == imported.roles.end() || MatchRole(administration.roles, it->second)) continue;
        users::UserRole role;
        role.Title = it->second.Title;
        role.Description = it->second.Description;
        role.AccessLevelId = it->second.AccessLevelId;
        if (administration.createRole(role, 0) && role.RoleId > 0) ++created;
    }
    return created;
}

void reload(users::UserAdministration& administration) {
    administration.beginStatus(kTextLoading);
    administration.load();
    administration.endStatus();
}

}  // namespace

int CreateMissingObjects(users::UserAdministration& administration, PackageType type,
                         ImportedObjects& imported, const std::set<int>& selectedUsers,
                         const std::set<int>& selectedRoles) {
    int created = 0;
    if (type == PackageType::Roles) {
        {
            Progress progress(administration, selectedRoles.size());
            created = createRoles(administration, imported, selectedRoles, progress);
        }
        if (created > 0) reload(administration);
        return created;
    }
    auto progress = std::make_unique<Progress>(administration, selectedUsers.size() + selectedRoles.size());
    for (int id : selectedUsers) {
        progress->step();
        auto it = imported.users.find(id);
        if (it == imported.users.end() || MatchUser(administration.users, it->second)) continue;
        const users::User& source = it->second;
        users::User user = source;
        user.UserId = 0;
        user.rights = {};
        if (!administration.createUser(user, source.Password, {}) || user.UserId < 1) continue;
        ++created;
        users::Difference rights;
        rights.added[size_t(RightKind::Features)] = source.rights.of(RightKind::Features);
        rights.added[size_t(RightKind::ReportTemplates)] = source.rights.of(RightKind::ReportTemplates);
        if (!rights.empty()) administration.relate(users::Subject::Users, user.UserId, rights);
    }
    created += createRoles(administration, imported, selectedRoles, *progress);
    progress.reset();
    TranslateRoleIds(imported, administration.roles);
    reload(administration);
    return created;
}

bool SaveAnswers(users::UserAdministration& administration, const std::vector<Conflict>& conflicts,
                 const ImportedObjects& imported) {
    ApplyAnswers(conflicts, imported, administration.users, administration.roles);
    const bool usersSaved = administration.saveUsers();
    // The roles are saved also when a user call failed: their answers are
    // independent, and every failure is in the result list.
    const bool rolesSaved = administration.saveRoles();
    return usersSaved && rolesSaved;
}

}  // namespace exchange
