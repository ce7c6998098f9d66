#include "exchange/Package.h"

#include "text/TextTables.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

namespace exchange {

QString PackageRecord::value(const QString& name) const {
    for (const auto& [field, value] : fields)
        if (field == name) return value;
    return {};
}

int Package::unreadableCount() const {
    int count = 0;
    for (const PackageRecord& record : records) count += record.readable() ? 0 : 1;
    return count;
}

QString ElementOf(PackageType type) {
    return type == PackageType::Roles ? QStringLiteral("UserRole") : QStringLiteral("User");
}

namespace {

QString characterReference(char32_t code) { return QStringLiteral("&#%1;").arg(uint(code)); }

// Each character of `value` through `escape`, which returns the replacement
// or an empty text to keep the character.
template <class Escape>
QString escaped(const QString& value, Escape escape) {
    QString out;
    out.reserve(value.size());
    for (char32_t code : value.toUcs4()) {
        const QString replacement = escape(code);
        if (!replacement.isNull())
            out += replacement;
        else
            out += QString::fromUcs4(&code, 1);
    }
    return out;
}

// An attribute value of the package's XML.
QString escapeXml(const QString& value) {
    return escaped(value, [](char32_t code) -> QString {
        switch (code) {
            case '&': return QStringLiteral("&amp;");
            case '<': return QStringLiteral("&lt;");
            case '>': return QStringLiteral("&gt;");
            case '"': return QStringLiteral("&quot;");
            case '\t':
            case '\n':
            case '\r': return characterReference(code);
        }
        // XML has no way to write the other control characters.
        if (code < 0x20) return QStringLiteral("");
        if (code > 0xFF) return characterReference(code);
        return {};
    });
}

bool plausible(const QByteArray& plain) {
    if (!plain.startsWith("Id=\"")) return false;
    for (char c : plain)
        if (uchar(c) < 0x20 || uchar(c) == 0x7F) return false;
    return true;
}

QString unescapeValue(const QString& value) {
    if (!value.contains(u'&')) return value;
    QString out;
    for (qsizetype n = 0; n < value.size();) {
        if (value[n] == u'&') {
            const qsizetype end = value.indexOf(u';', n);
            if (end > n) {
                const QString entity = value.mid(n + 1, end - n - 1);
                if (entity == QLatin1String("quot")) {
                    out += u'"';
                    n = end + 1;
                    continue;
                }
                bool ok = false;
                const uint code = entity.startsWith(u'#') ? entity.mid(1).toUInt(&ok, 10) : 0;
                if (ok && code > 0 && code <= 0x10FFFF && entity.size() > 1 && entity[1].isDigit()) {
                    const char32_t c = code;
                    out += QString::fromUcs4(&c, 1);
                    n = end + 1;
                    continue;
                }
            }
        }
        out += value[n++];
    }
    return out;
}

// The byte of a character in Windows-1252, which older installations wrote
// their texts in; 0 for a character it lacks. The C1 controls have none
// (their bytes stand for letters there), except the five bytes the code
// page leaves undefined: read as themselves, they are written back as such.
uchar windows1252Byte(char32_t code) {
    if ((code >= 0x20 && code < 0x7F) || (code >= 0xA0 && code <= 0xFF)) return uchar(code);
    if (code < 0x20) return 0;
    for (int b = 0x80; b <= 0x9F; ++b) {
        const QString decoded = text::decodeWindows1252(QByteArray(1, char(b)));
        if (decoded.at(0).unicode() == code) return uchar(b);
    }
    return 0;
}

QByteArray toWindows1252(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (char32_t code : text.toUcs4()) {
        const uchar byte = windows1252Byte(code);
        out += char(byte ? byte : (code < 0x20 ? uchar(code) : uchar('?')));
    }
    return out;
}

// Whether the characters from `n` on read as "quot;" or "#digits;".
bool looksLikeEscape(const QList<uint>& codes, qsizetype n) {
    static const char kQuot[] = "quot;";
    bool quot = n + 5 <= codes.size();
    for (int k = 0; quot && k < 5; ++k) quot = codes[n + k] == uint(kQuot[k]);
    if (quot) return true;
    if (n >= codes.size() || codes[n] != '#') return false;
    qsizetype k = n + 1;
    while (k < codes.size() && codes[k] >= '0' && codes[k] <= '9') ++k;
    return k > n + 1 && k < codes.size() && codes[k] == ';';
}

}  // namespace

QString EscapeValue(const QString& value) {
    QString out;
    out.reserve(value.size());
    const QList<uint> codes = value.toUcs4();
    for (qsizetype n = 0; n < codes.size(); ++n) {
        const char32_t code = codes[n];
        if (code == '"') {
            out += QStringLiteral("&quot;");
        } else if (windows1252Byte(code) == 0) {
            // Control characters would make the record look undecryptable;
            // what Windows-1252 lacks could not be written.
            out += characterReference(code);
        } else if (code == '&' && looksLikeEscape(codes, n + 1)) {
            // Only an "&" that would read as one of the two escapes is escaped.
            out += characterReference(code);
        } else {
            out += QChar(char16_t(code));
        }
    }
    return out;
}

Fields ParseAttributeText(const QString& text) {
    Fields fields;
    qsizetype n = 0;
    while (n < text.size()) {
        while (n < text.size() && text[n] == u' ') ++n;
        const qsizetype equals = text.indexOf(QLatin1String("=\""), n);
        if (equals <= n) break;
        const qsizetype close = text.indexOf(u'"', equals + 2);
        if (close < 0) break;
        fields.emplace_back(text.mid(n, equals - n).trimmed(),
                            unescapeValue(text.mid(equals + 2, close - equals - 2)));
        n = close + 1;
    }
    return fields;
}

QByteArray EncryptData(const QString& plainText, KeyKind kind) {
    if (plainText.isEmpty()) return {};
    return Rc4(PackageKey(kind)).apply(toWindows1252(plainText)).toHex().toUpper();
}

PackageRecord DecryptData(const QString& element, const QString& data) {
    PackageRecord record;
    record.element = element;
    if (data.isEmpty() || data.size() % 2 != 0) return record;
    for (QChar c : data) {
        const char16_t u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f'))) return record;
    }
    const QByteArray cipher = QByteArray::fromHex(data.toLatin1());
    for (KeyKind kind : {KeyKind::Full, KeyKind::Short}) {
        const QByteArray plain = Rc4(PackageKey(kind)).apply(cipher);
        if (!plausible(plain)) continue;
        record.key = kind;
        record.plainText = text::decodeWindows1252(plain);
        record.fields = ParseAttributeText(record.plainText);
        break;
    }
    return record;
}

QByteArray WritePackage(const PackageHeader& header, const QString& element, const QStringList& plainTexts,
                        KeyKind kind) {
    QString head = QStringLiteral("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
    head += QStringLiteral(
                "<ExportPackage Title=\"%1\" Version=\"%2\" Description=\"%3\" Type=\"%4\" "
                "DatabaseVersion=\"%5\">")
                .arg(escapeXml(header.title), escapeXml(header.version), escapeXml(header.description))
                .arg(header.type)
                .arg(escapeXml(header.databaseVersion));
    QByteArray out = head.toLatin1();
    const QByteArray open = '<' + element.toLatin1() + " Data = \"";
    for (const QString& text : plainTexts) out += open + EncryptData(text, kind) + "\"/>";
    out += "</ExportPackage>";
    return out;
}

bool ReadPackage(const QByteArray& bytes, Package* package, QString* error) {
    const auto fail = [&](const QString& reason) {
        if (error) *error = reason;
        return false;
    };
    if (bytes.size() > kMaxPackageBytes) return fail(QStringLiteral("The file is too large"));
    Package read;
    QXmlStreamReader xml(bytes);
    bool root = false;
    int depth = 0;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
            case QXmlStreamReader::DTD: return fail(QStringLiteral("Document type declarations are refused"));
            case QXmlStreamReader::EntityReference:
                return fail(QStringLiteral("Undeclared entity reference"));
            case QXmlStreamReader::StartElement: {
                ++depth;
                const QXmlStreamAttributes attributes = xml.attributes();
                if (depth == 1) {
                    if (xml.name() != QLatin1String("ExportPackage"))
                        return fail(QStringLiteral("The document is no export package"));
                    root = true;
                    read.header.title = attributes.value(QLatin1String("Title")).toString();
                    read.header.version = attributes.value(QLatin1String("Version")).toString();
                    read.header.description = attributes.value(QLatin1String("Description")).toString();
                    read.header.type = attributes.value(QLatin1String("Type")).toInt();
                    read.header.databaseVersion =
                        attributes.value(QLatin1String("DatabaseVersion")).toString();
                } else if (depth == 2 &&
                           (xml.name() == QLatin1String("User") || xml.name() == QLatin1String("UserRole"))) {
                    read.records.push_back(DecryptData(xml.name().toString(),
                                                       attributes.value(QLatin1String("Data")).toString()));
                }
                break;
            }
            case QXmlStreamReader::EndElement: --depth; break;
            default: break;
        }
    }
    if (xml.hasError()) return fail(xml.errorString());
    if (!root) return fail(QStringLiteral("The document is empty"));
    if (package) *package = std::move(read);
    return true;
}

bool ReadPackageFile(const QString& path, Package* package, QString* error) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("The file cannot be opened");
        return false;
    }
    if (file.size() > kMaxPackageBytes) {
        if (error) *error = QStringLiteral("The file is too large");
        return false;
    }
    return ReadPackage(file.readAll(), package, error);
}

QString PackageFileName(const QString& chosen, QChar separator) {
    const qsizetype slash = chosen.lastIndexOf(separator);
    const QString folder = chosen.left(slash + 1);
    QString name = chosen.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0) name.truncate(dot);
    return folder + name + QStringLiteral(".XML");
}

}  // namespace exchange
