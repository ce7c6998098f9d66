// The profile list and unit type procedures, from call text to result.

#include "reportdb/EmbeddedConnection.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

using testing_support::TempDatabase;

namespace {

const QStringList kBaseColumns = {"ReportProfileId",          "ReportProfileTitle",
                                  "ReportProfileLocked",      "ReportProfileIdentifier",
                                  "ReportProfileVersion",     "ReportProfileJobScheduleEnabled",
                                  "ReportProfileStatus",      "ReportProfileRegeneratePendingFlag",
                                  "ReportProfileDescription", "ReportProfileShadowDataStartPCTimeStamp"};

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

QStringList columnNames(const db::ResultSet& rows) {
    QStringList names;
    for (const auto& c : rows.columns) names << c.name;
    return names;
}

db::ResultSet profiles(db::Connection& connection, const QString& text) {
    db::Command command;
    command.text = text;
    db::Result result = connection.execute(command);
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(result.resultSets.size(), 1u);
    return result.resultSets.empty() ? db::ResultSet{} : result.resultSets[0];
}

}  // namespace

TEST(SelectProfiles, ListsTheProfilesTheUserMaySee) {
    TempDatabase database;
    addProfiles(database);
    auto connection = database.connect();
    ASSERT_TRUE(connection);

    db::ResultSet list = profiles(*connection, QStringLiteral("DCE_SP_SelectProfiles %1, 3").arg(1));
    ASSERT_EQ(list.rows.size(), 2u);
    const int id = list.columnIndex("ReportProfileId");
    const int title = list.columnIndex("ReportProfileTitle");
    EXPECT_EQ(list.rows[0][id].toInt(), 1);  // by id
    EXPECT_EQ(list.rows[0][title].toString(), "North");
    EXPECT_EQ(list.rows[1][id].toInt(), 3);
    EXPECT_EQ(list.rows[0][list.columnIndex("ReportProfileShadowDataStartPCTimeStamp")].toDateTime(),
              QDateTime(QDate(2023, 1, 1), QTime(0, 10)));
    EXPECT_EQ(list.rows[0][list.columnIndex("AvailabilityContract")].toString(), "RTV2200");
    EXPECT_EQ(list.rows[0][list.columnIndex("UseSeaLevel")], QVariant(true));
    EXPECT_EQ(list.rows[1][list.columnIndex("UseEEGReporting")], QVariant(true));
    EXPECT_EQ(list.rows[0][list.columnIndex("DerateCategoryRule")].toInt(), 2);

    EXPECT_EQ(profiles(*connection, "exec dce_sp_selectprofiles 2, 3").rows.size(), 1u);
    EXPECT_EQ(profiles(*connection, "DCE_SP_SelectProfiles @UserId = 2").rows.size(), 1u);
    // A user without profiles, or an unknown one, gets an empty list with all columns.
    db::ResultSet empty = profiles(*connection, "DCE_SP_SelectProfiles 3, 3");
    EXPECT_TRUE(empty.rows.empty());
    EXPECT_EQ(empty.columns.size(), 19u);
    EXPECT_TRUE(profiles(*connection, "DCE_SP_SelectProfiles 99, 3").rows.empty());

    // The same through a stored-procedure command, with its return value.
    db::Command command;
    command.type = db::CommandType::StoredProcedure;
    command.text = "DCE_SP_SelectProfiles";
    command.parameters = {{"@ReturnValue", db::FieldType::Integer, 0, db::ParameterDirection::ReturnValue, 5},
                          {"@UserId", db::FieldType::Integer, 0, db::ParameterDirection::Input, 1}};
    db::Result result = connection->execute(command);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(command.parameters[0].value.toInt(), 0);
    ASSERT_EQ(result.resultSets.size(), 1u);
    EXPECT_EQ(result.resultSets[0].rows.size(), 2u);
    command.text = "[dbo].[dce_sp_selectprofiles]";
    EXPECT_TRUE(connection->execute(command).ok());
}

