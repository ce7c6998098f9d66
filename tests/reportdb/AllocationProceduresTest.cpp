// Allocation of event codes and power reduction modes to the categories of
// a set, called as the allocation windows call it; the allocation leaves a
// profile with the last unit of its type.

#include "ReportDbTestSupport.h"

#include <gtest/gtest.h>

using namespace reportdb_tests;
using testing_support::TempDatabase;

namespace {

Call selectAllocation(db::Connection& connection, int profileId, int listId, int selectionType, int setId) {
    return call(connection, "WMS_SP_REP_SelectCategoryAllocationForProfile",
                {integer("@ReportProfileId", profileId), integer("@EventListId", listId),
                 integer("@SelectionType", selectionType), integer("@CategorysetId", setId)});
}

int update(db::Connection& connection, const QString& ids, const QString& categories, const QString& disabled,
           int setId) {
    return call(connection, "WMS_SP_REP_UpdateCategoryAllocation",
                {text("@CategoryAllocationIdList", ids), text("@ReportCategoryIdList", categories),
                 text("@CategoryAllocationDisabledList", disabled), integer("@ReportCategorySetId", setId)})
        .returnValue();
}

int updateDerate(db::Connection& connection, const QString& ids, const QString& categories,
                 const QString& disabled) {
    return call(connection, "WMS_SP_REP_UpdateDerateCategoryAllocation",
                {text("@CategoryAllocationIdList", ids), text("@ReportCategoryIdList", categories),
                 text("@CategoryAllocationDisabledList", disabled)})
        .returnValue();
}

// Allocation id, disabled flag and category per set of the profile's rows.
QStringList allocations(db::Connection& connection, int profileId) {
    return lines(
        query(connection, QStringLiteral("SELECT CA.CategoryAllocationId, CA.CategoryAllocationDisabled + 0, "
                                         "(SELECT group_concat(ReportCategorySetId || ':' || "
                                         "ReportCategoryId) FROM TCategoryAllocation_TReportCategorySet "
                                         "CAS WHERE CAS.CategoryAllocationId = CA.CategoryAllocationId) "
                                         "FROM TCategoryAllocation CA WHERE ReportProfileId = %1 ORDER BY 1")
                              .arg(profileId)));
}

// The small park's profile 1 with its units; rows 17 and 18 exist already
// (code 10 allocated to the manufacturer in set 1 and to unscheduled
// maintenance in set 2; code 0 switched off).
struct Park {
    TempDatabase database;
    std::unique_ptr<db::Connection> connection;
    int profile = 0;
    int other = 0;

    Park() : connection(database.connect()) {
        addSmallPark(*connection);
        profile = createProfile(*connection, "P");
        other = createProfile(*connection, "Q");
        addUnits(*connection, profile, {1, 2, 3, 4});
        query(*connection,
              QStringLiteral("INSERT INTO TCategoryAllocation (CategoryAllocationId, ReportProfileId, "
                             "EventCodeId, CategoryAllocationDisabled) VALUES (17, %1, 3, 0), "
                             "(18, %1, 1, 1)")
                  .arg(profile));
        query(*connection,
              "INSERT INTO TCategoryAllocation_TReportCategorySet VALUES (17, 1, 3), (17, 2, 7)");
    }
};

}  // namespace

