#include "reportdb/Schema.h"

#include "reportdb/SqliteUtil.h"

namespace reportdb {

namespace {

// Users, profiles and their visibility, unit types, park units and their
// per-profile configuration, the time limits of the raw data.
constexpr const char* kCoreSchema = R"sql(
CREATE TABLE TDatabaseVersion (
    DatabaseVersionId INTEGER PRIMARY KEY CHECK (DatabaseVersionId = 1),
    VersionText NVARCHAR(20) NOT NULL
);
INSERT INTO TDatabaseVersion (DatabaseVersionId, VersionText) VALUES (1, '3.28.0.0');

CREATE TABLE TUser (
    UserId INTEGER PRIMARY KEY AUTOINCREMENT,
    UserInitials NVARCHAR(10) NOT NULL,
    UserFirstName NVARCHAR(50),
    UserSurName NVARCHAR(50),
    UserOrganisation NVARCHAR(50),
    UserEmail NVARCHAR(50),
    UserLastLoginDate DATETIME,
    AccessLevelId INTEGER NOT NULL DEFAULT 1,
    OverrideAccessLevel BIT NOT NULL DEFAULT 0,
    UserPassword NVARCHAR(50)
);

CREATE TABLE TReportProfile (
    ReportProfileId INTEGER PRIMARY KEY AUTOINCREMENT,
    ReportProfileTitle NVARCHAR(100) NOT NULL,
    ReportProfileLocked INTEGER NOT NULL DEFAULT 0,
    ReportProfileIdentifier NVARCHAR(50),
    ReportProfileVersion INTEGER NOT NULL DEFAULT 1,
    ReportProfileJobScheduleEnabled SMALLINT NOT NULL DEFAULT 0,
    ReportProfileStatus INTEGER NOT NULL DEFAULT 0,
    ReportProfileRegeneratePendingFlag INTEGER NOT NULL DEFAULT 0,
    ReportProfileDescription NTEXT,
    ReportProfileShadowDataStartPCTimeStamp DATETIME,
    DataIntegrityCalculationEnabled BIT NOT NULL DEFAULT 0,
    AvailabilityContract NVARCHAR(20) NOT NULL DEFAULT 'RTV2100',
    UseSeaLevel BIT NOT NULL DEFAULT 0,
    UseNeighborWindSpeed BIT NOT NULL DEFAULT 0,
    UseKerliftReporting BIT NOT NULL DEFAULT 0,
    UseDeratingCategorisation BIT NOT NULL DEFAULT 0,
    UseIECReporting BIT NOT NULL DEFAULT 0,
    UseEEGReporting BIT NOT NULL DEFAULT 0,
    DerateCategoryRule INTEGER NOT NULL DEFAULT 1
);

CREATE TABLE TUser_TReportProfile (
    UserId INTEGER NOT NULL REFERENCES TUser (UserId) ON DELETE CASCADE,
    ReportProfileId INTEGER NOT NULL REFERENCES TReportProfile (ReportProfileId) ON DELETE CASCADE,
    PRIMARY KEY (UserId, ReportProfileId)
);
CREATE INDEX IX_TUser_TReportProfile_Profile ON TUser_TReportProfile (ReportProfileId);

CREATE TABLE TUnitType (
    UnitTypeId INTEGER PRIMARY KEY,
    UnitTypeTitle NVARCHAR(50) NOT NULL,
    UnitTypeDevice NVARCHAR(10) NOT NULL CHECK (UnitTypeDevice IN ('WTG', 'MET', 'GRID')),
    UnitTypeCapacity INTEGER
);

CREATE TABLE TParkUnit (
    ParkUnitId INTEGER PRIMARY KEY AUTOINCREMENT,
    ParkUnitTitle NVARCHAR(50) NOT NULL,
    UnitTypeId INTEGER NOT NULL REFERENCES TUnitType (UnitTypeId),
    CommunicationLabel INTEGER,
    ParkUnitSerialNumber NVARCHAR(50),
    NormCurveId INTEGER,
    HubHeightAltitude INTEGER
);
CREATE INDEX IX_TParkUnit_UnitType ON TParkUnit (UnitTypeId);

-- The configuration of a unit within one profile.
CREATE TABLE TParkUnit_TReportProfile (
    ParkUnitId INTEGER NOT NULL REFERENCES TParkUnit (ParkUnitId) ON DELETE CASCADE,
    ReportProfileId INTEGER NOT NULL REFERENCES TReportProfile (ReportProfileId) ON DELETE CASCADE,
    NormCurveId INTEGER,
    HubHeightAltitude INTEGER,
    NeighbourTurbinePrimaryId INTEGER REFERENCES TParkUnit (ParkUnitId) ON DELETE SET NULL,
    NeighbourTurbineSecondaryId INTEGER REFERENCES TParkUnit (ParkUnitId) ON DELETE SET NULL,
    MetStP1Id INTEGER REFERENCES TParkUnit (ParkUnitId) ON DELETE SET NULL,
    MetStP2Id INTEGER REFERENCES TParkUnit (ParkUnitId) ON DELETE SET NULL,
    MetStP3Id INTEGER REFERENCES TParkUnit (ParkUnitId) ON DELETE SET NULL,
    Sitecalibrationfactor DECIMAL(18, 6),
    PitchAngle DECIMAL(9, 3),
    FreeWindParameterId INTEGER,
    WindSectorGroupId INTEGER,
    ConnectionPointParkUnitId INTEGER REFERENCES TParkUnit (ParkUnitId) ON DELETE SET NULL,
    PRIMARY KEY (ParkUnitId, ReportProfileId)
);
CREATE INDEX IX_TParkUnit_TReportProfile_Profile ON TParkUnit_TReportProfile (ReportProfileId);

-- First and last time stamp of the raw data present per unit.
CREATE TABLE TRawDataTimeLimits (
    ParkUnitId INTEGER PRIMARY KEY REFERENCES TParkUnit (ParkUnitId) ON DELETE CASCADE,
    MinPcTimeStamp DATETIME NOT NULL,
    MaxPcTimeStamp DATETIME NOT NULL
);
)sql";

// Raw data samples, the shadow data computed from them per profile, unit and
// day, the queue of database jobs and the export jobs that use profiles.
constexpr const char* kShadowDataSchema = R"sql(
-- One sample per unit and interval; PcTimeStamp marks the end of the interval.
CREATE TABLE TRawData (
    ParkUnitId INTEGER NOT NULL REFERENCES TParkUnit (ParkUnitId) ON DELETE CASCADE,
    PcTimeStamp DATETIME NOT NULL,
    WindSpeed REAL,
    ProductionKWh REAL,
    EventCode INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (ParkUnitId, PcTimeStamp)
) WITHOUT ROWID;

CREATE TABLE TShadowData (
    ReportProfileId INTEGER NOT NULL,
    ParkUnitId INTEGER NOT NULL,
    ShadowDate DATETIME NOT NULL,
    SampleCount INTEGER NOT NULL,
    OperatingSampleCount INTEGER NOT NULL,
    FaultSampleCount INTEGER NOT NULL,
    ProductionKWh REAL,
    MeanWindSpeed REAL,
    PRIMARY KEY (ReportProfileId, ParkUnitId, ShadowDate),
    FOREIGN KEY (ParkUnitId, ReportProfileId)
        REFERENCES TParkUnit_TReportProfile (ParkUnitId, ReportProfileId) ON DELETE CASCADE
) WITHOUT ROWID;

-- Work queued for the database's background worker. State: 0 queued,
-- 1 running, 2 done, 3 failed. A running job whose owner stopped sending
-- heartbeats is taken over by the next worker.
CREATE TABLE TJob (
    JobId INTEGER PRIMARY KEY AUTOINCREMENT,
    JobType NVARCHAR(50) NOT NULL,
    DatabaseName NVARCHAR(128),
    LoginName NVARCHAR(128),
    ReportProfileId INTEGER,
    FromDate DATETIME,
    ToDate DATETIME,
    State INTEGER NOT NULL DEFAULT 0,
    UnitIds TEXT,
    FirstDay DATETIME,
    LastDay DATETIME,
    StepsTotal INTEGER,
    StepsDone INTEGER NOT NULL DEFAULT 0,
    Owner NVARCHAR(40),
    Heartbeat DATETIME,
    CreatedAt DATETIME NOT NULL,
    FinishedAt DATETIME,
    ErrorText NTEXT
);
CREATE INDEX IX_TJob_State ON TJob (State, JobId);

CREATE TABLE TExportJob (
    ExportJobId INTEGER PRIMARY KEY AUTOINCREMENT,
    ExportJobTitle NVARCHAR(128) NOT NULL,
    ReportProfileId INTEGER NOT NULL REFERENCES TReportProfile (ReportProfileId),
    ExportJobEnabled BIT NOT NULL DEFAULT 1
);
CREATE INDEX IX_TExportJob_Profile ON TExportJob (ReportProfileId);
)sql";

