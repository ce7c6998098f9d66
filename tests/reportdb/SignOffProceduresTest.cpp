// Validation limits by group, the sign-off records' procedures, and the
// database keeping signed-off shadow data as it is through a regeneration.

#include "ReportDbTestSupport.h"

#include <gtest/gtest.h>

using namespace reportdb_tests;
using testing_support::TempDatabase;

namespace {

struct Record {
    int profile = kWholePark;
    const char* from;
    const char* to;
    bool locked = true;
    QString description = QStringLiteral("Checked");
    bool customer = false;
    int user = 1;
};

Call insert(db::Connection& connection, const Record& r) {
    const auto typed = [](const char* name, db::FieldType type, const QVariant& value) {
        return db::Parameter{QLatin1String(name), type, 0, db::ParameterDirection::Input, value};
    };
    return call(
        connection, "WMS_SP_REP_InsertShadowDataLockPeriod",
        {integer("@ReportProfileId", r.profile),
         typed("@TimeFrom", db::FieldType::DateTime, QDateTime::fromString(r.from, Qt::ISODate)),
         typed("@TimeTo", db::FieldType::DateTime, QDateTime::fromString(r.to, Qt::ISODate)),
         typed("@Locked", db::FieldType::Boolean, r.locked), text("@LockDescription", r.description),
         typed("@Customer", db::FieldType::Boolean, r.customer), integer("@UserId", r.user), output("@Id")});
}

// Every shadow data row of the whole park regenerated over November and
// December (the shared demo's raw data).
void regenerate(db::Connection& connection) {
    ASSERT_TRUE(run(connection,
                    "DCE_SP_UpdateShadowDataForParkUnitsInProfile @ReportProfileId = 1, "
                    "@FromDate = '2024-11-01 00:10:00', @ToDate = '2025-01-01 00:00:00'")
                    .ok());
}

// The days whose rows (of every unit) a regeneration left as marked.
QString keptDays(db::Connection& connection) {
    return scalar(connection,
                  QStringLiteral("SELECT group_concat(day) FROM (SELECT substr(ShadowDate, 9, 2) AS day "
                                 "FROM TShadowData WHERE ReportProfileId = 1 AND ProductionKWh = -1 "
                                 "GROUP BY ShadowDate HAVING count(*) = %1 ORDER BY 1)")
                      .arg(kParkUnits))
        .toString();
}

}  // namespace

TEST(ValidationParameters, AGroupIsChosenByTypeOrByAUnitOfIt) {
    TempDatabase database(sharedDemo());
    auto connection = database.connect();
    const auto keys = [&](const QString& callText) {
        QStringList out;
        for (const db::Row& row : query(*connection, callText).rows) out << row[0].toString();
        return out.join(',');
    };
    const auto stored = [&](const char* group) {
        return scalar(*connection, QStringLiteral("SELECT group_concat(ValidationParameterId) FROM (SELECT "
                                                  "ValidationParameterId FROM TValidationParameter WHERE %1 "
                                                  "ORDER BY MeasuredValueId)")
                                       .arg(QLatin1String(group)))
            .toString();
    };
    const QString met = stored("UnitTypeId IS NULL");
    const QString typeA = stored("UnitTypeId = 1");
    ASSERT_FALSE(met.isEmpty() || typeA.isEmpty());
    // By group; a unit gets its type's limits, a met mast those of the met group.
    EXPECT_EQ(keys("DCE_SP_SelectValidationParameters 0"), met);
    EXPECT_EQ(keys("DCE_SP_SelectValidationParameters 0, 1"), typeA);
    EXPECT_EQ(keys("DCE_SP_SelectValidationParameters 1"), typeA);
    EXPECT_EQ(keys("DCE_SP_SelectValidationParameters 5"), met);
    EXPECT_TRUE(keys("DCE_SP_SelectValidationParameters 0, 99").isEmpty());
    EXPECT_FALSE(run(*connection, "DCE_SP_SelectValidationParameters 99").ok());
}

