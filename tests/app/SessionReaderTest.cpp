#include "app/SessionReader.h"
#include "app/SessionScrambling.h"
#include "support/ScriptedPrompts.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <future>

using testing_support::ScriptedPrompts;

namespace {

class SessionReaderTest : public ::testing::Test {
protected:
    QString writeFile(const QString& name, const QByteArray& content) {
        const QString path = dir_.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return path;
    }
    // A session element with the given id and extra attribute text / children.
    static QByteArray session(int id, const QByteArray& attributes, const QByteArray& children = {}) {
        return "<Session SessionId=\"" + QByteArray::number(id) + "\" " + attributes + ">" + children +
               "</Session>";
    }
    // Reads session `id` of `content`; the prompts get whatever is shown.
    bool read(const QByteArray& content, int id, app::SessionData& s, ScriptedPrompts& prompts) {
        s.SessionFile = writeFile(QStringLiteral("session.xml"), content);
        s.SessionId = id;
        return app::ReadSession(s, prompts);
    }
    // The one message shown, checked for caption and icon.
    static QString onlyMessage(ScriptedPrompts& prompts) {
        const auto shown = prompts.take();
        EXPECT_EQ(shown.size(), 1u);
        if (shown.empty()) return {};
        EXPECT_EQ(shown[0].kind, testing_support::RecordedPrompt::Kind::Message);
        EXPECT_EQ(shown[0].icon, ui::Icon::Error);
        EXPECT_EQ(shown[0].caption, QStringLiteral("XML file error"));
        return shown[0].text;
    }

    QTemporaryDir dir_;
};

QByteArray attr(const char* name, const QString& value) {
    return QByteArray(name) + "=\"" + value.toUtf8() + "\" ";
}

// `levels` elements, each inside the one before.
QByteArray nested(int levels) {
    QByteArray open, close;
    for (int i = 0; i < levels; ++i) {
        open += "<n>";
        close += "</n>";
    }
    return open + close;
}

}  // namespace

TEST_F(SessionReaderTest, ShowsEachFailureAndKeepsTheRecord) {
    app::SessionData s;
    s.UserInit = QStringLiteral("kept");
    s.FeatureCodes = {3};
    s.Loaded = true;
    ScriptedPrompts prompts;

    s.SessionFile = dir_.filePath(QStringLiteral("missing.xml"));
    s.SessionId = 7;
    EXPECT_FALSE(app::ReadSession(s, prompts));
    EXPECT_EQ(onlyMessage(prompts),
              QStringLiteral("XML file could not be read (XML file = ") + s.SessionFile + u')');

    EXPECT_FALSE(read("<Sessions><Session SessionId=\"7\"></Sessions>", 7, s, prompts));
    const QString parseMessage = onlyMessage(prompts);
    const QString prefix = QStringLiteral("XML file could not be read (XML file = ") + s.SessionFile +
                           QStringLiteral(") Exception: ");
    EXPECT_TRUE(parseMessage.startsWith(prefix)) << parseMessage.toStdString();
    EXPECT_GT(parseMessage.size(), prefix.size() + 3);

    EXPECT_FALSE(read(QByteArray(), 7, s, prompts));
    EXPECT_TRUE(onlyMessage(prompts).startsWith(prefix));

    EXPECT_FALSE(read("<Sessions>" + session(8, "HelpValue=\"ABCD\"") + "</Sessions>", 7, s, prompts));
    EXPECT_EQ(onlyMessage(prompts), QStringLiteral("Session was not found in XML file (SessionId = 7)"));

    // A Session that is not a child of the root is no candidate.
    EXPECT_FALSE(
        read("<Sessions><Group>" + session(7, "HelpValue=\"ABCD\"") + "</Group></Sessions>", 7, s, prompts));
    EXPECT_EQ(onlyMessage(prompts), QStringLiteral("Session was not found in XML file (SessionId = 7)"));

    EXPECT_FALSE(
        read("<Sessions>" + session(7, "HelpValue=\"ABC\" UserInit=\"new\"") + "</Sessions>", 7, s, prompts));
    EXPECT_EQ(onlyMessage(prompts),
              QStringLiteral("XML data for the session could not be read (SessionId = 7)"));
    EXPECT_FALSE(read("<Sessions>" + session(7, "") + "</Sessions>", 7, s, prompts));
    EXPECT_EQ(onlyMessage(prompts),
              QStringLiteral("XML data for the session could not be read (SessionId = 7)"));

    EXPECT_EQ(s.UserInit, QStringLiteral("kept"));
    EXPECT_EQ(s.FeatureCodes, std::vector<int>{3});
    EXPECT_TRUE(s.Loaded);
}

