// The profile list and unit type procedures, from call text to result;
// deleting a report profile: everything that belonged to it goes with it,
// an export job that uses it, or a caller without the grant, prevents it;
// databases before 3.6.1.2 take three parameters, later ones four.

#include "ReportDbTestSupport.h"

#include <gtest/gtest.h>
#include <optional>

using namespace reportdb_tests;
using testing_support::TempDatabase;

namespace {

// Three profiles; user 1 may see profiles 3 and 1, user 2 profile 2.
void addProfiles(const TempDatabase& database) {
    database.exec(
        "INSERT INTO TUser (UserId, UserInitials) VALUES (1, 'AB'), (2, 'CD'), (3, 'EF');"
        "INSERT INTO TReportProfile (ReportProfileId, ReportProfileTitle, ReportProfileLocked, "
        "ReportProfileJobScheduleEnabled, ReportProfileDescription, ReportProfileShadowDataStartPCTimeStamp, "
        "AvailabilityContract, UseSeaLevel, UseEEGReporting, DerateCategoryRule) VALUES "
        "(1, 'North', 0, 1, 'northern turbines', '2023-01-01 00:10:00', 'RTV2200', 1, 0, 2),"
        "(2, 'South', 1, 0, NULL, NULL, 'RTV2100', 0, 0, 1),"
        "(3, 'All', 0, 0, 'whole park', NULL, 'RTV2100', 0, 1, 1);"
        "INSERT INTO TUser_TReportProfile (UserId, ReportProfileId) VALUES (1, 3), (1, 1), (2, 2);");
}

// Rows of the profile in the profile table, its users, units and shadow data.
QString profileCounts(db::Connection& connection, int profileId) {
    return lines(connection,
                 QStringLiteral("SELECT (SELECT count(*) FROM TReportProfile WHERE ReportProfileId = "
                                "%1), (SELECT count(*) FROM TUser_TReportProfile WHERE "
                                "ReportProfileId = %1), (SELECT count(*) FROM TParkUnit_TReportProfile "
                                "WHERE ReportProfileId = %1), (SELECT count(*) FROM TShadowData WHERE "
                                "ReportProfileId = %1)")
                     .arg(profileId))
        .value(0);
}

}  // namespace

TEST(SelectProfiles, ListsTheProfilesTheUserMaySee) {
    TempDatabase database;
    addProfiles(database);
    auto connection = database.connect();
    ASSERT_TRUE(connection);

    // By id, with the stored values and types.
    const db::ResultSet list = query(*connection, "DCE_SP_SelectProfiles 1, 3");
    ASSERT_EQ(list.rows.size(), 2u);
    EXPECT_EQ(list.rows[0][9], QVariant(QDateTime(QDate(2023, 1, 1), QTime(0, 10))));
    EXPECT_EQ(
        lines(list),
        (QStringList{
            "1|North|0|NULL|1|1|0|0|northern turbines|2023-01-01T00:10:00.000|false|RTV2200|true|"
            "false|false|false|false|false|2",
            "3|All|0|NULL|1|0|0|0|whole park|NULL|false|RTV2100|false|false|false|false|false|true|1"}));

    // Any case, named or positional; a user without profiles, or an unknown
    // one, gets an empty list with all columns.
    for (const auto& [text, rows] :
         {std::pair{"exec dce_sp_selectprofiles 2, 3", 1u},
          std::pair{"DCE_SP_SelectProfiles @UserId = 2", 1u}, std::pair{"DCE_SP_SelectProfiles 3, 3", 0u},
          std::pair{"DCE_SP_SelectProfiles 99, 3", 0u}}) {
        const db::ResultSet other = query(*connection, text);
        EXPECT_EQ(other.rows.size(), rows) << text;
        EXPECT_EQ(columnNames(other), columnNames(list)) << text;
    }

    // The same through a stored-procedure command, with its return value.
    for (const char* name : {"DCE_SP_SelectProfiles", "[dbo].[dce_sp_selectprofiles]"}) {
        const Call called = call(*connection, name, {integer("@UserId", 1)});
        EXPECT_EQ(called.returnValue(), 0);
        EXPECT_EQ(lines(called.set(0)), lines(list));
    }
}

