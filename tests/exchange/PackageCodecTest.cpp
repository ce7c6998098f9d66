// The export package codec: RC4 against published vectors, the key, records
// as other installations wrote them, and a round trip of awkward records.

#include "exchange/ImportRules.h"
#include "exchange/Package.h"

#include <gtest/gtest.h>

using namespace exchange;

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

TEST(PackageCodec, Rc4MatchesPublishedVectorsAndKeyIsTheDigest) {
    struct Vector {
        const char* key;
        const char* firstBytes;  // key stream at offset 0
    } const vectors[] = {
        {"0102030405", "b2396305f03dc027ccc3524a0a1118a8"},
        {"0102030405060708090a0b0c0d0e0f10", "9ac7cc9a609d1ef7b2932899cde41b97"},
    };
    for (const Vector& v : vectors)
        EXPECT_EQ(Rc4(hex(v.key)).apply(QByteArray(16, '\0')), hex(v.firstBytes)) << v.key;
    // The stream goes on where the last call stopped.
    Rc4 split(hex("0102030405"));
    QByteArray stream = split.apply(QByteArray(5, '\0'));
    stream += split.apply(QByteArray(11, '\0'));
    EXPECT_EQ(stream, hex("b2396305f03dc027ccc3524a0a1118a8"));

    EXPECT_EQ(PackageKey(KeyKind::Full), hex("330585c8224260a3d700576c691e4d84"));
    EXPECT_EQ(PackageKey(KeyKind::Short), hex("330585c822") + QByteArray(11, '\0'));
}

TEST(PackageCodec, DataOfBothKeysIsReadAndAnythingElseRefused) {
    // Worked out with another RC4 implementation.
    struct Case {
        const char* data;
        KeyKind key;
    } const cases[] = {
        {"4F9F6F28CEF9FBA91CAEB724029B791A", KeyKind::Full},
        {"4f9f6f28cef9fba91caeb724029b791a", KeyKind::Full},
        {"5D417EC4B1C2DEEB16232CCA0A565DD2", KeyKind::Short},
        {"", KeyKind::None},
        {"4F9F6F28CEF9FBA91CAEB724029B791", KeyKind::None},   // odd length
        {"4F9F6F28CEF9FBA91CAEB724029B79ZZ", KeyKind::None},  // no hex
        {"00112233445566778899AABBCCDDEEFF", KeyKind::None},  // neither key
    };
    for (const Case& c : cases) {
        const PackageRecord record = DecryptData(QStringLiteral("User"), QLatin1String(c.data));
        EXPECT_EQ(record.key, c.key) << c.data;
        if (c.key != KeyKind::None) {
            EXPECT_EQ(record.value(QStringLiteral("Init")), QStringLiteral("AB"));
        }
    }
    EXPECT_EQ(EncryptData(QStringLiteral("Id=\"7\" Init=\"AB\"")),
              QByteArray("4F9F6F28CEF9FBA91CAEB724029B791A"));
    EXPECT_TRUE(EncryptData(QString()).isEmpty());
    // Older installations wrote Windows-1252.
    EXPECT_EQ(DecryptData(QStringLiteral("User"), QStringLiteral("5D417EC4B1C2DEEB16232CCA0A9D8DD2"))
                  .value(QStringLiteral("Init")),
              QStringLiteral("Š’"));
}

TEST(PackageCodec, AwkwardRecordsAndHeaderComeBackEqual) {
    users::User user;
    user.UserId = 12;
    user.Initials = QStringLiteral("Łk");
    user.FirstName = QStringLiteral("Zoë \"Zed\"");
    user.SurName = QStringLiteral("O’Brien & <Sons> \u0085€");
    user.Organisation = QStringLiteral("x\" AccessLevel=\"4");
    user.Email = QStringLiteral("zoe@example.org");
    user.AccessLevelId = 2;
    user.OverrideAccessLevel = true;
    user.Password = QStringLiteral("p\"w&#34;");
    user.rights.of(users::RightKind::Features) = {3, 120};
    user.rights.of(users::RightKind::ReportTemplates) = {5, 1000000};
    user.rights.of(users::RightKind::Members) = {4};
    users::UserRole role;
    role.RoleId = 9;
    role.Title = QStringLiteral("夜班");
    role.Description = QStringLiteral("line one\nline two\ttab");
    role.AccessLevelId = 3;
    role.Locked = true;
    role.rights.of(users::RightKind::Features) = {7};

    PackageHeader header;
    header.title = QStringLiteral("Q\"&<> ä 日");
    header.description = QStringLiteral("first\r\nsecond\n");
    header.databaseVersion = QStringLiteral("3.28.0.0");
    const QByteArray file = WritePackage(header, QStringLiteral("User"), {UserPlainText(user)});
    EXPECT_FALSE(file.contains('\n'));
    Package package;
    QString error;
    ASSERT_TRUE(ReadPackage(file, &package, &error)) << error.toStdString();
    EXPECT_EQ(package.header.title, header.title);
    EXPECT_EQ(package.header.description, header.description);
    EXPECT_EQ(package.header.databaseVersion, header.databaseVersion);
    ASSERT_EQ(package.records.size(), 1u);
    const users::User back = UserFromFields(package.records[0]);
    users::User expected = user;
    expected.rights.of(users::RightKind::ReportTemplates) = {5};  // the upper range stays at home
    EXPECT_TRUE(back.samePersonalData(expected));
    EXPECT_EQ(back.UserId, expected.UserId);
    EXPECT_EQ(back.Password, expected.Password);
    EXPECT_EQ(back.rights, expected.rights);

    const QByteArray roles =
        WritePackage(header, QStringLiteral("UserRole"), {RolePlainText(role)}, KeyKind::Short);
    ASSERT_TRUE(ReadPackage(roles, &package, &error));
    ASSERT_EQ(package.records.size(), 1u);
    EXPECT_EQ(package.records[0].key, KeyKind::Short);
    const users::UserRole roleBack = RoleFromFields(package.records[0]);
    EXPECT_TRUE(roleBack.samePersonalData(role));
    EXPECT_EQ(roleBack.Locked, role.Locked);
    EXPECT_EQ(roleBack.rights, role.rights);
}

TEST(PackageCodec, FilesThatAreNoPackageAreRefused) {
    const char* const files[] = {
        "",
        "<ExportPackage Title=\"a\">",
        "<Other/>",
        "<?xml version=\"1.0\"?><!DOCTYPE p [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>"
        "<ExportPackage Title=\"&e;\"/>",
    };
    for (const char* file : files) EXPECT_FALSE(ReadPackage(QByteArray(file), nullptr, nullptr)) << file;
    // Records without Data, or other elements, do not stop the reading.
    Package package;
    ASSERT_TRUE(
        ReadPackage("<ExportPackage Type=\"2\"><UserRole/><Note/></ExportPackage>", &package, nullptr));
    EXPECT_EQ(package.header.type, 2);
    EXPECT_EQ(package.unreadableCount(), 1);
}

TEST(PackageCodec, SaveNameEndsInXml) {
    struct Case {
        const char* chosen;
        char separator;
        const char* saved;
    } const cases[] = {
        {"C:\\Out\\users.backup.txt", '\\', "C:\\Out\\users.backup.XML"},
        {"/home/a.b/users", '/', "/home/a.b/users.XML"},
        {"/home/a/users.xml", '/', "/home/a/users.XML"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PackageFileName(QLatin1String(c.chosen), QLatin1Char(c.separator)), QLatin1String(c.saved));
}

}  // namespace
