// The category configuration without widgets: reading the load, the check
// list rules, storing check marks and the five save lists.

#include "categorization/CategoryConfiguration.h"

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

ReportCategoryEntry category(int id, const QString& title, bool iec = false, bool eeg = false) {
    ReportCategoryEntry entry;
    entry.id = id;
    entry.title = title;
    entry.iecCategory = iec;
    entry.eegCategory = eeg;
    return entry;
}

CategorySetEntry set(int id, std::vector<int> members, int sortOrder, bool enabled, const QString& title) {
    return {id, std::move(members), sortOrder, enabled, title};
}

std::vector<db::ResultSet> loadResult(bool manualColumns) {
    QStringList categoryColumns{"ReportCategoryId", "ReportCategoryTitle", "ReportCategoryDescription",
                                "IECCategory", "EEGCategory"};
    std::vector<db::Row> categoryRows{{1, "Normal Operation", "Runs", 0, 0},
                                      {9, "IEC Full performance", "IEC", 1, 0},
                                      {15, "EEG Grid management", "EEG", 0, 1}};
    if (manualColumns) {
        categoryColumns << "ReportCategoryTitleManualEnabled"
                        << "ReportCategoryTitleManual";
        categoryRows[0].push_back(0);
        categoryRows[0].push_back(QVariant());
        categoryRows[1].push_back(1);
        categoryRows[1].push_back("Full");
        categoryRows[2].push_back(true);
        categoryRows[2].push_back("");
    }
    return {resultSet({"ReportCategorySetId", "ReportCategorySetTitle", "CategorySetSortOrder",
                       "CategorySetEnabled"},
                      {{1, "Contractual", 1, true}, {2, "Barring", 2, 0}}),
            resultSet(categoryColumns, categoryRows),
            resultSet({"ReportCategorySetId", "ReportCategoryId"}, {{1, 15}, {1, 1}, {2, 9}, {7, 1}})};
}

}  // namespace

TEST(CategoryConfiguration, ReadsTheThreeResultSets) {
    CategoryConfiguration read;
    QString why;
    ASSERT_TRUE(readConfiguration(loadResult(true), {true, true, true}, &read, &why)) << why.toStdString();
    ASSERT_EQ(read.sets.size(), 2u);
    EXPECT_EQ(read.sets[0].title, "Contractual");
    EXPECT_TRUE(read.sets[0].enabled);
    EXPECT_FALSE(read.sets[1].enabled);
    EXPECT_EQ(read.sets[1].sortOrder, 2);
    // Members in result order; rows of an unknown set (7) are ignored.
    EXPECT_EQ(read.sets[0].members, (std::vector<int>{15, 1}));
    EXPECT_EQ(read.sets[1].members, (std::vector<int>{9}));
    ASSERT_EQ(read.categories.size(), 3u);
    EXPECT_EQ(read.categories[1].description, "IEC");
    EXPECT_TRUE(read.categories[1].iecCategory);
    EXPECT_TRUE(read.categories[2].eegCategory);
    EXPECT_TRUE(read.categories[1].manualTitleEnabled);
    EXPECT_EQ(read.categories[1].manualTitle, "Full");
    EXPECT_FALSE(read.categories[0].manualTitleEnabled);
    EXPECT_TRUE(hasManualTitleColumns(loadResult(true)[1]));
    EXPECT_FALSE(hasManualTitleColumns(loadResult(false)[1]));

    // Optional columns are only read when asked for; asking for manual
    // titles on a result without them is a failed load.
    ASSERT_TRUE(readConfiguration(loadResult(true), {}, &read, &why));
    EXPECT_FALSE(read.categories[1].iecCategory);
    EXPECT_FALSE(read.categories[2].eegCategory);
    EXPECT_FALSE(read.categories[1].manualTitleEnabled);
    EXPECT_TRUE(read.categories[1].manualTitle.isEmpty());
    ASSERT_TRUE(readConfiguration(loadResult(false), {false, true, true}, &read, &why));
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
    CategoryConfiguration read;
    QString why;
    auto sets = loadResult(false);
    sets[0].rows.clear();
    for (int i = 1; i <= kMaxCategorySets; ++i) sets[0].rows.push_back({i, QString::number(i), i, 1});
    EXPECT_TRUE(readConfiguration(sets, {}, &read, &why)) << why.toStdString();
    sets[0].rows.push_back({21, "21", 21, 1});
    EXPECT_FALSE(readConfiguration(sets, {}, &read, &why));

    auto categories = loadResult(false);
    categories[1].rows.clear();
    for (int i = 1; i <= kMaxReportCategories; ++i) categories[1].rows.push_back({i, "c", "", 0, 0});
    EXPECT_TRUE(readConfiguration(categories, {}, &read, &why));
    categories[1].rows.push_back({1001, "c", "", 0, 0});
    EXPECT_FALSE(readConfiguration(categories, {}, &read, &why));

    auto members = loadResult(false);
    members[2].rows.clear();
    for (int i = 1; i <= kMaxSetMembers; ++i) members[2].rows.push_back({2, i});
    EXPECT_TRUE(readConfiguration(members, {}, &read, &why));
    EXPECT_EQ(read.sets[1].memberCount(), kMaxSetMembers);
    members[2].rows.push_back({2, 1001});
    EXPECT_FALSE(readConfiguration(members, {}, &read, &why));
    EXPECT_FALSE(why.isEmpty());
}