// Each column comes with the database version that has it.
TEST(SelectProfiles, GatedColumnsFollowTheDatabaseVersion) {
    TempDatabase database;
    addProfiles(database);
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    const QStringList gated = {"DataIntegrityCalculationEnabled",
                               "AvailabilityContract",
                               "UseSeaLevel",
                               "UseNeighborWindSpeed",
                               "UseKerliftReporting",
                               "UseDeratingCategorisation",
                               "UseIECReporting",
                               "UseEEGReporting",
                               "DerateCategoryRule"};
    const struct {
        const char* version;
        int gatedColumns;
    } cases[] = {
        {"2.30.0.0", 0},   {"3.0.99.99", 0},   {"3.1.0.0", 1},    {"3.9.1.1", 1},   {"3.9.1.2", 2},
        {"3.9.3.9", 2},    {"3.9.3.10", 3},    {"3.10.1.0", 3},   {"3.10.1.1", 4},  {"3.11.99.99", 4},
        {"3.12.0.0", 6},   {"3.21.100.99", 6}, {"3.21.101.0", 7}, {"3.23.99.0", 7}, {"3.23.100.0", 8},
        {"3.25.99.99", 8}, {"3.26.0.0", 9},    {"4.0.0.0", 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        setVersion(*connection, c.version);
        const db::ResultSet list = query(*connection, "DCE_SP_SelectProfiles 1, 3");
        const QStringList names = columnNames(list);
        ASSERT_EQ(names.size(), 10 + c.gatedColumns);
        EXPECT_EQ(names.mid(10), gated.first(c.gatedColumns));
        EXPECT_EQ(list.rows.size(), 2u);
    }
}

TEST(SelectUnitTypes, ListsTheTurbineTypesByTitle) {
    TempDatabase database;
    database.exec(
        "INSERT INTO TUnitType (UnitTypeId, UnitTypeTitle, UnitTypeDevice, UnitTypeCapacity) VALUES "
        "(1, 'V90', 'WTG', 2000), (2, 'Met mast', 'MET', NULL), (3, 'E-82', 'WTG', 2300), (4, 'Grid', "
        "'GRID', NULL)");
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    const db::ResultSet types = query(*connection, "DCE_SP_SelectUnitTypes");
    EXPECT_EQ(lines(types), (QStringList{"3|E-82|WTG|2300", "1|V90|WTG|2000"}));
    EXPECT_EQ(types.columns[0].type, db::FieldType::Integer);
    EXPECT_EQ(run(*connection, "DCE_SP_SelectUnitTypes 1").error,
              "Procedure or function DCE_SP_SelectUnitTypes has too many arguments specified.");
}

TEST(DeleteReportProfile, RemovesEverythingOfTheProfileUnlessSomethingPreventsIt) {
    TempDatabase database(sharedDemo());
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    const QString whole = profileCounts(*connection, kWholePark);
    const QString exported = profileCounts(*connection, kExported);
    const QString second = profileCounts(*connection, 2);
    const QString gone = "0|0|0|0";
    EXPECT_EQ(whole, QStringLiteral("1|3|%1|%2").arg(kParkUnits).arg(kParkUnits * 61));
    const QString units = lines(*connection, "SELECT count(*) FROM TParkUnit").value(0);

    const struct {
        const char* before;  // SQL run first
        int profileId;
        std::optional<int> deleteGranted;  // none: three parameters
        int returnValue;                   // -1: the call fails
        const char* error;                 // or the export job named
        int changedProfile;
        QString countsAfter;
    } cases[] = {
        {"", 2, 0, 1003, "", 2, second},  // not granted
        {"", kExported, 1, 1001, "Monthly availability to grid operator", kExported, exported},
        {"", kWholePark, 1, 0, "", kWholePark, gone},
        {"", kWholePark, 1, 1002, "", kWholePark, gone},  // gone already
        // Once the export job uses another profile, the deletion goes through.
        {"UPDATE TExportJob SET ReportProfileId = 2", kExported, 1, 0, "", kExported, gone},
        {"UPDATE TDatabaseVersion SET VersionText = '3.6.1.1'", 2, 1, -1, "@DeleteGranted", 2, second},
        {"", 2, std::nullopt, 1001, "Monthly availability to grid operator", 2, second},
        {"DELETE FROM TExportJob", 2, std::nullopt, 0, "", 2, gone},
        {"UPDATE TDatabaseVersion SET VersionText = '3.6.1.2'", 3, std::nullopt, -1,
         "expects parameter '@DeleteGranted'", 3, profileCounts(*connection, 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2 %3")
                         .arg(c.before)
                         .arg(c.profileId)
                         .arg(c.deleteGranted.value_or(-1))
                         .toStdString());
        if (*c.before) query(*connection, c.before);
        db::Command command;
        command.type = db::CommandType::StoredProcedure;
        command.text = "DCE_SP_DeleteReportProfile";
        command.parameters = {
            output("@ReturnValue", db::ParameterDirection::ReturnValue),
            integer("@ProfileId", c.profileId),
            {"@ExportjobTitle", db::FieldType::String, 128, db::ParameterDirection::Output, {}}};
        if (c.deleteGranted) command.parameters.push_back(integer("@DeleteGranted", *c.deleteGranted));
        const db::Result result = connection->execute(command);
        if (c.returnValue < 0) {
            EXPECT_TRUE(result.error.contains(c.error)) << result.error.toStdString();
        } else {
            ASSERT_TRUE(result.ok()) << result.error.toStdString();
            EXPECT_EQ(command.parameters[0].value.toInt(), c.returnValue);
            EXPECT_EQ(command.parameters[2].value.toString(), c.error);
        }
        EXPECT_EQ(profileCounts(*connection, c.changedProfile), c.countsAfter);
    }
    // None of the park's units went with the profiles.
    EXPECT_EQ(lines(*connection, "SELECT count(*) FROM TParkUnit").value(0), units);
}
