#include "categorization/IdLists.h"

#include <gtest/gtest.h>

TEST(IdLists, JoinsWithoutBlanks) {
    EXPECT_EQ(categorization::joinIds({}), "");
    EXPECT_EQ(categorization::joinIds({7}), "7");
    EXPECT_EQ(categorization::joinIds({1, 2, 5}), "1,2,5");
    EXPECT_EQ(categorization::joinIds({1, -2, 30}, QLatin1Char(';')), "1;-2;30");
}
