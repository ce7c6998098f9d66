#pragma once
// Id lists as the database takes them: decimal ids joined without blanks.

#include <QChar>
#include <QString>
#include <vector>

namespace categorization {

QString joinIds(const std::vector<int>& ids, QChar separator = QLatin1Char(','));

}  // namespace categorization
