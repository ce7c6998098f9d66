// The category set and event list choice: the profile's enabled sets and
// its units' event lists, the dialog skipped when there is nothing to
// choose, and the messages when nothing can be chosen.

#include "AllocationTestSupport.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QPushButton>

using categorization_test::WhenShown;
using namespace allocation_test;

namespace {

constexpr int kProfile = 5;

std::vector<std::pair<int, QString>> rowsOf(const Environment& env, const QString& sql) {
    std::vector<std::pair<int, QString>> rows;
    const db::Result result = env.exec(sql);
    for (const db::Row& row : result.resultSets.at(0).rows)
        rows.emplace_back(row[0].toInt(), row[1].toString());
    return rows;
}

std::vector<std::pair<int, QString>> enabledSets(const Environment& env, int profileId) {
    return rowsOf(env,
                  QStringLiteral("SELECT ReportCategorySetId, ReportCategorySetTitle FROM TReportCategorySet "
                                 "WHERE ReportProfileId = %1 AND CategorySetEnabled = 1 ORDER BY "
                                 "CategorySetSortOrder, ReportCategorySetId")
                      .arg(profileId));
}

}  // namespace

TEST(TFormCatagorySelect, ChoosesASetAndAnEventList) {
    Environment env;
    TFormCatagorySelect dialog(env.context);
    const auto sets = enabledSets(env, kProfile);
    ASSERT_GE(sets.size(), 2u);
    const categorization::CategorySelection first = selectionFor(env, kProfile, sets[0].first, true);
    auto* setBox = dialog.findChild<QComboBox*>("ComboBoxCategorySet");
    auto* listBox = dialog.findChild<QComboBox*>("ComboBoxEventList");
    ASSERT_TRUE(setBox && listBox);

    {
        WhenShown choose(dialog, [&] {
            EXPECT_EQ(dialog.windowTitle(), env.context.texts().profile(450));
            EXPECT_EQ(setBox->count(), int(sets.size()));
            EXPECT_EQ(setBox->itemText(1), sets[1].second);
            EXPECT_EQ(setBox->currentIndex(), 0);
            EXPECT_EQ(listBox->itemText(0), first.EventListTitle);
            setBox->setCurrentIndex(1);
            dialog.findChild<QPushButton*>("ButtonOK")->click();
        });
        ASSERT_TRUE(dialog.Select(kProfile));
        EXPECT_EQ(dialog.selection().ReportCategorySetId, sets[1].first);
        EXPECT_EQ(dialog.selection().ReportCategorySetTitle, sets[1].second);
        EXPECT_EQ(dialog.selection().EventListId, first.EventListId);
        EXPECT_EQ(dialog.selection().EventListTitle, first.EventListTitle);
    }
    {
        WhenShown leave(dialog, [&] { dialog.findChild<QPushButton*>("ButtonCancel")->click(); });
        EXPECT_FALSE(dialog.Select(kProfile));
    }

    // One enabled set and one event list: nothing to ask.
    env.exec(
        QStringLiteral("UPDATE TReportCategorySet SET CategorySetEnabled = 0 WHERE ReportProfileId = %1 AND "
                       "ReportCategorySetId <> %2")
            .arg(kProfile)
            .arg(sets[0].first));
    env.exec(
        QStringLiteral("DELETE FROM TParkUnit_TReportProfile WHERE ReportProfileId = %1 AND ParkUnitId IN "
                       "(SELECT PU.ParkUnitId FROM TParkUnit AS PU INNER JOIN TUnitType AS UT ON "
                       "UT.UnitTypeId = PU.UnitTypeId WHERE IFNULL(UT.EventListId, 0) <> %2)")
            .arg(kProfile)
            .arg(first.EventListId));
    bool shown = false;
    WhenShown unexpected(dialog, [&] {
        shown = true;
        dialog.reject();
    });
    ASSERT_TRUE(dialog.Select(kProfile));
    EXPECT_FALSE(shown);
    EXPECT_EQ(dialog.selection().ReportCategorySetId, sets[0].first);
    EXPECT_EQ(dialog.selection().EventListId, first.EventListId);
    EXPECT_TRUE(env.prompts.recorded().empty());
}

TEST(TFormCatagorySelect, MessagesWhenNothingCanBeChosen) {
    {
        Environment env;
        TFormCatagorySelect dialog(env.context);
        // A profile without units reports from no event list.
        env.exec("DELETE FROM TParkUnit_TReportProfile WHERE ReportProfileId = 4");
        EXPECT_FALSE(dialog.Select(4));
        auto shown = env.prompts.take();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, "No eventlists found for this profile");

        env.exec(
            QStringLiteral("UPDATE TReportCategorySet SET CategorySetEnabled = 0 WHERE ReportProfileId = %1")
                .arg(kProfile));
        EXPECT_FALSE(dialog.Select(kProfile));
        shown = env.prompts.take();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, "No Category set found for this profile");
    }
    {
        WrappedProcedure handle = wrapProcedure("WMS_SP_CRQ_HandleReportCategory", 1);
        *handle.failOn = 1;
        categorization_test::Setup setup;
        setup.registry = handle.registry;
        Environment env(setup);
        TFormCatagorySelect dialog(env.context);
        EXPECT_FALSE(dialog.Select(kProfile));
        const auto shown = env.prompts.take();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, "The category and eventlist Information could not be retrieved.");
        EXPECT_EQ(shown[0].caption, "Error");
        EXPECT_EQ(shown[0].icon, ui::Icon::Error);
        EXPECT_FALSE(env.status.isVisible());
    }
}
