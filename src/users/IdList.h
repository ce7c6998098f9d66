#pragma once
// Id lists of the user administration: the ids of a set in ascending order,
// joined by "," without blanks. Report template ids of 1000000 and above
// form a range of their own, so a list can take either range or both.

#include <QString>
#include <set>
#include <vector>

namespace users {

inline constexpr int kUpperRangeStart = 1000000;
// The size of a list parameter of the user and role procedures.
inline constexpr int kListParameterSize = 8000;

enum class ListUse {
    Export,  // an empty list is an empty text
    Call,    // an empty list is "NULL": the procedure leaves it alone
};

QString IdListText(const std::set<int>& ids, bool lowerRange, bool upperRange, ListUse use);
inline QString IdListText(const std::set<int>& ids, ListUse use) { return IdListText(ids, true, true, use); }

// The ids in lists of at most `maxChars` characters each, in order; no list
// for no ids.
std::vector<QString> SplitIdList(const std::set<int>& ids, int maxChars = kListParameterSize);

}  // namespace users
