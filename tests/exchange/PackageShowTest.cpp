// skyloom-host package show on a package the codec wrote: the JSON shape
// documented in README, passwords masked unless asked for.

#include "exchange/ImportRules.h"
#include "exchange/Package.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QJsonObject show(const QString& path, const QStringList& options, int* exitCode) {
    QProcess host;
    host.start(QStringLiteral(PA_HOST_PATH),
               QStringList{QStringLiteral("package"), QStringLiteral("show"), path} + options);
    EXPECT_TRUE(host.waitForFinished(20000));
    *exitCode = host.exitCode();
    return QJsonDocument::fromJson(host.readAllStandardOutput()).object();
}

TEST(PackageShow, PrintsRecordsDecryptedWithPasswordsMasked) {
    QTemporaryDir dir;
    users::User user;
    user.UserId = 4;
    user.Initials = QStringLiteral("AB");
    user.Password = QStringLiteral("secret");
    user.rights.of(users::RightKind::Features) = {3, 120};
    exchange::PackageHeader header;
    header.title = QStringLiteral("Hand-over");
    header.databaseVersion = QStringLiteral("3.23.9.9");
    QByteArray bytes =
        exchange::WritePackage(header, QStringLiteral("User"), {exchange::UserPlainText(user)});
    bytes.replace("</ExportPackage>", "<User Data = \"00FF\"/></ExportPackage>");
    const QString path = dir.filePath(QStringLiteral("p.XML"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    int exitCode = -1;
    const QJsonObject json = show(path, {}, &exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(json[QStringLiteral("header")][QStringLiteral("type")].toInt(), 1);
    EXPECT_EQ(json[QStringLiteral("header")][QStringLiteral("databaseVersion")].toString(),
              header.databaseVersion);
    const QJsonArray records = json[QStringLiteral("records")].toArray();
    ASSERT_EQ(records.size(), 1);
    const QJsonObject record = records[0].toObject();
    EXPECT_EQ(record[QStringLiteral("key")].toString(), QStringLiteral("128-bit"));
    const QJsonObject fields = record[QStringLiteral("fields")].toObject();
    EXPECT_EQ(fields[QStringLiteral("Id")].toInt(), 4);
    EXPECT_EQ(fields[QStringLiteral("FeatureAccess")].toArray(), (QJsonArray{3, 120}));
    EXPECT_NE(fields[QStringLiteral("Password")].toString(), user.Password);
    EXPECT_EQ(json[QStringLiteral("unreadable")].toArray().size(), 1);

    const QJsonObject plain = show(path, {QStringLiteral("--show-passwords")}, &exitCode);
    EXPECT_EQ(
        plain[QStringLiteral("records")][0][QStringLiteral("fields")][QStringLiteral("Password")].toString(),
        user.Password);
    show(dir.filePath(QStringLiteral("missing.XML")), {}, &exitCode);
    EXPECT_NE(exitCode, 0);
}

}  // namespace
