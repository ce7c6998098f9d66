// The unit lists and the unit configuration of a profile, and what removing
// a unit leaves behind in the configuration of the others.

#include "ReportDbTestSupport.h"

#include <gtest/gtest.h>

using namespace reportdb_tests;
using testing_support::TempDatabase;

namespace {

QString ids(const db::ResultSet& rows) {
    QStringList out;
    for (const db::Row& row : rows.rows) out << row.at(0).toString();
    return out.join(QLatin1Char(','));
}

}  // namespace

TEST(UnitConfigurationProcedures, UnitListsByMembershipAndDevice) {
    TempDatabase database(sharedDemo());
    auto connection = database.connect();
    // Profile 5: the four turbines and the first mast; 3: turbines 3 and 4,
    // the masts and the grid point.
    const struct {
        const char* text;
        const char* ids;
    } cases[] = {
        {"exec dce_SP_selectParkUnitsWithProfileid 5,1,'WTG'", "1,2,3,4"},
        {"exec DCE_SP_SelectParkUnitsWithProfileId 5, 1, 'MET'", "5"},
        {"exec DCE_SP_SelectParkUnitsWithProfileId 5, 1, 'GRID'", ""},
        {"exec dce_SP_selectParkUnitsWithProfileid 5,0,'WTG_MET_GRID'", "6,7,8"},
        {"exec dce_SP_selectParkUnitsWithProfileid 3,0,'WTG_MET_GRID'", "1,2"},
        {"exec dce_SP_selectParkUnitsWithProfileid 6,1,'WTG_MET_GRID'", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const db::Result result = run(*connection, QString::fromLatin1(c.text));
        ASSERT_TRUE(result.ok()) << result.error.toStdString();
        EXPECT_EQ(ids(result.resultSets.at(0)), QString::fromLatin1(c.ids));
    }
    EXPECT_EQ(lines(query(*connection, "exec DCE_SP_SelectParkUnitsWithProfileId 5, 1, 'MET'")),
              QStringList{"5|MET North|3|Met mast 80 m|MET"});
    EXPECT_FALSE(run(*connection, "exec DCE_SP_SelectParkUnitsWithProfileId 5, 1, 'WTG_MET'").ok());
}

TEST(UnitConfigurationProcedures, ConfigurationColumnsFollowTheDatabaseVersion) {
    TempDatabase database(sharedDemo());
    auto connection = database.connect();
    const QString text = QStringLiteral("DCE_SP_SelectParkUnitConfigFromProfile 5");
    const struct {
        const char* version;
        bool sectors;
        bool connectionPoint;
    } cases[] = {{"3.28.0.0", true, true}, {"2.31.0.0", true, false}, {"2.29.0.0", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        setVersion(*connection, QString::fromLatin1(c.version));
        const db::ResultSet rows = query(*connection, text);
        EXPECT_EQ(rows.columnIndex("WindSectorGroupId") >= 0, c.sectors);
        EXPECT_EQ(rows.columnIndex("ConnectionPointParkUnitId") >= 0, c.connectionPoint);
        EXPECT_EQ(rows.columns.back().name, "ReportProfileId");
        ASSERT_EQ(rows.rows.size(), 5u);
        // Every turbine has its power curve, as read and as edited.
        const int lookup = rows.columnIndex("NormLookup"), curve = rows.columnIndex("NormCurveId");
        for (const db::Row& row : rows.rows) {
            const bool turbine = row.at(size_t(rows.columnIndex("UnitTypeDevice"))) == "WTG";
            EXPECT_EQ(row.at(size_t(lookup)).isNull(), !turbine);
            EXPECT_EQ(row.at(size_t(lookup)), row.at(size_t(curve)));
        }
    }
    // The wind distribution curve is not a unit's reference curve.
    EXPECT_EQ(scalar(*connection,
                     "SELECT count(*) FROM TParkUnit_TReportProfile c JOIN TNormCurve n USING (NormCurveId) "
                     "WHERE n.NormCurveTypeId = 2")
                  .toInt(),
              0);
}

TEST(UnitConfigurationProcedures, ARemovedUnitIsNoLongerReferencedInItsProfile) {
    TempDatabase database(sharedDemo());
    auto connection = database.connect();
    const QString references = QStringLiteral(
        "SELECT count(*) FROM TParkUnit_TReportProfile WHERE ReportProfileId = %1 AND %2 IN "
        "(NeighbourTurbinePrimaryId, NeighbourTurbineSecondaryId, MetStP1Id, MetStP2Id, MetStP3Id, "
        "ConnectionPointParkUnitId)");
    for (int unit : {2, 5, 8}) {
        SCOPED_TRACE(unit);
        ASSERT_GT(scalar(*connection, references.arg(kWholePark).arg(unit)).toInt(), 0);
        ASSERT_TRUE(
            run(*connection, QStringLiteral("DCE_SP_DeleteParkUnitsWithProfileId %1, 1").arg(unit)).ok());
        EXPECT_EQ(scalar(*connection, references.arg(kWholePark).arg(unit)).toInt(), 0);
    }
    // Other profiles keep their references.
    EXPECT_GT(scalar(*connection, references.arg(5).arg(2)).toInt(), 0);
}
