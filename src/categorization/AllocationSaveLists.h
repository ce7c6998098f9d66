#pragma once
// The changed allocation rows as the update procedures take them: three
// comma-separated lists (allocation ids, category ids, switched-off flags),
// split over as many calls as needed so that no list exceeds the
// procedure's 8000 characters. A row's three values always travel in the
// same call.

#include "categorization/AllocationVariant.h"

#include <QString>
#include <vector>

namespace db {
class DataSet;
struct Command;
}  // namespace db

namespace categorization {

inline constexpr int kMaxSaveListLength = 8000;

struct AllocationSaveCall {
    QString allocationIds;
    QString categoryIds;
    QString disabledFlags;
};

// Every row whose status is Modified, switched-off rows and rows outside the
// view included, in storage order. No changed row gives no call.
std::vector<AllocationSaveCall> buildAllocationSaveCalls(const db::DataSet& dataSet,
                                                         int maxListLength = kMaxSaveListLength);

// A value as the lists write it: null or empty text as "0", booleans as 1/0.
QString allocationListText(const QVariant& value);

// The variant's update procedure with "@ReturnValue", the three lists and,
// where the variant takes one, "@ReportCategorySetId".
db::Command allocationSaveCommand(const AllocationVariant& variant, const AllocationSaveCall& call,
                                  int categorySetId);

}  // namespace categorization
