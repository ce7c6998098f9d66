// The category configuration without widgets: reading the load, the check
// list rules, comparing sets with the loaded ones and the five save lists;
// the manage dialog's working copy: list positions by sort order, the
// moves, the button rules and the main set that stays enabled.

#include "categorization/CategoryConfiguration.h"
#include "categorization/CategorySetOrder.h"

#include <gtest/gtest.h>
#include <functional>

using namespace categorization;

namespace {

db::ResultSet resultSet(const QStringList& columns, const std::vector<db::Row>& rows) {
    db::ResultSet set;
    for (const QString& name : columns) set.columns.push_back({name, db::FieldType::Unknown, 0});
    set.rows = rows;
    return set;
}

ReportCategoryEntry category(int id, bool iec = false, bool eeg = false) {
    ReportCategoryEntry entry;
    entry.id = id;
    entry.iecCategory = iec;
    entry.eegCategory = eeg;
    return entry;
}

CategorySetEntry set(int id, std::vector<int> members, int sortOrder = 1, bool enabled = true,
                     const QString& title = QStringLiteral("A")) {
    return {id, std::move(members), sortOrder, enabled, title};
}

// Sets, categories (with the manual title columns when asked) and members.
std::vector<db::ResultSet> loadResult(bool manualColumns) {
    QStringList columns{"ReportCategoryId", "ReportCategoryTitle", "ReportCategoryDescription", "IECCategory",
                        "EEGCategory"};
    std::vector<db::Row> rows{
        {1, "Normal Operation", "Runs", 0, 0}, {9, "IEC Full", "IEC", 1, 0}, {15, "EEG Grid", "EEG", 0, 1}};
    if (manualColumns) {
        columns << "ReportCategoryTitleManualEnabled"
                << "ReportCategoryTitleManual";
        const QVariant manual[3][2] = {{0, QVariant()}, {1, "Full"}, {true, ""}};
        for (size_t i = 0; i < rows.size(); ++i) rows[i].insert(rows[i].end(), {manual[i][0], manual[i][1]});
    }
    return {resultSet({"ReportCategorySetId", "ReportCategorySetTitle", "CategorySetSortOrder",
                       "CategorySetEnabled"},
                      {{1, "Contractual", 1, true}, {2, "Barring", 2, 0}}),
            resultSet(columns, rows),
            resultSet({"ReportCategorySetId", "ReportCategoryId"}, {{1, 15}, {1, 1}, {2, 9}, {7, 1}})};
}

using V = std::vector<bool>;

}  // namespace

TEST(CategoryConfiguration, ReadsTheThreeResultSets) {
    CategoryConfiguration read;
    QString why;
    ASSERT_TRUE(readConfiguration(loadResult(true), {true, true, true}, &read, &why)) << why.toStdString();
    // Members in result order; rows of an unknown set (7) are ignored.
    const SaveTexts sets = buildSaveTexts(read.sets);
    EXPECT_EQ((QStringList{sets.setIds, sets.sortOrders, sets.enabled, sets.titles, sets.categoryIds}),
              (QStringList{"1;2", "1;2", "1;0", "Contractual;Barring", "15,1;9"}));
    ASSERT_EQ(read.categories.size(), 3u);
    EXPECT_EQ(read.categories[1].description, "IEC");
    EXPECT_TRUE(read.categories[1].iecCategory && read.categories[2].eegCategory);
    EXPECT_TRUE(read.categories[1].manualTitleEnabled && read.categories[2].manualTitleEnabled);
    EXPECT_FALSE(read.categories[0].manualTitleEnabled);
    EXPECT_EQ(read.categories[1].manualTitle, "Full");
    EXPECT_FALSE(hasManualTitleColumns(loadResult(false)[1]));

    // Optional columns are only read when asked for; asking for manual
    // titles on a result without them is a failed load.
    ASSERT_TRUE(readConfiguration(loadResult(true), {}, &read, &why));
    EXPECT_FALSE(read.categories[1].iecCategory || read.categories[2].eegCategory);
    EXPECT_FALSE(read.categories[1].manualTitleEnabled);
    EXPECT_FALSE(readConfiguration(loadResult(false), {true, false, false}, &read, &why));
    EXPECT_TRUE(why.contains("ReportCategoryTitleManualEnabled")) << why.toStdString();

    // A missing result set or column leaves the configuration as it was.
    auto two = loadResult(false);
    two.pop_back();
    read = {};
    EXPECT_FALSE(readConfiguration(two, {}, &read, &why));
    EXPECT_TRUE(read.sets.empty());
    auto noTitle = loadResult(false);
    noTitle[0].columns[1].name = "Title";
    EXPECT_FALSE(readConfiguration(noTitle, {}, &read, &why));
    EXPECT_TRUE(why.contains("ReportCategorySetTitle"));
}