TEST(SelectProfiles, GatedColumnsFollowTheDatabaseVersion) {
    struct Case {
        const char* version;
        QStringList extra;
    };
    const std::vector<Case> cases = {
        {"2.30.0.0", {}},
        {"3.0.99.99", {}},
        {"3.1.0.0", {"DataIntegrityCalculationEnabled"}},
        {"3.9.3.9", {"DataIntegrityCalculationEnabled", "AvailabilityContract"}},
        {"3.9.3.10", {"DataIntegrityCalculationEnabled", "AvailabilityContract", "UseSeaLevel"}},
        {"3.12.0.0",
         {"DataIntegrityCalculationEnabled", "AvailabilityContract", "UseSeaLevel", "UseNeighborWindSpeed",
          "UseKerliftReporting", "UseDeratingCategorisation"}},
        {"3.23.100.0",
         {"DataIntegrityCalculationEnabled", "AvailabilityContract", "UseSeaLevel", "UseNeighborWindSpeed",
          "UseKerliftReporting", "UseDeratingCategorisation", "UseIECReporting", "UseEEGReporting"}},
        {"3.26.0.0",
         {"DataIntegrityCalculationEnabled", "AvailabilityContract", "UseSeaLevel", "UseNeighborWindSpeed",
          "UseKerliftReporting", "UseDeratingCategorisation", "UseIECReporting", "UseEEGReporting",
          "DerateCategoryRule"}},
    };
    for (const Case& c : cases) {
        TempDatabase database(c.version);
        addProfiles(database);
        auto connection = database.connect();
        ASSERT_TRUE(connection);
        const db::ResultSet list = profiles(*connection, "DCE_SP_SelectProfiles 1, 3");
        EXPECT_EQ(columnNames(list), kBaseColumns + c.extra) << c.version;
        EXPECT_EQ(list.rows.size(), 2u) << c.version;
    }
}

TEST(SelectProfiles, TheFallbackSelectRunsAsWritten) {
    TempDatabase database("3.0.0.0");
    addProfiles(database);
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    const db::ResultSet list = profiles(
        *connection,
        QStringLiteral("SELECT RP.ReportProfileId, RP.ReportProfileTitle, RP.ReportProfileLocked, "
                       "RP.ReportProfileIdentifier, "
                       "RP.ReportProfileVersion, RP.ReportProfileJobScheduleEnabled, RP.ReportProfileStatus, "
                       "RP.ReportProfileRegeneratePendingFlag, RP.ReportProfileDescription, "
                       "RP.ReportProfileShadowDataStartPCTimeStamp FROM TReportProfile AS RP INNER JOIN "
                       "TUser_TReportProfile "
                       "URP on RP.ReportProfileId=URP.ReportProfileId WHERE URP.UserId = %d ORDER BY "
                       "RP.[ReportProfileId]")
            .replace("%d", "1"));
    EXPECT_EQ(columnNames(list), kBaseColumns);
    EXPECT_EQ(list.rows, profiles(*connection, "DCE_SP_SelectProfiles 1, 3").rows);
}

TEST(SelectUnitTypes, ListsTheTurbineTypesByTitle) {
    TempDatabase database;
    database.exec(
        "INSERT INTO TUnitType (UnitTypeId, UnitTypeTitle, UnitTypeDevice, UnitTypeCapacity) VALUES "
        "(1, 'V90', 'WTG', 2000), (2, 'Met mast', 'MET', NULL), (3, 'E-82', 'WTG', 2300), (4, 'Grid', "
        "'GRID', NULL)");
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    const db::ResultSet types = profiles(*connection, "DCE_SP_SelectUnitTypes");
    ASSERT_EQ(types.rows.size(), 2u);
    EXPECT_EQ(types.rows[0][types.columnIndex("UnitTypeId")].toInt(), 3);
    EXPECT_EQ(types.rows[0][types.columnIndex("UnitTypeTitle")].toString(), "E-82");
    EXPECT_EQ(types.rows[1][types.columnIndex("UnitTypeTitle")].toString(), "V90");
    EXPECT_EQ(types.columns[types.columnIndex("UnitTypeId")].type, db::FieldType::Integer);
    // It takes no arguments.
    db::Command command;
    command.text = "DCE_SP_SelectUnitTypes 1";
    EXPECT_EQ(connection->execute(command).error,
              "Procedure or function DCE_SP_SelectUnitTypes has too many arguments specified.");
}