TEST_F(SessionReaderTest, PicksTheMatchingSessionAnywhereAmongTheRootsChildren) {
    const QByteArray file = "<AnyRoot><Other/>" + session(3, "HelpValue=\"ABCD\" UserInit=\"three\"") +
                            "<Note>x</Note>" + session(12, "HelpValue=\"ABCD\" UserInit=\"twelve\"") +
                            session(12, "HelpValue=\"ABCD\" UserInit=\"second twelve\"") + "</AnyRoot>";
    for (const auto& [id, init] : {std::pair{12, "twelve"}, std::pair{3, "three"}}) {
        app::SessionData s;
        ScriptedPrompts prompts;
        ASSERT_TRUE(read(file, id, s, prompts));
        EXPECT_EQ(s.UserInit, QString::fromLatin1(init));
        EXPECT_EQ(s.SessionId, id);
        EXPECT_TRUE(s.Loaded);
    }
}

TEST_F(SessionReaderTest, ReadsPlainAndScrambledAttributes) {
    // FeatureCode "3" with seed 'K' (HelpValue's second character): '3' ^ 'K' = 0x78 -> "3738".
    const QByteArray attributes =
        attr("UserId", "42") + attr("UserInit", "JD") + attr("Language", "DE") + attr("Phonebook", "pb") +
        attr("ReportLogo1", "l1.png") + attr("ReportLogo2", "l2.png") + attr("HelpValue", "AKCDEF") +
        attr("ExtraHelpValue", "xyz") + attr("DBVersion", "2.30.0.0") + attr("Online", "NO") +
        attr("TraceLevel", "4") + attr("FeatureCode", "3738") +
        attr("UserType", app::scramble(QStringLiteral("Korvane"), 'K')) +
        attr("UserTypeInfo", app::scramble(QStringLiteral("17"), 'x')) +
        attr("DataCode", app::scramble(QStringLiteral("short"), 'y')) +
        attr("CompleteDataCode", app::scramble(QString(120, u'c'), 'y')) + attr("ProgramFilesDir", "/p") +
        attr("BaseDir", "/b") + attr("DataDir", "/d") + attr("PhoneDir", "/ph") + attr("SysDir", "/s") +
        attr("PictureDir", "/pi") + attr("ProjectDir", "/pr");
    const QByteArray children =
        "<DatabaseOffline Configuration=\"" +
        app::scramble(QStringLiteral("Data Source=off;Catalog=(null);User ID=u;Password=p"), 'A').toLatin1() +
        "\"/><Unknown/><DatabaseOnline Configuration=\"" +
        app::scramble(QStringLiteral("Provider=X;Data Source=on;Initial Catalog=Rep;User ID=sa"), 'C')
            .toLatin1() +
        "\"/>";
    app::SessionData s;
    ScriptedPrompts prompts;
    ASSERT_TRUE(read("<S>" + session(5, attributes, children) + "</S>", 5, s, prompts));

    EXPECT_EQ(s.UserId, 42);
    EXPECT_EQ(s.UserInit, QStringLiteral("JD"));
    EXPECT_EQ(s.Language, QStringLiteral("DE"));
    EXPECT_EQ(s.Phonebook, QStringLiteral("pb"));
    EXPECT_EQ(s.ReportLogo1, QStringLiteral("l1.png"));
    EXPECT_EQ(s.ReportLogo2, QStringLiteral("l2.png"));
    EXPECT_EQ(s.DBVersion, QStringLiteral("2.30.0.0"));
    EXPECT_EQ(s.Online, QStringLiteral("NO"));
    EXPECT_FALSE(s.OnlineFlag);
    EXPECT_EQ(s.TraceLevel, 4);
    EXPECT_EQ(s.HelpSeed, (std::array<char, 4>{'A', 'K', 'C', 'D'}));
    EXPECT_EQ(s.ExtraSeed, (std::array<char, 2>{'x', 'y'}));
    EXPECT_EQ(s.FeatureCode, QStringLiteral("3"));
    EXPECT_EQ(s.FeatureCodes, std::vector<int>{3});
    EXPECT_TRUE(s.KorvaneUser);
    EXPECT_EQ(s.UserTypeInfo, 17);
    EXPECT_EQ(app::fixedFieldText(s.DataCode), QStringLiteral("short"));
    EXPECT_EQ(s.DataCode[5], '\0');
    EXPECT_EQ(app::fixedFieldText(s.CompleteDataCode), QString(97, u'c'));
    EXPECT_EQ(s.ProgramFilesDir, QStringLiteral("/p"));
    EXPECT_EQ(s.BaseDir, QStringLiteral("/b"));
    EXPECT_EQ(s.DataDir, QStringLiteral("/d"));
    EXPECT_EQ(s.PhoneDir, QStringLiteral("/ph"));
    EXPECT_EQ(s.SysDir, QStringLiteral("/s"));
    EXPECT_EQ(s.PictureDir, QStringLiteral("/pi"));
    EXPECT_EQ(s.ProjectDir, QStringLiteral("/pr"));
    EXPECT_EQ(s.OnlineConnection, (app::ConnectionParts{QStringLiteral("on"), QStringLiteral("Rep"),
                                                        QStringLiteral("sa"), QString()}));
    EXPECT_EQ(s.OfflineConfiguration, QStringLiteral("Data Source=off;Catalog=(null);User ID=u;Password=p"));
    EXPECT_EQ(s.OfflineConnection, (app::ConnectionParts{QStringLiteral("off"), QString(),
                                                         QStringLiteral("u"), QStringLiteral("p")}));
}

