#include "categorization/IdLists.h"

namespace categorization {

QString joinIds(const std::vector<int>& ids, QChar separator) {
    QString text;
    text.reserve(int(ids.size()) * 6);
    for (size_t i = 0; i < ids.size(); ++i) {
        if (i > 0) text += separator;
        text += QString::number(ids[i]);
    }
    return text;
}

}  // namespace categorization
