#include "categorization/AllocationFile.h"

#include "text/TextTables.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QXmlStreamReader>

namespace categorization {

namespace {

// The three escapes XML requires in element text; a "," stays as it is.
QByteArray escaped(const QString& text) {
    QString out = text;
    out.replace(u'&', QStringLiteral("&amp;"));
    out.replace(u'<', QStringLiteral("&lt;"));
    out.replace(u'>', QStringLiteral("&gt;"));
    return out.toUtf8();
}

void element(QByteArray& out, const char* name, const QByteArray& text) {
    out += '<';
    out += name;
    out += '>';
    out += text;
    out += "</";
    out += name;
    out += ">\n";
}

// Text that is no number reads as 0.
int numberOf(QStringView text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}

QString decoded(const QByteArray& content) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(content);
    return utf8.hasError() ? text::decodeWindows1252(content) : text;
}

bool readCategory(const QString& text, AllocationFile& file) {
    // A title may hold commas of its own (the writer keeps them): the id
    // ends at the first one.
    const qsizetype comma = text.indexOf(u',');
    if (comma < 0) return false;
    file.categories.push_back({numberOf(QStringView(text).left(comma)), text.mid(comma + 1), -1});
    return true;
}

bool readAllocation(const QString& text, AllocationFile& file) {
    const QList<QStringView> fields = QStringView(text).split(u',');
    if (fields.size() > 4) return false;
    int numbers[4] = {0, 0, 0, 0};
    for (qsizetype i = 0; i < fields.size(); ++i) numbers[i] = numberOf(fields[i]);
    file.allocations.push_back({numbers[0], numbers[1], numbers[2], numbers[3]});
    return true;
}

bool readBody(QXmlStreamReader& xml, AllocationFile& file) {
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1StringView("ALLOCATION")) {
            xml.skipCurrentElement();
            continue;
        }
        if (!readAllocation(xml.readElementText(), file)) return false;
    }
    return !xml.hasError();
}

}  // namespace

AllocationFile eventAllocationFile(const QString& eventListTitle) {
    AllocationFile file;
    file.version = QLatin1String(kEventFileVersion);
    file.eventList = eventListTitle;
    return file;
}

AllocationFile deratingAllocationFile() {
    AllocationFile file;
    file.derating = true;
    file.version = QLatin1String(kDeratingFileVersion);
    file.deratingSources = QLatin1String(kAllDeratingSources);
    return file;
}

QString allocationFilePath(const QString& chosen) {
    const QFileInfo info(chosen);
    QString name = info.fileName();
    if (name.isEmpty()) return {};
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0) name.truncate(dot);
    return info.dir().filePath(name + QStringLiteral(".XML"));
}

QByteArray writeAllocationFile(const AllocationFile& file) {
    QByteArray out;
    out.reserve(qsizetype(64 + 48 * file.allocations.size() + 40 * file.categories.size()));
    out += "<HEADER>\n";
    element(out, "VERSION", escaped(file.version));
    if (file.derating)
        element(out, "DERATINGSOURCES", escaped(file.deratingSources));
    else
        element(out, "EVENTLIST", escaped(file.eventList));
    for (const AllocationFileCategory& category : file.categories)
        element(out, "CATEGORY", QByteArray::number(category.id) + ',' + escaped(category.title));
    out += "<BODY>\n";
    for (const AllocationFileLine& line : file.allocations)
        element(out, "ALLOCATION",
                QByteArray::number(line.key) + ',' + QByteArray::number(line.category) + ',' +
                    QByteArray::number(line.disabled) + ',' + QByteArray::number(line.sourceNumber));
    out += "</BODY>\n</HEADER>\n";
    return out;
}

std::optional<AllocationFile> readAllocationFile(const QByteArray& content) {
    if (content.size() > kAllocationFileLimit) return std::nullopt;
    QXmlStreamReader xml(decoded(content));
    AllocationFile file;
    if (!xml.readNextStartElement()) return std::nullopt;
    // The root's children up to the body; anything after it is not read,
    // but the whole document must still be well-formed.
    bool bodyRead = false;
    while (!bodyRead && xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == QLatin1StringView("VERSION")) {
            file.version = xml.readElementText();
        } else if (name == QLatin1StringView("EVENTLIST")) {
            file.eventList = xml.readElementText();
        } else if (name == QLatin1StringView("DERATINGSOURCES")) {
            file.derating = true;
            file.deratingSources = xml.readElementText();
        } else if (name == QLatin1StringView("CATEGORY")) {
            if (!readCategory(xml.readElementText(), file)) return std::nullopt;
        } else if (name == QLatin1StringView("BODY")) {
            if (!readBody(xml, file)) return std::nullopt;
            bodyRead = true;
        } else {
            xml.skipCurrentElement();
        }
    }
    while (!xml.atEnd()) xml.readNext();
    if (xml.hasError()) return std::nullopt;
    return file;
}

}  // namespace categorization
