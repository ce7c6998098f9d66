#pragma once
// What a save of users or roles writes: for each edited record in ascending
// id order a personal UPDATE, and the relation differences with the loaded
// state, where neighbours with equal differences go out as one call.

#include "users/IdList.h"
#include "users/UserCalls.h"
#include "users/UserRecords.h"

#include <QString>
#include <vector>

namespace users {

// The ids to add and delete per kind of right.
struct Difference {
    std::array<std::set<int>, kRightKinds> added;
    std::array<std::set<int>, kRightKinds> deleted;

    bool empty() const;
    bool operator==(const Difference&) const = default;
};

Difference DifferenceOf(const Rights& loaded, const Rights& current);

struct SaveStep {
    enum class Kind { Personal, Relations } kind = Kind::Personal;
    std::vector<int> ids;  // one record for a personal update; the group for relations
    Difference difference;
};

// The steps of a save, in the order they are sent. Records added or
// removed since the load are not part of it (they are written at once).
template <class Record>
std::vector<SaveStep> PlanSave(const Container<Record>& container) {
    std::vector<SaveStep> steps;
    SaveStep pending{SaveStep::Kind::Relations, {}, {}};
    for (const auto& [id, record] : container.items) {
        const Record* loaded = container.loadedRecord(id);
        if (!loaded) continue;
        if (!record.samePersonalData(*loaded)) steps.push_back({SaveStep::Kind::Personal, {id}, {}});
        const Difference difference = DifferenceOf(loaded->rights, record.rights);
        if (difference.empty()) continue;
        if (!pending.ids.empty() && !(pending.difference == difference)) {
            steps.push_back(pending);
            pending.ids.clear();
        }
        pending.ids.push_back(id);
        pending.difference = difference;
    }
    if (!pending.ids.empty()) steps.push_back(pending);
    return steps;
}

// The relation calls of one group: the target ids and every list cut to at
// most `maxChars` characters, every target part sent with every list part.
// Sent in one transaction, they act as one call.
struct RelationCall {
    QString targetIds;
    RelationLists lists;
};
std::vector<RelationCall> SplitRelations(const std::vector<int>& ids, const Difference& difference,
                                         int maxChars = kListParameterSize);

}  // namespace users
