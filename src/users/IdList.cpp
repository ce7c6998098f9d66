#include "users/IdList.h"

namespace users {

QString IdListText(const std::set<int>& ids, bool lowerRange, bool upperRange, ListUse use) {
    QString text;
    for (int id : ids) {
        const bool upper = id >= kUpperRangeStart;
        if (upper ? !upperRange : !lowerRange) continue;
        if (!text.isEmpty()) text += u',';
        text += QString::number(id);
    }
    if (text.isEmpty() && use == ListUse::Call) return QStringLiteral("NULL");
    return text;
}

std::vector<QString> SplitIdList(const std::set<int>& ids, int maxChars) {
    std::vector<QString> lists;
    QString current;
    for (int id : ids) {
        const QString number = QString::number(id);
        if (!current.isEmpty() && current.size() + 1 + number.size() > maxChars) {
            lists.push_back(current);
            current.clear();
        }
        if (!current.isEmpty()) current += u',';
        current += number;
    }
    if (!current.isEmpty()) lists.push_back(current);
    return lists;
}

}  // namespace users
