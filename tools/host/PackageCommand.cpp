#include "tools/host/PackageCommand.h"

#include "exchange/ImportRules.h"
#include "exchange/Package.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamWriter>
#include <iostream>

namespace {

constexpr char kMask[] = "********";

bool isNumber(const QString& name) {
    return name == QLatin1String("Id") || name == QLatin1String("AccessLevel") ||
           name == QLatin1String("OverrideAccessLevel") || name == QLatin1String("Locked");
}

bool isList(const QString& name) {
    return name == QLatin1String("FeatureAccess") || name == QLatin1String("TemplateAccess") ||
           name == QLatin1String("UserRoleAccess");
}

QString keyName(exchange::KeyKind key) {
    return key == exchange::KeyKind::Short ? QStringLiteral("40-bit") : QStringLiteral("128-bit");
}

QString shown(const QString& name, const QString& value, bool showPasswords) {
    if (name == QLatin1String("Password") && !showPasswords && !value.isEmpty()) return QLatin1String(kMask);
    return value;
}

QJsonObject toJson(const QString& path, const exchange::Package& package, bool showPasswords) {
    const exchange::PackageHeader& h = package.header;
    QJsonObject root{
        {QStringLiteral("file"), path},
        {QStringLiteral("header"), QJsonObject{{QStringLiteral("title"), h.title},
                                               {QStringLiteral("version"), h.version},
                                               {QStringLiteral("description"), h.description},
                                               {QStringLiteral("type"), h.type},
                                               {QStringLiteral("databaseVersion"), h.databaseVersion}}}};
    QJsonArray records, unreadable;
    for (size_t n = 0; n < package.records.size(); ++n) {
        const exchange::PackageRecord& record = package.records[n];
        if (!record.readable()) {
            unreadable.append(
                QJsonObject{{QStringLiteral("index"), int(n)}, {QStringLiteral("element"), record.element}});
            continue;
        }
        QJsonObject fields;
        for (const auto& [name, value] : record.fields) {
            if (fields.contains(name)) continue;
            if (isNumber(name)) {
                fields.insert(name, value.trimmed().toInt());
            } else if (isList(name)) {
                QJsonArray ids;
                for (int id : exchange::ParseIdList(value)) ids.append(id);
                fields.insert(name, ids);
            } else {
                fields.insert(name, shown(name, value, showPasswords));
            }
        }
        records.append(QJsonObject{{QStringLiteral("index"), int(n)},
                                   {QStringLiteral("element"), record.element},
                                   {QStringLiteral("key"), keyName(record.key)},
                                   {QStringLiteral("fields"), fields}});
    }
    root.insert(QStringLiteral("records"), records);
    root.insert(QStringLiteral("unreadable"), unreadable);
    return root;
}

QByteArray toXml(const QString& path, const exchange::Package& package, bool showPasswords) {
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("package"));
    xml.writeAttribute(QStringLiteral("file"), path);
    const exchange::PackageHeader& h = package.header;
    xml.writeStartElement(QStringLiteral("header"));
    xml.writeAttribute(QStringLiteral("title"), h.title);
    xml.writeAttribute(QStringLiteral("version"), h.version);
    xml.writeAttribute(QStringLiteral("description"), h.description);
    xml.writeAttribute(QStringLiteral("type"), QString::number(h.type));
    xml.writeAttribute(QStringLiteral("databaseVersion"), h.databaseVersion);
    xml.writeEndElement();
    for (size_t n = 0; n < package.records.size(); ++n) {
        const exchange::PackageRecord& record = package.records[n];
        xml.writeStartElement(record.readable() ? QStringLiteral("record") : QStringLiteral("unreadable"));
        xml.writeAttribute(QStringLiteral("index"), QString::number(n));
        xml.writeAttribute(QStringLiteral("element"), record.element);
        if (record.readable()) {
            xml.writeAttribute(QStringLiteral("key"), keyName(record.key));
            for (const auto& [name, value] : record.fields) {
                xml.writeStartElement(QStringLiteral("field"));
                xml.writeAttribute(QStringLiteral("name"), name);
                if (isList(name))
                    for (int id : exchange::ParseIdList(value))
                        xml.writeTextElement(QStringLiteral("id"), QString::number(id));
                else
                    xml.writeCharacters(shown(name, value, showPasswords));
                xml.writeEndElement();
            }
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

}  // namespace

int runPackageCommand(const QStringList& args) {
    QStringList rest = args;
    const bool asXml = rest.removeAll(QStringLiteral("--xml")) > 0;
    const bool showPasswords = rest.removeAll(QStringLiteral("--show-passwords")) > 0;
    if (rest.size() != 2 || rest[0] != QLatin1String("show")) {
        std::cerr << "usage: skyloom-host package show FILE [--xml] [--show-passwords]\n";
        return 2;
    }
    exchange::Package package;
    QString error;
    if (!exchange::ReadPackageFile(rest[1], &package, &error)) {
        std::cerr << "The file could not be read: " << error.toStdString() << '\n';
        return 1;
    }
    const QByteArray out = asXml ? toXml(rest[1], package, showPasswords)
                                 : QJsonDocument(toJson(rest[1], package, showPasswords)).toJson();
    std::cout << out.toStdString();
    return 0;
}
