// The users of the reporting database; the first one is the demo's
// administrator, who logs in to the demo session.

#include "reportdb/demo/DemoBuilder.h"

namespace reportdb::demo {

namespace {

struct User {
    const char* initials;
    const char* firstName;
    const char* surName;
    const char* organisation;
    int accessLevel;
    const char* lastLogin;
};

constexpr User kUsers[] = {
    {"ADM", "Alex", "Morgan", "Hollow Ridge Operations", 3, "2024-12-30 08:12:00"},
    {"JDO", "Jana", "Dorn", "Hollow Ridge Operations", 2, "2024-12-27 14:40:00"},
    {"MKL", "Mats", "Klein", "Northwind Asset Management", 2, "2024-12-19 09:05:00"},
    {"LSV", "Lea", "Svensson", "Northwind Asset Management", 1, "2024-11-28 16:21:00"},
    {"RTA", "Ravi", "Tanaka", "Grid Services East", 1, "2024-10-02 11:00:00"},
};

}  // namespace

void addUsers(Builder& b) {
    for (const User& user : kUsers) {
        const QString initials = QString::fromLatin1(user.initials);
        b.context.exec(QStringLiteral("INSERT INTO TUser (UserInitials, UserFirstName, UserSurName, "
                                      "UserOrganisation, UserEmail, UserLastLoginDate, AccessLevelId) "
                                      "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                       {initials, QString::fromLatin1(user.firstName), QString::fromLatin1(user.surName),
                        QString::fromLatin1(user.organisation),
                        QStringLiteral("%1@hollowridge.example").arg(initials.toLower()),
                        QString::fromLatin1(user.lastLogin), user.accessLevel});
        b.userIds.push_back(int(b.context.lastInsertId()));
    }
    b.administratorUserId = b.userIds.front();
    b.administratorInitials = QString::fromLatin1(kUsers[0].initials);
    b.loginName = QStringLiteral("hr_admin");
}

}  // namespace reportdb::demo
