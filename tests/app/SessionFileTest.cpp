#include "app/SessionFile.h"
#include "app/SessionReader.h"
#include "support/ScriptedPrompts.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>

using testing_support::ScriptedPrompts;

namespace {

app::SessionDescription fullDescription(int id) {
    app::SessionDescription d;
    d.SessionId = id;
    d.UserId = 4711;
    d.UserInit = QStringLiteral("ÅB");
    d.Language = QStringLiteral("DE");
    d.Phonebook = QStringLiteral("Phone");
    d.ReportLogo1 = QStringLiteral("/logos/a & b.png");
    d.ReportLogo2 = QStringLiteral("/logos/\"c\".png");
    d.HelpValue = QStringLiteral("\u00C4?:0Z");  // seeds above 0x7F and with nibbles 10..15
    d.ExtraHelpValue = QStringLiteral("\u00FF\u00AF");
    d.DBVersion = QStringLiteral("2.30.0.0");
    d.Online = QStringLiteral("YES");
    d.TraceLevel = 5;
    d.FeatureCode = QStringLiteral("3,6,101,102,146,153");
    d.UserType = QStringLiteral("Korvane");
    d.UserTypeInfo = -12;
    d.DataCode = QStringLiteral("DC-\u00E9");
    d.CompleteDataCode = QString(97, u'k');
    d.ProgramFilesDir = QStringLiteral("/opt/skyloom");
    d.BaseDir = QStringLiteral("/srv/base");
    d.DataDir = QStringLiteral("/srv/data");
    d.PhoneDir = QStringLiteral("/srv/phone");
    d.SysDir = QStringLiteral("/srv/sys");
    d.PictureDir = QStringLiteral("/srv/pic");
    d.ProjectDir = QStringLiteral("/srv/proj");
    d.ParkName = QStringLiteral("Ærøskøbing <North>");
    d.ParkUnits = {{101, QStringLiteral("WTG 01"), 1, QStringLiteral("SN-1"), 7, QStringLiteral("V90"),
                    QStringLiteral("Turbine"), 2000, 3, QStringLiteral("ev.txt")},
                   {102, QStringLiteral("Mast"), 2, QString(), 8, QStringLiteral("Met"),
                    QStringLiteral("Mast"), 0, 4, QStringLiteral("met.txt")}};
    d.ScenarioActive = QStringLiteral("2");
    d.Scenarios = {{1, QStringLiteral("All"), {101, 102}}, {2, QStringLiteral("Turbines"), {101}}};
    d.OnlineConfiguration = QStringLiteral(
        "Provider=Embedded;Data Source=/tmp/r.db;Initial Catalog=Reports;User ID=sa;Password=pä;");
    d.OfflineConfiguration = QStringLiteral("Data Source=offline;Catalog=(null)");
    return d;
}

void expectMatches(const app::SessionData& s, const app::SessionDescription& d) {
    EXPECT_EQ(s.SessionId, d.SessionId);
    EXPECT_EQ(s.Online, d.Online);
    EXPECT_TRUE(s.OnlineFlag);
    EXPECT_EQ(s.ParkName, d.ParkName);
    EXPECT_EQ(s.UserId, d.UserId);
    EXPECT_EQ(s.UserInit, d.UserInit);
    EXPECT_EQ(s.UserTypeInfo, d.UserTypeInfo);
    EXPECT_EQ(s.KorvaneUser, d.UserType == u"Korvane");
    EXPECT_EQ(s.Language, d.Language);
    EXPECT_EQ(s.FeatureCode, d.FeatureCode);
    EXPECT_EQ(s.Phonebook, d.Phonebook);
    EXPECT_EQ(s.HelpValue, d.HelpValue);
    EXPECT_EQ(s.ExtraHelpValue, d.ExtraHelpValue);
    EXPECT_EQ(app::fixedFieldText(s.HelpSeed), d.HelpValue.left(4));
    EXPECT_EQ(app::fixedFieldText(s.ExtraSeed), d.ExtraHelpValue.left(2));
    EXPECT_EQ(s.ProgramFilesDir, d.ProgramFilesDir);
    EXPECT_EQ(s.BaseDir, d.BaseDir);
    EXPECT_EQ(s.DataDir, d.DataDir);
    EXPECT_EQ(s.PhoneDir, d.PhoneDir);
    EXPECT_EQ(s.SysDir, d.SysDir);
    EXPECT_EQ(s.PictureDir, d.PictureDir);
    EXPECT_EQ(s.ProjectDir, d.ProjectDir);
    EXPECT_EQ(s.ReportLogo1, d.ReportLogo1);
    EXPECT_EQ(s.ReportLogo2, d.ReportLogo2);
    EXPECT_EQ(s.DBVersion, d.DBVersion);
    EXPECT_EQ(s.ScenarioActive, d.ScenarioActive);
    EXPECT_EQ(s.OnlineConfiguration, d.OnlineConfiguration);
    EXPECT_EQ(s.OnlineConnection, app::SplitConnectionString(d.OnlineConfiguration));
    EXPECT_EQ(s.OfflineConfiguration, d.OfflineConfiguration);
    EXPECT_EQ(s.OfflineConnection, app::SplitConnectionString(d.OfflineConfiguration));
    EXPECT_EQ(s.FeatureCodes, app::ParseFeatureCodes(d.FeatureCode));
    EXPECT_EQ(s.TraceLevel, d.TraceLevel);
    EXPECT_EQ(app::fixedFieldText(s.DataCode), d.DataCode.left(49));
    EXPECT_EQ(app::fixedFieldText(s.CompleteDataCode), d.CompleteDataCode.left(97));
    EXPECT_EQ(s.ParkUnits, d.ParkUnits);
    EXPECT_EQ(s.Scenarios, d.Scenarios);
    EXPECT_TRUE(s.Loaded);
}

// Session `id` of the file as the tool reads it.
app::SessionData readBack(const QString& path, int id) {
    app::SessionData s;
    s.SessionFile = path;
    s.SessionId = id;
    ScriptedPrompts prompts;
    EXPECT_TRUE(app::ReadSession(s, prompts));
    EXPECT_TRUE(prompts.take().empty());
    return s;
}

}  // namespace

