// The import's rules on plain containers: matching, the conflicts offered,
// what Yes changes, and the wizard's page path.

#include "exchange/ImportRules.h"
#include "exchange/WizardRules.h"

#include <gtest/gtest.h>

using namespace exchange;
using users::RightKind;

namespace {

users::User user(int id, const char* initials, std::set<int> templates = {}) {
    users::User u;
    u.UserId = id;
    u.Initials = QLatin1String(initials);
    u.AccessLevelId = 1;
    u.rights.of(RightKind::ReportTemplates) = std::move(templates);
    return u;
}

users::UserRole role(int id, const char* title, bool locked = false) {
    users::UserRole r;
    r.RoleId = id;
    r.Title = QLatin1String(title);
    r.Locked = locked;
    return r;
}

template <class Record>
void load(users::Container<Record>& container, std::initializer_list<Record> records) {
    std::map<int, Record> map;
    for (const Record& r : records) map[r.RoleId] = r;
    container.setLoaded(map);
}
template <>
void load(users::UserList& container, std::initializer_list<users::User> records) {
    std::map<int, users::User> map;
    for (const users::User& r : records) map[r.UserId] = r;
    container.setLoaded(map);
}

std::vector<int> kinds(const std::vector<Conflict>& conflicts) {
    std::vector<int> out;
    for (const Conflict& c : conflicts) out.push_back(int(c.type) * 10 + c.kind);
    return out;
}

TEST(ImportRules, MatchingAndConflicts) {
    users::UserList dbUsers;
    users::RoleList dbRoles;
    load(dbUsers, {user(1, "AB", {5, 1000000}), user(2, "CD")});
    load(dbRoles, {role(3, "Operators"), role(4, "Planners", true)});

    ImportedObjects imported;
    imported.users[11] = user(11, "ab", {5});                    // case only: kind 1, upper range ignored
    imported.users[12] = user(12, "CD", {6});                    // templates differ
    imported.users[12].rights.of(RightKind::Members) = {3, 77};  // 77 is no role here
    imported.users[13] = user(13, "EF");                         // new: no conflict
    imported.roles[21] = role(21, "operators");                  // title differs in case: no match
    imported.roles[22] = role(22, "Planners");
    imported.roles[22].Description = QStringLiteral("changed");
    imported.roles[22].rights.of(RightKind::Features) = {9};

    EXPECT_EQ(MatchUser(dbUsers, imported.users[11])->UserId, 1);
    EXPECT_EQ(MatchRole(dbRoles, imported.roles[21]), nullptr);
    const std::vector<Conflict> conflicts =
        BuildConflicts(imported, {11, 12, 13}, {21, 22}, dbUsers, dbRoles);
    EXPECT_EQ(kinds(conflicts), (std::vector<int>{1, 4, 5, 11, 12}));
    // Unselected objects raise nothing.
    EXPECT_TRUE(BuildConflicts(imported, {13}, {}, dbUsers, dbRoles).empty());
}

TEST(ImportRules, YesChangesTheDatabaseRecordNoLeavesIt) {
    users::UserList dbUsers;
    users::RoleList dbRoles;
    load(dbUsers, {user(1, "AB", {5, 1000000}), user(2, "CD", {5})});
    users::UserRole locked = role(3, "Locked", true);
    locked.rights.of(RightKind::Features) = {1};
    load(dbRoles, {locked, role(4, "Open")});
    dbUsers.find(2)->FirstName = QStringLiteral("held edit");  // dropped before the answers apply

    ImportedObjects imported;
    imported.users[11] = user(11, "ab", {6});
    imported.users[11].FirstName = QStringLiteral("Ann");
    imported.users[12] = user(12, "CD", {6});
    imported.roles[21] = role(21, "Locked");
    imported.roles[22] = role(22, "Open");
    for (int id : {21, 22}) {
        imported.roles[id].rights.of(RightKind::Features) = {2};
        imported.roles[id].rights.of(RightKind::ReportTemplates) = {8};
    }
    std::vector<Conflict> conflicts = BuildConflicts(imported, {11, 12}, {21, 22}, dbUsers, dbRoles);
    for (Conflict& c : conflicts) c.yes = c.objectId != 12;
    ApplyAnswers(conflicts, imported, dbUsers, dbRoles);

    const users::User& ab = *dbUsers.find(1);
    EXPECT_EQ(ab.Initials, QStringLiteral("ab"));
    EXPECT_EQ(ab.FirstName, QStringLiteral("Ann"));
    EXPECT_EQ(ab.rights.of(RightKind::ReportTemplates), (std::set<int>{6, 1000000}));
    EXPECT_EQ(dbUsers.find(2)->rights.of(RightKind::ReportTemplates), (std::set<int>{5}));
    EXPECT_TRUE(dbUsers.find(2)->FirstName.isEmpty());
    // A locked role keeps its features but takes the templates.
    EXPECT_EQ(dbRoles.find(3)->rights.of(RightKind::Features), (std::set<int>{1}));
    EXPECT_EQ(dbRoles.find(3)->rights.of(RightKind::ReportTemplates), (std::set<int>{8}));
    EXPECT_EQ(dbRoles.find(4)->rights.of(RightKind::Features), (std::set<int>{2}));
}

TEST(ImportRules, RoleIdsFollowTheTitles) {
    users::RoleList dbRoles;
    load(dbRoles, {role(30, "Operators"), role(5, "Other")});
    ImportedObjects imported;
    imported.roles[5] = role(5, "Operators");
    imported.users[1] = user(1, "AB");
    imported.users[1].rights.of(RightKind::Members) = {5, 6};
    TranslateRoleIds(imported, dbRoles);
    EXPECT_EQ(imported.users[1].rights.of(RightKind::Members), (std::set<int>{6, 30}));
}

TEST(ImportRules, WizardPagePath) {
    using P = WizardPage;
    EXPECT_EQ(BackPage(P::ImportStep3, PackageType::Roles), P::ImportStep1);
    EXPECT_EQ(BackPage(P::ImportStep3, PackageType::Users), P::ImportStep2);
    EXPECT_EQ(BackPage(P::ExportStep3, PackageType::Roles), P::ExportStep1);
    EXPECT_EQ(ExportNextPage(P::ExportStep1, PackageType::Roles), P::ExportStep3);
    EXPECT_FALSE(BackEnabled(P::ImportStep4));
    EXPECT_EQ(NextTextNumber(P::ImportStep2, false), 405);
    EXPECT_EQ(NextTextNumber(P::ImportStep2, true), 401);
    NextState none;
    EXPECT_TRUE(NextEnabled(P::ImportStep3, none));  // a users package may bring no roles
    none.type = PackageType::Roles;
    EXPECT_FALSE(NextEnabled(P::ImportStep3, none));
    EXPECT_EQ(TypeItem(2), 1);
    EXPECT_EQ(TypeItem(7), 0);
}

}  // namespace
