#include "app/SessionReader.h"

#include "app/SessionScrambling.h"
#include "ui/Prompts.h"

#include <QDomDocument>
#include <QDomElement>
#include <QFile>
#include <QFileInfo>

namespace app {

namespace {

// Plain attribute texts are 8-bit; seeds are their bytes.
QByteArray bytesOf(const QString& text) { return text.toLatin1(); }

int numberAttribute(const QDomElement& e, const QString& name) { return sessionNumber(e.attribute(name)); }

void readParkUnit(const QDomElement& e, SessionParkUnit& unit) {
    unit.SParkUnitId = numberAttribute(e, QStringLiteral("SParkUnitId"));
    unit.ParkUnitTitle = e.attribute(QStringLiteral("ParkUnitTitle"));
    unit.CommunicationLabel = numberAttribute(e, QStringLiteral("CommunicationLabel"));
    unit.ParkUnitSerialNumber = e.attribute(QStringLiteral("ParkUnitSerialNumber"));
    unit.UnitTypeId = numberAttribute(e, QStringLiteral("UnitTypeId"));
    unit.UnitTypeTitle = e.attribute(QStringLiteral("UnitTypeTitle"));
    unit.DeviceTitle = e.attribute(QStringLiteral("DeviceTitle"));
    unit.UnitTypeCapacity = numberAttribute(e, QStringLiteral("UnitTypeCapacity"));
    unit.EventListId = numberAttribute(e, QStringLiteral("EventListId"));
    unit.EventListFileName = e.attribute(QStringLiteral("EventListFileName"));
}

void readPark(const QDomElement& park, SessionData& s) {
    s.ParkName = park.attribute(QStringLiteral("ParkName"));
    for (QDomElement e = park.firstChildElement(QStringLiteral("ParkUnit")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("ParkUnit"))) {
        if (s.ParkUnits.size() >= std::size_t(kMaxSessionParkUnits)) break;
        readParkUnit(e, s.ParkUnits.emplace_back());
    }
}

void readScenarios(const QDomElement& scenarios, SessionData& s) {
    s.ScenarioActive = scenarios.attribute(QStringLiteral("ScenarioActive"));
    for (QDomElement e = scenarios.firstChildElement(QStringLiteral("Scenario")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("Scenario"))) {
        if (s.Scenarios.size() >= std::size_t(kMaxSessionScenarios)) break;
        SessionScenario& scenario = s.Scenarios.emplace_back();
        scenario.SScenarioId = numberAttribute(e, QStringLiteral("SScenarioId"));
        scenario.ScenarioName = e.attribute(QStringLiteral("ScenarioName"));
        for (QDomElement u = e.firstChildElement(QStringLiteral("ParkUnit")); !u.isNull();
             u = u.nextSiblingElement(QStringLiteral("ParkUnit"))) {
            if (scenario.ParkUnitIds.size() >= std::size_t(kMaxScenarioParkUnits)) break;
            scenario.ParkUnitIds.push_back(numberAttribute(u, QStringLiteral("SParkUnitId")));
        }
    }
}

QString configurationOf(const QDomElement& e, char seed) {
    return unscramble(e.attribute(QStringLiteral("Configuration")), seed);
}

// The first child `Session` of the root whose SessionId matches.
QDomElement findSession(const QDomDocument& doc, int sessionId) {
    const QDomElement root = doc.documentElement();
    for (QDomElement e = root.firstChildElement(QStringLiteral("Session")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("Session"))) {
        if (numberAttribute(e, QStringLiteral("SessionId")) == sessionId) return e;
    }
    return {};
}

}  // namespace

bool CheckCommandLine(SessionData& session, const QStringList& arguments) {
    if (arguments.size() < 3) return false;
    session.SessionFile = arguments.at(1);
    const QString& id = arguments.at(2);
    bool ok = !id.isEmpty();
    for (const QChar c : id) ok = ok && c >= u'0' && c <= u'9';
    const int value = ok ? id.toInt(&ok) : 0;
    session.SessionId = ok ? value : 0;
    return QFileInfo(session.SessionFile).isFile() && ok && value > 0;
}

bool ReadSession(SessionData& session, ui::Prompts& prompts) {
    const QString caption = QString::fromLatin1(kSessionFileErrorCaption);
    const QString idText = QString::number(session.SessionId);

    QDomDocument doc;
    {
        QFile file(session.SessionFile);
        if (!file.open(QIODevice::ReadOnly)) {
            prompts.message(
                ui::Icon::Error,
                QStringLiteral("XML file could not be read (XML file = ") + session.SessionFile + u')',
                caption);
            return false;
        }
        QString error;
        int line = 0;
        int column = 0;
        if (!doc.setContent(&file, &error, &line, &column)) {
            prompts.message(ui::Icon::Error,
                            QStringLiteral("XML file could not be read (XML file = ") + session.SessionFile +
                                QStringLiteral(") Exception: ") + error +
                                QStringLiteral(" (line %1, column %2)").arg(line).arg(column),
                            caption);
            return false;
        }
    }

    const QDomElement e = findSession(doc, session.SessionId);
    if (e.isNull()) {
        prompts.message(ui::Icon::Error,
                        QStringLiteral("Session was not found in XML file (SessionId = ") + idText + u')',
                        caption);
        return false;
    }

    // Filled on the side so that a failure leaves the record untouched and a
    // reset starts from empty lists.
    SessionData s;
    s.SessionFile = session.SessionFile;
    s.SessionId = session.SessionId;
    s.ClosingStarted = session.ClosingStarted;

    s.UserId = numberAttribute(e, QStringLiteral("UserId"));
    s.UserInit = e.attribute(QStringLiteral("UserInit"));
    s.Language = e.attribute(QStringLiteral("Language"));
    s.Phonebook = e.attribute(QStringLiteral("Phonebook"));
    s.ReportLogo1 = e.attribute(QStringLiteral("ReportLogo1"));
    s.ReportLogo2 = e.attribute(QStringLiteral("ReportLogo2"));
    s.HelpValue = e.attribute(QStringLiteral("HelpValue"));
    s.ExtraHelpValue = e.attribute(QStringLiteral("ExtraHelpValue"));
    s.DBVersion = e.attribute(QStringLiteral("DBVersion"));
    s.Online = e.attribute(QStringLiteral("Online"));
    s.TraceLevel = numberAttribute(e, QStringLiteral("TraceLevel"));
    s.OnlineFlag = s.Online != u"NO";

    const QByteArray help = bytesOf(s.HelpValue);
    if (s.HelpValue.size() < 4) {
        prompts.message(
            ui::Icon::Error,
            QStringLiteral("XML data for the session could not be read (SessionId = ") + idText + u')',
            caption);
        return false;
    }
    copyToFixedField(s.HelpSeed, help);
    const bool haveExtra = s.ExtraHelpValue.size() >= 2;
    if (haveExtra) copyToFixedField(s.ExtraSeed, bytesOf(s.ExtraHelpValue.left(2)));

    s.FeatureCode = unscramble(e.attribute(QStringLiteral("FeatureCode")), s.HelpSeed[1]);
    s.KorvaneUser = unscramble(e.attribute(QStringLiteral("UserType")), s.HelpSeed[1]) == u"Korvane";
    s.UserTypeInfo = sessionNumber(unscramble(e.attribute(QStringLiteral("UserTypeInfo")), s.ExtraSeed[0]));
    if (haveExtra) {
        copyToFixedField(s.DataCode,
                         unscrambleBytes(e.attribute(QStringLiteral("DataCode")), s.ExtraSeed[1]));
        copyToFixedField(s.CompleteDataCode,
                         unscrambleBytes(e.attribute(QStringLiteral("CompleteDataCode")), s.ExtraSeed[1]));
    }

    s.ProgramFilesDir = e.attribute(QStringLiteral("ProgramFilesDir"));
    s.BaseDir = e.attribute(QStringLiteral("BaseDir"));
    s.DataDir = e.attribute(QStringLiteral("DataDir"));
    s.PhoneDir = e.attribute(QStringLiteral("PhoneDir"));
    s.SysDir = e.attribute(QStringLiteral("SysDir"));
    s.PictureDir = e.attribute(QStringLiteral("PictureDir"));
    s.ProjectDir = e.attribute(QStringLiteral("ProjectDir"));

    s.FeatureCodes = ParseFeatureCodes(s.FeatureCode);

    for (QDomElement child = e.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        const QString name = child.tagName();
        if (name == u"Park") {
            readPark(child, s);
        } else if (name == u"UserScenarios") {
            readScenarios(child, s);
        } else if (name == u"DatabaseOnline") {
            s.OnlineConfiguration = configurationOf(child, s.HelpSeed[2]);
            s.OnlineConnection = SplitConnectionString(s.OnlineConfiguration);
        } else if (name == u"DatabaseOffline") {
            s.OfflineConfiguration = configurationOf(child, s.HelpSeed[0]);
            s.OfflineConnection = SplitConnectionString(s.OfflineConfiguration);
        }
        // A nested Session and any other element are not ours.
    }

    s.Loaded = true;
    session = std::move(s);
    return true;
}

}  // namespace app
