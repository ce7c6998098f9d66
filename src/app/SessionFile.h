#pragma once
// Writing session files the way the host does (for the stand-in host, the
// demo set-up and tests), and the session record as JSON.
//
// A session file is
//   <Sessions>
//     <Session SessionId=".." UserId=".." ... FeatureCode="(scrambled)" ...>
//       <Park ParkName=".."> <ParkUnit SParkUnitId=".." .../> ... </Park>
//       <UserScenarios ScenarioActive="..">
//         <Scenario SScenarioId=".." ScenarioName=".."> <ParkUnit SParkUnitId=".."/> ... </Scenario>
//       </UserScenarios>
//       <DatabaseOnline Configuration="(scrambled)"/>
//       <DatabaseOffline Configuration="(scrambled)"/>
//     </Session>
//     ... more sessions ...
//   </Sessions>
// A description holds the plain texts; the writer scrambles FeatureCode,
// UserType, UserTypeInfo, DataCode, CompleteDataCode and both configurations
// with the seed characters taken from HelpValue and ExtraHelpValue, exactly
// as the reader expects them.

#include "app/SessionData.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

namespace app {

struct SessionDescription {
    int SessionId = 1;
    int UserId = 0;
    QString UserInit;
    QString Language = QStringLiteral("UK");
    QString Phonebook;
    QString ReportLogo1;
    QString ReportLogo2;
    // The seeds of the scrambled attributes: at least 4 characters (the
    // reader refuses a session with fewer) and 2, Latin-1.
    QString HelpValue = QStringLiteral("K7Q2");
    QString ExtraHelpValue = QStringLiteral("M5");
    QString DBVersion;
    QString Online = QStringLiteral("YES");
    int TraceLevel = 1;
    QString FeatureCode;  // plain, e.g. "3,101,146"
    QString UserType;     // plain, e.g. "Korvane"
    int UserTypeInfo = 0;
    QString DataCode;  // plain
    QString CompleteDataCode;
    QString ProgramFilesDir;
    QString BaseDir;
    QString DataDir;
    QString PhoneDir;
    QString SysDir;
    QString PictureDir;
    QString ProjectDir;
    QString ParkName;
    std::vector<SessionParkUnit> ParkUnits;
    QString ScenarioActive;
    std::vector<SessionScenario> Scenarios;
    QString OnlineConfiguration;  // plain connection string
    QString OfflineConfiguration;
};

// Writes all sessions into one file (replacing it only once fully written).
// Fails, with a reason in `error`, when the file cannot be written, when the
// tool would refuse a session (SessionId not above 0, HelpValue shorter than
// 4 characters, a file over the reader's size limit) or when a text to be
// scrambled cannot be carried: a character outside Latin-1, a zero
// character, or more bytes than the reader recovers (499).
bool writeSessionFile(const QString& path, const QList<SessionDescription>& sessions, QString* error);

// A description from JSON whose keys are the field names above; ParkUnits is
// an array of objects keyed by the SessionParkUnit field names, Scenarios an
// array of {SScenarioId, ScenarioName, ParkUnitIds: [ids]}. Fields not given
// keep their defaults. Unknown keys and values of the wrong type are skipped
// and described in `problems` when given.
SessionDescription sessionDescriptionFromJson(const QJsonObject& json, QStringList* problems = nullptr);

// The record with one key per field, named as the fields. Connections are
// objects, lists are arrays, the fixed byte fields are texts up to their
// first zero byte.
QJsonObject sessionToJson(const SessionData& session);

}  // namespace app