TEST(CategoryConfiguration, LockedItemsByReporting) {
    const std::vector<ReportCategoryEntry> categories{category(1, "Normal"), category(9, "IEC A", true),
                                                      category(10, "IEC B", true),
                                                      category(15, "EEG", false, true)};
    using V = std::vector<bool>;
    EXPECT_EQ(lockedItems(categories, false, false), (V{true, false, false, false}));
    EXPECT_EQ(lockedItems(categories, true, false), (V{false, true, true, false}));
    EXPECT_EQ(lockedItems(categories, false, true), (V{false, false, false, true}));
    EXPECT_EQ(lockedItems(categories, true, true), (V{false, true, true, true}));
    EXPECT_TRUE(lockedItems({}, false, false).empty());

    // Locked items show checked in every set and are sent with every set,
    // also with sets never shown (inserted where the list puts them).
    const std::vector<bool> locked = lockedItems(categories, true, false);
    const CategorySetEntry empty = set(3, {}, 3, true, "Empty");
    EXPECT_EQ(checkMarksFor(empty, categories, locked), (V{false, true, true, false}));
    std::vector<CategorySetEntry> sets{set(1, {1, 10}, 1, true, "A"), set(2, {15, 7}, 2, false, "B"), empty};
    addLockedMembers(sets, categories, locked);
    EXPECT_EQ(sets[0].members, (std::vector<int>{1, 9, 10}));
    EXPECT_EQ(sets[1].members, (std::vector<int>{9, 10, 15, 7}));  // 7 is unknown: stays last
    EXPECT_EQ(sets[2].members, (std::vector<int>{9, 10}));

    std::vector<CategorySetEntry> plain{set(1, {3, 5}, 1, true, "A")};
    addLockedMembers(plain, categories, lockedItems(categories, false, false));
    EXPECT_EQ(plain[0].members, (std::vector<int>{1, 3, 5}));
}

TEST(CategoryConfiguration, CheckMarksMembersAndSetsGoById) {
    // Two categories of the same title are two items, each its own category.
    const std::vector<ReportCategoryEntry> categories{category(1, "Normal"), category(4, "Twin"),
                                                      category(5, "Other"), category(8, "Twin")};
    const std::vector<bool> locked = lockedItems(categories, false, false);
    using V = std::vector<bool>;
    EXPECT_EQ(checkMarksFor(set(1, {8}, 1, true, "A"), categories, locked), (V{true, false, false, true}));
    EXPECT_EQ(checkMarksFor(set(1, {4}, 1, true, "A"), categories, locked), (V{true, true, false, false}));
    EXPECT_EQ(checkMarksFor(set(1, {5, 1}, 1, true, "A"), categories, locked), (V{true, false, true, false}));

    EXPECT_EQ(membersFromCheckMarks(categories, {true, false, true, false}), (std::vector<int>{1, 5}));
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
    EXPECT_TRUE(enabledSets({set(1, {}, 1, false, "Off")}).empty());
}

