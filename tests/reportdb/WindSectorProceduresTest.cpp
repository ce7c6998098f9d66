// Writing and deleting wind sector groups: the lists become the group's
// sectors, a repeated call replaces them, refused lists change nothing, and
// a delete takes the group off the units that used it.

#include "ReportDbTestSupport.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

using namespace reportdb_tests;
using testing_support::TempDatabase;

namespace {

const QString kTwoSectors = QStringLiteral(
    ",@WindSectorExcluded = '1,0',@WindSectorAngleFrom = '350,20',@WindSectorAngleTo = '20,90',"
    "@WindSectorRunA = '0,0.5',@WindSectorRunB = '0,0',@WindSectorRunC = '1,1',@WindSectorRunD = '0,-2',"
    "@WindSectorStopA = '0,0',@WindSectorStopB = '0,0',@WindSectorStopC = '1,1',@WindSectorStopD = '0,0'");

QString handle(int group, const QString& lists, int action) {
    return QStringLiteral(
               "WMS_SP_CRQ_HandleWindSectorGroup @WindSectorGroupId = %1,@WindSectorGroupTitle = "
               "'It''s new'%2,@Action = %3")
        .arg(group)
        .arg(lists)
        .arg(action);
}

}  // namespace

TEST(WindSectorProcedures, WriteReplaceRefuseAndDelete) {
    TempDatabase database(sharedDemo());
    auto connection = database.connect();
    const QString sectorsOf50 = QStringLiteral(
        "SELECT WindSectorExcluded + 0, WindSectorAngleFrom, WindSectorAngleTo, WindSectorRunA, WindSectorRunD "
        "FROM TWindSector WHERE WindSectorGroupId = 50 ORDER BY WindSectorId");

    // A new group is stored under the id it is given; a repeat replaces it.
    for (int round = 0; round < 2; ++round) ASSERT_TRUE(run(*connection, handle(50, kTwoSectors, 1)).ok());
    EXPECT_EQ(
        lines(*connection, "SELECT WindSectorGroupTitle FROM TWindSectorGroup WHERE WindSectorGroupId = 50"),
        QStringList{"It's new"});
    EXPECT_EQ(lines(*connection, sectorsOf50), QStringList({"1|350|20|0|0", "0|20|90|0.5|-2"}));
    const QStringList listed = lines(*connection, "exec WMS_SP_CRQ_SelectWindSectors");
    EXPECT_TRUE(listed.filter(QRegularExpression("^(\\d+)\\|\\1\\|50\\|350\\|20\\|")).size() == 1)
        << "temp id = id";

    const QString before = snapshot(*connection, {"TWindSectorGroup", "TWindSector"});
    const auto with = [](const char* from, const char* to) {
        return QString(kTwoSectors).replace(QLatin1String(from), QLatin1String(to));
    };
    for (const QString& bad : {with("'20,90'", "'20'"), with("'0,0.5'", "'0,0,5'"), with("'0,-2'", "'0,x'"),
                               with("'350,20'", "'350,400'"), with("'1,0'", "'1,2'")}) {
        SCOPED_TRACE(bad.toStdString());
        EXPECT_FALSE(run(*connection, handle(50, bad, 3)).ok());
    }
    EXPECT_FALSE(run(*connection, handle(50, kTwoSectors, 4)).ok());
    EXPECT_EQ(snapshot(*connection, {"TWindSectorGroup", "TWindSector"}), before);

    // A group in use by units goes with its sectors and its references; a
    // second delete finds nothing and succeeds.
    const int used =
        scalar(*connection, "SELECT min(WindSectorGroupId) FROM TParkUnit_TReportProfile").toInt();
    ASSERT_GT(used, 0);
    ASSERT_GT(
        scalar(*connection,
               QStringLiteral("SELECT count(*) FROM TWindSector WHERE WindSectorGroupId = %1").arg(used))
            .toInt(),
        0);
    for (int round = 0; round < 2; ++round)
        ASSERT_TRUE(
            run(*connection,
                QStringLiteral("EXEC WMS_SP_CRQ_HandleWindSectorGroup @WindSectorGroupId = %1,@Action = 2")
                    .arg(used))
                .ok());
    for (const char* table : {"TWindSectorGroup", "TWindSector", "TParkUnit_TReportProfile"})
        EXPECT_EQ(scalar(*connection, QStringLiteral("SELECT count(*) FROM %1 WHERE WindSectorGroupId = %2")
                                          .arg(QLatin1String(table))
                                          .arg(used))
                      .toInt(),
                  0)
            << table;
}

TEST(WindSectorProcedures, ReportsItsProgressToTheProcess) {
    TempDatabase database(sharedDemo());
    auto connection = database.connect();
    const int process = createProcess(*connection, QStringLiteral("InsertWindSectorGroup"));
    EXPECT_TRUE(processStatus(*connection, process).isNull());
    ASSERT_TRUE(
        run(*connection, handle(60, kTwoSectors, 1) + QStringLiteral(", @ProcessId = %1").arg(process)).ok());
    const QVariant remaining = processStatus(*connection, process);
    EXPECT_FALSE(remaining.isNull());
    EXPECT_EQ(remaining.toInt(), 0);
    EXPECT_EQ(scalar(*connection, "SELECT count(*) FROM TWindSector WHERE WindSectorGroupId = 60").toInt(),
              2);
}