TEST_F(SessionReaderTest, MissingAndOddValues) {
    ScriptedPrompts prompts;
    app::SessionData s;
    // Nothing but HelpValue: numbers 0, texts empty, Online empty means online.
    ASSERT_TRUE(read("<S>" + session(1, "HelpValue=\"ABCD\"") + "</S>", 1, s, prompts));
    EXPECT_EQ(s.UserId, 0);
    EXPECT_EQ(s.TraceLevel, 0);
    EXPECT_TRUE(s.OnlineFlag);
    EXPECT_TRUE(s.FeatureCodes.empty());
    EXPECT_FALSE(s.KorvaneUser);
    EXPECT_EQ(s.ExtraSeed, (std::array<char, 2>{}));
    EXPECT_EQ(s.OnlineConnection, app::ConnectionParts{});

    for (const auto& [online, flag] :
         {std::pair{"YES", true}, std::pair{"no", true}, std::pair{"NO", false}}) {
        ASSERT_TRUE(read(
            "<S>" + session(1, "HelpValue=\"ABCD\" " + attr("Online", QString::fromLatin1(online))) + "</S>",
            1, s, prompts));
        EXPECT_EQ(s.OnlineFlag, flag) << online;
    }

    // Numbers beyond 32 bits, a user type of another case, a short
    // ExtraHelpValue: DataCode is not read and UserTypeInfo uses seed 0.
    const QByteArray attributes = attr("HelpValue", "ABCD") + attr("ExtraHelpValue", "Q") +
                                  attr("UserId", "4294967296") + attr("TraceLevel", "x") +
                                  attr("UserType", app::scramble(QStringLiteral("korvane"), 'B')) +
                                  attr("UserTypeInfo", app::scramble(QStringLiteral("9"), '\0')) +
                                  attr("DataCode", app::scramble(QStringLiteral("code"), '\0'));
    ASSERT_TRUE(read("<S>" + session(1, attributes) + "</S>", 1, s, prompts));
    EXPECT_EQ(s.UserId, 0);
    EXPECT_EQ(s.TraceLevel, 0);
    EXPECT_FALSE(s.KorvaneUser);
    EXPECT_EQ(s.UserTypeInfo, 9);
    EXPECT_EQ(s.DataCode, (std::array<char, 49>{}));
}