TEST(SessionFile, WrittenSessionsReadBackFieldByField) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("session.xml"));
    app::SessionDescription second = fullDescription(9);
    second.UserInit = QStringLiteral("NINE");
    second.ParkUnits.pop_back();
    second.OnlineConfiguration = QStringLiteral("Data Source=other");
    QString error;
    ASSERT_TRUE(app::writeSessionFile(path, {fullDescription(3), second}, &error)) << error.toStdString();

    // Scrambled attributes are not in the file as plain text.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray xml = f.readAll();
    EXPECT_FALSE(xml.contains("Korvane"));
    EXPECT_FALSE(xml.contains("Initial Catalog"));
    EXPECT_FALSE(xml.contains("146"));

    for (const auto& d : {second, fullDescription(3)}) expectMatches(readBack(path, d.SessionId), d);
}

TEST(SessionFile, RefusesTextsTheReaderCouldNotRecover) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("session.xml"));
    QString error;
    app::SessionDescription d;
    d.FeatureCode = QStringLiteral("3,\u20AC");
    EXPECT_FALSE(app::writeSessionFile(path, {d}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("FeatureCode"))) << error.toStdString();
    d = {};
    d.OnlineConfiguration = QStringLiteral("Data Source=") + QString(490, u'x');
    EXPECT_FALSE(app::writeSessionFile(path, {d}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("OnlineConfiguration"))) << error.toStdString();
    d = {};
    d.UserType = QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b");
    EXPECT_FALSE(app::writeSessionFile(path, {d}, &error));
    EXPECT_FALSE(QFile::exists(path));

    // 499 bytes are the most that come back.
    d = {};
    d.OnlineConfiguration = QStringLiteral("Data Source=") + QString(487, u'x');
    ASSERT_TRUE(app::writeSessionFile(path, {d}, &error)) << error.toStdString();
    EXPECT_EQ(readBack(path, d.SessionId).OnlineConfiguration, d.OnlineConfiguration);
}

