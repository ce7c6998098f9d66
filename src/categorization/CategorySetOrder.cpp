#include "categorization/CategorySetOrder.h"

#include <algorithm>
#include <numeric>

namespace categorization {

namespace {

void numberSortOrders(std::vector<CategorySetOrderEntry>& entries) {
    std::vector<size_t> byOrder(entries.size());
    std::iota(byOrder.begin(), byOrder.end(), size_t(0));
    std::stable_sort(byOrder.begin(), byOrder.end(),
                     [&](size_t a, size_t b) { return entries[a].sortOrder < entries[b].sortOrder; });
    for (size_t rank = 0; rank < byOrder.size(); ++rank) entries[byOrder[rank]].sortOrder = int(rank) + 1;
}

}  // namespace

std::vector<CategorySetOrderEntry> orderEntriesFrom(const std::vector<CategorySetEntry>& sets) {
    std::vector<CategorySetOrderEntry> entries;
    entries.reserve(sets.size());
    for (const CategorySetEntry& set : sets)
        entries.push_back({set.id, set.memberCount(), set.sortOrder, set.enabled, set.title});
    numberSortOrders(entries);
    return entries;
}

void copyOrderEntriesBack(const std::vector<CategorySetOrderEntry>& entries,
                          std::vector<CategorySetEntry>& sets) {
    for (size_t i = 0; i < entries.size() && i < sets.size(); ++i) {
        sets[i].id = entries[i].id;
        sets[i].sortOrder = entries[i].sortOrder;
        sets[i].enabled = entries[i].enabled;
        sets[i].title = entries[i].title;
    }
}

CategorySetOrder::Buttons CategorySetOrder::buttonsFor(int position) {
    if (position < 0) return {};
    if (position == 0) return {true, false, false};
    if (position == 1) return {true, false, true};
    return {true, true, true};
}

CategorySetOrder::CategorySetOrder(std::vector<CategorySetOrderEntry> entries)
    : entries_(std::move(entries)) {
    numberSortOrders(entries_);
}

int CategorySetOrder::entryAt(int position) const {
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].sortOrder == position + 1) return int(i);
    return -1;
}

int CategorySetOrder::positionOf(int entry) const {
    if (entry < 0 || entry >= count()) return -1;
    return entries_[size_t(entry)].sortOrder - 1;
}

bool CategorySetOrder::isCheckable(int position) const {
    const int entry = entryAt(position);
    if (entry < 0) return false;
    const CategorySetOrderEntry& set = entries_[size_t(entry)];
    return set.id != kMainCategorySetId || !set.enabled;
}

bool CategorySetOrder::setEnabled(int position, bool enabled) {
    const int entry = entryAt(position);
    if (entry < 0) return false;
    CategorySetOrderEntry& set = entries_[size_t(entry)];
    if (set.id == kMainCategorySetId && !enabled) return false;
    set.enabled = enabled;
    return true;
}

void CategorySetOrder::swapPositions(int a, int b) {
    const int first = entryAt(a);
    const int second = entryAt(b);
    if (first < 0 || second < 0) return;
    std::swap(entries_[size_t(first)].sortOrder, entries_[size_t(second)].sortOrder);
}

int CategorySetOrder::moveUp(int position) {
    if (!valid(position) || !buttonsFor(position).up) return position;
    swapPositions(position, position - 1);
    return position - 1;
}

int CategorySetOrder::moveDown(int position) {
    if (!valid(position) || !buttonsFor(position).down || position + 1 >= count()) return position;
    swapPositions(position, position + 1);
    return position + 1;
}

void CategorySetOrder::rename(int position, const QString& title) {
    const int entry = entryAt(position);
    if (entry >= 0) entries_[size_t(entry)].title = title;
}

}  // namespace categorization