TEST(CategoryAllocation, TheSelectCreatesMissingRowsOnceAndPivotsTheSet) {
    Park park;
    db::Connection& connection = *park.connection;

    const Call first = selectAllocation(connection, park.profile, 1, 2, 1);
    EXPECT_EQ(first.returnValue(), 0);
    ASSERT_EQ(first.result.resultSets.size(), 3u);
    const db::ResultSet& grid = first.set(0);
    for (size_t c = 0; c < grid.columns.size(); ++c)
        EXPECT_EQ(grid.columns[c].type, c == 3 ? db::FieldType::String : db::FieldType::Integer) << c;
    // By number, the sources' rows in source order; the rows for code 20 are
    // new, one per source.
    const QStringList rows = lines(grid);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0], "1|0|18|System OK|0|1|0|0|0|0|0|0|0|0");
    EXPECT_EQ(rows[1], "3|10|17|Pitch fault|3|0|0|0|3|0|0|0|0|0");
    EXPECT_TRUE(rows[2].startsWith("2|20|")) << rows[2].toStdString();
    EXPECT_TRUE(rows[2].endsWith("|Grid loss|0|0|0|0|0|0|0|0|0|0")) << rows[2].toStdString();
    EXPECT_TRUE(rows[3].startsWith("2|20|"));
    const int gridOperatorRow = grid.rows[2][2].toInt();
    const int ownerRow = grid.rows[3][2].toInt();
    EXPECT_EQ(lines(first.set(2)), (QStringList{QStringLiteral("%1|Grid operator|1").arg(gridOperatorRow),
                                                QStringLiteral("%1|Owner|2").arg(ownerRow)}));

    // A second select creates nothing; older clients get no sources.
    const QStringList rowsBefore = allocations(connection, park.profile);
    const Call second = selectAllocation(connection, park.profile, 1, 1, 2);
    EXPECT_EQ(allocations(connection, park.profile), rowsBefore);
    ASSERT_EQ(second.result.resultSets.size(), 3u);
    EXPECT_TRUE(second.set(2).rows.empty());
    EXPECT_EQ(lines(second.set(0))[1], "3|10|17|Pitch fault|7|0|0|0|0|0|3|0");  // set 2: six columns

    // Each profile has rows of its own.
    selectAllocation(connection, park.other, 1, 2, 1);
    EXPECT_EQ(scalar(connection, QStringLiteral("SELECT count(*) FROM TCategoryAllocation WHERE "
                                                "ReportProfileId = %1")
                                     .arg(park.other))
                  .toInt(),
              4);

    // No such profile, list or set of the profile: no rows.
    for (const auto& [profileId, listId, setId] :
         {std::tuple{99, 1, 1}, std::tuple{park.profile, 99, 1}, std::tuple{park.profile, 1, 9}}) {
        const Call failed = selectAllocation(connection, profileId, listId, 2, setId);
        EXPECT_EQ(failed.returnValue(), 1001);
        EXPECT_TRUE(failed.result.resultSets.empty());
    }
}

TEST(CategoryAllocation, ColumnsAreNamedByAnyTitleAndShowOnlyMembersOfTheSet) {
    Park park;
    db::Connection& connection = *park.connection;
    const QString odd = QStringLiteral("He said \"stop\"; DROP TABLE TUser; --");
    const QString accents = QStringLiteral("Bl\u00e5 'time', \u00fcber [all]");
    query(connection,
          QStringLiteral("INSERT INTO TReportCategory (ReportCategoryId, ReportCategoryTitle) VALUES "
                         "(17, '%1'), (18, '%2')")
              .arg(QString(odd).replace("'", "''"), QString(accents).replace("'", "''")));
    query(connection,
          QStringLiteral("DELETE FROM TReportCategorySet_TReportCategory WHERE ReportProfileId = %1 AND "
                         "ReportCategorySetId = 2")
              .arg(park.profile));
    query(connection, QStringLiteral("INSERT INTO TReportCategorySet_TReportCategory VALUES (%1, 2, 18, 1), "
                                     "(%1, 2, 1, 2), (%1, 2, 17, 3)")
                          .arg(park.profile));

    const Call selected = selectAllocation(connection, park.profile, 1, 2, 2);
    ASSERT_EQ(selected.result.resultSets.size(), 3u);
    EXPECT_EQ(columnNames(selected.set(0)).mid(6), (QStringList{accents, "Normal Operation", odd}));
    // Row 17's category in set 2 (unscheduled maintenance) left the set: none.
    EXPECT_EQ(lines(selected.set(0))[1], "3|10|17|Pitch fault|0|0|0|0|0");
    EXPECT_EQ(scalar(connection, "SELECT count(*) FROM TUser").toInt(), 2);
    EXPECT_EQ(update(connection, "17", "17", "0", 2), 0);
    EXPECT_EQ(lines(selectAllocation(connection, park.profile, 1, 2, 2).set(0))[1],
              "3|10|17|Pitch fault|17|0|0|0|3");
}

