#pragma once
// The export package: an ISO-8859-1 XML file on one line holding a header
// and one element per user or role, whose Data attribute is the record's
// attribute text under RC4, as upper-case hexadecimal pairs.
//
// The attribute text is Windows-1252, one byte per character, as older
// installations wrote it. Values inside it are written with `"` as &quot;
// and characters Windows-1252 lacks (and control characters) as &#N;,
// everything else as it is, so that a quote cannot end a value early and
// older readers still see plain text.

#include "exchange/Rc4.h"

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

namespace exchange {

inline constexpr char kPackageVersion[] = "1.00";
// Larger files are refused before they are parsed.
inline constexpr qint64 kMaxPackageBytes = 64 * 1024 * 1024;

enum class PackageType { Users = 1, Roles = 2 };

struct PackageHeader {
    QString title;
    QString version = QLatin1String(kPackageVersion);
    QString description;
    int type = int(PackageType::Users);
    QString databaseVersion;
};

using Fields = std::vector<std::pair<QString, QString>>;

struct PackageRecord {
    QString element;    // "User" or "UserRole"
    QString plainText;  // the decrypted attribute text; empty when unreadable
    KeyKind key = KeyKind::None;
    Fields fields;  // name="value" pairs in order, values un-escaped

    bool readable() const { return key != KeyKind::None; }
    // The value of the first field `name`; empty when there is none.
    QString value(const QString& name) const;
};

struct Package {
    PackageHeader header;
    std::vector<PackageRecord> records;  // in file order, unreadable ones included

    int unreadableCount() const;
};

// Escapes a value for the attribute text (see above).
QString EscapeValue(const QString& value);
// The name="value" pairs of an attribute text, in order, values un-escaped.
Fields ParseAttributeText(const QString& text);

// The Data value of a plain text under `kind`'s key: hexadecimal pairs, or
// an empty text for an empty plain text. Characters Windows-1252 lacks
// become "?": escape values first.
QByteArray EncryptData(const QString& plainText, KeyKind kind = KeyKind::Full);
// Tries the full key, then the short one, and keeps the first whose result
// is plausible (starts with Id=" and holds no control characters). Hex
// digits of either case are read; anything else makes the record unreadable.
PackageRecord DecryptData(const QString& element, const QString& data);

// The whole file; `plainTexts` are the records' attribute texts, in order.
QByteArray WritePackage(const PackageHeader& header, const QString& element, const QStringList& plainTexts,
                        KeyKind kind = KeyKind::Full);
// False with a reason for a file that is not a well-formed package.
bool ReadPackage(const QByteArray& bytes, Package* package, QString* error);
bool ReadPackageFile(const QString& path, Package* package, QString* error);

// The element name of a package type.
QString ElementOf(PackageType type);

// The name a package is saved under: the file name (after the last
// separator) loses everything from its last "." and gets ".XML".
QString PackageFileName(const QString& chosen, QChar separator);

}  // namespace exchange