constexpr MigrationStep kSteps[] = {
    {1, "Core schema: versions, users, report profiles, unit types, park units", kCoreSchema, nullptr},
    {2, "Raw data, shadow data, database jobs and export jobs", kShadowDataSchema, nullptr},
};

bool setUserVersion(sqlite3* db, int number, QString* error) {
    return sqlite::execSql(db, QStringLiteral("PRAGMA user_version = %1").arg(number), error);
}

}  // namespace

std::span<const MigrationStep> migrationSteps() { return kSteps; }

int schemaVersion(sqlite3* db) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &raw, nullptr) != SQLITE_OK) return -1;
    sqlite::Statement statement(raw);
    return sqlite3_step(raw) == SQLITE_ROW ? sqlite3_column_int(raw, 0) : -1;
}

bool applyMigrations(sqlite3* db, QString* error) { return applyMigrations(db, migrationSteps(), error); }

bool applyMigrations(sqlite3* db, std::span<const MigrationStep> steps, QString* error) {
    const int known = steps.empty() ? 0 : steps.back().number;
    if (schemaVersion(db) > known) {
        if (error)
            *error =
                QStringLiteral("The database schema (step %1) is newer than this program knows (step %2)")
                    .arg(schemaVersion(db))
                    .arg(known);
        return false;
    }
    for (const MigrationStep& step : steps) {
        // Another process may migrate the same file at the same moment: the
        // write lock is taken first and the version read under it.
        if (!sqlite::execSql(db, QStringLiteral("BEGIN IMMEDIATE"), error)) return false;
        const int current = schemaVersion(db);
        if (current >= step.number) {
            sqlite::execSql(db, QStringLiteral("COMMIT"), nullptr);
            continue;
        }
        QString message;
        bool ok = current == step.number - 1;
        if (!ok)
            message = QStringLiteral("Migration step %1 cannot follow step %2").arg(step.number).arg(current);
        if (ok && step.sql) ok = sqlite::execSql(db, QString::fromUtf8(step.sql), &message);
        if (ok && step.apply) ok = step.apply(db, &message);
        if (ok) ok = setUserVersion(db, step.number, &message);
        if (ok) ok = sqlite::execSql(db, QStringLiteral("COMMIT"), &message);
        if (!ok) {
            sqlite::execSql(db, QStringLiteral("ROLLBACK"), nullptr);
            if (error)
                *error = QStringLiteral("Migration step %1 (%2) failed: %3")
                             .arg(step.number)
                             .arg(QString::fromUtf8(step.title), message);
            return false;
        }
    }
    return true;
}

QString readVersionText(sqlite3* db, QString* error) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT VersionText FROM TDatabaseVersion WHERE DatabaseVersionId = 1", -1,
                           &raw, nullptr) != SQLITE_OK) {
        if (error) *error = sqlite::errorMessage(db);
        return {};
    }
    sqlite::Statement statement(raw);
    if (sqlite3_step(raw) != SQLITE_ROW) {
        if (error) *error = QStringLiteral("The database records no version");
        return {};
    }
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)));
}

bool writeVersionText(sqlite3* db, const QString& versionText, QString* error) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, "UPDATE TDatabaseVersion SET VersionText = ? WHERE DatabaseVersionId = 1", -1,
                           &raw, nullptr) != SQLITE_OK) {
        if (error) *error = sqlite::errorMessage(db);
        return false;
    }
    sqlite::Statement statement(raw);
    return sqlite::bindAll(raw, {versionText}, error) && sqlite::stepAll(db, raw, nullptr, error);
}

}  // namespace reportdb
