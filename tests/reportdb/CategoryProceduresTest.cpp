// Category sets of a profile: new profiles' standard sets, loading and
// saving the configuration as the configuration window does, what the
// allocation choice offers, manual category titles and module access.

#include "ReportDbTestSupport.h"

#include <gtest/gtest.h>

using namespace reportdb_tests;
using testing_support::TempDatabase;

namespace {

const QString kHandle = QStringLiteral("WMS_SP_CRQ_HandleReportCategory");

Call load(db::Connection& connection, int action, int profileId) {
    return call(connection, kHandle,
                {integer("@Action", action), integer("@ReportProfileId", profileId),
                 integer("@ReportCategoryId", QVariant())});
}

// The save as the configuration window sends it.
Call save(db::Connection& connection, int profileId, const QString& ids, const QString& sortOrders,
          const QString& enabled, const QString& titles, const QString& categories) {
    return call(connection, kHandle,
                {integer("@Action", 1), integer("@ReportProfileId", profileId),
                 integer("@ReportCategoryId", QVariant()), text("@ReportCategoryIds", categories),
                 text("@ReportCategorySetIds", ids), text("@ReportCategorySetSortOrder", sortOrders),
                 text("@ReportCategorySetEnabled", enabled), text("@ReportCategorySetTitles", titles)});
}

QStringList sets(db::Connection& connection, int profileId) {
    return lines(
        query(connection, QStringLiteral("SELECT S.ReportCategorySetId, S.ReportCategorySetTitle, "
                                         "S.CategorySetSortOrder, S.CategorySetEnabled + 0, "
                                         "(SELECT group_concat(ReportCategoryId) FROM (SELECT "
                                         "ReportCategoryId FROM TReportCategorySet_TReportCategory M "
                                         "WHERE M.ReportProfileId = S.ReportProfileId AND "
                                         "M.ReportCategorySetId = S.ReportCategorySetId ORDER BY "
                                         "MemberOrder)) FROM TReportCategorySet S WHERE "
                                         "S.ReportProfileId = %1 ORDER BY 1")
                              .arg(profileId)));
}

const QStringList kStandardSets = {"1|Contractual availability|1|1|1,2,3,4,5,6,7,8",
                                   "2|Technical availability|2|1|1,3,4,6,7,8"};

}  // namespace

TEST(CategorySets, NewProfilesGetTheStandardSetsAndTheOptionsTheirDatabaseOffers) {
    TempDatabase database("3.28.0.0");
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    addSmallPark(*connection);

    // The call text of the profile dialog on a recent database.
    db::Command create;
    create.text = QStringLiteral(
        "DCE_SP_CreateNewReportProfile @ProfileName = 'O''Brien''s park', @ProfileLocked = 0, "
        "@ReportProfileJobScheduleEnabled = 1, @ProfileDescription = 'North', @UserId = 2 , "
        "@DataIntegrityCalculationEnabled = 1, @AvailabilityContract = RTV2200, @UseSeaLevel = 1, "
        "@UseNeighborWindSpeed = 0, @UseKerliftReporting = 0, @UseDeratingCategorisation = 1, "
        "@UseIECReporting = 1, @UseEEGReporting = 0, @UseDerateCategoryRule = 2");
    ASSERT_TRUE(connection->execute(create).ok());
    EXPECT_EQ(lines(query(*connection,
                          "SELECT ReportProfileId, ReportProfileTitle, ReportProfileLocked, "
                          "ReportProfileJobScheduleEnabled, ReportProfileDescription, "
                          "DataIntegrityCalculationEnabled, AvailabilityContract, UseSeaLevel, "
                          "UseDeratingCategorisation, UseIECReporting, UseEEGReporting, DerateCategoryRule "
                          "FROM TReportProfile")),
              QStringList{"1|O'Brien's park|0|1|North|true|RTV2200|true|true|true|false|2"});
    EXPECT_EQ(lines(query(*connection, "SELECT UserId, ReportProfileId FROM TUser_TReportProfile")),
              QStringList{"2|1"});
    EXPECT_EQ(sets(*connection, 1), kStandardSets);

    // An unknown user would get a profile nobody sees: refused, nothing written.
    create.text = QStringLiteral(
        "DCE_SP_CreateNewReportProfile @ProfileName = 'x', @ProfileLocked = 0, "
        "@ReportProfileJobScheduleEnabled = 0, @ProfileDescription = '', @UserId = 9");
    EXPECT_FALSE(connection->execute(create).ok());
    EXPECT_EQ(scalar(*connection, "SELECT count(*) FROM TReportProfile").toInt(), 1);

    // An old database knows the first five parameters only.
    setVersion(*connection, "3.0.0.0");
    create.text = QStringLiteral(
        "DCE_SP_CreateNewReportProfile @ProfileName = 'Old', @ProfileLocked = 1, "
        "@ReportProfileJobScheduleEnabled = 0, @ProfileDescription = 'd', @UserId = 1 ");
    ASSERT_TRUE(connection->execute(create).ok());
    EXPECT_EQ(sets(*connection, 2), kStandardSets);
    create.text += QStringLiteral(", @DataIntegrityCalculationEnabled = 1");
    EXPECT_TRUE(connection->execute(create).error.contains("too many arguments"));
}

