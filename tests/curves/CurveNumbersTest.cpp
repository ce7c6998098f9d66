#include "curves/CurveNumbers.h"
#include "ui/TypedNumbers.h"

#include <gtest/gtest.h>

#include <QLocale>

namespace {

using curves::CurvePoint;

TEST(TypedNumbers, ReadsEitherDecimalMarkAndRefusesTheRest) {
    struct Case {
        const char* text;
        std::optional<double> expected;
    } cases[] = {{"12,5", 12.5},        {"12.5", 12.5},        {" 0.0 ", 0.0},
                 {"", std::nullopt},    {".", std::nullopt},   {"1,5,0", std::nullopt},
                 {"abc", std::nullopt}, {"inf", std::nullopt}, {"-3", -3.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ui::readTypedNumber(QString::fromUtf8(c.text)), c.expected);
    }
}

TEST(CurveNumbers, GridStepShowsTheChosenPoints) {
    // Speeds as a curve stores them (i / 10), counted over the 401 default points.
    const int expectedRows[] = {401, 81, 41};
    for (int filter = 0; filter < 3; ++filter) {
        SCOPED_TRACE(filter);
        int shown = 0;
        for (int i = 0; i < curves::kDefaultPointCount; ++i)
            if (curves::isShownAtStep(i / 10.0, curves::gridStepOfFilter(filter))) ++shown;
        EXPECT_EQ(shown, expectedRows[filter]);
    }
    EXPECT_TRUE(curves::isShownAtStep(0.29999999, 1));
    EXPECT_TRUE(curves::isShownAtStep(0.99999999, 10));  // stored 1.0 drifting below
    EXPECT_FALSE(curves::isShownAtStep(1.1, 10));
}

TEST(CurveNumbers, PastedPairsKeepOnlyConvertedPairsInRange) {
    struct Case {
        const char* text;
        std::vector<CurvePoint> expected;
    } cases[] = {
        {"3.5\t120\r\n4,0\t200,5\r\n", {{3.5, 120.0}, {4.0, 200.5}}},
        {"3.5\t120\n4\t200", {{3.5, 120.0}, {4.0, 200.0}}},  // last line without a line feed
        {"35.5\t100\n5\t6000\n35\t5000\n0\t0\n", {{35.0, 5000.0}, {0.0, 0.0}}},
        {"x\t100\n5\tnone\n6\t\n7\t70\n", {{7.0, 70.0}}},
        {"8\n9\t90\n", {{9.0, 90.0}}},  // a line without a tab
        {"-1\t10\n2\t-5\n", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(curves::parsePastedPoints(QString::fromUtf8(c.text)), c.expected);
    }
}

TEST(CurveNumbers, InterpolationFillsOnlyInnerZeroRuns) {
    struct Case {
        std::vector<double> in, out;
        std::vector<int> changed;
    } cases[] = {
        {{0, 10, 0, 0, 40, 0}, {0, 10, 20, 30, 40, 0}, {2, 3}},
        {{5, 0, 1, 0, 0, 0, 9}, {5, 3, 1, 3, 5, 7, 9}, {1, 3, 4, 5}},
        {{0, 0, 7, 0}, {0, 0, 7, 0}, {}},
        {{}, {}, {}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.in));
        EXPECT_EQ(curves::interpolateZeroGaps(c.in), c.changed);
        EXPECT_EQ(c.in, c.out);
    }
}

TEST(CurveNumbers, AxisMaximumLeavesHeadroomAndARangeForFlatCurves) {
    EXPECT_DOUBLE_EQ(curves::productionAxisMaximum({0, 1000, 2000}), 2000 * double(1.05f));
    EXPECT_GT(curves::productionAxisMaximum({0, 0}), 0.0);
    EXPECT_GT(curves::productionAxisMaximum({}), 0.0);
}

TEST(CurveNumbers, InsertCallWritesPointsAndQuotesWhateverTheLocale) {
    curves::NewCurve curve;
    curve.title = QStringLiteral("Type 'A' 2 MW");
    curve.airDensity = 1.2254;
    curve.cutInWindSpeed = 3.5;
    curve.typeId = 2;
    const QLocale previous;
    for (const QLocale& locale : {QLocale(QLocale::German), QLocale(QLocale::English)}) {
        SCOPED_TRACE(locale.name().toStdString());
        QLocale::setDefault(locale);
        EXPECT_EQ(
            curves::defaultCurveInsertCall(curve),
            QStringLiteral("DCE_SP_InsertDefaultNormCurveData 'Type ''A'' 2 MW','No Description ',1.225,0.0,"
                           "0.0,401,0.1,0, 3.5, NULL, 2"));
    }
    QLocale::setDefault(previous);
}

}  // namespace
