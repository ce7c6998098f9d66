#pragma once
// The code in which the host hides some session attributes (feature codes,
// user type, connection strings, data codes). Every plain byte is chained to
// the previous cipher byte (the first to a seed character), and every cipher
// byte is written as two characters '0' + nibble, each of which is written as
// two upper-case hexadecimal digits: four attribute characters per byte.

#include <QByteArray>
#include <QString>

namespace app {

// Longest plain text the decoder produces, in bytes.
inline constexpr int kMaxUnscrambledBytes = 499;

// Plain bytes of a scrambled attribute. Decoding ends at the end of the data,
// at the first zero byte, after kMaxUnscrambledBytes bytes, or at the first
// malformed four-character group (a character that is not 0-9 or A-F, or a
// group cut short) - whatever comes first.
QByteArray unscrambleBytes(const QString& attr, char seed);
// The same, as text (one character per byte, Latin-1).
QString unscramble(const QString& attr, char seed);

// The attribute text for plain bytes. The text must not contain a zero byte:
// the decoder would end there.
QString scrambleBytes(const QByteArray& plain, char seed);
// The same for text; characters outside Latin-1 cannot be carried.
QString scramble(const QString& plain, char seed);

}  // namespace app
