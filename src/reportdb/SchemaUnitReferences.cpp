#include "reportdb/SchemaUnitReferences.h"

namespace reportdb {

// Curve points and the sectors of a group are tables of their own, added
// with the editors that fill them.
extern const char kUnitReferenceSchema[] = R"sql(
-- NormCurveTypeId: 1 or NULL a power reference curve, 2 a wind distribution curve.
CREATE TABLE TNormCurve (
    NormCurveId INTEGER PRIMARY KEY AUTOINCREMENT,
    NormCurveTitle NVARCHAR(50) NOT NULL UNIQUE,
    NormCurveDescription NTEXT,
    NormCurveAirDensity REAL NOT NULL DEFAULT 1.225,
    NormCurveLocked INTEGER NOT NULL DEFAULT 0,
    NormCurveCutInWindSpeed REAL,
    NormCurveCutOutWindSpeed REAL,
    NormCurveTypeId INTEGER CHECK (NormCurveTypeId IS NULL OR NormCurveTypeId IN (1, 2))
);

CREATE TABLE TFreeWindParameter (
    FreeWindParameterId INTEGER PRIMARY KEY AUTOINCREMENT,
    FreeWindParameterTitle NVARCHAR(50) NOT NULL,
    FreeWindParameterLowPitchAngle DECIMAL(18, 6),
    FreeWindParameterStartLowA DECIMAL(18, 6),
    FreeWindParameterStartLowB DECIMAL(18, 6),
    FreeWindParameterStartLowC DECIMAL(18, 6),
    FreeWindParameterStartLowD DECIMAL(18, 6),
    FreeWindParameterHighPitchAngle DECIMAL(18, 6),
    FreeWindParameterStartHighA DECIMAL(18, 6),
    FreeWindParameterStartHighB DECIMAL(18, 6),
    FreeWindParameterStartHighC DECIMAL(18, 6),
    FreeWindParameterStartHighD DECIMAL(18, 6),
    FreeWindParameterStopA DECIMAL(18, 6),
    FreeWindParameterStopB DECIMAL(18, 6),
    FreeWindParameterStopC DECIMAL(18, 6),
    FreeWindParameterStopD DECIMAL(18, 6)
);

CREATE TABLE TWindSectorGroup (
    WindSectorGroupId INTEGER PRIMARY KEY AUTOINCREMENT,
    WindSectorGroupTitle NVARCHAR(50) NOT NULL
);
)sql";

// The points of each reference curve, one row per wind speed. The key lets
// an editor write a point back by curve and speed.
const char kNormCurveDataSchema[] = R"sql(
CREATE TABLE TNormCurveData (
    NormCurveId INTEGER NOT NULL REFERENCES TNormCurve (NormCurveId) ON DELETE CASCADE,
    NormCurveDataWindSpeed REAL NOT NULL,
    NormCurveDataProduction REAL NOT NULL DEFAULT 0,
    PRIMARY KEY (NormCurveId, NormCurveDataWindSpeed)
);
)sql";

}  // namespace reportdb
