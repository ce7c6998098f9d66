#pragma once
// Features that need a newer reporting database are switched off by
// comparing the database's four-part version with a threshold.

#include <QString>
#include <array>

namespace db {

// Major, minor, build and revision. Each component is its leading decimal
// digits (none or missing gives 0); components after the fourth are ignored.
std::array<long long, 4> versionComponents(const QString& version);

// True when `databaseVersion` is equal to or newer than `threshold`,
// comparing the components as numbers.
bool IsDatabaseVersionAtLeast(const QString& databaseVersion, const QString& threshold);

// The threshold as the hints write it: trailing zero components dropped,
// keeping at least two ("3.7.0.0" -> "3.7", "3.9.3.10" stays).
QString shortVersion(const QString& threshold);

// The hint of an element that the gate switched off.
QString versionGateHint(const QString& threshold);

}  // namespace db
