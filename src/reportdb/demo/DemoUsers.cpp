// The users of the reporting database; the first one is the demo's
// administrator, who logs in to the demo session. Their roles and rights
// come after the profiles, which the rights name.

#include "reportdb/demo/DemoBuilder.h"

#include <iterator>
#include <vector>

namespace reportdb::demo {

namespace {

struct User {
    const char* initials;
    const char* firstName;
    const char* surName;
    const char* organisation;
    int accessLevel;
    const char* lastLogin;  // null: never logged in
    bool korvane = false;
};

constexpr User kUsers[] = {
    {"ADM", "Alex", "Morgan", "Hollow Ridge Operations", 3, "2024-12-30 08:12:00"},
    {"JDO", "Jana", "Dorn", "Hollow Ridge Operations", 2, "2024-12-27 14:40:00"},
    {"MKL", "Mats", "Klein", "Northwind Asset Management", 2, "2024-12-19 09:05:00"},
    {"LSV", "Lea", "Svensson", "Northwind Asset Management", 1, "2024-11-28 16:21:00"},
    {"RTA", "Ravi", "Tanaka", "Grid Services East", 1, "2024-10-02 11:00:00"},
    {"KSE", "Kim", "Serrano", "Korvane Service", 4, "2024-12-02 07:30:00", true},
    {"NBE", "Nora", "Berg", "Grid Services East", 1, nullptr},
};

}  // namespace

void addUsers(Builder& b) {
    for (const User& user : kUsers) {
        const QString initials = QString::fromLatin1(user.initials);
        b.context.exec(QStringLiteral("INSERT INTO TUser (UserInitials, UserFirstName, UserSurName, "
                                      "UserOrganisation, UserEmail, UserLastLoginDate, AccessLevelId, "
                                      "UserPassword) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                       {initials, QString::fromLatin1(user.firstName), QString::fromLatin1(user.surName),
                        QString::fromLatin1(user.organisation),
                        QStringLiteral("%1@hollowridge.example").arg(initials.toLower()),
                        user.lastLogin ? QVariant(QString::fromLatin1(user.lastLogin)) : QVariant(),
                        user.accessLevel, initials.toLower() + QStringLiteral("2024")});
        b.userIds.push_back(int(b.context.lastInsertId()));
        if (user.korvane)
            b.context.exec(QStringLiteral("UPDATE TUser SET KorvaneUser = 1 WHERE UserId = ?"),
                           {b.userIds.back()});
    }
    b.administratorUserId = b.userIds.front();
    b.administratorInitials = QString::fromLatin1(kUsers[0].initials);
    b.loginName = QStringLiteral("hr_admin");
}

namespace {

struct Feature {
    int id;
    const char* module;
    const char* title;
    const char* description;
};

// The codes the host grants and this program tests, and those of other
// modules of the installation.
constexpr Feature kFeatures[] = {
    {1, "Reporting", "View reports", "Open the availability and production reports"},
    {2, "Reporting", "Print reports", "Print reports and write them as PDF files"},
    {3, "Profile administration", "Edit profile configuration",
     "Change units, categories and options of a profile"},
    {4, "Reporting", "Export reports", "Copy report tables to the clipboard and to workbooks"},
    {6, "Profile administration", "Edit reference curves",
     "Change reference power and wind distribution curves"},
    {10, "Park", "View park overview", "The live overview of the park"},
    {11, "Park", "Stop and start turbines", "Send stop and start commands to turbines"},
    {12, "Park", "Reset alarms", "Reset turbine alarms remotely"},
    {20, "Service", "Service logbook", "Read and write the service logbook"},
    {21, "Service", "Parameter changes", "Change controller parameters"},
    {101, "Profile administration", "Lock and unlock profiles",
     "Lock a profile against changes and unlock it"},
    {102, "Profile administration", "Edit validation parameters", "Change the data validation limits"},
    {120, "Administration", "User administration", "Maintain users, roles and their rights"},
    {121, "Administration", "Export and import users", "Move users and roles between installations"},
    {146, "Profile administration", "Shadow data sign-off", "Sign off periods of shadow data"},
    {153, "Profile administration", "IEC categorization",
     "Allocate events to the IEC information categories"},
    {1000001, "Add-on", "Grid code reports", "Reports of the grid code add-on"},
    {1000002, "Add-on", "Noise curtailment", "Schedules of the noise curtailment add-on"},
};

struct Role {
    const char* title;
    const char* description;
    int level;
    bool locked;
    bool required;
    bool relatable;
    std::vector<int> users;     // indexes into the users
    std::vector<int> features;  // feature ids
    int profiles;               // the first n profiles
};

const Role kRoles[] = {
    {"Administrators",
     "Predefined: every right of the installation",
     4,
     true,
     true,
     true,
     {0},
     {1, 2, 3, 4, 6, 10, 11, 12, 101, 102, 120, 121, 146, 153},
     99},
    {"Operators",
     "Predefined: day-to-day operation of the park",
     3,
     true,
     false,
     true,
     {1, 2},
     {1, 2, 10, 11, 12},
     2},
    {"Service",
     "Predefined: the manufacturer's service staff",
     4,
     true,
     false,
     false,
     {5},
     {10, 12, 20, 21},
     0},
    {"Asset managers",
     "Reports and contract figures for the owners",
     2,
     false,
     false,
     true,
     {2, 3},
     {1, 2, 4},
     3},
    {"Grid analysts", "Grid events and curtailment", 2, false, false, true, {4}, {1, 4, 1000001}, 1},
    {"Report readers", "Read-only access to the reports", 1, false, false, true, {3, 4, 6}, {1}, 1},
};

// Report template type groups with the titles of their templates.
struct TemplateGroup {
    int typeId;
    std::vector<const char*> titles;
};

const TemplateGroup kTemplateGroups[] = {
    {1, {"Monthly availability", "Yearly availability", "Availability per turbine", "Contract availability"}},
    {2, {"Monthly production", "Production per turbine", "Lost production"}},
    {3, {"Event list", "Event statistics", "Top ten events"}},
    {4, {"Power curve", "Power curve deviation"}},
    {5, {"Wind distribution", "Wind rose", "Turbulence"}},
    {6, {"Grid events", "Grid curtailment"}},
    {7, {"Service visits", "Service hours"}},
    {8, {"Temperature trends", "Component temperatures"}},
    {9, {"Data completeness", "Data validation"}},
    {14, {"IEC time allocation", "IEC information categories"}},
    {15, {"IEC availability"}},
    {17, {"Custom query", "Custom chart"}},
    {20, {"Owner summary", "Park summary"}},
};

}  // namespace

void addUserRights(Builder& b) {
    for (const Feature& feature : kFeatures)
        b.context.exec(QStringLiteral("INSERT INTO TFeature (FeatureId, FeatureModule, FeatureTitle, "
                                      "FeatureDescription) VALUES (?, ?, ?, ?)"),
                       {feature.id, QString::fromLatin1(feature.module), QString::fromLatin1(feature.title),
                        QString::fromLatin1(feature.description)});

    // Ids count up per type group; the add-on's templates lie above 1000000.
    std::vector<int> templateIds;
    int next = 1;
    for (const TemplateGroup& group : kTemplateGroups)
        for (const char* title : group.titles) {
            const bool addOn = group.typeId == 6 || group.typeId == 17;
            const int id = addOn ? 1000000 + next : next;
            ++next;
            b.context.exec(
                QStringLiteral("INSERT INTO TReportTemplate (ReportTemplateId, ReportTemplateTitle, "
                               "ReportTemplateDescription, Locked, ReportTemplateTypeId) "
                               "VALUES (?, ?, ?, ?, ?)"),
                {id, QString::fromLatin1(title),
                 QStringLiteral("The %1 report").arg(QString::fromLatin1(title).toLower()),
                 next % 4 == 0 ? 1 : 0, group.typeId});
            templateIds.push_back(id);
        }

    std::vector<int> roleIds;
    for (size_t r = 0; r < std::size(kRoles); ++r) {
        const Role& role = kRoles[r];
        b.context.exec(QStringLiteral("INSERT INTO TUserRole (Title, Description, AccessLevelId, Locked, "
                                      "Required, Relatable) VALUES (?, ?, ?, ?, ?, ?)"),
                       {QString::fromLatin1(role.title), QString::fromLatin1(role.description), role.level,
                        role.locked ? 1 : 0, role.required ? 1 : 0, role.relatable ? 1 : 0});
        const int roleId = int(b.context.lastInsertId());
        roleIds.push_back(roleId);
        for (int user : role.users)
            b.context.exec(QStringLiteral("INSERT INTO TUserRole_TUser (RoleId, UserId) VALUES (?, ?)"),
                           {roleId, b.userIds.at(size_t(user))});
        for (int feature : role.features)
            b.context.exec(QStringLiteral("INSERT INTO TUserRole_TFeature (RoleId, FeatureId) VALUES (?, ?)"),
                           {roleId, feature});
        for (int p = 0; p < role.profiles && p < int(b.profileIds.size()); ++p)
            b.context.exec(
                QStringLiteral(
                    "INSERT INTO TUserRole_TReportProfile (RoleId, ReportProfileId) VALUES (?, ?)"),
                {roleId, b.profileIds[size_t(p)]});
        // Every n-th template, some held without being handed on.
        for (size_t t = r; t < templateIds.size(); t += r + 1)
            b.context.exec(QStringLiteral("INSERT INTO TUserRole_TReportTemplate (RoleId, ReportTemplateId, "
                                          "Relatable) VALUES (?, ?, ?)"),
                           {roleId, templateIds[t], (t + r) % 5 == 4 ? 0 : 1});
    }

    // Rights given to users directly, beside those of their roles.
    Random random = b.randomFor(17);
    for (size_t u = 0; u < b.userIds.size(); ++u) {
        for (const Feature& feature : kFeatures)
            if (random.chance(0.25))
                b.context.exec(QStringLiteral("INSERT INTO TUser_TFeature (UserId, FeatureId) VALUES (?, ?)"),
                               {b.userIds[u], feature.id});
        for (int id : templateIds)
            if (random.chance(0.2))
                b.context.exec(
                    QStringLiteral(
                        "INSERT INTO TUser_TReportTemplate (UserId, ReportTemplateId) VALUES (?, ?)"),
                    {b.userIds[u], id});
    }
}

}  // namespace reportdb::demo
