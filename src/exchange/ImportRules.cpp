#include "exchange/ImportRules.h"

#include "users/IdList.h"

#include <QHash>

namespace exchange {

using users::RightKind;

QString UserPlainText(const users::User& user) {
    users::User escaped = user;
    for (QString* field : {&escaped.Initials, &escaped.FirstName, &escaped.SurName, &escaped.Organisation,
                           &escaped.Email, &escaped.Password})
        *field = EscapeValue(*field);
    return users::UserExportAttributes(escaped);
}

QString RolePlainText(const users::UserRole& role) {
    users::UserRole escaped = role;
    escaped.Title = EscapeValue(role.Title);
    escaped.Description = EscapeValue(role.Description);
    return users::RoleExportAttributes(escaped);
}

std::set<int> ParseIdList(const QString& text) {
    std::set<int> ids;
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int id = part.trimmed().toInt(&ok);
        if (ok) ids.insert(id);
    }
    return ids;
}

namespace {

int number(const PackageRecord& record, const char* name) {
    return record.value(QLatin1String(name)).trimmed().toInt();
}
QString text(const PackageRecord& record, const char* name) { return record.value(QLatin1String(name)); }

std::set<int> upperRange(const std::set<int>& ids) {
    return {ids.lower_bound(users::kUpperRangeStart), ids.end()};
}
std::set<int> lowerRange(const std::set<int>& ids) {
    return {ids.begin(), ids.lower_bound(users::kUpperRangeStart)};
}

// Memberships only of roles the database has: other ids name roles of the
// database the package came from.
std::set<int> knownRoles(const std::set<int>& ids, const users::RoleList& roles) {
    std::set<int> known;
    for (int id : ids)
        if (roles.find(id)) known.insert(id);
    return known;
}

// The database's users by initials regardless of case, and roles by title,
// so that matching many objects stays linear. The lowest id wins a tie, as
// MatchUser finds it.
class Index {
public:
    Index(const users::UserList& users, const users::RoleList& roles) {
        for (const auto& [id, user] : users.items)
            if (!users_.contains(user.Initials.toCaseFolded()))
                users_.insert(user.Initials.toCaseFolded(), id);
        for (const auto& [id, role] : roles.items)
            if (!roles_.contains(role.Title)) roles_.insert(role.Title, id);
    }
    int user(const users::User& imported) const { return users_.value(imported.Initials.toCaseFolded(), 0); }
    int role(const users::UserRole& imported) const { return roles_.value(imported.Title, 0); }

private:
    QHash<QString, int> users_;
    QHash<QString, int> roles_;
};

}  // namespace

users::User UserFromFields(const PackageRecord& r) {
    users::User user;
    user.UserId = number(r, "Id");
    user.Initials = text(r, "Init");
    user.FirstName = text(r, "FirstName");
    user.SurName = text(r, "SurName");
    user.Organisation = text(r, "Organisation");
    user.Email = text(r, "Email");
    user.AccessLevelId = number(r, "AccessLevel");
    user.OverrideAccessLevel = number(r, "OverrideAccessLevel") != 0;
    user.Password = text(r, "Password");
    user.rights.of(RightKind::Features) = ParseIdList(text(r, "FeatureAccess"));
    user.rights.of(RightKind::ReportTemplates) = ParseIdList(text(r, "TemplateAccess"));
    user.rights.of(RightKind::Members) = ParseIdList(text(r, "UserRoleAccess"));
    return user;
}

users::UserRole RoleFromFields(const PackageRecord& r) {
    users::UserRole role;
    role.RoleId = number(r, "Id");
    role.Title = text(r, "Title");
    role.Description = text(r, "Description");
    role.AccessLevelId = number(r, "AccessLevel");
    role.Locked = number(r, "Locked") != 0;
    role.rights.of(RightKind::Features) = ParseIdList(text(r, "FeatureAccess"));
    role.rights.of(RightKind::ReportTemplates) = ParseIdList(text(r, "TemplateAccess"));
    return role;
}

ImportedObjects ImportedFrom(const Package& package) {
    ImportedObjects objects;
    for (const PackageRecord& record : package.records) {
        if (!record.readable()) continue;
        if (record.element == QLatin1String("User")) {
            users::User user = UserFromFields(record);
            objects.users[user.UserId] = user;
        } else {
            users::UserRole role = RoleFromFields(record);
            objects.roles[role.RoleId] = role;
        }
    }
    return objects;
}

const users::User* MatchUser(const users::UserList& database, const users::User& imported) {
    for (const auto& [id, user] : database.items)
        if (user.Initials.compare(imported.Initials, Qt::CaseInsensitive) == 0) return &user;
    return nullptr;
}

const users::UserRole* MatchRole(const users::RoleList& database, const users::UserRole& imported) {
    for (const auto& [id, role] : database.items)
        if (role.Title == imported.Title) return &role;
    return nullptr;
}