TEST(CategoryAllocation, TheUpdateWritesTheListsOrRefusesThemWhole) {
    Park park;
    db::Connection& connection = *park.connection;
    selectAllocation(connection, park.profile, 1, 2, 1);
    selectAllocation(connection, park.other, 1, 2, 1);
    const int otherRow =
        scalar(connection, QStringLiteral("SELECT min(CategoryAllocationId) FROM TCategoryAllocation WHERE "
                                          "ReportProfileId = %1")
                               .arg(park.other))
            .toInt();

    // The window's example: 17 to category 4, 18 unallocated and switched off.
    EXPECT_EQ(update(connection, "17,18", "4,0", "0,1", 1), 0);
    EXPECT_EQ(allocations(connection, park.profile).mid(0, 2), (QStringList{"17|0|1:4,2:7", "18|1|NULL"}));
    EXPECT_EQ(update(connection, "18, 17", "1, 0", "0, 0", 1), 0);
    EXPECT_EQ(allocations(connection, park.profile).mid(0, 2), (QStringList{"17|0|2:7", "18|0|1:1"}));
    // Nothing to save.
    EXPECT_EQ(update(connection, "", "", "", 1), 0);

    // A third set of the other profile only.
    ASSERT_EQ(call(connection, "WMS_SP_CRQ_HandleReportCategory",
                   {integer("@Action", 1), integer("@ReportProfileId", park.other),
                    integer("@ReportCategoryId", {}), text("@ReportCategoryIds", "1,2"),
                    text("@ReportCategorySetIds", "3"), text("@ReportCategorySetSortOrder", "3"),
                    text("@ReportCategorySetEnabled", "1"), text("@ReportCategorySetTitles", "Extra")})
                  .returnValue(),
              0);

    const QStringList tables{"TCategoryAllocation", "TCategoryAllocation_TReportCategorySet"};
    const QString before = snapshot(connection, tables);
    const QString tooLong = QStringLiteral("17,").repeated(2667) + QStringLiteral("17");  // 8003 characters
    struct Refusal {
        QString ids, categories, disabled;
        int setId;
        int expected;
    };
    for (const Refusal& r : {
             Refusal{"17,18", "4", "0,1", 1, 1001},     // counts differ
             Refusal{"17,18", "4,0", "", 1, 1001},      // a list missing
             Refusal{"17,x", "4,0", "0,1", 1, 1001},    // not a number
             Refusal{"17,", "4,", "0,", 1, 1001},       // an empty entry
             Refusal{tooLong, "4", "0", 1, 1004},       // longer than the database takes
             Refusal{"17,999", "4,0", "0,1", 1, 1002},  // no such allocation row
             Refusal{"17,18", "4,99", "0,1", 1, 1002},  // no such category
             Refusal{"17,18", "4,9", "0,1", 1, 1002},   // an IEC category, not in the set
             Refusal{"17,18", "2,0", "0,1", 2, 1002},   // utility is not a technical category
             Refusal{"17,18", "4,0", "0,1", 5, 1003},   // no set 5 at all
             Refusal{QString("%1,17").arg(otherRow), "1,1", "0,0", 3, 1003},  // set 3 is the other profile's
         }) {
        EXPECT_EQ(update(connection, r.ids, r.categories, r.disabled, r.setId), r.expected)
            << r.ids.left(40).toStdString() << " / " << r.categories.toStdString();
    }
    EXPECT_EQ(snapshot(connection, tables), before);
    // The other profile's row in its own set 3 is fine.
    EXPECT_EQ(update(connection, QString::number(otherRow), "2", "0", 3), 0);
}