TEST_F(SessionReaderTest, ReadsParkUnitsAndScenariosWithinTheirLimits) {
    QByteArray units;
    for (int i = 1; i <= 1005; ++i)
        units +=
            "<ParkUnit SParkUnitId=\"" + QByteArray::number(i) + "\" ParkUnitTitle=\"WTG " +
            QByteArray::number(i) +
            "\" CommunicationLabel=\"7\" ParkUnitSerialNumber=\"SN\" UnitTypeId=\"3\" UnitTypeTitle=\"V90\" "
            "DeviceTitle=\"Turbine\" UnitTypeCapacity=\"2000\" EventListId=\"11\" "
            "EventListFileName=\"ev.txt\"/>";
    QByteArray scenarioUnits;
    for (int i = 1; i <= 1003; ++i)
        scenarioUnits += "<ParkUnit SParkUnitId=\"" + QByteArray::number(i) + "\"/>";
    QByteArray scenarios =
        "<Scenario SScenarioId=\"1\" ScenarioName=\"All\">" + scenarioUnits + "</Scenario>";
    for (int i = 2; i <= 55; ++i)
        scenarios += "<Scenario SScenarioId=\"" + QByteArray::number(i) + "\" ScenarioName=\"S\"/>";
    // A nested Session is skipped, also when it carries a Park.
    const QByteArray children = "<UserScenarios ScenarioActive=\"1\">" + scenarios +
                                "</UserScenarios><Session SessionId=\"1\"><Park ParkName=\"Nested\">"
                                "<ParkUnit SParkUnitId=\"9999\"/></Park></Session>"
                                "<Park ParkName=\"North\">" +
                                units + "</Park>";
    app::SessionData s;
    ScriptedPrompts prompts;
    const QByteArray file = "<S>" + session(1, "HelpValue=\"ABCD\"", children) + "</S>";
    ASSERT_TRUE(read(file, 1, s, prompts));

    EXPECT_EQ(s.ParkName, QStringLiteral("North"));
    ASSERT_EQ(s.ParkUnits.size(), 1000u);
    EXPECT_EQ(s.ParkUnits.front(), (app::SessionParkUnit{1, QStringLiteral("WTG 1"), 7, QStringLiteral("SN"),
                                                         3, QStringLiteral("V90"), QStringLiteral("Turbine"),
                                                         2000, 11, QStringLiteral("ev.txt")}));
    EXPECT_EQ(s.ParkUnits.back().SParkUnitId, 1000);
    EXPECT_EQ(s.ScenarioActive, QStringLiteral("1"));
    ASSERT_EQ(s.Scenarios.size(), 50u);
    EXPECT_EQ(s.Scenarios[0].ScenarioName, QStringLiteral("All"));
    ASSERT_EQ(s.Scenarios[0].ParkUnitIds.size(), 1000u);
    EXPECT_EQ(s.Scenarios[0].ParkUnitIds.back(), 1000);
    EXPECT_EQ(s.Scenarios[49].SScenarioId, 50);
    EXPECT_TRUE(s.Scenarios[49].ParkUnitIds.empty());
    EXPECT_TRUE(s.UnitTypes.empty());

    // Reading again (a reset) refills the lists instead of adding to them.
    app::BuildUnitTypes(s);
    ASSERT_TRUE(app::ReadSession(s, prompts));
    EXPECT_EQ(s.ParkUnits.size(), 1000u);
    EXPECT_EQ(s.Scenarios.size(), 50u);
    EXPECT_TRUE(s.UnitTypes.empty());
}

