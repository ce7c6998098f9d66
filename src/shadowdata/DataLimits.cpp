#include "shadowdata/DataLimits.h"

#include "db/Connection.h"

namespace shadowdata {

std::optional<DataLimits> readDataLimits(db::SharedConnection& connection, QString* error) {
    if (error) error->clear();
    db::Command command;
    command.type = db::CommandType::StoredProcedure;
    command.text = QStringLiteral("DCE_SP_GetPcTimeStampLimits");
    const db::Result result = connection.execute(command);
    if (!result.ok()) {
        if (error) *error = result.error;
        return std::nullopt;
    }
    if (result.resultSets.empty() || result.resultSets.front().rows.empty()) return std::nullopt;
    const db::ResultSet& rows = result.resultSets.front();
    const int minColumn = rows.columnIndex(QStringLiteral("MinPcTimeStamp"));
    const int maxColumn = rows.columnIndex(QStringLiteral("MaxPcTimeStamp"));
    if (minColumn < 0 || maxColumn < 0) {
        if (error) *error = QStringLiteral("DCE_SP_GetPcTimeStampLimits returned no time limits");
        return std::nullopt;
    }
    DataLimits limits{rows.rows.front()[minColumn].toDateTime(), rows.rows.front()[maxColumn].toDateTime()};
    if (!limits.minimum.isValid() || !limits.maximum.isValid()) return std::nullopt;
    return limits;
}

}  // namespace shadowdata
