// The session reader against files as the host writes them (declared
// encodings, CRLF, scrambled attributes worked out by hand from the format),
// the rules for odd values, and the files it must refuse; the session file
// writer (used by the stand-in host, the demo and tests): what it writes
// reads back field by field, and it refuses what the tool could not read
// back.

#include "app/SessionFile.h"
#include "app/SessionReader.h"
#include "support/ScriptedPrompts.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <functional>
#include <future>

using testing_support::ScriptedPrompts;

namespace {

class SessionReaderTest : public ::testing::Test {
protected:
    // Reads session `id` of `content`; what is shown goes to `prompts`.
    bool read(const QByteArray& content, int id, app::SessionData& s, ScriptedPrompts& prompts) {
        s.SessionFile = dir_.filePath(QStringLiteral("session.xml"));
        QFile f(s.SessionFile);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        s.SessionId = id;
        return app::ReadSession(s, prompts);
    }
    // The one message shown, checked for kind, caption and icon.
    static QString onlyMessage(ScriptedPrompts& prompts) {
        const auto shown = prompts.take();
        EXPECT_EQ(shown.size(), 1u);
        if (shown.empty()) return {};
        EXPECT_EQ(shown[0].kind, testing_support::RecordedPrompt::Kind::Message);
        EXPECT_EQ(shown[0].icon, ui::Icon::Error);
        EXPECT_EQ(shown[0].caption, QStringLiteral("XML file error"));
        return shown[0].text;
    }
    // Every key of `expected` (JSON) has that value in the record.
    static void expectFields(const app::SessionData& s, const char* expected) {
        const QJsonObject record = app::sessionToJson(s);
        const QJsonObject want = QJsonDocument::fromJson(expected).object();
        ASSERT_FALSE(want.isEmpty()) << expected;
        for (auto it = want.begin(); it != want.end(); ++it)
            EXPECT_EQ(record[it.key()], it.value()) << it.key().toStdString();
    }

    QTemporaryDir dir_;
};

QByteArray session(int id, const QByteArray& attributes, const QByteArray& children = {}) {
    return "<Session SessionId=\"" + QByteArray::number(id) + "\" " + attributes + ">" + children +
           "</Session>";
}

}  // namespace

