// Deleting a report profile: everything that belonged to it goes with it;
// an export job that uses it prevents it; older databases take three
// parameters.

#include "reportdb/EmbeddedConnection.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

using db::FieldType;
using db::ParameterDirection;
using testing_support::DemoContent;
using testing_support::TempDatabase;

namespace {

DemoContent smallDemo(const QString& version = {}) {
    DemoContent demo;
    demo.options.turbineCount = 4;
    demo.options.rawDataDays = 20;
    demo.options.versionText = version;
    return demo;
}
// Profiles of the demo.
constexpr int kWholePark = 1;
constexpr int kExported = 4;

// The command as the profile removal sends it.
db::Command deleteCommand(int profileId, std::optional<int> deleteGranted) {
    db::Command command;
    command.type = db::CommandType::StoredProcedure;
    command.text = "DCE_SP_DeleteReportProfile";
    command.parameters = {{"@ReturnValue", FieldType::Integer, 0, ParameterDirection::ReturnValue, {}},
                          {"@ProfileId", FieldType::Integer, 0, ParameterDirection::Input, profileId},
                          {"@ExportjobTitle", FieldType::String, 128, ParameterDirection::Output, {}}};
    if (deleteGranted)
        command.parameters.push_back(
            {"@DeleteGranted", FieldType::Integer, 0, ParameterDirection::Input, *deleteGranted});
    return command;
}

qlonglong count(const TempDatabase& database, const QString& sql) {
    return database.scalar(sql).toLongLong();
}

QString profileCounts(const TempDatabase& database, int profileId) {
    QStringList parts;
    for (const char* table :
         {"TReportProfile", "TUser_TReportProfile", "TParkUnit_TReportProfile", "TShadowData"})
        parts << QString::number(count(
            database,
            QStringLiteral("SELECT count(*) FROM %1 WHERE ReportProfileId = %2").arg(table).arg(profileId)));
    return parts.join(' ');
}

}  // namespace

TEST(DeleteReportProfile, DeletesTheProfileWithEverythingThatBelongedToIt) {
    TempDatabase database(smallDemo());
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    EXPECT_EQ(profileCounts(database, kWholePark), "1 3 8 160");
    const QString others = profileCounts(database, 2);
    const qlonglong units = count(database, "SELECT count(*) FROM TParkUnit");

    db::Command command = deleteCommand(kWholePark, 1);
    const db::Result result = connection->execute(command);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(command.parameters[0].value.toInt(), 0);
    EXPECT_TRUE(command.parameters[2].value.isNull());
    EXPECT_EQ(profileCounts(database, kWholePark), "0 0 0 0");
    // Nothing of other profiles, and none of the park's units.
    EXPECT_EQ(profileCounts(database, 2), others);
    EXPECT_EQ(count(database, "SELECT count(*) FROM TParkUnit"), units);

    // A profile that is gone (or never was).
    command = deleteCommand(kWholePark, 1);
    ASSERT_TRUE(connection->execute(command).ok());
    EXPECT_EQ(command.parameters[0].value.toInt(), 1002);

    // Not granted: nothing happens.
    command = deleteCommand(2, 0);
    ASSERT_TRUE(connection->execute(command).ok());
    EXPECT_EQ(command.parameters[0].value.toInt(), 1003);
    EXPECT_EQ(profileCounts(database, 2), others);
}

TEST(DeleteReportProfile, AnExportJobKeepsTheProfileAndIsNamed) {
    TempDatabase database(smallDemo());
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    const QString before = profileCounts(database, kExported);

    db::Command command = deleteCommand(kExported, 1);
    const db::Result result = connection->execute(command);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(command.parameters[0].value.toInt(), 1001);
    EXPECT_EQ(command.parameters[2].value.toString(), "Monthly availability to grid operator");
    EXPECT_EQ(profileCounts(database, kExported), before);

    // Once the job uses another profile, the deletion goes through.
    database.exec("UPDATE TExportJob SET ReportProfileId = 1");
    command = deleteCommand(kExported, 1);
    ASSERT_TRUE(connection->execute(command).ok());
    EXPECT_EQ(command.parameters[0].value.toInt(), 0);
    EXPECT_EQ(profileCounts(database, kExported), "0 0 0 0");
}

TEST(DeleteReportProfile, DatabasesBefore3612TakeThreeParameters) {
    TempDatabase old(smallDemo("3.6.1.1"));
    auto connection = old.connect();
    ASSERT_TRUE(connection);
    db::Command four = deleteCommand(kWholePark, 1);
    EXPECT_TRUE(connection->execute(four).error.contains("@DeleteGranted"))
        << "an unknown parameter is refused";
    EXPECT_EQ(count(old, "SELECT count(*) FROM TReportProfile WHERE ReportProfileId = 1"), 1);
    db::Command three = deleteCommand(kWholePark, std::nullopt);
    const db::Result result = connection->execute(three);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(three.parameters[0].value.toInt(), 0);
    EXPECT_EQ(profileCounts(old, kWholePark), "0 0 0 0");

    // From 3.6.1.2 on the fourth parameter is expected.
    TempDatabase current(smallDemo("3.6.1.2"));
    connection = current.connect();
    ASSERT_TRUE(connection);
    three = deleteCommand(kWholePark, std::nullopt);
    EXPECT_TRUE(connection->execute(three).error.contains("expects parameter '@DeleteGranted'"));
    four = deleteCommand(kWholePark, 1);
    ASSERT_TRUE(connection->execute(four).ok());
    EXPECT_EQ(profileCounts(current, kWholePark), "0 0 0 0");
}