TEST_F(SessionReaderTest, ChecksTheCommandLine) {
    const QString file = writeFile(QStringLiteral("s.xml"), "<S/>");
    app::SessionData s;
    EXPECT_FALSE(app::CheckCommandLine(s, {}));
    EXPECT_FALSE(app::CheckCommandLine(s, {QStringLiteral("tool"), file}));
    EXPECT_TRUE(s.SessionFile.isEmpty());

    EXPECT_TRUE(
        app::CheckCommandLine(s, {QStringLiteral("tool"), file, QStringLiteral("12"), QStringLiteral("x")}));
    EXPECT_EQ(s.SessionFile, file);
    EXPECT_EQ(s.SessionId, 12);

    for (const char* id : {"0", "-3", "abc", "", "12a", " 5", "99999999999"})
        EXPECT_FALSE(app::CheckCommandLine(s, {QStringLiteral("tool"), file, QString::fromLatin1(id)})) << id;
    EXPECT_FALSE(app::CheckCommandLine(
        s, {QStringLiteral("tool"), dir_.filePath(QStringLiteral("none.xml")), QStringLiteral("1")}));
    EXPECT_FALSE(app::CheckCommandLine(s, {QStringLiteral("tool"), dir_.path(), QStringLiteral("1")}));
}

TEST_F(SessionReaderTest, RefusesFilesTooLargeOrNestedDeeperThanAnySession) {
    const QByteArray valid = "<S>" + session(1, "HelpValue=\"ABCD\"") + "</S>";
    // Root and session are two levels; their content may take the rest.
    const int spare = app::kMaxSessionXmlDepth - 2;
    // Root and session are two elements too.
    const auto elements = [&](int count) {
        QByteArray units;
        units.reserve(qsizetype(count) * 4);
        for (int i = 2; i < count; ++i) units += "<u/>";
        return "<S>" + session(1, "HelpValue=\"ABCD\"", units) + "</S>";
    };
    const auto padded = [&](qint64 size) {
        return valid + "<!--" + QByteArray(size - valid.size() - 7, 'x') + "-->";
    };
    const struct {
        const char* name;
        QByteArray content;
        const char* refusal;  // nullptr: read
    } table[] = {
        {"nested to the limit", "<S>" + session(1, "HelpValue=\"ABCD\"", nested(spare)) + "</S>", nullptr},
        {"one level deeper", "<S>" + session(1, "HelpValue=\"ABCD\"", nested(spare + 1)) + "</S>", "nested"},
        {"deep in another session",
         "<S>" + session(2, "", nested(5000)) + session(1, "HelpValue=\"ABCD\"") + "</S>", "nested"},
        {"deep after the session", "<S>" + session(1, "HelpValue=\"ABCD\"") + nested(5000) + "</S>",
         "nested"},
        {"a fault after the session", "<S>" + session(1, "HelpValue=\"ABCD\"") + "<open></S>", ""},
        {"as many elements as allowed", elements(app::kMaxSessionXmlElements), nullptr},
        {"one element more", elements(app::kMaxSessionXmlElements + 1), "More than"},
        {"as large as allowed", padded(app::kMaxSessionFileBytes), nullptr},
        {"one byte larger", padded(app::kMaxSessionFileBytes + 1), "larger than 16 MB"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        app::SessionData s;
        ScriptedPrompts prompts;
        const bool read = this->read(row.content, 1, s, prompts);
        if (!row.refusal) {
            EXPECT_TRUE(read);
            EXPECT_TRUE(prompts.take().empty());
            continue;
        }
        EXPECT_FALSE(read);
        const QString message = onlyMessage(prompts);
        EXPECT_TRUE(message.startsWith(QStringLiteral("XML file could not be read (XML file = ") +
                                       s.SessionFile + QStringLiteral(") Exception: ")))
            << message.toStdString();
        EXPECT_TRUE(message.contains(QLatin1StringView(row.refusal))) << message.toStdString();
    }
}

TEST_F(SessionReaderTest, RefusesWhatIsNotARegularFileWithoutWaitingOnIt) {
    // A FIFO blocks whoever opens it until a writer comes.
    const QString path = dir_.filePath(QStringLiteral("session.fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    for (const QString& file : {path, dir_.path()}) {
        SCOPED_TRACE(file.toStdString());
        app::SessionData s;
        s.SessionFile = file;
        s.SessionId = 1;
        ScriptedPrompts prompts;
        auto reading = std::async(std::launch::async, [&] { return app::ReadSession(s, prompts); });
        if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << "the reader waits for a writer";
            ::close(::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK));
        }
        EXPECT_FALSE(reading.get());
        EXPECT_EQ(onlyMessage(prompts), QStringLiteral("XML file could not be read (XML file = ") + file +
                                            QStringLiteral(") Exception: Not a regular file"));
    }
}

