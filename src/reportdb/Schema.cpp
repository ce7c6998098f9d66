#include "reportdb/Schema.h"

#include "reportdb/ContractSchema.h"
#include "reportdb/SchemaUnitReferences.h"
#include "reportdb/SignOffSchema.h"
#include "reportdb/SqliteUtil.h"
#include "reportdb/UserRightsSchema.h"
#include "reportdb/WindSectorSchema.h"

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

// Report categories and the category sets of each profile, event lists with
// their event codes and responsible sources, power reduction modes, and the
// allocation of event codes and power reduction modes to categories.
constexpr const char* kCategorySchema = R"sql(
-- The report categories are shared by all profiles; id 1 is normal operation.
CREATE TABLE TReportCategory (
    ReportCategoryId INTEGER PRIMARY KEY,
    ReportCategoryTitle NVARCHAR(100) NOT NULL,
    ReportCategoryDescription NTEXT,
    IECCategory BIT NOT NULL DEFAULT 0,
    EEGCategory BIT NOT NULL DEFAULT 0,
    ReportCategoryTitleManualEnabled BIT NOT NULL DEFAULT 0,
    ReportCategoryTitleManual NVARCHAR(100)
);
INSERT INTO TReportCategory (ReportCategoryId, ReportCategoryTitle, ReportCategoryDescription, IECCategory,
                             EEGCategory, ReportCategoryTitleManualEnabled) VALUES
    (1, 'Normal Operation', 'The unit runs or is ready to run; no event keeps it from producing.', 0, 0, 0),
    (2, 'Utility', 'Stops caused by the grid or ordered by the grid operator.', 0, 0, 1),
    (3, 'Manufacturer', 'Faults and stops for which the turbine manufacturer is responsible.', 0, 0, 1),
    (4, 'Environmental', 'Stops caused by weather or site conditions outside the design limits: ice, storm, heat, cold.', 0, 0, 1),
    (5, 'Owner', 'Stops ordered or caused by the owner of the park.', 0, 0, 1),
    (6, 'Scheduled maintenance', 'Planned service visits agreed in the maintenance schedule.', 0, 0, 1),
    (7, 'Unscheduled maintenance', 'Service visits to repair a fault outside the maintenance schedule.', 0, 0, 1),
    (8, 'Lightning', 'Stops after lightning strikes and the inspections that follow them.', 0, 0, 1),
    (9, 'IEC Full performance', 'Information category: the unit produces without restriction.', 1, 0, 0),
    (10, 'IEC Partial performance', 'Information category: the unit produces with a restriction.', 1, 0, 0),
    (11, 'IEC Technical standby', 'Information category: the unit is ready but waits for a technical reason.', 1, 0, 0),
    (12, 'IEC Outside environmental limits', 'Information category: conditions outside the design limits of the unit.', 1, 0, 0),
    (13, 'IEC Requested shutdown', 'Information category: the unit was stopped on request.', 1, 0, 0),
    (14, 'IEC Forced outage', 'Information category: the unit is out of service because of a fault.', 1, 0, 0),
    (15, 'EEG Grid management', 'Curtailment ordered by the grid operator for grid security.', 0, 1, 0),
    (16, 'EEG Negative prices', 'Stops during periods of negative market prices.', 0, 1, 0);

-- Each profile numbers its own category sets from 1; set 1 is its main set.
CREATE TABLE TReportCategorySet (
    ReportProfileId INTEGER NOT NULL REFERENCES TReportProfile (ReportProfileId) ON DELETE CASCADE,
    ReportCategorySetId INTEGER NOT NULL,
    ReportCategorySetTitle NVARCHAR(100) NOT NULL DEFAULT '',
    CategorySetSortOrder INTEGER NOT NULL,
    CategorySetEnabled BIT NOT NULL DEFAULT 1,
    PRIMARY KEY (ReportProfileId, ReportCategorySetId)
);

CREATE TABLE TReportCategorySet_TReportCategory (
    ReportProfileId INTEGER NOT NULL,
    ReportCategorySetId INTEGER NOT NULL,
    ReportCategoryId INTEGER NOT NULL REFERENCES TReportCategory (ReportCategoryId),
    MemberOrder INTEGER NOT NULL,
    PRIMARY KEY (ReportProfileId, ReportCategorySetId, ReportCategoryId),
    FOREIGN KEY (ReportProfileId, ReportCategorySetId)
        REFERENCES TReportCategorySet (ReportProfileId, ReportCategorySetId) ON DELETE CASCADE
);

CREATE TABLE TEventList (
    EventListId INTEGER PRIMARY KEY,
    EventListTitle NVARCHAR(100) NOT NULL,
    EventListFileName NVARCHAR(260)
);
-- The event list that the units of a type report from.
ALTER TABLE TUnitType ADD COLUMN EventListId INTEGER REFERENCES TEventList (EventListId);

CREATE TABLE TEventCode (
    EventCodeId INTEGER PRIMARY KEY AUTOINCREMENT,
    EventListId INTEGER NOT NULL REFERENCES TEventList (EventListId) ON DELETE CASCADE,
    EventCodeNumber INTEGER NOT NULL,
    EventCodeTitle NVARCHAR(200) NOT NULL,
    UNIQUE (EventListId, EventCodeNumber)
);