TEST(CategorySets, TheLoadReturnsSetsCategoriesAndMembersWithManualTitlesFrom316) {
    TempDatabase database("3.16.0.0");
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    addSmallPark(*connection);
    const int profile = createProfile(*connection, "P");

    const Call loaded = load(*connection, 3, profile);
    EXPECT_EQ(loaded.returnValue(), 0);
    ASSERT_EQ(loaded.result.resultSets.size(), 3u);
    EXPECT_EQ(lines(loaded.set(0)),
              (QStringList{"1|Contractual availability|1|true", "2|Technical availability|2|true"}));
    EXPECT_EQ(loaded.set(1).rows.size(),
              size_t(scalar(*connection, "SELECT count(*) FROM TReportCategory").toInt()));
    EXPECT_TRUE(columnNames(loaded.set(1)).contains("ReportCategoryTitleManual"));
    EXPECT_EQ(lines(loaded.set(2)).mid(8), (QStringList{"2|1", "2|3", "2|4", "2|6", "2|7", "2|8"}));

    // Before 3.16 there are no manual titles.
    setVersion(*connection, "3.15.9.9");
    const Call oldLoad = load(*connection, 3, profile);
    ASSERT_EQ(oldLoad.result.resultSets.size(), 3u);
    EXPECT_FALSE(columnNames(oldLoad.set(1)).contains("ReportCategoryTitleManual"));
    EXPECT_FALSE(columnNames(oldLoad.set(1)).contains("ReportCategoryTitleManualEnabled"));

    // No such profile, no such action: a failure number and no rows.
    for (const auto& [action, profileId, expected] : {std::tuple{3, 99, 1001}, std::tuple{4, 99, 1001},
                                                      std::tuple{2, profile, 1}, std::tuple{0, profile, 1}}) {
        const Call failed = load(*connection, action, profileId);
        EXPECT_EQ(failed.returnValue(), expected) << action;
        EXPECT_TRUE(failed.result.resultSets.empty()) << action;
    }
}

TEST(CategorySets, TheSaveWritesTheListsAsTheWindowBuildsThemOrNothing) {
    TempDatabase database;
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    addSmallPark(*connection);
    const int profile = createProfile(*connection, "P");
    const int other = createProfile(*connection, "Q");

    EXPECT_EQ(save(*connection, profile, "1;2", "1;2", "1;0", "Contractual;Barring", "1,2,5;3").returnValue(),
              0);
    EXPECT_EQ(sets(*connection, profile), (QStringList{"1|Contractual|1|1|1,2,5", "2|Barring|2|0|3"}));

    // A new set with an empty title and no members; the sets the lists do
    // not name stay; a category named twice is a member once.
    EXPECT_EQ(save(*connection, profile, "3", "3", "1", "", "").returnValue(), 0);
    EXPECT_EQ(save(*connection, profile, "2", "2", "0", "Barring", "7,3,7").returnValue(), 0);
    EXPECT_EQ(sets(*connection, profile),
              (QStringList{"1|Contractual|1|1|1,2,5", "2|Barring|2|0|7,3", "3||3|1|NULL"}));
    EXPECT_EQ(sets(*connection, other), kStandardSets);

    // Refusals write nothing, not even the valid sets of the same call.
    const QStringList tables{"TReportCategorySet", "TReportCategorySet_TReportCategory"};
    const QString before = snapshot(*connection, tables);
    struct Refusal {
        int profileId;
        const char* ids;
        const char* sortOrders;
        const char* enabled;
        const char* titles;
        const char* categories;
        int expected;
    };
    for (const Refusal& r : {
             Refusal{99, "1", "1", "1", "A", "1", 1001},                    // no such profile
             Refusal{profile, "1;2", "1;2", "1", "A;B", "1;3", 1001},       // counts differ
             Refusal{profile, "1;2", "1;2", "1;0", "A;B", "1;3;4", 1001},   // counts differ
             Refusal{profile, "1;x", "1;2", "1;0", "A;B", "1;3", 1001},     // not a number
             Refusal{profile, "1;2", "1;2", "1;0", "A;B", "1;3,y", 1001},   // not a number
             Refusal{profile, "1;1", "1;2", "1;0", "A;B", "1;3", 1001},     // a set twice
             Refusal{profile, "1;2", "1;2", "1;0", "A;B", "1,2;99", 1002},  // no such category
         }) {
        EXPECT_EQ(save(*connection, r.profileId, r.ids, r.sortOrders, r.enabled, r.titles, r.categories)
                      .returnValue(),
                  r.expected)
            << r.ids << " / " << r.categories;
    }
    EXPECT_EQ(snapshot(*connection, tables), before);
}

