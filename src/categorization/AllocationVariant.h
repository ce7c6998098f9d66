#pragma once
// The two allocation grids, event codes and power reduction modes, differ
// only in data: field names, texts, procedures and the normal-operation
// rule. One AllocationVariant describes each, so the grid, its model and the
// window hold no "if event ... else ..." branches.

namespace categorization {

// The value of a category cell of an allocation row (null counts as
// NotAllocated).
enum class AllocationCellState : int {
    NotAllocated = 0,  // not allocated here now, nor when loaded
    New = 1,           // allocated here now, not when loaded
    Removed = 2,       // allocated here when loaded, no longer
    Kept = 3,          // allocated here when loaded and still
};

// Fields of the grid's data set by position; category fields follow from
// kFirstCategoryField on, one per category of the set, named by its title.
namespace allocation_field {
inline constexpr int kKey = 0;           // EventCodeId / PowerReductionModeId
inline constexpr int kNumber = 1;        // shown
inline constexpr int kAllocationId = 2;  // key of the allocation row
inline constexpr int kTitle = 3;         // shown
inline constexpr int kCategory = 4;      // ReportCategoryId, 0 or null: none
inline constexpr int kDisabled = 5;      // 1: switched off
inline constexpr int kFirstCategory = 6;
}  // namespace allocation_field

// A caption that is a numbered text of the profile file, or a fixed literal
// when `literal` is set.
struct CaptionText {
    int text = 0;
    const char* literal = nullptr;
};

struct AllocationVariant {
    const char* windowClass;  // for the trace log
    // Field names of positions 0-5.
    const char* fieldNames[6];
    int keyLabelText;     // display label of position 0 (hidden), 0: none
    int numberLabelText;  // display label of position 1
    int titleLabelText;   // display label of position 3
    int captionText;      // window caption, followed by " (" + profile title + ")"

    const char* loadProcedure;
    const char* saveProcedure;
    int resultSetCount;          // the load must return at least these
    bool hasResponsibleSources;  // the third result set extends the titles
    bool saveTakesCategorySet;   // the save's "@ReportCategorySetId"

    // The normal-operation row is the first row whose field at this
    // position is 0; it must end up allocated to category 1 in the column
    // titled "Normal Operation".
    int normalOperationField;
    bool normalOperationOnlyWithoutIec;   // skipped for IEC reporting profiles
    bool correctWhenCategoryIsNotNormal;  // also when ReportCategoryId != 1

    CaptionText cancelReadOnly;
    CaptionText cancelEditable;
};

inline constexpr char kNormalOperationTitle[] = "Normal Operation";
inline constexpr int kNormalOperationCategoryId = 1;

inline constexpr AllocationVariant kEventAllocation{
    "TFormCatagoryAllocation",
    {"EventCodeId", "EventCodeNumber", "CategoryAllocationId", "EventCodeTitle", "ReportCategoryId",
     "CategoryAllocationDisabled"},
    0,
    500,
    501,
    470,
    "WMS_SP_REP_SelectCategoryAllocationForProfile",
    "WMS_SP_REP_UpdateCategoryAllocation",
    3,
    true,
    true,
    allocation_field::kNumber,
    true,
    true,
    {52, nullptr},
    {51, nullptr},
};

inline constexpr AllocationVariant kDeratingAllocation{
    "TFormDeratingCatagoryAllocation",
    {"PowerReductionModeId", "ReductionModeNumber", "DerateCategoryAllocationId", "ReductionModeTitle",
     "ReportCategoryId", "DerateCategoryAllocationDisabled"},
    503,
    502,
    504,
    474,
    "WMS_SP_REP_SelectDerateCategoryAllocationForProfile",
    "WMS_SP_REP_UpdateDerateCategoryAllocation",
    2,
    false,
    false,
    allocation_field::kKey,
    false,
    false,
    {0, "Close"},
    {0, "&Cancel"},
};

}  // namespace categorization
