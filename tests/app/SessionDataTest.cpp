// The session record's plain rules: feature codes, connection strings,
// unit types, fixed fields, and the attribute scrambling.

#include "app/SessionData.h"
#include "app/SessionScrambling.h"

#include <gtest/gtest.h>
#include <QStringList>

using app::ConnectionParts;
using app::scrambleBytes;
using app::unscrambleBytes;

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

// Vectors worked out from the format: cipher = plain ^ previous cipher (the
// seed first); each nibble n is the character '0' + n, written as two
// upper-case hexadecimal digits.
TEST(SessionScrambling, HandWorkedVectorsBothWays) {
    const struct {
        QByteArray plain;
        char seed;
        QString attribute;
    } table[] = {
        {"A", 'K', "303A"},       // 0x41 ^ 0x4B = 0x0A: '0' ':' -> 30 3A
        {"AB", 'K', "303A3438"},  // then 0x42 ^ 0x0A = 0x48: '4' '8'
        {"3,1", 'K',
         "3738"
         "3534"
         "3635"},                  // 0x33 ^ 0x4B = 0x78, 0x2C ^ 0x78 = 0x54, 0x31 ^ 0x54 = 0x65
        {"\xF0", '\x01', "3F31"},  // 0xF1: nibble 15 is '?'
        {"\xAF", '\0', "3A3F"},    // nibbles 10 and 15: ':' and '?'
        {"\xE9", '\xFF', "3136"},  // a seed above 0x7F: 0xE9 ^ 0xFF = 0x16
        {"", 'K', ""},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.attribute.toStdString());
        EXPECT_EQ(scrambleBytes(row.plain, row.seed), row.attribute);
        EXPECT_EQ(unscrambleBytes(row.attribute, row.seed), row.plain);
    }
}

TEST(SessionScrambling, DecodingEndsAtZeroLimitOrFirstBadGroup) {
    const QString ab = QStringLiteral("303A3438");  // "AB" with 'K'
    const struct {
        QString attribute;
        QByteArray plain;
    } table[] = {
        {"303A303A3438", "A"},  // the same cipher byte again is a plain zero
        {"343B303A", ""},       // a cipher byte equal to the seed: zero at once
        {ab + "3", "AB"},       // groups cut short
        {ab + "34", "AB"},
        {ab + "343", "AB"},
        {"303", ""},
        {"303a3438", ""},  // lower case is not written by the host
        {"303A34G8", "A"},
        {"303A 438", "A"},
        {"303A3\u00C438", "A"},
        {"303A-1-1", "A"},
        // Other characters follow the same arithmetic: 0x41 * 16 + 0x42 - 48 = 0x22 (mod 256), ^ 'K' = 'i'.
        {"41424142", "i"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.attribute.toStdString());
        EXPECT_EQ(unscrambleBytes(row.attribute, 'K'), row.plain);
    }

    const QByteArray longText(600, 'x');
    EXPECT_EQ(unscrambleBytes(scrambleBytes(longText, 'S'), 'S'), longText.left(app::kMaxUnscrambledBytes));
    QString garbage;
    for (int i = 0; i < 64; ++i) {
        garbage.append(QChar(u"0F:?zA9 "[i % 8]));
        EXPECT_LE(unscrambleBytes(garbage, 'K').size(), garbage.size() / 4);
    }
}

TEST(SessionScrambling, EveryByteRoundTripsWithEverySeedKind) {
    QByteArray all;
    for (int b = 1; b < 256; ++b) all.append(char(b));
    for (const char seed : {'\0', 'K', '\x7F', '\x80', '\xFF'}) {
        const QString text = scrambleBytes(all, seed);
        EXPECT_EQ(text.size(), all.size() * 4);
        EXPECT_EQ(unscrambleBytes(text, seed), all) << "seed " << int(seed);
    }
    // A wrong seed changes only the first byte: 'D' ^ 'a' ^ 'b' = 'G'.
    EXPECT_EQ(app::unscramble(app::scramble(QStringLiteral("Data"), 'a'), 'b'), QStringLiteral("Gata"));
}