TEST(CategorySets, TheAllocationChoiceOffersEnabledSetsAndTheEventListsOfTheUnits) {
    TempDatabase database;
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    addSmallPark(*connection);
    const int profile = createProfile(*connection, "P");
    ASSERT_EQ(save(*connection, profile, "2;3;4", "3;2;4", "1;1;0", "Technical;Owner;Hidden", "1;1;1")
                  .returnValue(),
              0);

    // No units: the sets, but no event list.
    Call choice = load(*connection, 4, profile);
    ASSERT_EQ(choice.result.resultSets.size(), 2u);
    EXPECT_EQ(lines(choice.set(0)), (QStringList{"1|Contractual availability", "3|Owner", "2|Technical"}));
    EXPECT_TRUE(choice.set(1).rows.empty());

    // Two turbine types share a list; the grid meter has none: by title.
    addUnits(*connection, profile, {1, 3, 5});
    EXPECT_EQ(lines(load(*connection, 4, profile).set(1)), QStringList{"1|Turbine list"});
    addUnits(*connection, profile, {4});
    EXPECT_EQ(lines(load(*connection, 4, profile).set(1)), (QStringList{"2|Mast list", "1|Turbine list"}));
}

TEST(CategoryTitles, ManualTitlesAreTrimmedUniqueAndOnlyWhereEnabled) {
    TempDatabase database;
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    auto setTitle = [&](int categoryId, const QString& title) {
        return call(*connection, "WMS_SP_CRQ_UpdateCategoryTitleManual",
                    {integer("@ReportCategoryId", categoryId), text("@ReportCategoryTitleManual", title)})
            .returnValue();
    };
    auto manual = [&](int categoryId) {
        return scalar(*connection,
                      QStringLiteral(
                          "SELECT ReportCategoryTitleManual FROM TReportCategory WHERE ReportCategoryId = %1")
                          .arg(categoryId));
    };

    EXPECT_EQ(setTitle(3, "  Turbine maker \t"), 0);
    EXPECT_EQ(manual(3), QVariant("Turbine maker"));
    // Another category's manual title or title, in any case: refused.
    EXPECT_EQ(setTitle(4, "turbine MAKER"), 100);
    EXPECT_EQ(setTitle(4, " utility"), 100);
    EXPECT_TRUE(manual(4).isNull());
    // A category may take its own title; an empty text removes the title.
    EXPECT_EQ(setTitle(2, "UTILITY"), 0);
    EXPECT_EQ(setTitle(3, "   "), 0);
    EXPECT_TRUE(manual(3).isNull());
    EXPECT_EQ(setTitle(4, "Turbine maker"), 0);  // free again

    EXPECT_EQ(setTitle(99, "Anything"), 1002);
    EXPECT_EQ(setTitle(1, "Running"), 1003);  // normal operation keeps its title
    EXPECT_TRUE(manual(1).isNull());
}

TEST(CategoryTitles, ModuleAccessIsReadFromTheUsersModules) {
    TempDatabase database;
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    addSmallPark(*connection);
    query(*connection, "INSERT INTO TUserModuleAccess (UserId, ModuleId) VALUES (1, 1000000), (2, 7)");
    for (const auto& [moduleId, userId, access] : {std::tuple{1000000, 1, 1}, {1000000, 2, 0}, {7, 1, 0}}) {
        const Call c =
            call(*connection, "WMS_SP_CRQ_HasModuleAccess",
                 {integer("@ModuleId", moduleId), integer("@UserId", userId), output("@HasAccess")});
        EXPECT_EQ(c.returnValue(), 0);
        EXPECT_EQ(c.command.parameters.back().value, QVariant(access)) << moduleId << "/" << userId;
    }
}