TEST(CategoryConfiguration, RefusesMoreThanItCanHold) {
    struct Case {
        const char* what;
        size_t resultSet;
        int limit;
        std::function<db::Row(int)> row;
    };
    const Case cases[] = {
        {"sets", 0, kMaxCategorySets,
         [](int i) {
             return db::Row{i, "s", i, 1};
         }},
        {"categories", 1, kMaxReportCategories,
         [](int i) {
             return db::Row{i, "c", "", 0, 0};
         }},
        {"members of a set", 2, kMaxSetMembers,
         [](int i) {
             return db::Row{2, i};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto result = loadResult(false);
        result[c.resultSet].rows.clear();
        for (int i = 1; i <= c.limit; ++i) result[c.resultSet].rows.push_back(c.row(i));
        CategoryConfiguration read;
        QString why;
        EXPECT_TRUE(readConfiguration(result, {}, &read, &why)) << why.toStdString();
        result[c.resultSet].rows.push_back(c.row(c.limit + 1));
        EXPECT_FALSE(readConfiguration(result, {}, &read, &why));
    }
}

TEST(CategoryConfiguration, FixedItemsByReportingAreMembersOfEverySet) {
    const std::vector<ReportCategoryEntry> categories{category(1), category(9, true), category(10, true),
                                                      category(15, false, true)};
    EXPECT_EQ(lockedItems(categories, false, false), (V{true, false, false, false}));
    EXPECT_EQ(lockedItems(categories, true, false), (V{false, true, true, false}));
    EXPECT_EQ(lockedItems(categories, false, true), (V{false, false, false, true}));
    EXPECT_EQ(lockedItems(categories, true, true), (V{false, true, true, true}));

    // Fixed items show checked in every set and are sent with every set,
    // also with sets never shown (inserted where the list puts them).
    const std::vector<bool> locked = lockedItems(categories, true, false);
    EXPECT_EQ(checkMarksFor(set(3, {}), categories, locked), (V{false, true, true, false}));
    std::vector<CategorySetEntry> sets{set(1, {1, 10}), set(2, {15, 7}, 2, false), set(3, {})};
    addLockedMembers(sets, categories, locked);
    EXPECT_EQ(sets[0].members, (std::vector<int>{1, 9, 10}));
    EXPECT_EQ(sets[1].members, (std::vector<int>{9, 10, 15, 7}));  // 7 is unknown: stays last
    EXPECT_EQ(sets[2].members, (std::vector<int>{9, 10}));
}

TEST(CategoryConfiguration, CheckMarksMembersAndSetsGoById) {
    // Two categories of the same title are two items, each its own category.
    std::vector<ReportCategoryEntry> categories{category(1), category(4), category(5), category(8)};
    categories[1].title = categories[3].title = QStringLiteral("Twin");
    const std::vector<bool> locked = lockedItems(categories, false, false);
    EXPECT_EQ(checkMarksFor(set(1, {8}), categories, locked), (V{true, false, false, true}));
    EXPECT_EQ(checkMarksFor(set(1, {5, 1}), categories, locked), (V{true, false, true, false}));
    EXPECT_EQ(membersFromCheckMarks(categories, {true, false, false, true}), (std::vector<int>{1, 8}));
    EXPECT_EQ(membersFromCheckMarks(categories, {false, true, true, true}), (std::vector<int>{4, 5, 8}));
    EXPECT_TRUE(membersFromCheckMarks(categories, {false, false, false, false}).empty());

    // Sets of the same title are offered each with its own id.
    const std::vector<CategorySetEntry> sets{set(1, {}, 1, true, "Main"), set(2, {}, 2, false, "Same"),
                                             set(3, {}, 3, true, "Same"), set(4, {}, 4, true, "Same")};
    const std::vector<SetChoice> offered = enabledSets(sets);
    ASSERT_EQ(offered.size(), 3u);
    EXPECT_EQ(offered[1].id, 3);
    EXPECT_EQ(offered[2].id, 4);
    EXPECT_EQ(offered[2].title, "Same");
    EXPECT_EQ(setIndexById(sets, 4), 3);
    EXPECT_EQ(setIndexById(sets, 2), 1);  // disabled sets are found too
    EXPECT_EQ(setIndexById(sets, 9), -1);
}

TEST(CategoryConfiguration, SetsDifferFromTheLoadedOnes) {
    const std::vector<CategorySetEntry> loaded{set(1, {1, 2, 5}, 1, true, "Contractual"),
                                               set(2, {3}, 2, false, "Barring")};
    using Sets = std::vector<CategorySetEntry>;
    const std::pair<const char*, std::function<void(Sets&)>> changes[] = {
        {"a member more", [](Sets& s) { s[1].members.push_back(4); }},
        {"a member less", [](Sets& s) { s[0].members.pop_back(); }},
        {"a member swapped", [](Sets& s) { s[0].members.back() = 6; }},
        {"members moved to the other set", [](Sets& s) { std::swap(s[0].members, s[1].members); }},
        {"enabled", [](Sets& s) { s[1].enabled = true; }},
        {"sort order", [](Sets& s) { std::swap(s[0].sortOrder, s[1].sortOrder); }},
        {"title", [](Sets& s) { s[1].title = "Barred"; }},
        {"a set less", [](Sets& s) { s.pop_back(); }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        Sets current = loaded;
        change(current);
        EXPECT_TRUE(setsDiffer(current, loaded));
    }
    // Members in another order are the same set.
    Sets reordered = loaded;
    reordered[0].members = {5, 1, 2};
    EXPECT_FALSE(setsDiffer(reordered, loaded));
    EXPECT_FALSE(setsDiffer(loaded, loaded));
}

TEST(CategoryConfiguration, SaveTexts) {
    // Two sets, the second disabled: the example lists.
    const auto lists = [](const SaveTexts& t) {
        return QStringList{t.setIds, t.sortOrders, t.enabled, t.titles, t.categoryIds};
    };
    const SaveTexts texts =
        buildSaveTexts({set(1, {1, 2, 5}, 1, true, "Contractual"), set(2, {3}, 2, false, "Barring")});
    EXPECT_EQ(lists(texts), (QStringList{"1;2", "1;2", "1;0", "Contractual;Barring", "1,2,5;3"}));

    // A set without members gives an empty group; empty titles stay empty.
    EXPECT_EQ(lists(buildSaveTexts({set(1, {1}, 2, true, ""), set(4, {}, 1, true, "B"), set(5, {2, 3}, 3)})),
              (QStringList{"1;4;5", "2;1;3", "1;1;1", ";B;A", "1;;2,3"}));

    // Nothing at all: empty texts, never null ones (a null text is sent as
    // NULL), and a set called NULL stays a title.
    const SaveTexts none = buildSaveTexts({set(1, {}, 1, true, QString())});
    EXPECT_FALSE(none.categoryIds.isNull() || none.titles.isNull() || buildSaveTexts({}).setIds.isNull());
    const db::Command save = saveCommand(7, buildSaveTexts({set(1, {}, 1, true, "NULL")}));
    EXPECT_EQ(save.parameter("@ReportCategorySetTitles")->value.toString(), "NULL");
    EXPECT_FALSE(save.parameter("@ReportCategoryIds")->isNull());

    // The limit is per list, 8000 characters each.
    std::vector<int> many;
    for (int i = 0; i < 1000; ++i) many.push_back(1000 + i);  // 1000 ids of 4 digits + commas = 4999
    EXPECT_TRUE(buildSaveTexts({set(1, many)}).fits());
    EXPECT_FALSE(buildSaveTexts({set(1, many), set(2, many)}).fits());
    SaveTexts edge = texts;
    edge.titles = QString(8000, u'x');
    EXPECT_TRUE(edge.fits());
    edge.titles += u'x';
    EXPECT_FALSE(edge.fits());
}

TEST(CategoryConfiguration, TitlesThatWouldShiftTheLists) {
    const std::pair<QString, bool> titles[] = {
        {"Contractual", false}, {"", false}, {"Owner's \"view\"", false}, {"A;B", true},
        {"A,B", true},          {";", true}, {"Ends with,", true},
    };
    for (const auto& [title, refused] : titles) {
        SCOPED_TRACE(title.toStdString());
        // The title in the second of three sets.
        EXPECT_EQ(setWithSeparatorInTitle({set(1, {1}), set(2, {}, 2, true, title), set(3, {}, 3, false)}),
                  refused ? 1 : -1);
    }
    // The first such set is named.
    EXPECT_EQ(setWithSeparatorInTitle({set(1, {}, 1, true, "a,b"), set(2, {}, 2, true, "c;d")}), 0);
}

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
