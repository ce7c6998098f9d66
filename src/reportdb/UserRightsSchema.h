#pragma once
// User roles, the catalogue of rights (features, report templates) and the
// relations that grant them to users and roles. Report profile rights of a
// user stay in TUser_TReportProfile, which the profile list reads.

namespace reportdb {

inline constexpr const char* kUserRightsSchema = R"sql(
-- Users of the manufacturer's service organisation; the administration
-- shows and changes them only when asked to.
ALTER TABLE TUser ADD COLUMN KorvaneUser BIT NOT NULL DEFAULT 0;

-- Locked roles are predefined: neither edited nor removed. Users may be put
-- only into relatable roles.
CREATE TABLE TUserRole (
    RoleId INTEGER PRIMARY KEY AUTOINCREMENT,
    Title NVARCHAR(50) NOT NULL,
    Description NVARCHAR(200),
    AccessLevelId INTEGER NOT NULL DEFAULT 1,
    Locked BIT NOT NULL DEFAULT 0,
    Required BIT NOT NULL DEFAULT 0,
    Relatable BIT NOT NULL DEFAULT 1
);
CREATE UNIQUE INDEX IX_TUserRole_Title ON TUserRole (Title COLLATE NOCASE);

CREATE TABLE TFeature (
    FeatureId INTEGER PRIMARY KEY,
    FeatureModule NVARCHAR(50) NOT NULL,
    FeatureTitle NVARCHAR(100) NOT NULL,
    FeatureDescription NVARCHAR(200)
);

-- Templates of ids 1000000 and above come from add-on modules.
CREATE TABLE TReportTemplate (
    ReportTemplateId INTEGER PRIMARY KEY,
    ReportTemplateTitle NVARCHAR(100) NOT NULL,
    ReportTemplateDescription NVARCHAR(200),
    Locked BIT NOT NULL DEFAULT 0,
    ReportTemplateTypeId INTEGER NOT NULL DEFAULT 1
);

CREATE TABLE TUserRole_TUser (
    RoleId INTEGER NOT NULL REFERENCES TUserRole (RoleId) ON DELETE CASCADE,
    UserId INTEGER NOT NULL REFERENCES TUser (UserId) ON DELETE CASCADE,
    PRIMARY KEY (RoleId, UserId)
) WITHOUT ROWID;
CREATE INDEX IX_TUserRole_TUser_User ON TUserRole_TUser (UserId);

CREATE TABLE TUserRole_TFeature (
    RoleId INTEGER NOT NULL REFERENCES TUserRole (RoleId) ON DELETE CASCADE,
    FeatureId INTEGER NOT NULL REFERENCES TFeature (FeatureId) ON DELETE CASCADE,
    PRIMARY KEY (RoleId, FeatureId)
) WITHOUT ROWID;

CREATE TABLE TUserRole_TReportProfile (
    RoleId INTEGER NOT NULL REFERENCES TUserRole (RoleId) ON DELETE CASCADE,
    ReportProfileId INTEGER NOT NULL REFERENCES TReportProfile (ReportProfileId) ON DELETE CASCADE,
    PRIMARY KEY (RoleId, ReportProfileId)
) WITHOUT ROWID;

-- Relatable 0: the role holds the template, but it is not handed on to the
-- role's users.
CREATE TABLE TUserRole_TReportTemplate (
    RoleId INTEGER NOT NULL REFERENCES TUserRole (RoleId) ON DELETE CASCADE,
    ReportTemplateId INTEGER NOT NULL REFERENCES TReportTemplate (ReportTemplateId) ON DELETE CASCADE,
    Relatable BIT NOT NULL DEFAULT 1,
    PRIMARY KEY (RoleId, ReportTemplateId)
) WITHOUT ROWID;

CREATE TABLE TUser_TFeature (
    UserId INTEGER NOT NULL REFERENCES TUser (UserId) ON DELETE CASCADE,
    FeatureId INTEGER NOT NULL REFERENCES TFeature (FeatureId) ON DELETE CASCADE,
    PRIMARY KEY (UserId, FeatureId)
) WITHOUT ROWID;

CREATE TABLE TUser_TReportTemplate (
    UserId INTEGER NOT NULL REFERENCES TUser (UserId) ON DELETE CASCADE,
    ReportTemplateId INTEGER NOT NULL REFERENCES TReportTemplate (ReportTemplateId) ON DELETE CASCADE,
    PRIMARY KEY (UserId, ReportTemplateId)
) WITHOUT ROWID;
)sql";

}  // namespace reportdb
