#include "db/VersionGate.h"

#include <gtest/gtest.h>

namespace {

using db::IsDatabaseVersionAtLeast;

TEST(VersionGate, ComparesComponentsAsNumbers) {
    EXPECT_TRUE(IsDatabaseVersionAtLeast("3.10.1.1", "3.9.3.10"));
    EXPECT_FALSE(IsDatabaseVersionAtLeast("3.9.3.10", "3.10.1.1"));
    EXPECT_TRUE(IsDatabaseVersionAtLeast("3.9.3.10", "3.9.3.9"));
    EXPECT_FALSE(IsDatabaseVersionAtLeast("3.9.3.9", "3.9.3.10"));
    EXPECT_TRUE(IsDatabaseVersionAtLeast("3.26.0.0", "3.23.100.0"));
    EXPECT_FALSE(IsDatabaseVersionAtLeast("3.23.99.9", "3.23.100.0"));
    EXPECT_FALSE(IsDatabaseVersionAtLeast("2.99.99.99", "3.0.0.0"));
    // Equal passes; a higher build wins over a lower revision.
    EXPECT_TRUE(IsDatabaseVersionAtLeast("3.21.101.0", "3.21.101.0"));
    EXPECT_TRUE(IsDatabaseVersionAtLeast("3.6.2.0", "3.6.1.2"));
}

TEST(VersionGate, MissingAndOddComponents) {
    EXPECT_TRUE(IsDatabaseVersionAtLeast("3.9", "3.9.0.0"));
    EXPECT_FALSE(IsDatabaseVersionAtLeast("3.9", "3.9.0.1"));
    EXPECT_TRUE(IsDatabaseVersionAtLeast("3.9.0.1", "3.9"));
    EXPECT_TRUE(IsDatabaseVersionAtLeast("", ""));
    EXPECT_FALSE(IsDatabaseVersionAtLeast("", "2.30.0.0"));
    // Leading digits count, an empty component is 0, a fifth one is ignored.
    EXPECT_TRUE(IsDatabaseVersionAtLeast("3.12a.0.0", "3.12.0.0"));
    EXPECT_TRUE(IsDatabaseVersionAtLeast("3..5.0", "3.0.5.0"));
    EXPECT_TRUE(IsDatabaseVersionAtLeast("3.1.0.0.1", "3.1.0.0.9"));
    EXPECT_EQ(db::versionComponents("10.x2.3"), (std::array<long long, 4>{10, 0, 3, 0}));
}

TEST(VersionGate, ShortFormAndHint) {
    EXPECT_EQ(db::shortVersion("3.9.3.10"), "3.9.3.10");
    EXPECT_EQ(db::shortVersion("3.7.0.0"), "3.7");
    EXPECT_EQ(db::shortVersion("2.30.0.0"), "2.30");
    EXPECT_EQ(db::shortVersion("3.0.0.0"), "3.0");
    EXPECT_EQ(db::shortVersion("3.21.101.0"), "3.21.101");
    EXPECT_EQ(db::shortVersion("3.6.1.2"), "3.6.1.2");
    EXPECT_EQ(db::shortVersion("3.0.0.1"), "3.0.0.1");
    EXPECT_EQ(db::versionGateHint("3.7.0.0"), "This feature can only be used on a 3.7 database or newer");
}

}  // namespace
