#pragma once
// The working copy of a profile's category sets that the manage dialog edits:
// their order, which are enabled and their titles. The list shows each set
// at the position its sort order names (sort order 1 first).

#include "categorization/CategoryConfiguration.h"

#include <QString>
#include <vector>

namespace categorization {

inline constexpr int kMainCategorySetId = 1;  // the profile's main set is always enabled

struct CategorySetOrderEntry {
    int id = 0;
    int memberCount = 0;
    int sortOrder = 0;
    bool enabled = false;
    QString title;
};

// One entry per set, same index. Sort orders that do not number the sets
// 1..n (gaps, doubles) are renumbered by their order, the earlier set first
// on a tie, so that every set has a place in the list.
std::vector<CategorySetOrderEntry> orderEntriesFrom(const std::vector<CategorySetEntry>& sets);
// Takes the entries' fields back into the sets of the same index.
void copyOrderEntriesBack(const std::vector<CategorySetOrderEntry>& entries,
                          std::vector<CategorySetEntry>& sets);

class CategorySetOrder {
public:
    // Which of the manage dialog's buttons a selected list position allows
    // (-1: none). The first position never moves, nor does anything move
    // above it.
    struct Buttons {
        bool rename = false;
        bool up = false;
        bool down = false;
    };
    static Buttons buttonsFor(int position);

    CategorySetOrder() = default;
    // Sort orders are numbered 1..n as orderEntriesFrom does.
    explicit CategorySetOrder(std::vector<CategorySetOrderEntry> entries);

    const std::vector<CategorySetOrderEntry>& entries() const { return entries_; }
    int count() const { return int(entries_.size()); }

    // The entry shown at a list position (sort order - 1), or -1.
    int entryAt(int position) const;
    // The position of an entry in the list, or -1.
    int positionOf(int entry) const;

    // Whether the check mark at a position may be changed: the main set can
    // be switched on but never off.
    bool isCheckable(int position) const;
    // Sets the enabled flag of the set shown there; false when refused.
    bool setEnabled(int position, bool enabled);
    // Swap the sort orders with the neighbour above / below; the new
    // position of the moved set (unchanged when the move is not allowed).
    int moveUp(int position);
    int moveDown(int position);
    void rename(int position, const QString& title);

private:
    bool valid(int position) const { return position >= 0 && position < count(); }
    void swapPositions(int a, int b);

    std::vector<CategorySetOrderEntry> entries_;
};

}  // namespace categorization
