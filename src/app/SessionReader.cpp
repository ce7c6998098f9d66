#include "app/SessionReader.h"

#include "app/SessionScrambling.h"
#include "ui/Prompts.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace app {

namespace {

using Attributes = QXmlStreamAttributes;

QString textOf(const Attributes& a, QLatin1StringView name) { return a.value(name).toString(); }
int numberOf(const Attributes& a, QLatin1StringView name) { return sessionNumber(textOf(a, name)); }

// Walks the elements of a session file one level at a time. Only the root's
// children and two levels below them matter; nesting deeper, or more
// elements, than any session has end the walk with an error before they
// can cost time.
class ElementWalker {
public:
    explicit ElementWalker(const QByteArray& content) : xml_(content) {
        // Names are compared as written, prefix included.
        xml_.setNamespaceProcessing(false);
    }

    // Moves to the next child element of the current one (to the root at
    // the start). False at the end of the current element, at the end of
    // the document, and on an error.
    bool nextChild() {
        while (!xml_.atEnd()) {
            switch (xml_.readNext()) {
                case QXmlStreamReader::StartElement:
                    if (++depth_ > kMaxSessionXmlDepth) {
                        xml_.raiseError(
                            QStringLiteral("Elements nested deeper than %1 levels").arg(kMaxSessionXmlDepth));
                        return false;
                    }
                    if (++elements_ > kMaxSessionXmlElements) {
                        xml_.raiseError(QStringLiteral("More than %1 elements").arg(kMaxSessionXmlElements));
                        return false;
                    }
                    return true;
                case QXmlStreamReader::EndElement: --depth_; return false;
                default: break;
            }
        }
        return false;
    }
    // Passes over the rest of the current element.
    void skip() {
        while (nextChild()) skip();
    }
    // Reads to the end of the document, so that a fault after the session
    // refuses the file as a whole.
    void finish() {
        while (!xml_.atEnd()) xml_.readNext();
    }

