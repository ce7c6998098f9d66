#pragma once
// The users, roles and the catalogue of rights as the user administration
// holds them. Each container keeps the records as edited and as last loaded
// or saved; the difference is what a save writes.

#include "db/Value.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <functional>
#include <map>
#include <set>

namespace users {

// From this database version on, users have no stored password, level or
// override of their own.
inline constexpr char kNoStoredPasswordsSince[] = "3.24.0.0";

// The kinds of rights, in the order the procedures take their lists. The
// first kind is the other side of the membership: the roles of a user, the
// users of a role.
enum class RightKind { Members = 0, Features = 1, ReportTemplates = 2, ReportProfiles = 3 };
inline constexpr int kRightKinds = 4;

struct Rights {
    std::array<std::set<int>, kRightKinds> ids;

    std::set<int>& of(RightKind kind) { return ids[size_t(kind)]; }
    const std::set<int>& of(RightKind kind) const { return ids[size_t(kind)]; }
    bool operator==(const Rights&) const = default;
};

struct Feature {
    int FeatureId = 0;
    QString FeatureModule;
    QString FeatureTitle;
    QString FeatureDescription;
};

struct ReportProfileEntry {
    int ReportProfileId = 0;
    QString ReportProfileTitle;
    QString ReportProfileDescription;
};

struct ReportTemplate {
    int ReportTemplateId = 0;
    QString ReportTemplateTitle;
    QString ReportTemplateDescription;
    bool Locked = false;
    QString TypeName;  // empty when the database gave no type
};

struct User {
    int UserId = 0;
    QString Initials;
    QString FirstName;
    QString SurName;
    QString Organisation;
    QString Email;
    QDateTime LastLoginDate;
    // Older databases only.
    int AccessLevelId = 0;
    bool OverrideAccessLevel = false;
    QString Password;
    Rights rights;  // Members: the roles that contain the user

    // The fields a personal UPDATE writes (the password is not among them).
    bool samePersonalData(const User& other) const;
};

struct UserRole {
    int RoleId = 0;
    QString Title;
    QString Description;
    int AccessLevelId = 1;
    bool Locked = false;
    bool Required = false;
    bool Relatable = true;
    Rights rights;  // Members: the users of the role
    // Templates the role holds without handing them on to its users.
    std::set<int> notRelatableTemplates;

    bool samePersonalData(const UserRole& other) const;
};

// Records by id, as edited and as the database holds them.
template <class Record>
class Container {
public:
    std::map<int, Record> items;

    Record* find(int id) {
        auto it = items.find(id);
        return it == items.end() ? nullptr : &it->second;
    }
    const Record* find(int id) const {
        auto it = items.find(id);
        return it == items.end() ? nullptr : &it->second;
    }
    const std::map<int, Record>& loaded() const { return loaded_; }
    const Record* loadedRecord(int id) const {
        auto it = loaded_.find(id);
        return it == loaded_.end() ? nullptr : &it->second;
    }
    // After a load: the records are what the database holds.
    void setLoaded(std::map<int, Record> records) {
        items = records;
        loaded_ = std::move(records);
    }
    // After a write: `record` is what the database holds now (also in the
    // edited records, unless `keepEdits`).
    void setStored(const Record& record, bool keepEdits = false) {
        loaded_[idOf(record)] = record;
        if (!keepEdits || !items.count(idOf(record))) items[idOf(record)] = record;
    }
    // Applies `change` to the record as edited and as stored.
    template <class Change>
    void updateBoth(int id, Change change) {
        if (auto it = items.find(id); it != items.end()) change(it->second);
        if (auto it = loaded_.find(id); it != loaded_.end()) change(it->second);
    }
    void remove(int id) {
        items.erase(id);
        loaded_.erase(id);
    }

private:
    static int idOf(const User& user) { return user.UserId; }
    static int idOf(const UserRole& role) { return role.RoleId; }
    std::map<int, Record> loaded_;
};

using UserList = Container<User>;
using RoleList = Container<UserRole>;

struct RightsCatalogue {
    std::map<int, Feature> features;
    std::map<int, ReportProfileEntry> reportProfiles;
    std::map<int, ReportTemplate> reportTemplates;
};

// A numbered text of the user administration's language file.
using TextLookup = std::function<QString(int number)>;

// The type name of a report template type; `hasType` false: the result set
// had no type column.
QString TemplateTypeName(int typeId, bool hasType, const TextLookup& text);

// Readers of the procedures' result sets (columns found by name).
std::map<int, Feature> ReadFeatures(const db::ResultSet& rows);
std::map<int, ReportProfileEntry> ReadReportProfiles(const db::ResultSet& rows);
std::map<int, ReportTemplate> ReadReportTemplates(const db::ResultSet& rows, const TextLookup& text);
std::map<int, UserRole> ReadRoles(const db::ResultSet& rows);
// `oldColumns`: the level, override and password columns are read.
std::map<int, User> ReadUsers(const db::ResultSet& rows, bool oldColumns);
// Relation rows (owner id, other id): added to the owners' rights of `kind`;
// rows of unknown owners are skipped. Role template rows carry Relatable.
void ReadRelations(std::map<int, User>& users, const db::ResultSet& rows, RightKind kind);
void ReadRelations(std::map<int, UserRole>& roles, const db::ResultSet& rows, RightKind kind);
// The roles' member lists give the users their roles.
void SetUserRoles(std::map<int, User>& users, const std::map<int, UserRole>& roles);

// The attribute text that writes a user or role into an export package.
// Features of both ranges; report templates of the lower range only.
QString UserExportAttributes(const User& user);
QString RoleExportAttributes(const UserRole& role);

}  // namespace users
