#include "app/SessionData.h"

#include <gtest/gtest.h>

using app::ConnectionParts;

TEST(SessionData, FeatureCodesAndNumbers) {
    using V = std::vector<int>;
    const struct {
        const char* text;
        V codes;
    } table[] = {
        {"3,101,146", {3, 101, 146}},
        {"3,101,", {3, 101}},  // nothing after the last comma adds nothing
        {"12a,7", {12, 7}},
        {"", {}},
        {"3,,6", {3, 0, 6}},  // an empty or non-numeric entry before a comma is 0
        {"x,6", {0, 6}},
        {",", {0}},
        {"99999999999,2147483647,2147483648", {0, 2147483647, 0}},
        {"3, 101", {3, 101}},
        {"-5,+6", {0, 0}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.text);
        app::SessionData s;
        s.FeatureCodes = app::ParseFeatureCodes(QString::fromLatin1(row.text));
        EXPECT_EQ(s.FeatureCodes, row.codes);
        for (const int code : {3, 6, 7, 146}) {
            const bool listed = std::find(row.codes.begin(), row.codes.end(), code) != row.codes.end();
            EXPECT_EQ(app::HasFeature(s, code), listed) << code;
        }
    }
    QStringList many;
    for (int i = 1; i <= 1200; ++i) many << QString::number(i);
    const V codes = app::ParseFeatureCodes(many.join(u','));
    ASSERT_EQ(codes.size(), 1000u);
    EXPECT_EQ(codes.back(), 1000);

    const std::pair<const char*, int> numbers[] = {{"42", 42}, {"-7", -7},        {"", 0},
                                                   {"12a", 0}, {"2147483648", 0}, {"2147483647", 2147483647}};
    for (const auto& [text, number] : numbers)
        EXPECT_EQ(app::sessionNumber(QString::fromLatin1(text)), number) << text;
}

TEST(SessionData, SplitsConnectionStrings) {
    const struct {
        const char* text;
        ConnectionParts parts;
    } table[] = {
        {"Provider=SQLOLEDB.1;Password=s3cret;Persist Security Info=True;User ID=report;"
         "Initial Catalog=Reports;Data Source=SRV01\\SQL",
         {"SRV01\\SQL", "Reports", "report", "s3cret"}},
        {"Data Source=?;Initial Catalog=(null);User ID=sa", {"", "", "sa", ""}},  // no values
        {"Provider=Embedded;Data Source=/tmp/r.db;Password=;", {"/tmp/r.db", "", "", ""}},
        {"Data Source=a;Data Source=b;Catalog= x ", {"a", " x ", "", ""}},  // first one, untrimmed
        {"data source=a;user id=b", {}},                                    // keys as the host writes them
        {"", {}},
    };
    for (const auto& row : table) EXPECT_EQ(app::SplitConnectionString(row.text), row.parts) << row.text;
}

TEST(SessionData, UnitTypesComeFromTheFirstUnitOfEachType) {
    const auto unit = [](int id, int type, int capacity) {
        return app::SessionParkUnit{id,
                                    {},
                                    0,
                                    {},
                                    type,
                                    QStringLiteral("T%1").arg(id),
                                    QStringLiteral("D%1").arg(id),
                                    capacity,
                                    0,
                                    QStringLiteral("e%1").arg(id)};
    };
    app::SessionData s;
    s.ParkUnits = {unit(1, 20, 2000), unit(2, 10, 0), unit(3, 20, 3000), unit(4, 30, 0)};
    s.UnitTypes.push_back({99, QStringLiteral("stale"), {}, 0, {}});
    app::BuildUnitTypes(s);
    EXPECT_EQ(s.UnitTypes,
              (std::vector<app::SessionUnitType>{
                  {20, "T1", "D1", 2000, "e1"}, {10, "T2", "D2", 0, "e2"}, {30, "T4", "D4", 0, "e4"}}));
    s.ParkUnits.clear();
    for (int i = 0; i < 70; ++i) s.ParkUnits.push_back(unit(i, 100 + i % 60, i));
    app::BuildUnitTypes(s);
    ASSERT_EQ(s.UnitTypes.size(), 50u);
    EXPECT_EQ(s.UnitTypes.back().UnitTypeId, 149);
}

TEST(SessionData, FixedFields) {
    std::array<char, 4> field{};
    app::copyToFixedField(field, QByteArray("AB"));
    EXPECT_EQ(field, (std::array<char, 4>{'A', 'B', '\0', '\0'}));
    EXPECT_EQ(app::fixedFieldText(field), QStringLiteral("AB"));
    app::copyToFixedField(field, QByteArray("ABCDEF"));
    EXPECT_EQ(app::fixedFieldText(field), QStringLiteral("ABCD"));
    app::copyToFixedField(field, QByteArray());
    EXPECT_EQ(app::fixedFieldText(field), QString());
}
