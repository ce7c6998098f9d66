#pragma once
// The schema of the validation limits and of the shadow data sign-off: its
// own migration step, kept apart from the older steps in Schema.cpp.

namespace reportdb {

// Validation limits per measured value, and the sign-off records of shadow
// data periods with the triggers that keep signed-off shadow data as it is.
//
// A day of a profile's shadow data is signed off when the record written last
// among those whose period overlaps the day ([TimeFrom, TimeTo) meets
// [day 00:00, next day 00:00)) is a lock. An unlock record over part of a
// locked period frees just the days it overlaps, until a later lock. The
// triggers drop any insert, update or delete of such a day's rows, so a
// regeneration, whoever runs it, leaves them unchanged and still writes the
// other days. A row whose unit is gone from the profile is still removed.
inline constexpr const char* kValidationAndSignOffSchema = R"sql(
CREATE TABLE TMeasuredValue (
    MeasuredValueId INTEGER PRIMARY KEY,
    MeasuredValueTitle NVARCHAR(100) NOT NULL,
    MeasuredValueUnit NVARCHAR(20) NOT NULL DEFAULT ''
);

-- One row per measured value for the meteorological units (UnitTypeId NULL)
-- and for each turbine type. The limits apply to every profile.
CREATE TABLE TValidationParameter (
    ValidationParameterId INTEGER PRIMARY KEY AUTOINCREMENT,
    UnitTypeId INTEGER REFERENCES TUnitType (UnitTypeId) ON DELETE CASCADE,
    MeasuredValueId INTEGER NOT NULL REFERENCES TMeasuredValue (MeasuredValueId) ON DELETE CASCADE,
    ValidationActive BIT NOT NULL DEFAULT 1,
    ValidationMinimumValue DECIMAL(18, 3),
    ValidationMaximumValue DECIMAL(18, 3)
);
CREATE UNIQUE INDEX IX_TValidationParameter_Group
    ON TValidationParameter (IFNULL(UnitTypeId, 0), MeasuredValueId);

-- Lock (Locked 1) and unlock (Locked 0) records of a profile's shadow data.
-- Records are final: an unlock is a new record.
CREATE TABLE TShadowDataLockPeriod (
    ShadowDataLockPeriodId INTEGER PRIMARY KEY AUTOINCREMENT,
    ReportProfileId INTEGER NOT NULL REFERENCES TReportProfile (ReportProfileId) ON DELETE CASCADE,
    TimeFrom DATETIME NOT NULL,
    TimeTo DATETIME NOT NULL,
    Locked BIT NOT NULL,
    LockDescription NVARCHAR(256) NOT NULL,
    Customer BIT NOT NULL,
    UserId INTEGER REFERENCES TUser (UserId) ON DELETE SET NULL,
    LastModifiedDateTimeStamp DATETIME NOT NULL,
    CHECK (TimeFrom < TimeTo),
    CHECK (length(LockDescription) BETWEEN 1 AND 256)
);
CREATE INDEX IX_TShadowDataLockPeriod_Profile ON TShadowDataLockPeriod (ReportProfileId, TimeFrom);

CREATE TRIGGER TR_TShadowDataLockPeriod_Final BEFORE UPDATE OF ReportProfileId, TimeFrom, TimeTo, Locked,
    LockDescription, Customer, LastModifiedDateTimeStamp ON TShadowDataLockPeriod
BEGIN
    SELECT RAISE(ABORT, 'A shadow data sign-off record cannot be changed');
END;
-- Removing the profile removes its records (the profile row is gone by then).
CREATE TRIGGER TR_TShadowDataLockPeriod_Kept BEFORE DELETE ON TShadowDataLockPeriod
WHEN EXISTS (SELECT 1 FROM TReportProfile WHERE ReportProfileId = OLD.ReportProfileId)
BEGIN
    SELECT RAISE(ABORT, 'A shadow data sign-off record cannot be removed');
END;

CREATE TRIGGER TR_TShadowData_SignedOffInsert BEFORE INSERT ON TShadowData
WHEN (SELECT L.Locked FROM TShadowDataLockPeriod AS L
      WHERE L.ReportProfileId = NEW.ReportProfileId AND L.TimeFrom < datetime(NEW.ShadowDate, '+1 day')
        AND L.TimeTo > NEW.ShadowDate
      ORDER BY L.ShadowDataLockPeriodId DESC LIMIT 1) = 1
BEGIN
    SELECT RAISE(IGNORE);
END;
CREATE TRIGGER TR_TShadowData_SignedOffUpdate BEFORE UPDATE ON TShadowData
WHEN (SELECT L.Locked FROM TShadowDataLockPeriod AS L
      WHERE L.ReportProfileId = OLD.ReportProfileId AND L.TimeFrom < datetime(OLD.ShadowDate, '+1 day')
        AND L.TimeTo > OLD.ShadowDate
      ORDER BY L.ShadowDataLockPeriodId DESC LIMIT 1) = 1
BEGIN
    SELECT RAISE(IGNORE);
END;
CREATE TRIGGER TR_TShadowData_SignedOffDelete BEFORE DELETE ON TShadowData
WHEN EXISTS (SELECT 1 FROM TParkUnit_TReportProfile
             WHERE ParkUnitId = OLD.ParkUnitId AND ReportProfileId = OLD.ReportProfileId)
 AND (SELECT L.Locked FROM TShadowDataLockPeriod AS L
      WHERE L.ReportProfileId = OLD.ReportProfileId AND L.TimeFrom < datetime(OLD.ShadowDate, '+1 day')
        AND L.TimeTo > OLD.ShadowDate
      ORDER BY L.ShadowDataLockPeriodId DESC LIMIT 1) = 1
BEGIN
    SELECT RAISE(IGNORE);
END;
)sql";

}  // namespace reportdb