TEST_F(SessionReaderTest, ReadsAFileAsTheHostWritesIt) {
    // Seeds: HelpValue "AKCD", ExtraHelpValue "xy". FeatureCode "3,101" with
    // 'K': 0x33 ^ 0x4B = 0x78 -> '7' '8' -> 37 38, 0x2C ^ 0x78 = 0x54 -> 35 34, ...
    // UserType "Korvane" with 'K', UserTypeInfo "17" with 'x', DataCode "D\xE9"
    // with 'y', the online configuration with 'C', the offline one with 'A'.
    const QByteArray file =
        "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<Sessions>\r\n"
        "  <Session SessionId=\"3\" UserInit=\"three\" HelpValue=\"ABCD\"/>\r\n  <Other/>\r\n"
        "  <Session SessionId=\"12\" UserId=\"42\" UserInit=\"J\xF8rn\" Language=\"DE\" Phonebook=\"pb\" "
        "ReportLogo1=\"l1.png\" ReportLogo2=\"l2.png\" HelpValue=\"AKCD\" ExtraHelpValue=\"xy\" "
        "DBVersion=\"2.30.0.0\" Online=\"NO\" TraceLevel=\"4\" FeatureCode=\"37383534363535353634\" "
        "UserType=\"3030363F313D363B303A36343031\" UserTypeInfo=\"3439373E\" DataCode=\"333D3D34\" "
        "CompleteDataCode=\"\" ProgramFilesDir=\"C:\\Skyloom\" BaseDir=\"/b\" DataDir=\"/d\" "
        "PhoneDir=\"/ph\" "
        "SysDir=\"/s\" PictureDir=\"/pi\" ProjectDir=\"/pr\">\r\n"
        "    <Park ParkName=\"\x80 Nord\">\r\n"
        "      <ParkUnit SParkUnitId=\"101\" ParkUnitTitle=\"WTG \x96 1\" CommunicationLabel=\"7\" "
        "ParkUnitSerialNumber=\"SN-1\" UnitTypeId=\"3\" UnitTypeTitle=\"V90\" DeviceTitle=\"Turbine\" "
        "UnitTypeCapacity=\"2000\" EventListId=\"11\" EventListFileName=\"ev.txt\"/>\r\n    </Park>\r\n"
        "    <UserScenarios ScenarioActive=\"1\">\r\n      <Scenario SScenarioId=\"1\" ScenarioName=\"All\">"
        "<ParkUnit SParkUnitId=\"101\"/></Scenario>\r\n    </UserScenarios>\r\n"
        "    <DatabaseOnline Configuration=\"303736363132373335333030363F313A3638303B363E3533333C3532363933"
        "3C343F323A35383738333137353438333B353A\"/>\r\n"
        "    <DatabaseOffline "
        "Configuration=\"303536343130373135313032363D3138363A3039363C3531333E3538333E\"/>"
        "\r\n  </Session>\r\n  <Session SessionId=\"12\" UserInit=\"second\" HelpValue=\"ABCD\"/>\r\n"
        "</Sessions>\r\n";
    app::SessionData s;
    ScriptedPrompts prompts;
    ASSERT_TRUE(read(file, 12, s, prompts));
    expectFields(s, R"({
        "SessionId": 12, "UserId": 42, "UserInit": "Jørn", "Language": "DE", "Phonebook": "pb",
        "ReportLogo1": "l1.png", "ReportLogo2": "l2.png", "HelpValue": "AKCD", "ExtraHelpValue": "xy",
        "HelpSeed": "AKCD", "ExtraSeed": "xy", "DBVersion": "2.30.0.0", "Online": "NO", "OnlineFlag": false,
        "TraceLevel": 4, "FeatureCode": "3,101", "FeatureCodes": [3, 101], "KorvaneUser": true,
        "UserTypeInfo": 17, "DataCode": "Dé", "CompleteDataCode": "", "ProgramFilesDir": "C:\\Skyloom",
        "BaseDir": "/b", "DataDir": "/d", "PhoneDir": "/ph", "SysDir": "/s", "PictureDir": "/pi",
        "ProjectDir": "/pr", "ParkName": "€ Nord", "ScenarioActive": "1",
        "ParkUnits": [{"SParkUnitId": 101, "ParkUnitTitle": "WTG – 1", "CommunicationLabel": 7,
                       "ParkUnitSerialNumber": "SN-1", "UnitTypeId": 3, "UnitTypeTitle": "V90",
                       "DeviceTitle": "Turbine", "UnitTypeCapacity": 2000, "EventListId": 11,
                       "EventListFileName": "ev.txt"}],
        "Scenarios": [{"SScenarioId": 1, "ScenarioName": "All", "ParkUnitIds": [101]}],
        "OnlineConfiguration": "Data Source=on;User ID=sa",
        "OnlineConnection": {"DataSource": "on", "Catalog": "", "UserName": "sa", "Password": ""},
        "OfflineConfiguration": "Data Source=off",
        "OfflineConnection": {"DataSource": "off", "Catalog": "", "UserName": "", "Password": ""},
        "UnitTypes": [], "Loaded": true})");
}

TEST_F(SessionReaderTest, DeclaredEncodingsAndOddValues) {
    const struct {
        const char* declaration;
        QByteArray attributes;
        const char* expected;
    } table[] = {
        {"ISO-8859-1", "HelpValue=\"ABCD\" UserInit=\"\xE9\xFF\"", R"({"UserInit": "éÿ"})"},
        {"UTF-8", "HelpValue=\"ABCD\" UserInit=\"\xE2\x82\xAC\"", R"({"UserInit": "€"})"},
        // Nothing but HelpValue: numbers 0, texts empty, no Online means online.
        {"UTF-8", "HelpValue=\"ABCD\"",
         R"({"UserId": 0, "TraceLevel": 0, "OnlineFlag": true, "FeatureCodes": [], "KorvaneUser": false,
             "ExtraSeed": "", "OnlineConnection": {"DataSource": "", "Catalog": "", "UserName": "",
             "Password": ""}})"},
        {"UTF-8", "HelpValue=\"ABCD\" Online=\"no\"", R"({"OnlineFlag": true})"},
        // Numbers beyond 32 bits; "korvane" (with 'B') is another user type; a
        // short ExtraHelpValue: UserTypeInfo ("9" with seed 0) is read, DataCode is not.
        {"UTF-8",
         "HelpValue=\"ABCD\" ExtraHelpValue=\"Q\" UserId=\"4294967296\" TraceLevel=\"x\" "
         "UserType=\"32393436333434323233343D3238\" UserTypeInfo=\"3339\" DataCode=\"3633303C3638303D\"",
         R"({"UserId": 0, "TraceLevel": 0, "KorvaneUser": false, "UserTypeInfo": 9, "DataCode": ""})"},
        // Seeds are counted in characters; one beyond Latin-1 seeds as '?'.
        {"UTF-8",
         "HelpValue=\"A\xF0\x9F\x98\x80"
         "BC\" ExtraHelpValue=\"\xF0\x9F\x98\x80x\"",
         R"({"HelpSeed": "A?BC", "ExtraSeed": "?x"})"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.attributes.toStdString());
        const QByteArray file = "<?xml version=\"1.0\" encoding=\"" + QByteArray(row.declaration) +
                                "\"?>\n<S>" + session(1, row.attributes) + "</S>";
        app::SessionData s;
        ScriptedPrompts prompts;
        ASSERT_TRUE(read(file, 1, s, prompts));
        expectFields(s, row.expected);
    }
}

