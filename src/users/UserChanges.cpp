#include "users/UserChanges.h"

#include "users/IdList.h"

#include <algorithm>
#include <iterator>

namespace users {

bool Difference::empty() const {
    for (int k = 0; k < kRightKinds; ++k)
        if (!added[size_t(k)].empty() || !deleted[size_t(k)].empty()) return false;
    return true;
}

Difference DifferenceOf(const Rights& loaded, const Rights& current) {
    Difference d;
    for (size_t k = 0; k < size_t(kRightKinds); ++k) {
        std::set_difference(current.ids[k].begin(), current.ids[k].end(), loaded.ids[k].begin(),
                            loaded.ids[k].end(), std::inserter(d.added[k], d.added[k].end()));
        std::set_difference(loaded.ids[k].begin(), loaded.ids[k].end(), current.ids[k].begin(),
                            current.ids[k].end(), std::inserter(d.deleted[k], d.deleted[k].end()));
    }
    return d;
}

std::vector<RelationCall> SplitRelations(const std::vector<int>& ids, const Difference& difference,
                                         int maxChars) {
    const std::vector<QString> targets = SplitIdList(std::set<int>(ids.begin(), ids.end()), maxChars);
    std::array<std::vector<QString>, 2 * kRightKinds> parts;
    size_t rounds = 1;
    for (size_t k = 0; k < size_t(kRightKinds); ++k) {
        parts[2 * k] = SplitIdList(difference.added[k], maxChars);
        parts[2 * k + 1] = SplitIdList(difference.deleted[k], maxChars);
        rounds = std::max({rounds, parts[2 * k].size(), parts[2 * k + 1].size()});
    }
    std::vector<RelationCall> calls;
    for (const QString& target : targets)
        for (size_t round = 0; round < rounds; ++round) {
            RelationCall call{target, {}};
            for (size_t list = 0; list < parts.size(); ++list)
                if (round < parts[list].size()) call.lists.texts[list] = parts[list][round];
            calls.push_back(call);
        }
    return calls;
}

}  // namespace users
