#include "app/SessionScrambling.h"

#include <gtest/gtest.h>

using app::scramble;
using app::scrambleBytes;
using app::unscramble;
using app::unscrambleBytes;

TEST(SessionScrambling, DecodesHandWrittenGroups) {
    // 'A' ^ 'K' = 0x0A: the characters '0' and ':' -> "30" "3A".
    EXPECT_EQ(unscramble(QStringLiteral("303A"), 'K'), QStringLiteral("A"));
    // then 'B' ^ 0x0A = 0x48: '4' '8' -> "34" "38".
    EXPECT_EQ(unscramble(QStringLiteral("303A3438"), 'K'), QStringLiteral("AB"));
    EXPECT_EQ(scramble(QStringLiteral("AB"), 'K'), QStringLiteral("303A3438"));
    // High nibble 15: 0xF0 ^ 0x01 = 0xF1 -> '?' '1'.
    EXPECT_EQ(scrambleBytes(QByteArray("\xF0"), '\x01'), QStringLiteral("3F31"));
    EXPECT_EQ(unscrambleBytes(QStringLiteral("3F31"), '\x01'), QByteArray("\xF0"));
    // Low nibbles 10..15 as ':' to '?': 0xAF ^ 0 -> ':' '?'.
    EXPECT_EQ(scrambleBytes(QByteArray("\xAF"), '\0'), QStringLiteral("3A3F"));
    // Intermediate characters other than '0'..'?' follow the same arithmetic:
    // ("A" * 16) mod 256 + ("B" - 48) = 0x10 + 0x12.
    EXPECT_EQ(unscrambleBytes(QStringLiteral("41424142"), '\0'), QByteArray("\x22"));
    EXPECT_EQ(unscramble(QString(), 'K'), QString());
    EXPECT_EQ(scramble(QString(), 'K'), QString());
}

TEST(SessionScrambling, RoundTripsEveryByteWithEverySeedKind) {
    QByteArray all;
    for (int b = 1; b < 256; ++b) all.append(char(b));
    for (const char seed : {'\0', 'K', '7', '\x7F', '\x80', '\xC4', '\xFF'}) {
        const QString text = scrambleBytes(all, seed);
        EXPECT_EQ(text.size(), all.size() * 4);
        for (const QChar c : text)
            ASSERT_TRUE((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')) << text.toStdString();
        EXPECT_EQ(unscrambleBytes(text, seed), all) << "seed " << int(seed);
    }
    // A wrong seed changes only the first byte: 'D' ^ 'a' ^ 'b' = 'G'.
    EXPECT_EQ(unscramble(scramble(QStringLiteral("Data Source=x"), 'a'), 'b'),
              QStringLiteral("Gata Source=x"));
    // Latin-1 text survives.
    EXPECT_EQ(unscramble(scramble(QStringLiteral("Ærøskøbing µ"), 'Q'), 'Q'), QStringLiteral("Ærøskøbing µ"));
}

TEST(SessionScrambling, EndsAtZeroByteAndAfter499Bytes) {
    // Second group repeats the first cipher byte: plain byte 0 ends the text.
    EXPECT_EQ(unscramble(QStringLiteral("303A303A3438"), 'K'), QStringLiteral("A"));
    // A cipher byte equal to the seed as first group: empty text.
    EXPECT_EQ(unscramble(QStringLiteral("343B303A"), 'K'), QString());

    const QByteArray longText(600, 'x');
    const QByteArray decoded = unscrambleBytes(scrambleBytes(longText, 'S'), 'S');
    EXPECT_EQ(decoded.size(), app::kMaxUnscrambledBytes);
    EXPECT_EQ(decoded, longText.left(499));
}

TEST(SessionScrambling, MalformedTextDecodesUpToTheFirstBadGroup) {
    const QString good = QStringLiteral("303A3438");  // "AB" with 'K'
    // Odd length and cut-short groups.
    EXPECT_EQ(unscramble(good + u'3', 'K'), QStringLiteral("AB"));
    EXPECT_EQ(unscramble(good + QStringLiteral("34"), 'K'), QStringLiteral("AB"));
    EXPECT_EQ(unscramble(good + QStringLiteral("343"), 'K'), QStringLiteral("AB"));
    EXPECT_EQ(unscramble(QStringLiteral("303"), 'K'), QString());
    // Lower case, letters beyond F, blanks and non-ASCII are not hex digits.
    EXPECT_EQ(unscramble(QStringLiteral("303a3438"), 'K'), QString());
    EXPECT_EQ(unscramble(QStringLiteral("303A34G8"), 'K'), QStringLiteral("A"));
    EXPECT_EQ(unscramble(QStringLiteral("303A 438"), 'K'), QStringLiteral("A"));
    EXPECT_EQ(unscramble(QStringLiteral("303A3\u00C438"), 'K'), QStringLiteral("A"));
    EXPECT_EQ(unscramble(QStringLiteral("303A-1-1"), 'K'), QStringLiteral("A"));
    // Garbage of every length never crashes and never yields more than it can.
    QString garbage;
    for (int i = 0; i < 64; ++i) {
        garbage.append(QChar(u"0F:?zA9 "[i % 8]));
        EXPECT_LE(unscramble(garbage, 'K').size(), garbage.size() / 4);
    }
}
