#include "users/UserRecords.h"

#include "users/IdList.h"

namespace users {

bool User::samePersonalData(const User& o) const {
    return Initials == o.Initials && FirstName == o.FirstName && SurName == o.SurName &&
           Organisation == o.Organisation && Email == o.Email && AccessLevelId == o.AccessLevelId &&
           OverrideAccessLevel == o.OverrideAccessLevel;
}

bool UserRole::samePersonalData(const UserRole& o) const {
    return Title == o.Title && Description == o.Description && AccessLevelId == o.AccessLevelId;
}

QString TemplateTypeName(int typeId, bool hasType, const TextLookup& text) {
    if (!hasType) return {};
    if (typeId >= 1 && typeId <= 9) return text(300 + typeId);
    if (typeId == 14 || typeId == 15) return text(303);
    if (typeId == 17) return text(310);
    return text(300);
}

namespace {

// Column positions by name, -1 where the result set lacks the column.
class Columns {
public:
    explicit Columns(const db::ResultSet& rows) : rows_(rows) {}
    int operator[](const char* name) const { return rows_.columnIndex(QLatin1String(name)); }

private:
    const db::ResultSet& rows_;
};

QVariant at(const db::Row& row, int column) {
    return column >= 0 && column < int(row.size()) ? row[column] : QVariant();
}
QString textAt(const db::Row& row, int column) { return at(row, column).toString(); }
int intAt(const db::Row& row, int column) { return at(row, column).toInt(); }
bool boolAt(const db::Row& row, int column) { return at(row, column).toInt() != 0; }

template <class Record>
void readRelationRows(std::map<int, Record>& owners, const db::ResultSet& rows, RightKind kind,
                      const std::function<void(Record&, const db::Row&)>& extra = {}) {
    for (const db::Row& row : rows.rows) {
        auto it = owners.find(intAt(row, 0));
        if (it == owners.end()) continue;
        it->second.rights.of(kind).insert(intAt(row, 1));
        if (extra) extra(it->second, row);
    }
}

}  // namespace

std::map<int, Feature> ReadFeatures(const db::ResultSet& rows) {
    const Columns c(rows);
    std::map<int, Feature> out;
    for (const db::Row& row : rows.rows) {
        Feature f{intAt(row, c["FeatureId"]), textAt(row, c["FeatureModule"]), textAt(row, c["FeatureTitle"]),
                  textAt(row, c["FeatureDescription"])};
        out[f.FeatureId] = f;
    }
    return out;
}

std::map<int, ReportProfileEntry> ReadReportProfiles(const db::ResultSet& rows) {
    const Columns c(rows);
    std::map<int, ReportProfileEntry> out;
    for (const db::Row& row : rows.rows) {
        ReportProfileEntry p{intAt(row, c["ReportProfileId"]), textAt(row, c["ReportProfileTitle"]),
                             textAt(row, c["ReportProfileDescription"])};
        out[p.ReportProfileId] = p;
    }
    return out;
}

std::map<int, ReportTemplate> ReadReportTemplates(const db::ResultSet& rows, const TextLookup& text) {
    const Columns c(rows);
    const int type = c["ReportTemplateTypeId"];
    std::map<int, ReportTemplate> out;
    for (const db::Row& row : rows.rows) {
        ReportTemplate t{intAt(row, c["ReportTemplateId"]), textAt(row, c["ReportTemplateTitle"]),
                         textAt(row, c["ReportTemplateDescription"]), boolAt(row, c["Locked"]),
                         TemplateTypeName(intAt(row, type), type >= 0, text)};
        out[t.ReportTemplateId] = t;
    }
    return out;
}

std::map<int, UserRole> ReadRoles(const db::ResultSet& rows) {
    const Columns c(rows);
    std::map<int, UserRole> out;
    for (const db::Row& row : rows.rows) {
        UserRole r;
        r.RoleId = intAt(row, c["RoleId"]);
        r.Title = textAt(row, c["Title"]);
        r.Description = textAt(row, c["Description"]);
        r.AccessLevelId = intAt(row, c["AccessLevelId"]);
        r.Locked = boolAt(row, c["Locked"]);
        r.Required = boolAt(row, c["Required"]);
        r.Relatable = boolAt(row, c["Relatable"]);
        out[r.RoleId] = r;
    }
    return out;
}

std::map<int, User> ReadUsers(const db::ResultSet& rows, bool oldColumns) {
    const Columns c(rows);
    std::map<int, User> out;
    for (const db::Row& row : rows.rows) {
        User u;
        u.UserId = intAt(row, c["UserId"]);
        u.Initials = textAt(row, c["UserInitials"]);
        u.FirstName = textAt(row, c["UserFirstName"]);
        u.SurName = textAt(row, c["UserSurName"]);
        u.Organisation = textAt(row, c["UserOrganisation"]);
        u.Email = textAt(row, c["UserEmail"]);
        u.LastLoginDate = at(row, c["UserLastLoginDate"]).toDateTime();
        if (oldColumns) {
            u.AccessLevelId = intAt(row, c["AccessLevelId"]);
            u.OverrideAccessLevel = boolAt(row, c["OverrideAccessLevel"]);
            u.Password = textAt(row, c["UserPassword"]);
        }
        out[u.UserId] = u;
    }
    return out;
}

void ReadRelations(std::map<int, User>& users, const db::ResultSet& rows, RightKind kind) {
    readRelationRows(users, rows, kind);
}

void ReadRelations(std::map<int, UserRole>& roles, const db::ResultSet& rows, RightKind kind) {
    const int relatable = rows.columnIndex(QStringLiteral("Relatable"));
    std::function<void(UserRole&, const db::Row&)> extra;
    if (kind == RightKind::ReportTemplates && relatable >= 0)
        extra = [&](UserRole& role, const db::Row& row) {
            if (!boolAt(row, relatable)) role.notRelatableTemplates.insert(intAt(row, 1));
        };
    readRelationRows(roles, rows, kind, extra);
}

void SetUserRoles(std::map<int, User>& users, const std::map<int, UserRole>& roles) {
    for (auto& [id, user] : users) user.rights.of(RightKind::Members).clear();
    for (const auto& [roleId, role] : roles)
        for (int userId : role.rights.of(RightKind::Members)) {
            auto it = users.find(userId);
            if (it != users.end()) it->second.rights.of(RightKind::Members).insert(roleId);
        }
}

namespace {

// One attribute and the blank after it; values are written as they are.
QString attribute(const char* name, const QString& value) {
    return QLatin1String(name) + QStringLiteral("=\"") + value + QStringLiteral("\" ");
}
QString attribute(const char* name, int value) { return attribute(name, QString::number(value)); }

QString accessAttributes(const Rights& rights) {
    return attribute("FeatureAccess", IdListText(rights.of(RightKind::Features), ListUse::Export)) +
           attribute("TemplateAccess",
                     IdListText(rights.of(RightKind::ReportTemplates), true, false, ListUse::Export));
}

}  // namespace

QString UserExportAttributes(const User& u) {
    return attribute("Id", u.UserId) + attribute("Init", u.Initials) + attribute("FirstName", u.FirstName) +
           attribute("SurName", u.SurName) + attribute("Organisation", u.Organisation) +
           attribute("Email", u.Email) + attribute("AccessLevel", u.AccessLevelId) +
           attribute("OverrideAccessLevel", u.OverrideAccessLevel ? 1 : 0) +
           attribute("Password", u.Password) + accessAttributes(u.rights) +
           attribute("UserRoleAccess", IdListText(u.rights.of(RightKind::Members), ListUse::Export))
               .chopped(1);
}

QString RoleExportAttributes(const UserRole& r) {
    return attribute("Id", r.RoleId) + attribute("Title", r.Title) + attribute("Description", r.Description) +
           attribute("AccessLevel", r.AccessLevelId) + attribute("Locked", r.Locked ? 1 : 0) +
           accessAttributes(r.rights);
}

}  // namespace users