TEST(CategoryConfiguration, SetsDifferFromTheLoadedOnes) {
    const std::vector<CategorySetEntry> loaded{set(1, {1, 2, 5}, 1, true, "Contractual"),
                                               set(2, {3}, 2, false, "Barring")};
    struct Case {
        const char* what;
        std::function<void(std::vector<CategorySetEntry>&)> change;
        bool differs;
    };
    const std::vector<Case> cases{
        {"nothing", [](auto&) {}, false},
        {"members in another order",
         [](auto& s) {
             s[0].members = {5, 1, 2};
         },
         false},
        {"a member more", [](auto& s) { s[1].members.push_back(4); }, true},
        {"a member less", [](auto& s) { s[0].members.pop_back(); }, true},
        {"a member swapped",
         [](auto& s) {
             s[0].members = {1, 2, 6};
         },
         true},
        {"members moved to the other set", [](auto& s) { std::swap(s[0].members, s[1].members); }, true},
        {"enabled", [](auto& s) { s[1].enabled = true; }, true},
        {"sort order", [](auto& s) { std::swap(s[0].sortOrder, s[1].sortOrder); }, true},
        {"title", [](auto& s) { s[1].title = "Barred"; }, true},
        {"a set less", [](auto& s) { s.pop_back(); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<CategorySetEntry> current = loaded;
        c.change(current);
        EXPECT_EQ(setsDiffer(current, loaded), c.differs);
    }
}

TEST(CategoryConfiguration, SaveTexts) {
    // Two sets, the second disabled: the example lists.
    const std::vector<CategorySetEntry> sets{set(1, {1, 2, 5}, 1, true, "Contractual"),
                                             set(2, {3}, 2, false, "Barring")};
    const SaveTexts texts = buildSaveTexts(sets);
    EXPECT_EQ(texts.setIds, "1;2");
    EXPECT_EQ(texts.sortOrders, "1;2");
    EXPECT_EQ(texts.enabled, "1;0");
    EXPECT_EQ(texts.titles, "Contractual;Barring");
    EXPECT_EQ(texts.categoryIds, "1,2,5;3");
    EXPECT_TRUE(texts.fits());

    // A set without members gives an empty group; empty titles stay empty.
    const SaveTexts gaps =
        buildSaveTexts({set(1, {1}, 2, true, ""), set(4, {}, 1, true, "B"), set(5, {2, 3}, 3, false, "")});
    EXPECT_EQ(gaps.categoryIds, "1;;2,3");
    EXPECT_EQ(gaps.titles, ";B;");
    EXPECT_EQ(gaps.sortOrders, "2;1;3");

    // Nothing at all: empty texts, never null ones (a null text is sent as NULL).
    const SaveTexts none = buildSaveTexts({set(1, {}, 1, true, QString())});
    EXPECT_FALSE(none.categoryIds.isNull());
    EXPECT_FALSE(none.titles.isNull());
    EXPECT_TRUE(buildSaveTexts({}).setIds == "" && !buildSaveTexts({}).setIds.isNull());

    // The limit is per list, 8000 characters each.
    std::vector<int> many;
    for (int i = 0; i < 1000; ++i) many.push_back(1000 + i);  // 1000 ids of 4 digits + commas = 4999
    std::vector<CategorySetEntry> big{set(1, many, 1, true, "A")};
    EXPECT_TRUE(buildSaveTexts(big).fits());
    big.push_back(set(2, many, 2, true, "B"));
    EXPECT_EQ(buildSaveTexts(big).categoryIds.size(), 9999);
    EXPECT_FALSE(buildSaveTexts(big).fits());
    SaveTexts edge = texts;
    edge.titles = QString(8000, u'x');
    EXPECT_TRUE(edge.fits());
    edge.titles += u'x';
    EXPECT_FALSE(edge.fits());
}

TEST(CategoryConfiguration, TitlesThatWouldShiftTheLists) {
    const std::vector<std::pair<QString, bool>> titles{
        {"Contractual", false}, {"", false}, {"Owner's \"view\"", false}, {"A;B", true},
        {"A,B", true},          {";", true}, {"Ends with,", true},
    };
    for (const auto& [title, refused] : titles) {
        SCOPED_TRACE(title.toStdString());
        // The title in the second of three sets.
        const std::vector<CategorySetEntry> sets{set(1, {1}, 1, true, "Main"), set(2, {}, 2, true, title),
                                                 set(3, {}, 3, false, "Last")};
        EXPECT_EQ(setWithSeparatorInTitle(sets), refused ? 1 : -1);
    }
    // The first such set is named.
    EXPECT_EQ(setWithSeparatorInTitle({set(1, {}, 1, true, "a,b"), set(2, {}, 2, true, "c;d")}), 0);
    EXPECT_EQ(setWithSeparatorInTitle({}), -1);
}

TEST(CategoryConfiguration, ASetCalledNullStaysATitleAndNoListIsSentAsNull) {
    const db::Command save = saveCommand(7, buildSaveTexts({set(1, {}, 1, true, "NULL")}));
    EXPECT_EQ(save.parameter("@ReportCategorySetTitles")->value.toString(), "NULL");
    EXPECT_FALSE(save.parameter("@ReportCategoryIds")->isNull());
    EXPECT_EQ(manualTitleCommand(3, "null").parameter("@ReportCategoryTitleManual")->value.toString(),
              "null");
}