-- Who is responsible for an event that several parties may cause.
CREATE TABLE TResponsibleSource (
    ResponsibleSourceId INTEGER PRIMARY KEY,
    ResponsibleSourceNumber INTEGER NOT NULL UNIQUE,
    ResponsibleSourceTitle NVARCHAR(100) NOT NULL
);
CREATE TABLE TEventCode_TResponsibleSource (
    EventCodeId INTEGER NOT NULL REFERENCES TEventCode (EventCodeId) ON DELETE CASCADE,
    ResponsibleSourceId INTEGER NOT NULL REFERENCES TResponsibleSource (ResponsibleSourceId),
    PRIMARY KEY (EventCodeId, ResponsibleSourceId)
);

-- One row per profile and event code, or per profile, event code and
-- responsible source for codes that report one. The category is chosen per
-- category set of the profile.
CREATE TABLE TCategoryAllocation (
    CategoryAllocationId INTEGER PRIMARY KEY AUTOINCREMENT,
    ReportProfileId INTEGER NOT NULL REFERENCES TReportProfile (ReportProfileId) ON DELETE CASCADE,
    EventCodeId INTEGER NOT NULL REFERENCES TEventCode (EventCodeId) ON DELETE CASCADE,
    ResponsibleSourceId INTEGER REFERENCES TResponsibleSource (ResponsibleSourceId),
    CategoryAllocationDisabled BIT NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX IX_TCategoryAllocation_Code
    ON TCategoryAllocation (ReportProfileId, EventCodeId, IFNULL(ResponsibleSourceId, 0));

CREATE TABLE TCategoryAllocation_TReportCategorySet (
    CategoryAllocationId INTEGER NOT NULL REFERENCES TCategoryAllocation (CategoryAllocationId) ON DELETE CASCADE,
    ReportCategorySetId INTEGER NOT NULL,
    ReportCategoryId INTEGER NOT NULL REFERENCES TReportCategory (ReportCategoryId),
    PRIMARY KEY (CategoryAllocationId, ReportCategorySetId)
) WITHOUT ROWID;

-- Power reduction mode 0 is normal operation (no reduction).
CREATE TABLE TPowerReductionMode (
    PowerReductionModeId INTEGER PRIMARY KEY,
    ReductionModeNumber INTEGER NOT NULL,
    ReductionModeTitle NVARCHAR(100) NOT NULL
);

CREATE TABLE TDerateCategoryAllocation (
    DerateCategoryAllocationId INTEGER PRIMARY KEY AUTOINCREMENT,
    ReportProfileId INTEGER NOT NULL REFERENCES TReportProfile (ReportProfileId) ON DELETE CASCADE,
    PowerReductionModeId INTEGER NOT NULL REFERENCES TPowerReductionMode (PowerReductionModeId) ON DELETE CASCADE,
    ReportCategoryId INTEGER REFERENCES TReportCategory (ReportCategoryId),
    DerateCategoryAllocationDisabled BIT NOT NULL DEFAULT 0,
    UNIQUE (ReportProfileId, PowerReductionModeId)
);

-- Optional modules a user may use (module 1000000: manual category titles).
CREATE TABLE TUserModuleAccess (
    UserId INTEGER NOT NULL REFERENCES TUser (UserId) ON DELETE CASCADE,
    ModuleId INTEGER NOT NULL,
    PRIMARY KEY (UserId, ModuleId)
);
)sql";

constexpr MigrationStep kSteps[] = {
    {1, "Core schema: versions, users, report profiles, unit types, park units", kCoreSchema, nullptr},
    {2, "Raw data, shadow data, database jobs and export jobs", kShadowDataSchema, nullptr},
    {3, "Report categories, category sets, event lists and category allocations", kCategorySchema, nullptr},
    {4, "Reference curves, free wind parameter sets and wind sector groups", kUnitReferenceSchema, nullptr},
    {5, "Validation limits and shadow data sign-off records", kValidationAndSignOffSchema, nullptr},
    {6, "User roles, features, report templates and their relations", kUserRightsSchema, nullptr},
    {7, "Availability contracts and their calculation steps", kContractSchema, nullptr},
    {8, "Reference curve points", kNormCurveDataSchema, nullptr},
    {9, "Wind sectors of the wind sector groups", kWindSectorSchema, nullptr},
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

bool isReportingDatabase(sqlite3* db, QString* error) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(
            db,
            "SELECT (SELECT user_version FROM pragma_user_version) > 0 OR EXISTS (SELECT 1 FROM "
            "sqlite_master WHERE type = 'table' AND name = 'TDatabaseVersion' COLLATE NOCASE), "
            "(SELECT page_count FROM pragma_page_count)",
            -1, &raw, nullptr) != SQLITE_OK) {
        if (error) *error = sqlite::errorMessage(db);  // not a SQLite file at all, or unreadable
        return false;
    }
    sqlite::Statement statement(raw);
    if (sqlite3_step(raw) != SQLITE_ROW) {
        if (error) *error = sqlite::errorMessage(db);
        return false;
    }
    if (sqlite3_column_int(raw, 0) != 0) return true;
    if (error)
        *error = sqlite3_column_int(raw, 1) == 0
                     ? QStringLiteral("the file is empty")
                     : QStringLiteral("it records no schema step and has no version table");
    return false;
}

bool useWriteAheadLog(sqlite3* db, QString* error) {
    return sqlite::execSql(db, QStringLiteral("PRAGMA journal_mode = WAL"), error);
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
