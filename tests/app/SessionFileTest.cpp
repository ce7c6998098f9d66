// The session file writer (used by the stand-in host, the demo and tests):
// what it writes reads back field by field, and it refuses what the tool
// could not read back.

#include "app/SessionFile.h"
#include "app/SessionReader.h"
#include "support/ScriptedPrompts.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <functional>

namespace {

// Every field of a description, with seeds above 0x7F whose nibbles reach 10..15.
const char* const kDescribed = R"json({
    "SessionId": 3, "UserId": 4711, "UserInit": "ÅB", "Language": "DE", "Phonebook": "Phone",
    "ReportLogo1": "/logos/a & b.png", "ReportLogo2": "/logos/\"c\".png", "HelpValue": "Ä?:0Z",
    "ExtraHelpValue": "ÿ¯", "DBVersion": "2.30.0.0", "Online": "YES", "TraceLevel": 5,
    "FeatureCode": "3,6,101,146", "UserType": "Korvane", "UserTypeInfo": -12, "DataCode": "DC-é",
    "ProgramFilesDir": "/opt/skyloom", "BaseDir": "/srv/base", "DataDir": "/srv/data", "PhoneDir": "/srv/phone",
    "SysDir": "/srv/sys", "PictureDir": "/srv/pic", "ProjectDir": "/srv/proj", "ParkName": "Ærøskøbing <North>",
    "ScenarioActive": "2",
    "ParkUnits": [{"SParkUnitId": 101, "ParkUnitTitle": "WTG 01", "CommunicationLabel": 1,
                   "ParkUnitSerialNumber": "SN-1", "UnitTypeId": 7, "UnitTypeTitle": "V90", "DeviceTitle": "Turbine",
                   "UnitTypeCapacity": 2000, "EventListId": 3, "EventListFileName": "ev.txt"},
                  {"SParkUnitId": 102, "ParkUnitTitle": "Mast", "CommunicationLabel": 2,
                   "ParkUnitSerialNumber": "", "UnitTypeId": 8, "UnitTypeTitle": "Met", "DeviceTitle": "Mast",
                   "UnitTypeCapacity": 0, "EventListId": 4, "EventListFileName": "met.txt"}],
    "Scenarios": [{"SScenarioId": 1, "ScenarioName": "All", "ParkUnitIds": [101, 102]},
                  {"SScenarioId": 2, "ScenarioName": "Turbines", "ParkUnitIds": [101]}],
    "OnlineConfiguration": "Provider=Embedded;Data Source=/tmp/r.db;Initial Catalog=Reports;User ID=sa;Password=pä;",
    "OfflineConfiguration": "Data Source=offline;Catalog=(null)"})json";

// Session `id` of the file as the tool reads it.
app::SessionData readBack(const QString& path, int id) {
    app::SessionData s;
    s.SessionFile = path;
    s.SessionId = id;
    testing_support::ScriptedPrompts prompts;
    EXPECT_TRUE(app::ReadSession(s, prompts));
    return s;
}

}  // namespace

TEST(SessionFile, WrittenSessionsReadBackFieldByField) {
    const QJsonObject described = QJsonDocument::fromJson(kDescribed).object();
    QStringList problems;
    app::SessionDescription latin1 = app::sessionDescriptionFromJson(described, &problems);
    ASSERT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
    latin1.CompleteDataCode = QString(120, u'k');
    // Seeds beyond Latin-1 are taken as the reader takes them ('?').
    const QString emoji = QStringLiteral("\U0001F600");
    app::SessionDescription wide = latin1;
    wide.SessionId = 9;
    wide.HelpValue = emoji + QStringLiteral("K") + emoji + QStringLiteral("Q");
    wide.ExtraHelpValue = emoji + QStringLiteral("5");

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("session.xml"));
    QString error;
    ASSERT_TRUE(app::writeSessionFile(path, {latin1, wide}, &error)) << error.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray xml = f.readAll();
    for (const char* plain : {"Korvane", "Initial Catalog", "146"})
        EXPECT_FALSE(xml.contains(plain)) << plain;

    for (const app::SessionDescription& d : {wide, latin1}) {
        SCOPED_TRACE(d.SessionId);
        const app::SessionData s = readBack(path, d.SessionId);
        const QJsonObject record = app::sessionToJson(s);
        for (auto it = described.begin(); it != described.end(); ++it)
            if (it.key() != u"UserType" && it.key() != u"SessionId" && !it.key().endsWith(u"HelpValue")) {
                EXPECT_EQ(record[it.key()], it.value()) << it.key().toStdString();
            }
        EXPECT_EQ(s.HelpValue, d.HelpValue);
        EXPECT_EQ(s.ExtraHelpValue, d.ExtraHelpValue);
        EXPECT_TRUE(s.KorvaneUser);
        EXPECT_EQ(app::fixedFieldText(s.CompleteDataCode), QString(97, u'k'));
    }
}

