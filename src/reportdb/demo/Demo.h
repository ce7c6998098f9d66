#pragma once
// The demo reporting database: one wind park with its raw data, users and
// report profiles, written deterministically (the same options give the
// same content, whatever the day or the machine).

#include <QDate>
#include <QString>
#include <vector>

namespace reportdb::demo {

struct Options {
    QString versionText;     // empty: the default version of new databases
    int turbineCount = 40;   // half of each turbine type; at least 2
    int rawDataDays = 731;   // days of raw data, ending with lastDataDay()
    int sampleMinutes = 60;  // interval of the raw data samples; divides a day
    quint64 seed = 20241231;
};

// The last day of raw data (fixed, so that the content does not depend on
// the day it is written).
QDate lastDataDay();

struct ParkUnit {
    int ParkUnitId = 0;
    QString ParkUnitTitle;
    int CommunicationLabel = 0;
    QString ParkUnitSerialNumber;
    int UnitTypeId = 0;
    QString UnitTypeTitle;
    QString UnitTypeDevice;  // "WTG", "MET" or "GRID"
    int UnitTypeCapacity = 0;
    int EventListId = 0;
    QString EventListFileName;
};

// Counts up whenever the demo gains content (a new subject, more tables
// filled), so that an installation can tell that its demo database was
// written by an older program.
inline constexpr int kDemoContentVersion = 8;

// What a session on the demo database needs.
struct Summary {
    QString parkName;
    std::vector<ParkUnit> parkUnits;  // by ParkUnitId
    int administratorUserId = 0;
    QString administratorInitials;
    QString loginName;
    QString versionText;
    int contentVersion = 1;  // kDemoContentVersion of the program that wrote it
};

// Writes the demo database into a new file. Fails (and leaves no file)
// when the file exists or cannot be written.
bool writeDemoDatabase(const QString& path, const Options& options, Summary* summary, QString* error);

// The summary of an existing demo database (for a session on it).
bool readDemoSummary(const QString& path, Summary* summary, QString* error);

}  // namespace reportdb::demo
