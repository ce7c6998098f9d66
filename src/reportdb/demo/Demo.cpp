#include "reportdb/demo/Demo.h"

#include "reportdb/EmbeddedConnection.h"
#include "reportdb/EmbeddedDatabase.h"
#include "reportdb/Schema.h"
#include "reportdb/SqliteUtil.h"
#include "reportdb/demo/DemoBuilder.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <numbers>

namespace reportdb::demo {

namespace {

struct Subject {
    const char* name;
    void (*write)(Builder&);
};

// Later subjects may use what earlier ones wrote.
// clang-format off
constexpr Subject kSubjects[] = {
    {"park", addPark},
    {"raw data", addRawData},
    {"users", addUsers},
    {"profiles", addProfiles},
    {"categories", addCategories},
    {"unit references", addUnitReferences},
    {"validation and sign-off", addValidationAndSignOff},
    {"user rights", addUserRights},
    {"contracts", addContracts},
};
// clang-format on

void removeDatabaseFiles(const QString& path) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) QFile::remove(path + QLatin1String(suffix));
}

}  // namespace

QDate lastDataDay() { return QDate(2024, 12, 31); }

std::uint64_t Random::next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Random::uniform() { return double(next() >> 11) * 0x1.0p-53; }

double Random::normal() {
    const double u1 = 1.0 - uniform();  // (0, 1]
    const double u2 = uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
}

int Random::below(int bound) { return bound <= 0 ? 0 : int(next() % std::uint64_t(bound)); }

Builder::Builder(sqlite3* handle, const Options& options_, QString versionText)
    : db(handle), options(options_), context(handle, std::move(versionText), nullptr) {}

const Builder::Unit& Builder::unit(int id) const {
    for (const Unit& u : units)
        if (u.id == id) return u;
    throw SqlError(QStringLiteral("The demo has no park unit %1").arg(id));
}

Random Builder::randomFor(std::uint64_t subject) const {
    Random mixer(options.seed ^ (subject * 0xD1B54A32D192ED03ull));
    return Random(mixer.next());
}

bool writeDemoDatabase(const QString& path, const Options& options, Summary* summary, QString* error) {
    if (options.turbineCount < 2 || options.rawDataDays < 1 || options.sampleMinutes < 1 ||
        (24 * 60) % options.sampleMinutes != 0) {
        if (error) *error = QStringLiteral("The demo options are out of range");
        return false;
    }
    if (!createDatabase(path, options.versionText, error)) return false;
    sqlite3* db = openDatabaseHandle(path, OpenMode::Existing, error);
    if (!db) {
        removeDatabaseFiles(path);
        return false;
    }
    QString message;
    bool ok = true;
    try {
        const QString version = readVersionText(db, &message);
        if (version.isEmpty()) throw SqlError(message);
        // Written without a journal in one transaction: a failure removes
        // the file anyway. The database keeps its write-ahead log afterwards.
        if (!sqlite::execSql(db,
                             QStringLiteral("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; "
                                            "PRAGMA cache_size = -65536; BEGIN IMMEDIATE"),
                             &message))
            throw SqlError(message);
        Builder builder(db, options, version);
        for (const Subject& subject : kSubjects) {
            try {
                subject.write(builder);
            } catch (const SqlError& e) {
                throw SqlError(QStringLiteral("%1: %2").arg(QLatin1String(subject.name), e.message()));
            }
        }
        // What a session on the demo needs beyond the reporting tables.
        builder.context.exec(QStringLiteral(
            "CREATE TABLE TDemoInstallation (ParkName NVARCHAR(100) NOT NULL, AdministratorUserId INTEGER "
            "NOT NULL REFERENCES TUser (UserId), LoginName NVARCHAR(128) NOT NULL, ContentVersion INTEGER "
            "NOT NULL)"));
        builder.context.exec(
            QStringLiteral("INSERT INTO TDemoInstallation VALUES (?, ?, ?, ?)"),
            {builder.parkName, builder.administratorUserId, builder.loginName, kDemoContentVersion});
        if (!sqlite::execSql(db, QStringLiteral("COMMIT; PRAGMA journal_mode = WAL"), &message))
            throw SqlError(message);
    } catch (const SqlError& e) {
        ok = false;
        message = e.message();
    }
    sqlite3_close_v2(db);
    if (!ok) {
        removeDatabaseFiles(path);
        if (error) *error = QStringLiteral("The demo database could not be written: %1").arg(message);
        return false;
    }
    return !summary || readDemoSummary(path, summary, error);
}

