// Deleting a report profile: everything that belonged to it goes with it;
// an export job that uses it, or a caller without the grant, prevents it;
// databases before 3.6.1.2 take three parameters, later ones four.

#include "ReportDbTestSupport.h"

#include <gtest/gtest.h>

#include <optional>

using namespace reportdb_tests;
using testing_support::TempDatabase;

namespace {

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
