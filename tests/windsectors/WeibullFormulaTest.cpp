#include "windsectors/WeibullFormula.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using windsectors::WeibullParameters;

TEST(WeibullFormula, DensityValues) {
    struct Case {
        double x;
        WeibullParameters p;
        double expected;
    } cases[] = {
        {7.0, {7, 2, 100}, 100 * 2 * std::pow(7.0, -2) * 7 * std::exp(-1.0)},  // about 10.51
        {0.0, {7, 2, 100}, 0.0},
        {0.0, {7, 0.5, 100}, 0.0},  // unbounded there
        {0.0, {7, 1, 100}, 100.0 / 7},
        {14.0, {7, 2, 1}, 2.0 / 49 * 14 * std::exp(-4.0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_NEAR(windsectors::weibullValue(c.x, c.p), c.expected, 1e-9);
    }
    EXPECT_NEAR(windsectors::weibullValue(7.0, {}), 10.51, 0.005);
}

TEST(WeibullFormula, ParametersMustAllBePositiveNumbers) {
    struct Case {
        const char *c, *k, *y;
        bool valid;
    } cases[] = {{"7", "2", "100", true}, {"7,5", "1.5", "0,1", true}, {".", "2", "100", false},
                 {"7", "", "100", false}, {"7", "2", "0", false},      {"7", "0,0", "1", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.c << " " << c.k << " " << c.y);
        const auto p = windsectors::readWeibullParameters(QString::fromUtf8(c.c), QString::fromUtf8(c.k),
                                                          QString::fromUtf8(c.y));
        EXPECT_EQ(p.has_value(), c.valid);
    }
    EXPECT_DOUBLE_EQ(windsectors::readWeibullParameters("7,5", "2", "1")->c, 7.5);
}

}  // namespace