    bool isNamed(QLatin1StringView name) const { return xml_.qualifiedName() == name; }
    Attributes attributes() const { return xml_.attributes(); }
    bool hasError() const { return xml_.hasError(); }
    QString errorText() const {
        return xml_.errorString() +
               QStringLiteral(" (line %1, column %2)").arg(xml_.lineNumber()).arg(xml_.columnNumber());
    }

private:
    QXmlStreamReader xml_;
    int depth_ = 0;
    int elements_ = 0;
};

void readParkUnit(const Attributes& a, SessionParkUnit& unit) {
    unit.SParkUnitId = numberOf(a, QLatin1StringView("SParkUnitId"));
    unit.ParkUnitTitle = textOf(a, QLatin1StringView("ParkUnitTitle"));
    unit.CommunicationLabel = numberOf(a, QLatin1StringView("CommunicationLabel"));
    unit.ParkUnitSerialNumber = textOf(a, QLatin1StringView("ParkUnitSerialNumber"));
    unit.UnitTypeId = numberOf(a, QLatin1StringView("UnitTypeId"));
    unit.UnitTypeTitle = textOf(a, QLatin1StringView("UnitTypeTitle"));
    unit.DeviceTitle = textOf(a, QLatin1StringView("DeviceTitle"));
    unit.UnitTypeCapacity = numberOf(a, QLatin1StringView("UnitTypeCapacity"));
    unit.EventListId = numberOf(a, QLatin1StringView("EventListId"));
    unit.EventListFileName = textOf(a, QLatin1StringView("EventListFileName"));
}

void readPark(ElementWalker& w, SessionData& s) {
    s.ParkName = textOf(w.attributes(), QLatin1StringView("ParkName"));
    while (w.nextChild()) {
        if (w.isNamed(QLatin1StringView("ParkUnit")) &&
            s.ParkUnits.size() < std::size_t(kMaxSessionParkUnits))
            readParkUnit(w.attributes(), s.ParkUnits.emplace_back());
        w.skip();
    }
}

void readScenario(ElementWalker& w, SessionScenario& scenario) {
    const Attributes a = w.attributes();
    scenario.SScenarioId = numberOf(a, QLatin1StringView("SScenarioId"));
    scenario.ScenarioName = textOf(a, QLatin1StringView("ScenarioName"));
    while (w.nextChild()) {
        if (w.isNamed(QLatin1StringView("ParkUnit")) &&
            scenario.ParkUnitIds.size() < std::size_t(kMaxScenarioParkUnits))
            scenario.ParkUnitIds.push_back(numberOf(w.attributes(), QLatin1StringView("SParkUnitId")));
        w.skip();
    }
}

void readScenarios(ElementWalker& w, SessionData& s) {
    s.ScenarioActive = textOf(w.attributes(), QLatin1StringView("ScenarioActive"));
    while (w.nextChild()) {
        if (w.isNamed(QLatin1StringView("Scenario")) &&
            s.Scenarios.size() < std::size_t(kMaxSessionScenarios))
            readScenario(w, s.Scenarios.emplace_back());
        else
            w.skip();
    }
}

QString configurationOf(const Attributes& a, char seed) {
    return unscramble(textOf(a, QLatin1StringView("Configuration")), seed);
}

// The session element's attributes into the record; false when HelpValue is
// too short to seed the scrambled ones.
bool readSessionAttributes(const Attributes& a, SessionData& s) {
    s.UserId = numberOf(a, QLatin1StringView("UserId"));
    s.UserInit = textOf(a, QLatin1StringView("UserInit"));
    s.Language = textOf(a, QLatin1StringView("Language"));
    s.Phonebook = textOf(a, QLatin1StringView("Phonebook"));
    s.ReportLogo1 = textOf(a, QLatin1StringView("ReportLogo1"));
    s.ReportLogo2 = textOf(a, QLatin1StringView("ReportLogo2"));
    s.HelpValue = textOf(a, QLatin1StringView("HelpValue"));
    s.ExtraHelpValue = textOf(a, QLatin1StringView("ExtraHelpValue"));
    s.DBVersion = textOf(a, QLatin1StringView("DBVersion"));
    s.Online = textOf(a, QLatin1StringView("Online"));
    s.TraceLevel = numberOf(a, QLatin1StringView("TraceLevel"));
    s.OnlineFlag = s.Online != u"NO";

    // Characters, not UTF-16 units: two emoji are two characters.
    if (characterCount(s.HelpValue) < kHelpValueCharacters) return false;
    copyToFixedField(s.HelpSeed, seedBytes(s.HelpValue, kHelpValueCharacters));
    const bool haveExtra = characterCount(s.ExtraHelpValue) >= kExtraHelpValueCharacters;
    if (haveExtra) copyToFixedField(s.ExtraSeed, seedBytes(s.ExtraHelpValue, kExtraHelpValueCharacters));

    s.FeatureCode = unscramble(textOf(a, QLatin1StringView("FeatureCode")), s.HelpSeed[1]);
    s.KorvaneUser = unscramble(textOf(a, QLatin1StringView("UserType")), s.HelpSeed[1]) == u"Korvane";
    s.UserTypeInfo = sessionNumber(unscramble(textOf(a, QLatin1StringView("UserTypeInfo")), s.ExtraSeed[0]));
    if (haveExtra) {
        copyToFixedField(s.DataCode,
                         unscrambleBytes(textOf(a, QLatin1StringView("DataCode")), s.ExtraSeed[1]));
        copyToFixedField(s.CompleteDataCode,
                         unscrambleBytes(textOf(a, QLatin1StringView("CompleteDataCode")), s.ExtraSeed[1]));
    }

    s.ProgramFilesDir = textOf(a, QLatin1StringView("ProgramFilesDir"));
    s.BaseDir = textOf(a, QLatin1StringView("BaseDir"));
    s.DataDir = textOf(a, QLatin1StringView("DataDir"));
    s.PhoneDir = textOf(a, QLatin1StringView("PhoneDir"));
    s.SysDir = textOf(a, QLatin1StringView("SysDir"));
    s.PictureDir = textOf(a, QLatin1StringView("PictureDir"));
    s.ProjectDir = textOf(a, QLatin1StringView("ProjectDir"));

    s.FeatureCodes = ParseFeatureCodes(s.FeatureCode);
    return true;
}

void readSessionChildren(ElementWalker& w, SessionData& s) {
    while (w.nextChild()) {
        if (w.isNamed(QLatin1StringView("Park"))) {
            readPark(w, s);
        } else if (w.isNamed(QLatin1StringView("UserScenarios"))) {
            readScenarios(w, s);
        } else if (w.isNamed(QLatin1StringView("DatabaseOnline"))) {
            s.OnlineConfiguration = configurationOf(w.attributes(), s.HelpSeed[2]);
            s.OnlineConnection = SplitConnectionString(s.OnlineConfiguration);
            w.skip();
        } else if (w.isNamed(QLatin1StringView("DatabaseOffline"))) {
            s.OfflineConfiguration = configurationOf(w.attributes(), s.HelpSeed[0]);
            s.OfflineConnection = SplitConnectionString(s.OfflineConfiguration);
            w.skip();
        } else {
            // A nested Session and any other element are not ours.
            w.skip();
        }
    }
}

// What the walk over a file found.
enum class Found { Nothing, Session, ShortHelpValue };

Found readFile(ElementWalker& w, int sessionId, SessionData& s) {
    Found found = Found::Nothing;
    if (w.nextChild()) {
        while (w.nextChild()) {
            if (found == Found::Nothing && w.isNamed(QLatin1StringView("Session")) &&
                numberOf(w.attributes(), QLatin1StringView("SessionId")) == sessionId) {
                found = readSessionAttributes(w.attributes(), s) ? Found::Session : Found::ShortHelpValue;
                if (found == Found::Session) {
                    readSessionChildren(w, s);
                    continue;
                }
            }
            w.skip();
        }
    }
    w.finish();
    return found;
}

// The content of a session file. Anything but a regular file is refused
// unopened (a FIFO would block the tool until someone writes to it), and so
// is a file larger than the limit. False with an empty `reason` when the
// file cannot be opened or read.
bool readContent(const QString& path, QByteArray* content, QString* reason) {
    QFile file;
#ifdef Q_OS_UNIX
    // Opened without waiting and checked on the handle itself, so that
    // nothing can be swapped in between the check and the read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *reason = QStringLiteral("Not a regular file");
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
#else
    if (QFileInfo::exists(path) && !QFileInfo(path).isFile()) {
        *reason = QStringLiteral("Not a regular file");
        return false;
    }
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
#endif
    // One byte more than allowed tells a file that is too large (also one
    // that grows while it is read).
    *content = file.read(kMaxSessionFileBytes + 1);
    if (file.error() != QFileDevice::NoError) return false;
    if (content->size() > kMaxSessionFileBytes) {
        content->clear();
        *reason = QStringLiteral("The file is larger than %1 MB").arg(kMaxSessionFileBytes / (1024 * 1024));
        return false;
    }
    return true;
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
    const QString unreadable =
        QStringLiteral("XML file could not be read (XML file = ") + session.SessionFile + u')';

    QByteArray content;
    QString reason;
    if (!readContent(session.SessionFile, &content, &reason)) {
        prompts.message(ui::Icon::Error,
                        reason.isEmpty() ? unreadable : unreadable + QStringLiteral(" Exception: ") + reason,
                        caption);
        return false;
    }

    // Filled on the side so that a failure leaves the record untouched and a
    // reset starts from empty lists.
    SessionData s;
    s.SessionFile = session.SessionFile;
    s.SessionId = session.SessionId;
    s.ClosingStarted = session.ClosingStarted;

    ElementWalker walker(content);
    const Found found = readFile(walker, session.SessionId, s);
    if (walker.hasError()) {
        prompts.message(ui::Icon::Error, unreadable + QStringLiteral(" Exception: ") + walker.errorText(),
                        caption);
        return false;
    }
    if (found == Found::Nothing) {
        prompts.message(ui::Icon::Error,
                        QStringLiteral("Session was not found in XML file (SessionId = ") + idText + u')',
                        caption);
        return false;
    }
    if (found == Found::ShortHelpValue) {
        prompts.message(
            ui::Icon::Error,
            QStringLiteral("XML data for the session could not be read (SessionId = ") + idText + u')',
            caption);
        return false;
    }

    s.Loaded = true;
    session = std::move(s);
    return true;
}

}  // namespace app
