// The user management's rules on hand-made containers: the grids' rows, the
// refusals of the rights switches, levels, role removal, the query log's key
// sequence, saved file names and the settings file.

#include "users/GridFiles.h"
#include "users/UserGrids.h"
#include "users/UserManagementRules.h"
#include "users/UserManagementSettings.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

using namespace users;

namespace {

QString numbered(int n) { return QStringLiteral("<%1>").arg(n); }

// Users 1 (in role 10) and 2 (in roles 10 and 11, never logged in, level 0);
// role 10 is locked and gives feature 100 and template 300 (which it keeps
// to itself), role 11 is required and gives feature 101 and template 301.
struct Sample {
    UserList users;
    RoleList roles;
    RightsCatalogue catalogue;

    Sample() {
        User a;
        a.UserId = 1;
        a.FirstName = QStringLiteral("Ann");
        a.Organisation = QStringLiteral("North");
        a.AccessLevelId = 2;
        a.LastLoginDate = QDateTime(QDate(2024, 5, 1), QTime(8, 0));
        a.rights.of(RightKind::Members) = {10};
        a.rights.of(RightKind::Features) = {101};
        User b;
        b.UserId = 2;
        b.FirstName = QStringLiteral("Bob");
        b.Organisation = QStringLiteral("South");
        b.rights.of(RightKind::Members) = {10, 11};
        UserRole locked;
        locked.RoleId = 10;
        locked.Locked = true;
        locked.rights.of(RightKind::Members) = {1, 2};
        locked.rights.of(RightKind::Features) = {100};
        locked.rights.of(RightKind::ReportTemplates) = {300};
        locked.notRelatableTemplates = {300};
        UserRole required;
        required.RoleId = 11;
        required.Title = QStringLiteral("Base");
        required.Required = true;
        required.rights.of(RightKind::Members) = {2};
        required.rights.of(RightKind::Features) = {101};
        required.rights.of(RightKind::ReportTemplates) = {301};
        users.setLoaded({{1, a}, {2, b}});
        roles.setLoaded({{10, locked}, {11, required}});
        for (int id : {100, 101, 102}) catalogue.features[id] = {id, "M", QStringLiteral("F%1").arg(id), {}};
        catalogue.reportTemplates[300] = {300, QStringLiteral("T300"), {}, false, {}};
        catalogue.reportTemplates[301] = {301, QStringLiteral("T301"), {}, true, {}};
    }
    UserData data() const { return {users, roles, catalogue}; }
};

std::vector<int> column(const db::ResultSet& rows, const char* name) {
    std::vector<int> out;
    for (const db::Row& row : rows.rows)
        out.push_back(row[size_t(rows.columnIndex(QLatin1String(name)))].toInt());
    return out;
}

TEST(UserManagementGrids, FiltersSwitchesSelectionAndVersionGate) {
    Sample s;
    ViewOptions view;
    view.oldUserColumns = true;
    const auto users = [&](Grid grid) { return column(BuildGrid(grid, s.data(), view, numbered), "UserId"); };
    EXPECT_EQ(users(Grid::UserDetails), (std::vector<int>{1, 2}));
    view.showDisabled = false;  // Bob's level is 0
    EXPECT_EQ(users(Grid::UserDetails), (std::vector<int>{1}));
    view.showDisabled = true;
    view.showInactive = false;  // Bob never logged in
    EXPECT_EQ(users(Grid::UserFilter), (std::vector<int>{1}));
    view.showInactive = true;
    view.organisation = QStringLiteral("South");
    // Features 100 and 101 and template 301, all from his roles.
    EXPECT_EQ(users(Grid::Overview), (std::vector<int>{2, 2, 2}));

    // Held rights only, each with the roles that give it; a selection shows
    // every feature for the chosen user.
    view.organisation.clear();
    db::ResultSet features = BuildGrid(Grid::UserFeatures, s.data(), view, numbered);
    EXPECT_EQ(column(features, kItemField), (std::vector<int>{100, 101, 100, 101}));
    EXPECT_EQ(features.rows[1][size_t(features.columnIndex("Enabled"))].toBool(), true);
    EXPECT_EQ(features.rows[3][size_t(features.columnIndex("GrantedBy"))].toString(), "Base");
    view.selectedUsers = {2};
    EXPECT_EQ(column(BuildGrid(Grid::UserFeatures, s.data(), view, numbered), kItemField),
              (std::vector<int>{100, 101, 102}));
    EXPECT_EQ(BuildGrid(Grid::UserDetails, s.data(), view, numbered).rows[0][4].toString(), "<23>");

    // Without levels of their own, nobody shows a level or counts as disabled.
    view = {};
    view.showDisabled = false;
    const db::ResultSet details = BuildGrid(Grid::UserDetails, s.data(), view, numbered);
    ASSERT_EQ(details.rows.size(), 2u);
    EXPECT_TRUE(details.rows[1][4].toString().isEmpty());
    EXPECT_TRUE(details.rows[1][7].isNull());  // never logged in: drawn empty
}

TEST(UserManagementRules, SwitchRefusalsAndSwitching) {
    Sample s;
    struct Case {
        Grid grid;
        RightsRow row;
        bool enable;
        Refusal refusal;
    };
    const Case cases[] = {
        {Grid::UserRoles, {2, 11}, false, Refusal::Required},
        {Grid::RoleUsers, {10, 1}, false, Refusal::None},
        {Grid::RoleFeatures, {10, 102}, true, Refusal::Locked},
        {Grid::UserTemplates, {1, 301}, true, Refusal::Locked},
        {Grid::UserFeatures, {2, 101}, false, Refusal::RoleOnlyFeature},
        {Grid::UserFeatures, {2, 101}, true, Refusal::None},
        {Grid::UserFeatures, {1, 101}, false, Refusal::None},   // her own right
        {Grid::UserTemplates, {1, 300}, false, Refusal::None},  // the role keeps it to itself
        {Grid::RoleFeatures, {11, 100}, true, Refusal::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.grid));
        EXPECT_EQ(CheckSwitch(c.grid, s.data(), c.row, c.enable), c.refusal);
    }
    s.roles.find(11)->Required = false;
    s.roles.find(11)->Relatable = false;
    EXPECT_EQ(CheckSwitch(Grid::RoleUsers, s.data(), {11, 1}, true), Refusal::NotRelatable);

