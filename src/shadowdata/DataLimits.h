#pragma once
// Reads the time limits of the raw data (DCE_SP_GetPcTimeStampLimits), used by
// both shadow data dialogs when they are shown.

#include "shadowdata/RegenerationPeriod.h"

#include <QString>
#include <optional>

namespace db {
class SharedConnection;
}

namespace shadowdata {

// Empty when the database has no raw data (no row, or unset time stamps)
// and when the call failed; then `error` holds the database's message.
std::optional<DataLimits> readDataLimits(db::SharedConnection& connection, QString* error);

}  // namespace shadowdata
