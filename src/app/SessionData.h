#pragma once
// The session the host hands to the tool: who is logged in, language,
// directories, database connections, feature codes and the park's units.
// One record per process (owned by the application context); only the
// session reader fills it, everything else reads it.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstddef>
#include <vector>

namespace app {

// Limits of the session's lists; anything beyond them is ignored.
inline constexpr int kMaxSessionParkUnits = 1000;
inline constexpr int kMaxSessionScenarios = 50;
inline constexpr int kMaxScenarioParkUnits = 1000;
inline constexpr int kMaxFeatureCodes = 1000;
inline constexpr int kMaxSessionUnitTypes = 50;

// Limits of a session file. Real ones are a few kilobytes and five levels
// deep (root, Session, Park, ParkUnit; UserScenarios, Scenario, ParkUnit);
// a full session has some 51,000 elements. A larger, deeper or busier file
// is refused before it can hold the tool up.
inline constexpr qint64 kMaxSessionFileBytes = 16 * 1024 * 1024;
inline constexpr int kMaxSessionXmlDepth = 32;
inline constexpr int kMaxSessionXmlElements = 500000;

// HelpValue needs this many characters; ExtraHelpValue is used from this many.
inline constexpr int kHelpValueCharacters = 4;
inline constexpr int kExtraHelpValueCharacters = 2;

// The parts of a connection string the tool uses.
struct ConnectionParts {
    QString DataSource;  // "Data Source="
    QString Catalog;     // "Catalog=" (also found inside "Initial Catalog=")
    QString UserName;    // "User ID="
    QString Password;    // "Password="

    bool operator==(const ConnectionParts&) const = default;
};

struct SessionParkUnit {
    int SParkUnitId = 0;
    QString ParkUnitTitle;
    int CommunicationLabel = 0;
    QString ParkUnitSerialNumber;
    int UnitTypeId = 0;
    QString UnitTypeTitle;
    QString DeviceTitle;
    int UnitTypeCapacity = 0;
    int EventListId = 0;
    QString EventListFileName;

    bool operator==(const SessionParkUnit&) const = default;
};

struct SessionScenario {
    int SScenarioId = 0;
    QString ScenarioName;
    std::vector<int> ParkUnitIds;  // at most kMaxScenarioParkUnits

    bool operator==(const SessionScenario&) const = default;
};

struct SessionUnitType {
    int UnitTypeId = 0;
    QString UnitTypeTitle;
    QString DeviceTitle;
    int UnitTypeCapacity = 0;
    QString EventListFileName;

    bool operator==(const SessionUnitType&) const = default;
};

struct SessionData {
    QString SessionFile;  // full path of the session file (command line)
    int SessionId = 0;    // command line
    QString Online;
    bool OnlineFlag = false;  // false exactly when Online is "NO"
    QString ParkName;
    int UserId = 0;
    QString UserInit;
    int UserTypeInfo = 0;
    bool KorvaneUser = false;
    QString Language;
    QString FeatureCode;  // comma-separated, as unscrambled
    QString Phonebook;
    QString HelpValue;
    QString ExtraHelpValue;
    std::array<char, 4> HelpSeed{};   // first four characters of HelpValue
    std::array<char, 2> ExtraSeed{};  // first two of ExtraHelpValue, or zeros
    QString ProgramFilesDir;
    QString BaseDir;
    QString DataDir;
    QString PhoneDir;
    QString SysDir;
    QString PictureDir;
    QString ProjectDir;
    QString ReportLogo1;
    QString ReportLogo2;
    QString DBVersion;  // a.b.c.d
    QString ScenarioActive;
    QString OnlineConfiguration;  // connection string
    ConnectionParts OnlineConnection;
    QString OfflineConfiguration;
    ConnectionParts OfflineConnection;
    std::vector<int> FeatureCodes;  // at most kMaxFeatureCodes
    int TraceLevel = 0;
    std::array<char, 49> DataCode{};          // zero-terminated unless all 49 are used
    std::array<char, 97> CompleteDataCode{};  // zero-terminated unless all 97 are used
    std::vector<SessionParkUnit> ParkUnits;   // at most kMaxSessionParkUnits
    std::vector<SessionScenario> Scenarios;   // at most kMaxSessionScenarios
    std::vector<SessionUnitType> UnitTypes;   // derived by BuildUnitTypes
    bool ClosingStarted = false;              // the host reported a lost connection
    bool Loaded = false;                      // a ReadSession succeeded
};

// True when the user holds the feature code.
bool HasFeature(const SessionData& session, int featureCode);

// Rebuilds UnitTypes from ParkUnits: one entry per UnitTypeId, taken from the
// first unit of that type, in unit order, at most kMaxSessionUnitTypes.
void BuildUnitTypes(SessionData& session);

// The values of "Data Source=", "Catalog=", "User ID=" and "Password=": for
// each the first occurrence, up to the next ';' or the end. A missing key,
// "(null)" and "?" give an empty value.
ConnectionParts SplitConnectionString(const QString& connection);

// Comma-separated decimal codes: each entry counts by its leading digits
// (blanks before them skipped; none, or too many for 32 bits, give 0); an
// empty entry after the last comma adds nothing. At most kMaxFeatureCodes.
std::vector<int> ParseFeatureCodes(const QString& text);

// The number of characters of a text: one per code point, so a character
// outside the Basic Multilingual Plane (an emoji) counts once.
qsizetype characterCount(const QString& text);

// The seed bytes of the first `count` characters of a text: a character's
// Latin-1 byte, or '?' for a character beyond Latin-1.
QByteArray seedBytes(const QString& text, qsizetype count);

// A session number: decimal text as QString::toInt reads it; missing,
// malformed or beyond 32 bits gives 0.
int sessionNumber(const QString& text);

// Copies the Latin-1 bytes of `text` into a fixed field: at most N bytes, the
// rest zeros (so a shorter text is zero-terminated).
template <std::size_t N>
void copyToFixedField(std::array<char, N>& field, const QByteArray& text) {
    field.fill('\0');
    for (std::size_t i = 0; i < N && i < std::size_t(text.size()); ++i) field[i] = text[qsizetype(i)];
}

// The text of a fixed field up to its first zero byte (or all of it).
template <std::size_t N>
QString fixedFieldText(const std::array<char, N>& field) {
    std::size_t n = 0;
    while (n < N && field[n] != '\0') ++n;
    return QString::fromLatin1(field.data(), qsizetype(n));
}

}  // namespace app
