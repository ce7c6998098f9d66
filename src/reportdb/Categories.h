#pragma once
// Category sets of a profile and the allocation rows that depend on the
// profile's units: shared by the procedures and the demo database.

#include "reportdb/ProcedureRegistry.h"

#include <QString>
#include <vector>

namespace reportdb::categories {

// Report category 1 is normal operation; set 1 is a profile's main set.
inline constexpr int kNormalOperation = 1;
inline constexpr int kMainSet = 1;

struct CategorySet {
    int id = 0;
    QString title;
    int sortOrder = 0;
    bool enabled = true;
    std::vector<int> members;  // category ids, in member order
};

// The sets every new profile starts with: contractual availability (all
// eight standard categories) and technical availability (without the
// utility and owner categories).
std::vector<CategorySet> standardSets();

// Creates the set or updates its title, sort order and enabled flag, and
// replaces its members. Throws SqlError.
void writeSet(const ProcedureContext& context, int profileId, const CategorySet& set);

void addStandardSets(const ProcedureContext& context, int profileId);

// After units of `unitTypeId` left the profile: when none of that type is
// left and no other type in the profile reports from the same event list,
// the profile's allocation rows of that list go. Throws SqlError.
void dropAllocationsOfUnusedEventList(const ProcedureContext& context, int profileId, int unitTypeId);

}  // namespace reportdb::categories
