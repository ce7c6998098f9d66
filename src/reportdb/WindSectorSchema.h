#pragma once
// The sectors of the wind sector groups: their own migration step.

namespace reportdb {

// A sector covers the wind directions [WindSectorAngleFrom,
// WindSectorAngleTo), read clockwise in whole degrees (from > to wraps
// through 0); its Run and Stop correction functions are cubic polynomials
// whose coefficients are kept as the texts the editor wrote.
inline constexpr const char* kWindSectorSchema = R"sql(
CREATE TABLE TWindSector (
    WindSectorId INTEGER PRIMARY KEY AUTOINCREMENT,
    WindSectorGroupId INTEGER NOT NULL REFERENCES TWindSectorGroup (WindSectorGroupId) ON DELETE CASCADE,
    WindSectorAngleFrom SMALLINT NOT NULL,
    WindSectorAngleTo SMALLINT NOT NULL,
    WindSectorRunA NVARCHAR(20) NOT NULL DEFAULT '0',
    WindSectorRunB NVARCHAR(20) NOT NULL DEFAULT '0',
    WindSectorRunC NVARCHAR(20) NOT NULL DEFAULT '1',
    WindSectorRunD NVARCHAR(20) NOT NULL DEFAULT '0',
    WindSectorStopA NVARCHAR(20) NOT NULL DEFAULT '0',
    WindSectorStopB NVARCHAR(20) NOT NULL DEFAULT '0',
    WindSectorStopC NVARCHAR(20) NOT NULL DEFAULT '1',
    WindSectorStopD NVARCHAR(20) NOT NULL DEFAULT '0',
    WindSectorExcluded BIT NOT NULL DEFAULT 0
);
CREATE INDEX IX_TWindSector_Group ON TWindSector (WindSectorGroupId);
)sql";

}  // namespace reportdb