TEST(DerateCategoryAllocation, EveryModeGetsARowThatTheUpdateAllocatesInTheMainSet) {
    Park park;
    db::Connection& connection = *park.connection;
    query(connection,
          "INSERT INTO TPowerReductionMode VALUES (0, 0, 'Normal operation'), (1, 20, 'Curtailment'), "
          "(2, 10, 'Noise mode 1')");

    const Call first = call(connection, "WMS_SP_REP_SelectDerateCategoryAllocationForProfile",
                            {integer("@ReportProfileId", park.profile)});
    EXPECT_EQ(first.returnValue(), 0);
    ASSERT_EQ(first.result.resultSets.size(), 2u);
    const db::ResultSet& grid = first.set(0);
    ASSERT_EQ(grid.rows.size(), 3u);
    QStringList numbers;
    for (const db::Row& row : grid.rows) numbers << row[1].toString();
    EXPECT_EQ(numbers, (QStringList{"0", "10", "20"}));
    const QString normalRow = grid.rows[0][2].toString();
    const QString noiseRow = grid.rows[1][2].toString();
    EXPECT_EQ(lines(grid)[0], QStringLiteral("0|0|%1|Normal operation|0|0|0|0|0|0|0|0|0|0").arg(normalRow));

    EXPECT_EQ(updateDerate(connection, normalRow + "," + noiseRow, "1,5", "0,1"), 0);
    const Call second = call(connection, "WMS_SP_REP_SelectDerateCategoryAllocationForProfile",
                             {integer("@ReportProfileId", park.profile)});
    EXPECT_EQ(second.set(0).rows.size(), 3u);  // no new rows
    EXPECT_EQ(lines(second.set(0))[0],
              QStringLiteral("0|0|%1|Normal operation|1|0|3|0|0|0|0|0|0|0").arg(normalRow));
    EXPECT_EQ(lines(second.set(0))[1],
              QStringLiteral("2|10|%1|Noise mode 1|5|1|0|0|0|0|3|0|0|0").arg(noiseRow));

    const QStringList tables{"TDerateCategoryAllocation"};
    const QString before = snapshot(connection, tables);
    EXPECT_EQ(updateDerate(connection, normalRow + "," + noiseRow, "1", "0,0"), 1001);
    EXPECT_EQ(updateDerate(connection, normalRow + ",999", "0,0", "0,0"), 1002);
    EXPECT_EQ(updateDerate(connection, normalRow, "10", "0"), 1002);  // not in the main set
    EXPECT_EQ(updateDerate(connection, QStringLiteral("1,").repeated(4001), "0", "0"), 1004);
    EXPECT_EQ(snapshot(connection, tables), before);
    EXPECT_EQ(updateDerate(connection, noiseRow, "0", "0"), 0);
    EXPECT_TRUE(scalar(connection,
                       "SELECT ReportCategoryId FROM TDerateCategoryAllocation WHERE "
                       "DerateCategoryAllocationId = " +
                           noiseRow)
                    .isNull());

    // A profile without a main set, and no profile at all.
    query(connection, QStringLiteral("DELETE FROM TReportCategorySet WHERE ReportProfileId = %1 AND "
                                     "ReportCategorySetId = 1")
                          .arg(park.other));
    for (int profileId : {park.other, 99}) {
        const Call failed = call(connection, "WMS_SP_REP_SelectDerateCategoryAllocationForProfile",
                                 {integer("@ReportProfileId", profileId)});
        EXPECT_EQ(failed.returnValue(), 1001);
        EXPECT_TRUE(failed.result.resultSets.empty());
    }
}

TEST(CategoryAllocation, TheLastUnitOfAnEventListTakesTheProfilesAllocationAlong) {
    Park park;
    db::Connection& connection = *park.connection;
    addUnits(connection, park.other, {1});
    for (int profileId : {park.profile, park.other})
        for (int listId : {1, 2}) selectAllocation(connection, profileId, listId, 2, 1);
    // Units A1, A2 (type T-A) and B1 (T-B) report from the turbine list, M1 from the mast list; the
    // other profile keeps its own rows. Rows: profile|list|count.
    const struct {
        int unit;
        QStringList rows;
    } removals[] = {
        {1, {"1|1|4", "1|2|2", "2|1|4", "2|2|2"}},
        {2, {"1|1|4", "1|2|2", "2|1|4", "2|2|2"}},
        {3, {"1|2|2", "2|1|4", "2|2|2"}},
        {4, {"2|1|4", "2|2|2"}},
    };
    for (const auto& r : removals) {
        ASSERT_TRUE(
            run(connection,
                QStringLiteral("DCE_SP_DeleteParkUnitsWithProfileId '%1', %2").arg(r.unit).arg(park.profile))
                .ok());
        EXPECT_EQ(lines(connection,
                        "SELECT CA.ReportProfileId, EC.EventListId, count(*) FROM TCategoryAllocation CA "
                        "JOIN TEventCode EC USING (EventCodeId) GROUP BY 1, 2"),
                  r.rows)
            << r.unit;
    }
    EXPECT_EQ(scalar(connection,
                     "SELECT count(*) FROM TCategoryAllocation_TReportCategorySet WHERE "
                     "CategoryAllocationId IN (17, 18)")
                  .toInt(),
              0);
}