TEST(SessionFile, RefusesSessionsTheToolWouldRefuse) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("session.xml"));
    const QString emoji = QStringLiteral("\U0001F600");
    const struct {
        const char* name;
        std::function<void(app::SessionDescription&)> change;
        const char* field;
    } table[] = {
        {"HelpValue of three", [](auto& d) { d.HelpValue = QStringLiteral("K7Q"); }, "HelpValue"},
        {"HelpValue of two emoji", [&](auto& d) { d.HelpValue = emoji + emoji; }, "HelpValue"},
        {"session id 0", [](auto& d) { d.SessionId = 0; }, "SessionId"},
        {"negative session id", [](auto& d) { d.SessionId = -4; }, "SessionId"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        app::SessionDescription d;
        row.change(d);
        QString error;
        EXPECT_FALSE(app::writeSessionFile(path, {app::SessionDescription(), d}, &error));
        EXPECT_TRUE(error.contains(QLatin1StringView(row.field))) << error.toStdString();
        EXPECT_FALSE(QFile::exists(path));
    }

    // More than the reader takes.
    app::SessionDescription large;
    large.ParkName = QString(app::kMaxSessionFileBytes, u'p');
    QString error;
    EXPECT_FALSE(app::writeSessionFile(path, {large}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("16 MB"))) << error.toStdString();
    EXPECT_FALSE(QFile::exists(path));
}

TEST(SessionFile, SeedsBeyondLatin1AreTakenAsTheReaderTakesThem) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("session.xml"));
    const QString emoji = QStringLiteral("\U0001F600");
    app::SessionDescription d;
    d.HelpValue = emoji + QStringLiteral("K") + emoji + QStringLiteral("Q");
    d.ExtraHelpValue = emoji + QStringLiteral("5");
    d.FeatureCode = QStringLiteral("3,101");
    d.UserType = QStringLiteral("Korvane");
    d.UserTypeInfo = 7;
    d.DataCode = QStringLiteral("data");
    d.OnlineConfiguration = QStringLiteral("Data Source=on");
    d.OfflineConfiguration = QStringLiteral("Data Source=off");
    QString error;
    ASSERT_TRUE(app::writeSessionFile(path, {d}, &error)) << error.toStdString();

    const app::SessionData s = readBack(path, d.SessionId);
    EXPECT_EQ(s.FeatureCodes, (std::vector<int>{3, 101}));
    EXPECT_TRUE(s.KorvaneUser);
    EXPECT_EQ(s.UserTypeInfo, 7);
    EXPECT_EQ(app::fixedFieldText(s.DataCode), d.DataCode);
    EXPECT_EQ(s.OnlineConfiguration, d.OnlineConfiguration);
    EXPECT_EQ(s.OfflineConfiguration, d.OfflineConfiguration);
}