TEST_F(SessionReaderTest, ShowsWhyAFileIsRefusedAndKeepsTheRecord) {
    const QByteArray valid = "<S>" + session(1, "HelpValue=\"ABCD\"") + "</S>";
    const auto nested = [](int levels) {
        return QByteArray("<n>").repeated(levels) + QByteArray("</n>").repeated(levels);
    };
    // Root and session are two levels and two elements; their content may take the rest.
    const int spare = app::kMaxSessionXmlDepth - 2;
    const auto elements = [](int count) {
        return "<S>" + session(1, "HelpValue=\"ABCD\"", QByteArray("<u/>").repeated(count - 2)) + "</S>";
    };
    const auto padded = [&](qint64 size) {
        return valid + "<!--" + QByteArray(size - valid.size() - 7, 'x') + "-->";
    };
    const QString notFound = QStringLiteral("Session was not found in XML file (SessionId = 1)");
    const QString noSeed = QStringLiteral("XML data for the session could not be read (SessionId = 1)");
    const struct {
        const char* name;
        QByteArray content;
        QString message;        // the whole message, when no exception is reported
        const char* exception;  // what the parse exception names; nullptr: read
    } table[] = {
        {"malformed", "<S><Session SessionId=\"1\"></S>", {}, ""},
        {"empty", "", {}, ""},
        {"another session", "<S>" + session(8, "HelpValue=\"ABCD\"") + "</S>", notFound, nullptr},
        {"a session below a child of the root", "<S><G>" + session(1, "HelpValue=\"ABCD\"") + "</G></S>",
         notFound, nullptr},
        {"HelpValue of three", "<S>" + session(1, "HelpValue=\"ABC\"") + "</S>", noSeed, nullptr},
        {"no HelpValue", "<S>" + session(1, "") + "</S>", noSeed, nullptr},
        {"HelpValue of two emoji",
         "<S>" + session(1, "HelpValue=\"\xF0\x9F\x98\x80\xF0\x9F\x98\x80\"") + "</S>", noSeed, nullptr},
        {"a fault after the session", valid.chopped(4) + "<open></S>", {}, ""},
        {"nested to the limit",
         "<S>" + session(1, "HelpValue=\"ABCD\"", nested(spare)) + "</S>",
         {},
         nullptr},
        {"one level deeper",
         "<S>" + session(1, "HelpValue=\"ABCD\"", nested(spare + 1)) + "</S>",
         {},
         "nested"},
        {"deep in another session",
         "<S>" + session(2, "", nested(5000)) + session(1, "HelpValue=\"ABCD\"") + "</S>",
         {},
         "nested"},
        {"deep after the session", valid.chopped(4) + nested(5000) + "</S>", {}, "nested"},
        {"one element more", elements(app::kMaxSessionXmlElements + 1), {}, "More than"},
        {"one byte larger", padded(app::kMaxSessionFileBytes + 1), {}, "larger than 16 MB"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        app::SessionData s;
        s.UserInit = QStringLiteral("kept");
        s.Loaded = true;
        ScriptedPrompts prompts;
        const bool read = this->read(row.content, 1, s, prompts);
        if (row.message.isEmpty() && !row.exception) {
            EXPECT_TRUE(read);
            EXPECT_TRUE(prompts.take().empty());
            continue;
        }
        EXPECT_FALSE(read);
        EXPECT_EQ(s.UserInit, QStringLiteral("kept"));
        const QString message = onlyMessage(prompts);
        if (!row.message.isEmpty()) {
            EXPECT_EQ(message, row.message);
            continue;
        }
        const QString prefix = QStringLiteral("XML file could not be read (XML file = ") + s.SessionFile +
                               QStringLiteral(") Exception: ");
        EXPECT_TRUE(message.startsWith(prefix)) << message.toStdString();
        EXPECT_GT(message.size(), prefix.size() + 3);
        EXPECT_TRUE(message.contains(QLatin1StringView(row.exception))) << message.toStdString();
    }
}

TEST_F(SessionReaderTest, RefusesWhatIsNoRegularFileWithoutWaitingOnIt) {
    const QString missing = dir_.filePath(QStringLiteral("missing.xml"));
    // A FIFO blocks whoever opens it until a writer comes.
    const QString fifo = dir_.filePath(QStringLiteral("session.fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString unreadable = QStringLiteral("XML file could not be read (XML file = %1)");
    const QString notRegular = QStringLiteral(" Exception: Not a regular file");
    const std::pair<QString, QString> table[] = {{missing, unreadable.arg(missing)},
                                                 {fifo, unreadable.arg(fifo) + notRegular},
                                                 {dir_.path(), unreadable.arg(dir_.path()) + notRegular}};
    for (const auto& [file, message] : table) {
        SCOPED_TRACE(file.toStdString());
        app::SessionData s;
        s.SessionFile = file;
        s.SessionId = 1;
        ScriptedPrompts prompts;
        auto reading = std::async(std::launch::async, [&] { return app::ReadSession(s, prompts); });
        if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << "the reader waits for a writer";
            ::close(::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK));
        }
        EXPECT_FALSE(reading.get());
        EXPECT_EQ(onlyMessage(prompts), message);
    }
}

TEST_F(SessionReaderTest, ReadsParkUnitsAndScenariosWithinTheirLimits) {
    QByteArray units;
    for (int i = 1; i <= 1005; ++i) units += "<ParkUnit SParkUnitId=\"" + QByteArray::number(i) + "\"/>";
    QByteArray scenarios = "<Scenario SScenarioId=\"1\" ScenarioName=\"All\">" + units + "</Scenario>";
    for (int i = 2; i <= 55; ++i) scenarios += "<Scenario SScenarioId=\"" + QByteArray::number(i) + "\"/>";
    // A nested Session is not ours, also when it carries a Park.
    const QByteArray children = "<UserScenarios ScenarioActive=\"1\">" + scenarios +
                                "</UserScenarios><Session SessionId=\"1\"><Park ParkName=\"Nested\">"
                                "<ParkUnit SParkUnitId=\"9999\"/></Park></Session><Park ParkName=\"North\">" +
                                units + "</Park>";
    app::SessionData s;
    ScriptedPrompts prompts;
    ASSERT_TRUE(read("<S>" + session(1, "HelpValue=\"ABCD\"", children) + "</S>", 1, s, prompts));
    EXPECT_EQ(s.ParkName, QStringLiteral("North"));
    ASSERT_TRUE(s.ParkUnits.size() == 1000u && s.Scenarios.size() == 50u &&
                s.Scenarios[0].ParkUnitIds.size() == 1000u);
    EXPECT_TRUE(s.ParkUnits.back().SParkUnitId == 1000 && s.Scenarios[0].ParkUnitIds.back() == 1000 &&
                s.Scenarios[49].SScenarioId == 50);

    // Reading again (a reset) refills the lists instead of adding to them.
    app::BuildUnitTypes(s);
    ASSERT_TRUE(app::ReadSession(s, prompts));
    EXPECT_TRUE(s.ParkUnits.size() == 1000u && s.Scenarios.size() == 50u && s.UnitTypes.empty());
}

TEST_F(SessionReaderTest, ChecksTheCommandLine) {
    const QString file = dir_.filePath(QStringLiteral("s.xml"));
    ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly));
    app::SessionData s;
    EXPECT_FALSE(app::CheckCommandLine(s, {QStringLiteral("tool"), file}));
    EXPECT_TRUE(s.SessionFile.isEmpty());
    EXPECT_TRUE(
        app::CheckCommandLine(s, {QStringLiteral("tool"), file, QStringLiteral("12"), QStringLiteral("x")}));
    EXPECT_EQ(s.SessionFile, file);
    EXPECT_EQ(s.SessionId, 12);
    for (const char* id : {"0", "-3", "abc", "", "12a", " 5", "99999999999"})
        EXPECT_FALSE(app::CheckCommandLine(s, {QStringLiteral("tool"), file, QString::fromLatin1(id)})) << id;
    for (const QString& other : {dir_.filePath(QStringLiteral("none.xml")), dir_.path()})
        EXPECT_FALSE(app::CheckCommandLine(s, {QStringLiteral("tool"), other, QStringLiteral("1")}));
}

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
