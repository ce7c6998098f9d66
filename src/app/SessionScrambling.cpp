#include "app/SessionScrambling.h"

namespace app {

namespace {

// 0-15 for '0'-'9' and 'A'-'F', -1 for anything else (lower case included:
// the host writes upper case only).
int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

// One byte from two hexadecimal digits, or -1 when either is not one.
int hexByte(QChar high, QChar low) {
    const int h = hexDigit(high);
    const int l = hexDigit(low);
    return (h < 0 || l < 0) ? -1 : h * 16 + l;
}

char hexChar(int nibble) { return "0123456789ABCDEF"[nibble & 0xF]; }

}  // namespace

QByteArray unscrambleBytes(const QString& attr, char seed) {
    QByteArray plain;
    unsigned char previous = static_cast<unsigned char>(seed);
    // One cipher byte per complete group of four characters; a trailing
    // partial group is malformed and ends the text like any other bad group.
    for (qsizetype i = 0; i + 4 <= attr.size() && plain.size() < kMaxUnscrambledBytes; i += 4) {
        const int a = hexByte(attr[i], attr[i + 1]);
        const int b = hexByte(attr[i + 2], attr[i + 3]);
        if (a < 0 || b < 0) break;
        // a and b are '0' + nibble: (a * 16) mod 256 drops the '0' of the
        // high nibble, b - 48 gives the low one; the sum is taken mod 256
        // (the conversion to unsigned char) so any other pair cannot overflow.
        const auto cipher = static_cast<unsigned char>(a * 16 + (b - 48));
        const auto p = static_cast<unsigned char>(cipher ^ previous);
        if (p == 0) break;
        plain.append(static_cast<char>(p));
        previous = cipher;
    }
    return plain;
}

QString unscramble(const QString& attr, char seed) {
    return QString::fromLatin1(unscrambleBytes(attr, seed));
}

QString scrambleBytes(const QByteArray& plain, char seed) {
    QString out;
    out.reserve(plain.size() * 4);
    unsigned char previous = static_cast<unsigned char>(seed);
    for (const char ch : plain) {
        const auto cipher = static_cast<unsigned char>(static_cast<unsigned char>(ch) ^ previous);
        for (const int nibble : {cipher >> 4, cipher & 0xF}) {
            const int digitChar = '0' + nibble;  // '0'-'9', then ':' to '?'
            out.append(QLatin1Char(hexChar(digitChar >> 4)));
            out.append(QLatin1Char(hexChar(digitChar & 0xF)));
        }
        previous = cipher;
    }
    return out;
}

QString scramble(const QString& plain, char seed) { return scrambleBytes(plain.toLatin1(), seed); }

}  // namespace app
