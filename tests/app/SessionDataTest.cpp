#include "app/SessionData.h"

#include <gtest/gtest.h>

using app::ConnectionParts;
using app::ParseFeatureCodes;
using app::SplitConnectionString;

TEST(SessionData, ParsesFeatureCodes) {
    using V = std::vector<int>;
    EXPECT_EQ(ParseFeatureCodes(QStringLiteral("3,101,146")), (V{3, 101, 146}));
    EXPECT_EQ(ParseFeatureCodes(QStringLiteral("3,101,")), (V{3, 101}));
    EXPECT_EQ(ParseFeatureCodes(QStringLiteral("12a,7")), (V{12, 7}));
    EXPECT_EQ(ParseFeatureCodes(QStringLiteral("153")), (V{153}));
    EXPECT_EQ(ParseFeatureCodes(QString()), V{});
    // An empty or non-numeric entry before a comma counts as 0.
    EXPECT_EQ(ParseFeatureCodes(QStringLiteral("3,,6")), (V{3, 0, 6}));
    EXPECT_EQ(ParseFeatureCodes(QStringLiteral("x,6")), (V{0, 6}));
    EXPECT_EQ(ParseFeatureCodes(QStringLiteral(",")), (V{0}));
    // Beyond 32 bits reads as 0; blanks before a number are skipped.
    EXPECT_EQ(ParseFeatureCodes(QStringLiteral("99999999999,2147483647,2147483648")), (V{0, 2147483647, 0}));
    EXPECT_EQ(ParseFeatureCodes(QStringLiteral("3, 101")), (V{3, 101}));
    EXPECT_EQ(ParseFeatureCodes(QStringLiteral("-5,+6")), (V{0, 0}));

    QStringList many;
    for (int i = 1; i <= 1200; ++i) many << QString::number(i);
    const V codes = ParseFeatureCodes(many.join(u','));
    ASSERT_EQ(codes.size(), 1000u);
    EXPECT_EQ(codes.front(), 1);
    EXPECT_EQ(codes.back(), 1000);
}

TEST(SessionData, HasFeatureLooksAtTheParsedCodes) {
    app::SessionData s;
    EXPECT_FALSE(app::HasFeature(s, 3));
    s.FeatureCodes = ParseFeatureCodes(QStringLiteral("3,101,146"));
    EXPECT_TRUE(app::HasFeature(s, 3));
    EXPECT_TRUE(app::HasFeature(s, 146));
    EXPECT_FALSE(app::HasFeature(s, 6));
    EXPECT_FALSE(app::HasFeature(s, 10));
}

TEST(SessionData, SplitsConnectionStrings) {
    EXPECT_EQ(SplitConnectionString(
                  QStringLiteral("Provider=SQLOLEDB.1;Password=s3cret;Persist Security Info=True;"
                                 "User ID=report;Initial Catalog=Reports;Data Source=SRV01\\SQL")),
              (ConnectionParts{QStringLiteral("SRV01\\SQL"), QStringLiteral("Reports"),
                               QStringLiteral("report"), QStringLiteral("s3cret")}));
    // No Password key; (null) and ? are no values.
    EXPECT_EQ(SplitConnectionString(QStringLiteral("Data Source=?;Initial Catalog=(null);User ID=sa")),
              (ConnectionParts{QString(), QString(), QStringLiteral("sa"), QString()}));
    EXPECT_EQ(SplitConnectionString(QStringLiteral("Provider=Embedded;Data Source=/tmp/r.db;Password=;")),
              (ConnectionParts{QStringLiteral("/tmp/r.db"), QString(), QString(), QString()}));
    // Only the first occurrence of a key counts; values are not trimmed.
    EXPECT_EQ(SplitConnectionString(QStringLiteral("Data Source=a;Data Source=b;Catalog= x ")).DataSource,
              QStringLiteral("a"));
    EXPECT_EQ(SplitConnectionString(QStringLiteral("Data Source=a;Data Source=b;Catalog= x ")).Catalog,
              QStringLiteral(" x "));
    EXPECT_EQ(SplitConnectionString(QString()), ConnectionParts{});
    // Keys are case-sensitive, as written by the host.
    EXPECT_EQ(SplitConnectionString(QStringLiteral("data source=a;user id=b")), ConnectionParts{});
}

TEST(SessionData, UnitTypesComeFromTheFirstUnitOfEachType) {
    app::SessionData s;
    auto unit = [](int id, int type, const char* title, int capacity) {
        app::SessionParkUnit u;
        u.SParkUnitId = id;
        u.UnitTypeId = type;
        u.UnitTypeTitle = QString::fromLatin1(title);
        u.DeviceTitle = QStringLiteral("Device %1").arg(id);
        u.UnitTypeCapacity = capacity;
        u.EventListFileName = QStringLiteral("events%1.txt").arg(id);
        return u;
    };
    s.ParkUnits = {unit(1, 20, "V90", 2000), unit(2, 10, "Mast", 0), unit(3, 20, "V90 other", 3000),
                   unit(4, 30, "Grid", 0)};
    s.UnitTypes.push_back({99, QStringLiteral("stale"), {}, 0, {}});
    app::BuildUnitTypes(s);
    ASSERT_EQ(s.UnitTypes.size(), 3u);
    EXPECT_EQ(s.UnitTypes[0], (app::SessionUnitType{20, QStringLiteral("V90"), QStringLiteral("Device 1"),
                                                    2000, QStringLiteral("events1.txt")}));
    EXPECT_EQ(s.UnitTypes[1].UnitTypeId, 10);
    EXPECT_EQ(s.UnitTypes[2].UnitTypeId, 30);

    s.ParkUnits.clear();
    for (int i = 0; i < 70; ++i) s.ParkUnits.push_back(unit(i, 100 + i % 60, "T", i));
    app::BuildUnitTypes(s);
    ASSERT_EQ(s.UnitTypes.size(), 50u);
    EXPECT_EQ(s.UnitTypes.back().UnitTypeId, 149);
}

TEST(SessionData, FixedFieldsAndNumbers) {
    std::array<char, 4> field{};
    app::copyToFixedField(field, QByteArray("AB"));
    EXPECT_EQ(field, (std::array<char, 4>{'A', 'B', '\0', '\0'}));
    EXPECT_EQ(app::fixedFieldText(field), QStringLiteral("AB"));
    app::copyToFixedField(field, QByteArray("ABCDEF"));
    EXPECT_EQ(field, (std::array<char, 4>{'A', 'B', 'C', 'D'}));
    EXPECT_EQ(app::fixedFieldText(field), QStringLiteral("ABCD"));
    app::copyToFixedField(field, QByteArray());
    EXPECT_EQ(app::fixedFieldText(field), QString());

    EXPECT_EQ(app::sessionNumber(QStringLiteral("42")), 42);
    EXPECT_EQ(app::sessionNumber(QStringLiteral("-7")), -7);
    EXPECT_EQ(app::sessionNumber(QString()), 0);
    EXPECT_EQ(app::sessionNumber(QStringLiteral("12a")), 0);
    EXPECT_EQ(app::sessionNumber(QStringLiteral("2147483648")), 0);
    EXPECT_EQ(app::sessionNumber(QStringLiteral("2147483647")), 2147483647);
}
