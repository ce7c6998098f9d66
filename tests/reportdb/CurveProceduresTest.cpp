// The reference curve and free wind parameter procedures on the shared demo.

#include "ReportDbTestSupport.h"

#include <gtest/gtest.h>

using namespace reportdb_tests;
using testing_support::TempDatabase;

namespace {

class CurveProcedures : public testing::Test {
protected:
    static void SetUpTestSuite() { database_ = new TempDatabase(sharedDemo()); }
    static void TearDownTestSuite() {
        delete database_;
        database_ = nullptr;
    }
    void SetUp() override { connection = database_->connect(); }

    QString one(const QString& sql) { return scalar(*connection, sql).toString(); }

    static TempDatabase* database_;
    std::unique_ptr<db::Connection> connection;
};

TempDatabase* CurveProcedures::database_ = nullptr;

TEST_F(CurveProcedures, DefaultCurveHasExactTenthsAndNullSpeeds) {
    ASSERT_TRUE(run(*connection,
                    "DCE_SP_InsertDefaultNormCurveData 'It''s new','No Description ',1.180,0.0,0.0,"
                    "401,0.1,1, NULL, 24.5, 2")
                    .ok());
    const QString id = one("SELECT NormCurveId FROM TNormCurve WHERE NormCurveTitle = 'It''s new'");
    EXPECT_EQ(
        one("SELECT NormCurveAirDensity || '|' || NormCurveLocked || '|' || "
            "typeof(NormCurveCutInWindSpeed) || '|' || NormCurveCutOutWindSpeed || '|' || NormCurveTypeId "
            "FROM TNormCurve WHERE NormCurveId = " +
            id),
        QStringLiteral("1.18|1|null|24.5|2"));
    // Every tenth is found by its literal value, as a paste looks it up.
    EXPECT_EQ(
        one("SELECT count(*) FROM TNormCurveData WHERE NormCurveId = " + id +
            " AND NormCurveDataProduction = 0 AND NormCurveDataWindSpeed IN (0.0, 0.3, 0.7, 12.9, 40.0)"),
        QStringLiteral("5"));
    EXPECT_EQ(
        one("SELECT count(*) || '|' || max(NormCurveDataWindSpeed) FROM TNormCurveData WHERE NormCurveId = " +
            id),
        QStringLiteral("401|40.0"));

    // A title in use is refused and adds nothing.
    const QString before = snapshot(*connection, {QStringLiteral("TNormCurve")});
    EXPECT_FALSE(run(*connection,
                     "DCE_SP_InsertDefaultNormCurveData 'It''s new','',1.225,0.0,0.0,401,0.1,0, "
                     "NULL, NULL, 1")
                     .ok());
    EXPECT_EQ(snapshot(*connection, {QStringLiteral("TNormCurve")}), before);
}

TEST_F(CurveProcedures, DeleteAndInUseFollowTheReferences) {
    ASSERT_TRUE(run(*connection,
                    "DCE_SP_InsertDefaultNormCurveData 'Spare','',1.225,0.0,0.0,11,0.1,0, 3.0, "
                    "25.0, 1")
                    .ok());
    const QString spare = one("SELECT NormCurveId FROM TNormCurve WHERE NormCurveTitle = 'Spare'");
    const QString used = one("SELECT min(NormCurveId) FROM TParkUnit_TReportProfile");
    struct Case {
        QString curve;
        int inUse;
    } cases[] = {{used, 1}, {spare, 0}};
    for (const Case& c : cases) {
        const db::Result result = run(*connection, "DCE_SP_IsNormCurveIdInUse " + c.curve);
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(result.resultSets.at(0).rows.at(0).at(0).toInt() > 0, c.inUse == 1)
            << c.curve.toStdString();
    }
    // Used by a park unit only: still refused.
    query(*connection, "UPDATE TParkUnit SET NormCurveId = " + spare + " WHERE ParkUnitId = 1");
    EXPECT_FALSE(run(*connection, "DCE_SP_DeleteNormCurveData " + spare).ok());
    query(*connection, "UPDATE TParkUnit SET NormCurveId = " + used + " WHERE ParkUnitId = 1");
    EXPECT_TRUE(run(*connection, "DCE_SP_DeleteNormCurveData " + spare).ok());
    EXPECT_EQ(one("SELECT count(*) FROM TNormCurveData WHERE NormCurveId = " + spare), QStringLiteral("0"));
}

TEST_F(CurveProcedures, FreeWindParameterSetsListCountAndDelete) {
    const db::Result list = run(*connection, "WMS_SP_REP_DoToFreeWindParameter 1");
    ASSERT_TRUE(list.ok());
    const db::ResultSet& sets = list.resultSets.at(0);
    ASSERT_EQ(sets.columns.size(), 16u);
    QStringList titles;
    for (const db::Row& row : sets.rows) titles << row.at(1).toString();
    QStringList sorted = titles;
    sorted.sort();
    EXPECT_EQ(titles, sorted);
    EXPECT_FALSE(run(*connection, "WMS_SP_REP_DoToFreeWindParameter 2").ok());

    // Three unit configurations use the last set.
    const QString used = one("SELECT max(FreeWindParameterId) FROM TFreeWindParameter");
    query(*connection, "UPDATE TParkUnit_TReportProfile SET FreeWindParameterId = " + used +
                           " WHERE rowid IN (SELECT rowid FROM TParkUnit_TReportProfile LIMIT 3)");
    const QString count = "EXEC WMS_SP_CRQ_CountFreeWindParameterRelations @FreeWindParameterId = " + used;
    EXPECT_EQ(run(*connection, count).resultSets.at(0).rows.at(0).at(0).toInt(), 3);
    const int process = createProcess(*connection, QStringLiteral("DeletingFreeWindParameters"));
    ASSERT_TRUE(
        run(*connection, QStringLiteral("WMS_SP_CRQ_DeleteFreeWindParameter @FreeWindParameterId = %1, "
                                        "@ProcessId = %2")
                             .arg(used)
                             .arg(process))
            .ok());
    EXPECT_EQ(processStatus(*connection, process).toInt(), 0);
    EXPECT_EQ(run(*connection, count).resultSets.at(0).rows.at(0).at(0).toInt(), 0);
    EXPECT_EQ(one("SELECT count(*) FROM TFreeWindParameter WHERE FreeWindParameterId = " + used),
              QStringLiteral("0"));
    EXPECT_FALSE(run(*connection, "WMS_SP_CRQ_DeleteFreeWindParameter @FreeWindParameterId = " + used).ok());
}

}  // namespace