TEST(SessionFile, RefusesWhatTheToolWouldNotReadBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("session.xml"));
    const QString emoji = QStringLiteral("\U0001F600");
    const struct {
        const char* name;
        std::function<void(app::SessionDescription&)> change;
        const char* error;
    } table[] = {
        {"beyond Latin-1", [](auto& d) { d.FeatureCode = QStringLiteral("3,\u20AC"); }, "FeatureCode"},
        {"beyond 499 bytes",
         [](auto& d) { d.OnlineConfiguration = QStringLiteral("Data Source=") + QString(488, u'x'); },
         "OnlineConfiguration"},
        {"a zero character", [](auto& d) { d.UserType = QStringLiteral("a") + QChar(u'\0'); }, "UserType"},
        {"HelpValue of three", [](auto& d) { d.HelpValue = QStringLiteral("K7Q"); }, "HelpValue"},
        {"HelpValue of two emoji", [&](auto& d) { d.HelpValue = emoji + emoji; }, "HelpValue"},
        {"session id 0", [](auto& d) { d.SessionId = 0; }, "SessionId"},
        {"negative session id", [](auto& d) { d.SessionId = -4; }, "SessionId"},
        {"larger than the reader takes",
         [](auto& d) { d.ParkName = QString(app::kMaxSessionFileBytes, u'p'); }, "16 MB"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        app::SessionDescription d;
        row.change(d);
        QString error;
        EXPECT_FALSE(app::writeSessionFile(path, {app::SessionDescription(), d}, &error));
        EXPECT_TRUE(error.contains(QLatin1StringView(row.error))) << error.toStdString();
        EXPECT_FALSE(QFile::exists(path));
    }
    // 499 bytes are the most that come back.
    app::SessionDescription longest;
    longest.OnlineConfiguration = QStringLiteral("Data Source=") + QString(487, u'x');
    QString error;
    ASSERT_TRUE(app::writeSessionFile(path, {longest}, &error)) << error.toStdString();
    EXPECT_EQ(readBack(path, 1).OnlineConfiguration, longest.OnlineConfiguration);
}

TEST(SessionFile, DescriptionFromJsonNamesWhatItSkips) {
    QStringList problems;
    const app::SessionDescription d = app::sessionDescriptionFromJson(
        QJsonDocument::fromJson(R"({"UserId": "77", "ParkUnits": [{"UnitTypeCapacity": 2300}]})").object(),
        &problems);
    EXPECT_TRUE(problems.isEmpty());
    EXPECT_EQ(d.UserId, 77);
    EXPECT_EQ(d.HelpValue, app::SessionDescription().HelpValue);
    EXPECT_EQ(d.ParkUnits.at(0).UnitTypeCapacity, 2300);

    const app::SessionDescription bad = app::sessionDescriptionFromJson(QJsonDocument::fromJson(R"({
        "SesionId": 4, "UserId": 1.5, "UserInit": 3, "ParkUnits": [{"Title": "x"}, 7],
        "Scenarios": {"SScenarioId": 1}, "TraceLevel": 4294967296})")
                                                                            .object(),
                                                                        &problems);
    EXPECT_EQ(problems.size(), 7) << problems.join(u'\n').toStdString();
    EXPECT_TRUE(problems.join(u'\n').contains(QStringLiteral("SesionId")));
    EXPECT_EQ(bad.UserId, 0);
    EXPECT_EQ(bad.TraceLevel, 1);
}