TEST(SessionFile, DescriptionFromJson) {
    const QJsonObject json = QJsonDocument::fromJson(R"({
        "SessionId": 4, "UserId": "77", "TraceLevel": 3, "UserInit": "AB", "FeatureCode": "3,101",
        "OnlineConfiguration": "Data Source=x",
        "ParkUnits": [{"SParkUnitId": 5, "ParkUnitTitle": "WTG", "UnitTypeCapacity": 2300,
                       "EventListFileName": "e.txt"}],
        "Scenarios": [{"SScenarioId": 2, "ScenarioName": "S", "ParkUnitIds": [5, 6]}]
    })")
                                 .object();
    QStringList problems;
    const app::SessionDescription d = app::sessionDescriptionFromJson(json, &problems);
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
    EXPECT_EQ(d.SessionId, 4);
    EXPECT_EQ(d.UserId, 77);
    EXPECT_EQ(d.TraceLevel, 3);
    EXPECT_EQ(d.UserInit, QStringLiteral("AB"));
    EXPECT_EQ(d.FeatureCode, QStringLiteral("3,101"));
    EXPECT_EQ(d.OnlineConfiguration, QStringLiteral("Data Source=x"));
    EXPECT_EQ(d.HelpValue, app::SessionDescription().HelpValue);
    ASSERT_EQ(d.ParkUnits.size(), 1u);
    EXPECT_EQ(d.ParkUnits[0].SParkUnitId, 5);
    EXPECT_EQ(d.ParkUnits[0].ParkUnitTitle, QStringLiteral("WTG"));
    EXPECT_EQ(d.ParkUnits[0].UnitTypeCapacity, 2300);
    EXPECT_EQ(d.ParkUnits[0].EventListFileName, QStringLiteral("e.txt"));
    ASSERT_EQ(d.Scenarios.size(), 1u);
    EXPECT_EQ(d.Scenarios[0], (app::SessionScenario{2, QStringLiteral("S"), {5, 6}}));

    const QJsonObject bad = QJsonDocument::fromJson(R"({
        "SesionId": 4, "UserId": 1.5, "UserInit": 3, "ParkUnits": [{"Title": "x"}, 7],
        "Scenarios": {"SScenarioId": 1}, "TraceLevel": 4294967296
    })")
                                .object();
    problems.clear();
    const app::SessionDescription b = app::sessionDescriptionFromJson(bad, &problems);
    EXPECT_EQ(problems.size(), 7) << problems.join(u'\n').toStdString();
    EXPECT_TRUE(problems.join(u'\n').contains(QStringLiteral("SesionId")));
    EXPECT_EQ(b.UserId, 0);
    EXPECT_EQ(b.TraceLevel, 1);
}

TEST(SessionFile, JsonOfTheRecordNamesEveryField) {
    app::SessionData s;
    s.SessionId = 3;
    s.OnlineConnection.Catalog = QStringLiteral("Reports");
    s.FeatureCodes = {3, 101};
    app::copyToFixedField(s.HelpSeed, QByteArray("AB"));
    app::copyToFixedField(s.DataCode, QByteArray(60, 'd'));
    s.Scenarios = {{1, QStringLiteral("All"), {5, 6}}};
    s.UnitTypes = {{7, QStringLiteral("V90"), QStringLiteral("T"), 2000, QStringLiteral("e")}};
    s.Loaded = true;
    const QJsonObject json = app::sessionToJson(s);

    const QStringList fields = {"SessionFile",
                                "SessionId",
                                "Online",
                                "OnlineFlag",
                                "ParkName",
                                "UserId",
                                "UserInit",
                                "UserTypeInfo",
                                "KorvaneUser",
                                "Language",
                                "FeatureCode",
                                "Phonebook",
                                "HelpValue",
                                "ExtraHelpValue",
                                "HelpSeed",
                                "ExtraSeed",
                                "ProgramFilesDir",
                                "BaseDir",
                                "DataDir",
                                "PhoneDir",
                                "SysDir",
                                "PictureDir",
                                "ProjectDir",
                                "ReportLogo1",
                                "ReportLogo2",
                                "DBVersion",
                                "ScenarioActive",
                                "OnlineConfiguration",
                                "OnlineConnection",
                                "OfflineConfiguration",
                                "OfflineConnection",
                                "FeatureCodes",
                                "TraceLevel",
                                "DataCode",
                                "CompleteDataCode",
                                "ParkUnits",
                                "Scenarios",
                                "UnitTypes",
                                "ClosingStarted",
                                "Loaded"};
    QStringList keys = json.keys();
    QStringList sorted = fields;
    sorted.sort();
    keys.sort();
    EXPECT_EQ(keys, sorted);

    EXPECT_EQ(json[u"SessionId"].toInt(), 3);
    EXPECT_EQ(json[u"OnlineConnection"][u"Catalog"].toString(), QStringLiteral("Reports"));
    EXPECT_EQ(json[u"OnlineConnection"].toObject().keys(),
              (QStringList{"Catalog", "DataSource", "Password", "UserName"}));
    EXPECT_EQ(json[u"FeatureCodes"].toArray(), (QJsonArray{3, 101}));
    EXPECT_EQ(json[u"HelpSeed"].toString(), QStringLiteral("AB"));
    EXPECT_EQ(json[u"DataCode"].toString(), QString(49, u'd'));
    EXPECT_EQ(json[u"Scenarios"][0][u"ParkUnitIds"].toArray(), (QJsonArray{5, 6}));
    EXPECT_EQ(json[u"UnitTypes"][0][u"UnitTypeCapacity"].toInt(), 2000);
    EXPECT_TRUE(json[u"Loaded"].toBool());
}

