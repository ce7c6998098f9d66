#include "app/SessionScrambling.h"

#include <gtest/gtest.h>

using app::scrambleBytes;
using app::unscrambleBytes;

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