bool readDemoSummary(const QString& path, Summary* summary, QString* error) {
    sqlite3* db = openDatabaseHandle(path, OpenMode::ReadOnly, error);
    if (!db) return false;
    bool ok = true;
    try {
        QString message;
        const QString version = readVersionText(db, &message);
        if (version.isEmpty()) throw SqlError(message);
        ProcedureContext context(db, version, nullptr);
        Summary out;
        out.versionText = version;
        out.parkName = context.scalar(QStringLiteral("SELECT ParkName FROM TDemoInstallation")).toString();
        // Demo databases of the first programs have no content version.
        if (!context
                 .query(QStringLiteral("SELECT 1 FROM pragma_table_info('TDemoInstallation') "
                                       "WHERE name = 'ContentVersion'"))
                 .rows.empty())
            out.contentVersion =
                context.scalar(QStringLiteral("SELECT ContentVersion FROM TDemoInstallation")).toInt();
        const db::ResultSet admin = context.query(
            QStringLiteral("SELECT U.UserId, U.UserInitials, P.LoginName FROM TDemoInstallation AS P "
                           "INNER JOIN TUser AS U ON U.UserId = P.AdministratorUserId"));
        if (admin.rows.empty()) throw SqlError(QStringLiteral("The database is not a demo database"));
        out.administratorUserId = admin.rows[0][0].toInt();
        out.administratorInitials = admin.rows[0][1].toString();
        out.loginName = admin.rows[0][2].toString();
        // A demo from before the event lists is only read far enough for the
        // caller to see that it is outdated.
        if (out.contentVersion < 2) {
            *summary = std::move(out);
            sqlite3_close_v2(db);
            return true;
        }
        const db::ResultSet units = context.query(QStringLiteral(
            "SELECT PU.ParkUnitId, PU.ParkUnitTitle, PU.CommunicationLabel, PU.ParkUnitSerialNumber, "
            "UT.UnitTypeId, UT.UnitTypeTitle, UT.UnitTypeDevice, UT.UnitTypeCapacity, UT.EventListId, "
            "EL.EventListFileName FROM TParkUnit AS PU "
            "INNER JOIN TUnitType AS UT ON UT.UnitTypeId = PU.UnitTypeId "
            "LEFT JOIN TEventList AS EL ON EL.EventListId = UT.EventListId ORDER BY PU.ParkUnitId"));
        for (const db::Row& row : units.rows) {
            ParkUnit unit;
            unit.ParkUnitId = row[0].toInt();
            unit.ParkUnitTitle = row[1].toString();
            unit.CommunicationLabel = row[2].toInt();
            unit.ParkUnitSerialNumber = row[3].toString();
            unit.UnitTypeId = row[4].toInt();
            unit.UnitTypeTitle = row[5].toString();
            unit.UnitTypeDevice = row[6].toString();
            unit.UnitTypeCapacity = row[7].toInt();
            unit.EventListId = row[8].toInt();
            unit.EventListFileName = row[9].toString();
            out.parkUnits.push_back(unit);
        }
        *summary = std::move(out);
    } catch (const SqlError& e) {
        ok = false;
        if (error)
            *error = QStringLiteral("The demo database '%1' cannot be read: %2").arg(path, e.message());
    }
    sqlite3_close_v2(db);
    return ok;
}

}  // namespace reportdb::demo