TEST(ShadowDataSignOff, RecordsAreCheckedAppendedAndListedByTimeFrom) {
    TempDatabase database(sharedDemo());
    auto connection = database.connect();
    const QStringList tables = {"TShadowDataLockPeriod"};
    const QString before = snapshot(*connection, tables);
    const struct {
        const char* why;
        Record record;
        int returnValue;
    } refused[] = {
        {"unknown profile", {99, "2024-11-01T00:00:00", "2024-11-02T00:00:00"}, 1},
        {"stop before start", {1, "2024-11-02T00:00:00", "2024-11-01T00:00:00"}, 2},
        {"no period", {1, "2024-11-01T00:00:00", "2024-11-01T00:00:00"}, 2},
        {"empty description", {1, "2024-11-01T00:00:00", "2024-11-02T00:00:00", true, ""}, 3},
        {"long description", {1, "2024-11-01T00:00:00", "2024-11-02T00:00:00", true, QString(257, 'x')}, 3},
        {"unknown user", {1, "2024-11-01T00:00:00", "2024-11-02T00:00:00", true, "x", false, 99}, 4},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.why);
        const Call refusal = insert(*connection, c.record);
        EXPECT_EQ(refusal.returnValue(), c.returnValue);
        EXPECT_TRUE(refusal.command.parameter("@Id")->value.isNull());
    }
    EXPECT_EQ(snapshot(*connection, tables), before);

    // Written out of order, listed by TimeFrom; the longest description fits.
    const Call later = insert(
        *connection, {1, "2024-12-01T00:00:00", "2024-12-08T00:00:00", false, QString(256, 'd'), true, 2});
    const Call earlier = insert(*connection, {1, "2024-11-01T06:00:00", "2024-11-03T00:00:00"});
    ASSERT_EQ(later.returnValue(), 0);
    ASSERT_EQ(earlier.returnValue(), 0);
    EXPECT_GT(earlier.command.parameter("@Id")->value.toInt(), later.command.parameter("@Id")->value.toInt());
    const Call list =
        call(*connection, "WMS_SP_REP_SelectShadowDataLockPeriod", {integer("@ReportProfileId", 1)});
    QStringList shown;
    for (const db::Row& row : list.set(0).rows)
        shown << QStringList{row[0].toString(), row[1].toString(), row[2].toString(),
                             row[3].toDateTime().toString(Qt::ISODate), row[5].toString().left(3)}
                     .join('|');
    const QString initials =
        scalar(*connection, "SELECT UserInitials FROM TUser WHERE UserId = 1").toString();
    const QString other = scalar(*connection, "SELECT UserInitials FROM TUser WHERE UserId = 2").toString();
    EXPECT_EQ(shown, (QStringList{"true|false|" + initials + "|2024-11-01T06:00:00|Che",
                                  "false|true|" + other + "|2024-12-01T00:00:00|ddd"}));
    EXPECT_TRUE(list.set(0).rows[0][6].toDateTime().isValid());
    EXPECT_EQ(call(*connection, "WMS_SP_REP_SelectShadowDataLockPeriod", {integer("@ReportProfileId", 99)})
                  .returnValue(),
              1);
    // Records are final; the profile's removal takes them along.
    EXPECT_FALSE(run(*connection, "UPDATE TShadowDataLockPeriod SET Locked = 0").ok());
    EXPECT_FALSE(run(*connection, "DELETE FROM TShadowDataLockPeriod").ok());
    const db::Result removal = run(*connection, "DELETE FROM TReportProfile WHERE ReportProfileId = 1");
    ASSERT_TRUE(removal.ok()) << removal.error.toStdString();
    EXPECT_EQ(scalar(*connection, "SELECT count(*) FROM TShadowDataLockPeriod WHERE ReportProfileId = 1"),
              QVariant(qlonglong(0)));
}

TEST(ShadowDataSignOff, ARegenerationKeepsTheLockedDaysUntilALaterUnlock) {
    TempDatabase database(sharedDemo());
    auto connection = database.connect();
    // Marked rows that a regeneration leaves; a signed-off row cannot be marked.
    const QString mark = "UPDATE TShadowData SET ProductionKWh = -1 WHERE ReportProfileId = 1";
    query(*connection, mark);
    // A lock from the 10th, 12:00 to the 20th overlaps the days 10 to 19.
    ASSERT_EQ(insert(*connection, {1, "2024-11-10T12:00:00", "2024-11-20T00:00:00"}).returnValue(), 0);
    regenerate(*connection);
    EXPECT_EQ(keptDays(*connection), "10,11,12,13,14,15,16,17,18,19");
    EXPECT_EQ(scalar(*connection, "SELECT count(*) FROM TShadowData WHERE ReportProfileId = 1"),
              QVariant(qlonglong(kParkUnits * 61)));

    // A later unlock of the 14th to the 16th frees those days; a lock after it
    // of the 16th alone takes that one back.
    ASSERT_EQ(insert(*connection, {1, "2024-11-14T00:00:00", "2024-11-17T00:00:00", false}).returnValue(), 0);
    ASSERT_EQ(insert(*connection, {1, "2024-11-16T00:00:00", "2024-11-17T00:00:00"}).returnValue(), 0);
    query(*connection, mark);
    regenerate(*connection);
    EXPECT_EQ(keptDays(*connection), "10,11,12,13,16,17,18,19");

    // Signed-off rows are not deleted either, but leave with their unit.
    query(*connection, "DELETE FROM TShadowData WHERE ReportProfileId = 1");
    EXPECT_EQ(keptDays(*connection), "10,11,12,13,16,17,18,19");
    query(*connection, "DELETE FROM TParkUnit_TReportProfile WHERE ReportProfileId = 1");
    EXPECT_EQ(scalar(*connection, "SELECT count(*) FROM TShadowData WHERE ReportProfileId = 1"),
              QVariant(qlonglong(0)));
}