TEST_F(SessionReaderTest, ReadsTheEncodingTheFileDeclares) {
    const struct {
        const char* encoding;
        QByteArray bytes;
        QString text;
    } table[] = {
        {"windows-1252", "\x80\xE9", QStringLiteral("\u20AC\u00E9")},
        {"ISO-8859-1", "\xE9\xFF", QStringLiteral("\u00E9\u00FF")},
        {"UTF-8", "\xE2\x82\xAC", QStringLiteral("\u20AC")},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.encoding);
        const QByteArray file = "<?xml version=\"1.0\" encoding=\"" + QByteArray(row.encoding) + "\"?>\n<S>" +
                                session(1, "HelpValue=\"ABCD\" UserInit=\"" + row.bytes + "\"",
                                        "<Park ParkName=\"" + row.bytes + "\"/>") +
                                "</S>";
        app::SessionData s;
        ScriptedPrompts prompts;
        ASSERT_TRUE(read(file, 1, s, prompts));
        EXPECT_EQ(s.UserInit, row.text);
        EXPECT_EQ(s.ParkName, row.text);
    }
}

TEST_F(SessionReaderTest, CountsTheSeedValuesInCharacters) {
    const QString emoji = QStringLiteral("\U0001F600");
    const struct {
        QString help;
        QString extra;
        bool read;
        std::array<char, 4> helpSeed;
        std::array<char, 2> extraSeed;
    } table[] = {
        {QStringLiteral("ABC"), QString(), false, {}, {}},
        {emoji + emoji, QString(), false, {}, {}},  // four UTF-16 units, two characters
        {QStringLiteral("A") + emoji + QStringLiteral("BC"), emoji, true, {'A', '?', 'B', 'C'}, {}},
        {emoji + emoji + emoji + emoji, emoji + QStringLiteral("x"), true, {'?', '?', '?', '?'}, {'?', 'x'}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.help.toStdString());
        app::SessionData s;
        ScriptedPrompts prompts;
        const bool read = this->read(
            "<S>" + session(1, attr("HelpValue", row.help) + attr("ExtraHelpValue", row.extra)) + "</S>", 1,
            s, prompts);
        EXPECT_EQ(read, row.read);
        if (!read) {
            EXPECT_EQ(onlyMessage(prompts),
                      QStringLiteral("XML data for the session could not be read (SessionId = 1)"));
            continue;
        }
        EXPECT_EQ(s.HelpSeed, row.helpSeed);
        EXPECT_EQ(s.ExtraSeed, row.extraSeed);
    }
}
