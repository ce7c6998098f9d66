#pragma once
// The tables a park unit's configuration refers to besides other units:
// reference curves, free wind parameter sets and wind sector groups.

namespace reportdb {

extern const char kUnitReferenceSchema[];
extern const char kNormCurveDataSchema[];

}  // namespace reportdb