    // A membership changes on both sides, and only once.
    MutableUserData data{s.users, s.roles, s.catalogue};
    EXPECT_TRUE(SwitchRight(Grid::RoleUsers, data, {10, 1}, false));
    EXPECT_FALSE(SwitchRight(Grid::UserRoles, data, {1, 10}, false));
    EXPECT_FALSE(s.users.find(1)->rights.of(RightKind::Members).count(10));
    EXPECT_FALSE(s.roles.find(10)->rights.of(RightKind::Members).count(1));
}

TEST(UserManagementRules, LevelsOfRolesAndUsers) {
    RoleList roles;
    std::map<int, UserRole> records;
    for (int id : {1, 2, 3}) {
        records[id].RoleId = id;
        records[id].Locked = id == 2;
    }
    roles.setLoaded(records);
    bool refused = false;
    EXPECT_EQ(SetRoleLevels(roles, {1, 2, 3}, 2, &refused), 2);
    EXPECT_TRUE(refused);
    EXPECT_EQ(roles.find(2)->AccessLevelId, 1);
    EXPECT_EQ(roles.find(3)->AccessLevelId, 2);

    Sample s;
    SetUserLevels(s.users, {1}, 4);
    EXPECT_TRUE(s.users.find(1)->OverrideAccessLevel);
    UseRoleLevels(s.users, {1});
    EXPECT_FALSE(s.users.find(1)->OverrideAccessLevel);
    EXPECT_EQ(s.users.find(1)->AccessLevelId, 4);
}