std::vector<Conflict> BuildConflicts(const ImportedObjects& imported, const std::set<int>& selectedUsers,
                                     const std::set<int>& selectedRoles, const users::UserList& databaseUsers,
                                     const users::RoleList& databaseRoles) {
    std::vector<Conflict> conflicts;
    const Index index(databaseUsers, databaseRoles);
    const auto features = [](const auto& record) -> const std::set<int>& {
        return record.rights.of(RightKind::Features);
    };
    const auto templates = [](const auto& record) {
        // The upper range is never exported, so only the lower one can differ.
        return lowerRange(record.rights.of(RightKind::ReportTemplates));
    };
    for (int id : selectedUsers) {
        auto it = imported.users.find(id);
        if (it == imported.users.end()) continue;
        const users::User& u = it->second;
        const users::User* d = databaseUsers.find(index.user(u));
        if (!d) continue;
        const auto add = [&](int kind) {
            conflicts.push_back({id, ObjectType::User, kind, u.Initials, false});
        };
        if (u.Initials != d->Initials || u.FirstName != d->FirstName || u.SurName != d->SurName ||
            u.Organisation != d->Organisation || u.Email != d->Email || u.AccessLevelId != d->AccessLevelId)
            add(kPersonal);
        if (features(u) != features(*d)) add(kFeatures);
        if (templates(u) != templates(*d)) add(kTemplates);
        if (knownRoles(u.rights.of(RightKind::Members), databaseRoles) != d->rights.of(RightKind::Members))
            add(kMemberships);
    }
    for (int id : selectedRoles) {
        auto it = imported.roles.find(id);
        if (it == imported.roles.end()) continue;
        const users::UserRole& r = it->second;
        const users::UserRole* d = databaseRoles.find(index.role(r));
        if (!d) continue;
        const auto add = [&](int kind) { conflicts.push_back({id, ObjectType::Role, kind, r.Title, false}); };
        if (r.Description != d->Description || r.AccessLevelId != d->AccessLevelId) add(kPersonal);
        if (features(r) != features(*d)) add(kFeatures);
        if (templates(r) != templates(*d)) add(kTemplates);
    }
    return conflicts;
}

void TranslateRoleIds(ImportedObjects& imported, const users::RoleList& databaseRoles) {
    std::map<int, int> moves;
    for (const auto& [id, role] : imported.roles)
        if (const users::UserRole* match = MatchRole(databaseRoles, role); match && match->RoleId != id)
            moves[id] = match->RoleId;
    if (moves.empty()) return;
    for (auto& [id, user] : imported.users) {
        std::set<int> translated;
        for (int roleId : user.rights.of(RightKind::Members)) {
            auto move = moves.find(roleId);
            translated.insert(move == moves.end() ? roleId : move->second);
        }
        user.rights.of(RightKind::Members) = std::move(translated);
    }
}

void ApplyAnswers(const std::vector<Conflict>& conflicts, const ImportedObjects& imported,
                  users::UserList& databaseUsers, users::RoleList& databaseRoles) {
    databaseUsers.setLoaded(databaseUsers.loaded());
    databaseRoles.setLoaded(databaseRoles.loaded());
    // Matched before any answer changes initials.
    const Index index(databaseUsers, databaseRoles);
    for (const Conflict& conflict : conflicts) {
        if (!conflict.yes) continue;
        if (conflict.type == ObjectType::User) {
            auto it = imported.users.find(conflict.objectId);
            if (it == imported.users.end()) continue;
            const users::User& u = it->second;
            users::User* d = databaseUsers.find(index.user(u));
            if (!d) continue;
            std::set<int>& templates = d->rights.of(RightKind::ReportTemplates);
            switch (conflict.kind) {
                case kPersonal:
                    d->Initials = u.Initials;
                    d->FirstName = u.FirstName;
                    d->SurName = u.SurName;
                    d->Organisation = u.Organisation;
                    d->Email = u.Email;
                    d->AccessLevelId = u.AccessLevelId;
                    break;
                case kFeatures: d->rights.of(RightKind::Features) = u.rights.of(RightKind::Features); break;
                case kTemplates: {
                    std::set<int> kept = upperRange(templates);
                    kept.insert(u.rights.of(RightKind::ReportTemplates).begin(),
                                u.rights.of(RightKind::ReportTemplates).end());
                    templates = std::move(kept);
                    break;
                }
                case kMemberships:
                    d->rights.of(RightKind::Members) =
                        knownRoles(u.rights.of(RightKind::Members), databaseRoles);
                    break;
            }
            continue;
        }
        auto it = imported.roles.find(conflict.objectId);
        if (it == imported.roles.end()) continue;
        const users::UserRole& r = it->second;
        users::UserRole* d = databaseRoles.find(index.role(r));
        if (!d) continue;
        std::set<int>& templates = d->rights.of(RightKind::ReportTemplates);
        switch (conflict.kind) {
            case kPersonal:
                d->Description = r.Description;
                d->AccessLevelId = r.AccessLevelId;
                break;
            case kFeatures:
                // A locked role's features are not changed.
                if (!d->Locked) d->rights.of(RightKind::Features) = r.rights.of(RightKind::Features);
                break;
            case kTemplates: {
                std::set<int> kept = upperRange(templates);
                kept.insert(r.rights.of(RightKind::ReportTemplates).begin(),
                            r.rights.of(RightKind::ReportTemplates).end());
                templates = std::move(kept);
                break;
            }
        }
    }
}

}  // namespace exchange
