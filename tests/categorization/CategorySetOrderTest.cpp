// The manage dialog's working copy: list positions by sort order, the moves,
// the button rules and the main set that stays enabled.

#include "categorization/CategorySetOrder.h"

#include <gtest/gtest.h>

using namespace categorization;

namespace {

std::vector<QString> listTitles(const CategorySetOrder& order) {
    std::vector<QString> titles;
    for (int position = 0; position < order.count(); ++position)
        titles.push_back(order.entries()[size_t(order.entryAt(position))].title);
    return titles;
}

CategorySetOrder fourSets() {
    // Set array order differs from the list order.
    return CategorySetOrder({{1, 8, 1, true, "Main"},
                             {2, 6, 3, true, "Third"},
                             {3, 2, 2, false, "Second"},
                             {4, 0, 4, true, "Fourth"}});
}

}  // namespace

TEST(CategorySetOrder, ButtonsBySelectedPosition) {
    // {selected position, rename up down}
    const std::pair<int, const char*> rows[] = {{-1, "000"}, {0, "100"}, {1, "101"}, {2, "111"}, {7, "111"}};
    for (const auto& [position, expected] : rows) {
        const CategorySetOrder::Buttons b = CategorySetOrder::buttonsFor(position);
        EXPECT_EQ(QString("%1%2%3").arg(int(b.rename)).arg(int(b.up)).arg(int(b.down)), expected) << position;
    }
}

TEST(CategorySetOrder, ListPositionsAndMoves) {
    CategorySetOrder order = fourSets();
    EXPECT_EQ(listTitles(order), (std::vector<QString>{"Main", "Second", "Third", "Fourth"}));
    EXPECT_EQ(order.positionOf(1), 2);
    EXPECT_EQ(order.entryAt(4), -1);

    // Up swaps the sort orders with the set above; the moved set's new position comes back.
    EXPECT_EQ(order.moveUp(2), 1);
    EXPECT_EQ(listTitles(order), (std::vector<QString>{"Main", "Third", "Second", "Fourth"}));
    EXPECT_TRUE(order.entries()[1].sortOrder == 2 && order.entries()[2].sortOrder == 3);
    // The second position cannot move up, the first not at all.
    EXPECT_EQ(order.moveUp(1), 1);
    EXPECT_EQ(order.moveUp(0), 0);
    EXPECT_EQ(order.moveDown(0), 0);
    EXPECT_EQ(listTitles(order), (std::vector<QString>{"Main", "Third", "Second", "Fourth"}));
    // Down swaps with the set below and does nothing on the last.
    EXPECT_EQ(order.moveDown(1), 2);
    EXPECT_EQ(order.moveDown(2), 3);
    EXPECT_EQ(order.moveDown(3), 3);
    EXPECT_EQ(listTitles(order), (std::vector<QString>{"Main", "Second", "Fourth", "Third"}));
    EXPECT_EQ(order.moveUp(-1), -1);
    EXPECT_EQ(order.moveDown(9), 9);

    order.rename(2, "");
    EXPECT_EQ(order.entries()[3].title, "");
    EXPECT_EQ(order.entries()[3].memberCount, 0);
}

TEST(CategorySetOrder, MainSetStaysEnabled) {
    CategorySetOrder order = fourSets();
    EXPECT_FALSE(order.isCheckable(0));
    EXPECT_FALSE(order.setEnabled(0, false));
    EXPECT_TRUE(order.entries()[0].enabled);
    EXPECT_TRUE(order.isCheckable(1));
    EXPECT_TRUE(order.setEnabled(1, true));
    EXPECT_TRUE(order.entries()[2].enabled);
    EXPECT_TRUE(order.setEnabled(3, false));
    EXPECT_FALSE(order.entries()[3].enabled);
    EXPECT_FALSE(order.setEnabled(5, true));

    // A main set that the database reports disabled can be switched on, then no longer off.
    CategorySetOrder off({{1, 1, 1, false, "Main"}, {2, 1, 2, true, "Other"}});
    EXPECT_TRUE(off.isCheckable(0));
    EXPECT_TRUE(off.setEnabled(0, true));
    EXPECT_FALSE(off.isCheckable(0));
}

TEST(CategorySetOrder, CopiesAndRenumbersSortOrders) {
    std::vector<CategorySetEntry> sets{
        {1, {1, 2}, 5, true, "A"}, {2, {3}, 5, false, "B"}, {3, {}, 0, true, "C"}, {4, {1}, 9, true, "D"}};
    std::vector<CategorySetOrderEntry> entries = orderEntriesFrom(sets);
    ASSERT_EQ(entries.size(), 4u);
    // Gaps and doubles are numbered by order, the earlier set first on a tie.
    std::vector<int> sortOrders;
    for (const auto& entry : entries) sortOrders.push_back(entry.sortOrder);
    EXPECT_EQ(sortOrders, (std::vector<int>{2, 3, 1, 4}));
    EXPECT_TRUE(entries[0].memberCount == 2 && !entries[1].enabled);

    CategorySetOrder order(entries);
    order.moveDown(1);  // A below B
    order.setEnabled(1, true);
    order.rename(2, "Renamed");
    copyOrderEntriesBack(order.entries(), sets);
    EXPECT_TRUE(sets[0].sortOrder == 3 && sets[1].sortOrder == 2 && sets[1].enabled);
    EXPECT_EQ(sets[0].title, "Renamed");
    EXPECT_EQ(sets[0].members, (std::vector<int>{1, 2}));  // members are not the dialog's
}