TEST(UserManagementRules, RoleRemoval) {
    Sample s;
    EXPECT_EQ(CheckRoleRemoval(s.data(), 10, 2), RemovalCheck::Locked);
    EXPECT_EQ(CheckRoleRemoval(s.data(), 11, 2), RemovalCheck::OwnAccess);  // feature 101 from no other role
    EXPECT_EQ(CheckRoleRemoval(s.data(), 11, 1), RemovalCheck::Allowed);    // not hers
    s.users.find(2)->rights.of(RightKind::Features) = {101};
    s.users.find(2)->rights.of(RightKind::ReportTemplates) = {301};
    EXPECT_EQ(CheckRoleRemoval(s.data(), 11, 2), RemovalCheck::Allowed);  // he has both himself
}

TEST(UserManagementRules, QueryLogSequences) {
    const std::pair<const char*, int> cases[] = {{"QUERY", 1},      {"QUERYQUERY", 2}, {"XUERY", 1},
                                                 {"QUERXQUERY", 1}, {"QUEERY", 0},     {"Q-UERY", 1}};
    for (const auto& [keys, opened] : cases) {
        SCOPED_TRACE(keys);
        QuerySequence sequence;
        int count = 0;
        for (const char* key = keys; *key; ++key) count += sequence.keyUp(*key) ? 1 : 0;
        EXPECT_EQ(count, opened);
    }
}

TEST(UserManagementRules, SavedFileNames) {
    EXPECT_EQ(WithGridFileExtension("users", GridFileFormatFor("users", 3)), "users.TXT");
    EXPECT_EQ(WithGridFileExtension("a.txt", GridFileFormatFor("a.txt", 3)), "a.txt");
    EXPECT_EQ(WithGridFileExtension("a.Html", GridFileFormatFor("a.Html", -1)), "a.Html");
    EXPECT_EQ(WithGridFileExtension("a.txt", GridFileFormatFor("a.txt", 0)), "a.txt.XLSX");
    reports::TableData table;
    table.columns = {{"A", db::FieldType::String}, {"B", db::FieldType::String}};
    table.rows = {{QStringLiteral("x<y"), QStringLiteral("tab\there")}};
    EXPECT_EQ(GridFileContent(table, GridFileFormat::Text, "t"), "A\tB\r\nx<y\ttab here\r\n");
    EXPECT_TRUE(GridFileContent(table, GridFileFormat::Html, "t").contains("<td>x&lt;y</td>"));
    EXPECT_TRUE(GridFileContent(table, GridFileFormat::Xml, "t").contains("<Value>x&lt;y</Value>"));
}

TEST(UserManagementSettingsFile, LayoutAndBadFiles) {
    UserManagementSettings s;
    s.showNames = false;
    s.showInactiveUsers = false;
    s.organisationIndex = 3;
    s.organisation = QStringLiteral("Grid Services East");
    const QByteArray bytes = EncodeSettings(s);
    ASSERT_EQ(bytes.size(), 272);
    const qint32 words[] = {0, 1, 1, 0, 3};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 4 * i), words[i]);
    EXPECT_EQ(bytes.mid(20, 19), QByteArray("Grid Services East\0", 19));
    EXPECT_EQ(DecodeSettings(bytes), s);

    QTemporaryDir dir;
    const QString path = SettingsFilePath(dir.path());
    EXPECT_TRUE(path.endsWith(QStringLiteral("UserManagement.ini")));
    UserManagementSettings defaults;
    defaults.organisation = QStringLiteral("(all)");
    EXPECT_EQ(ReadSettingsFile(path, defaults), defaults);  // missing
    ASSERT_TRUE(WriteSettingsFile(path, s));
    EXPECT_EQ(ReadSettingsFile(path, defaults), s);

    QByteArray noZero = bytes;
    noZero.replace(20, 252, QByteArray(252, 'x'));
    QByteArray badSwitch = bytes;
    badSwitch[4] = 2;
    QByteArray badIndex = bytes;
    qToLittleEndian<qint32>(-1, badIndex.data() + 16);
    for (const QByteArray& bad :
         {bytes.left(271), bytes + QByteArray(1, '\0'), noZero, badSwitch, badIndex}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bad);
        file.close();
        EXPECT_EQ(ReadSettingsFile(path, defaults), defaults);
    }
}

}  // namespace