// The stand-in host, when it is built next to the tests.
TEST(SessionFile, HostToolWritesAndShowsSessions) {
    const QString host = QDir(QCoreApplication::applicationDirPath())
                             .filePath(QStringLiteral("../../tools/host/skyloom-host"));
    if (!QFileInfo(host).isExecutable()) GTEST_SKIP() << "skyloom-host is not built";
    QTemporaryDir dir;
    const QString desc = dir.filePath(QStringLiteral("desc.json"));
    const QString file = dir.filePath(QStringLiteral("session.xml"));
    {
        QFile f(desc);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(R"([{"SessionId": 2, "UserInit": "TWO"},
                    {"SessionId": 5, "UserInit": "FIVE", "ParkName": "North",
                     "ParkUnits": [{"SParkUnitId": 8, "UnitTypeId": 3, "UnitTypeTitle": "V90"}],
                     "Scenarios": [{"SScenarioId": 1, "ScenarioName": "All", "ParkUnitIds": [8]}]}])");
    }
    auto run = [&](const QStringList& args, QByteArray* out, QByteArray* err) {
        QProcess p;
        p.start(host, args);
        EXPECT_TRUE(p.waitForFinished(30000));
        *out = p.readAllStandardOutput();
        *err = p.readAllStandardError();
        return p.exitCode();
    };
    QByteArray out, err;
    ASSERT_EQ(run({"session", "write", file, "--json", desc, "--features", "3,146", "--online", "NO",
                   "--online-connection", "Data Source=on;Initial Catalog=Rep;User ID=sa;Password=pw",
                   "--offline-connection", "Data Source=off", "--user-type", "Korvane", "--trace-level", "4"},
                  &out, &err),
              0)
        << err.toStdString();

    ASSERT_EQ(run({"session", "show", file, "5"}, &out, &err), 0) << err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(out).object();
    EXPECT_EQ(json[u"UserInit"].toString(), QStringLiteral("FIVE"));
    EXPECT_EQ(json[u"FeatureCodes"].toArray(), (QJsonArray{3, 146}));
    EXPECT_FALSE(json[u"OnlineFlag"].toBool());
    EXPECT_TRUE(json[u"KorvaneUser"].toBool());
    EXPECT_EQ(json[u"TraceLevel"].toInt(), 4);
    EXPECT_EQ(json[u"OnlineConnection"][u"Password"].toString(), QStringLiteral("pw"));
    EXPECT_EQ(json[u"OfflineConnection"][u"DataSource"].toString(), QStringLiteral("off"));
    EXPECT_EQ(json[u"ParkUnits"][0][u"SParkUnitId"].toInt(), 8);
    EXPECT_EQ(json[u"Scenarios"][0][u"ParkUnitIds"].toArray(), (QJsonArray{8}));
    EXPECT_EQ(json[u"UnitTypes"][0][u"UnitTypeTitle"].toString(), QStringLiteral("V90"));
    EXPECT_TRUE(json[u"Loaded"].toBool());

    ASSERT_EQ(run({"session", "show", file, "2"}, &out, &err), 0) << err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(out).object()[u"UserInit"].toString(), QStringLiteral("TWO"));

    EXPECT_EQ(run({"session", "show", file, "4"}, &out, &err), 1);
    EXPECT_TRUE(err.contains("Session was not found in XML file (SessionId = 4)")) << err.toStdString();
    EXPECT_EQ(run({"session", "write", file, "--json", desc, "--session-id", "3"}, &out, &err), 2);
    EXPECT_EQ(run({"session", "write", file, "--colour", "red"}, &out, &err), 2);
    EXPECT_EQ(run({"session", "show", file}, &out, &err), 2);
}
