// The category set and event list choice: the profile's enabled sets and
// its units' event lists, the dialog skipped when there is nothing to
// choose, and a message when nothing can be chosen.

#include "AllocationTestSupport.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QPushButton>

using categorization_test::WhenShown;
using namespace allocation_test;

namespace {

constexpr int kProfile = 5;

struct Dialog {
    Dialog()
        : registry(reportdb::standardRegistry()),
          read(wrapProcedure(*registry, QStringLiteral("WMS_SP_CRQ_HandleReportCategory"), 1)),
          env({.registry = registry}),
          dialog(env.context) {}
    std::shared_ptr<reportdb::ProcedureRegistry> registry;
    WrappedProcedure read;
    Environment env;
    TFormCatagorySelect dialog;
};

}  // namespace

TEST(TFormCatagorySelect, ChoosesASetAndAnEventList) {
    Dialog d;
    const db::Result sets = d.env.exec(
        QStringLiteral("SELECT ReportCategorySetId, ReportCategorySetTitle FROM TReportCategorySet WHERE "
                       "ReportProfileId = %1 AND CategorySetEnabled = 1 ORDER BY CategorySetSortOrder")
            .arg(kProfile));
    ASSERT_GE(sets.resultSets.at(0).rows.size(), 2u);
    const db::Row second = sets.resultSets[0].rows[1];
    const categorization::CategorySelection first = selectionFor(d.env, kProfile, true);
    WhenShown choose(d.dialog, [&] {
        d.dialog.findChild<QComboBox*>("ComboBoxCategorySet")->setCurrentIndex(1);
        d.dialog.findChild<QPushButton*>("ButtonOK")->click();
    });
    ASSERT_TRUE(d.dialog.Select(kProfile));
    EXPECT_EQ(d.dialog.selection().ReportCategorySetId, second[0].toInt());
    EXPECT_EQ(d.dialog.selection().ReportCategorySetTitle, second[1].toString());
    EXPECT_EQ(d.dialog.selection().EventListId, first.EventListId);
    WhenShown leave(d.dialog, [&] { d.dialog.findChild<QPushButton*>("ButtonCancel")->click(); });
    EXPECT_FALSE(d.dialog.Select(kProfile));

    // One enabled set and one event list: nothing to ask.
    d.env.exec(
        QStringLiteral("UPDATE TReportCategorySet SET CategorySetEnabled = 0 WHERE ReportProfileId = %1 AND "
                       "ReportCategorySetId <> 1")
            .arg(kProfile));
    d.env.exec(
        QStringLiteral("DELETE FROM TParkUnit_TReportProfile WHERE ReportProfileId = %1 AND ParkUnitId IN "
                       "(SELECT PU.ParkUnitId FROM TParkUnit AS PU INNER JOIN TUnitType AS UT ON "
                       "UT.UnitTypeId = PU.UnitTypeId WHERE IFNULL(UT.EventListId, 0) <> %2)")
            .arg(kProfile)
            .arg(first.EventListId));
    bool shown = false;
    WhenShown unexpected(d.dialog, [&] {
        shown = true;
        d.dialog.reject();
    });
    ASSERT_TRUE(d.dialog.Select(kProfile));
    EXPECT_FALSE(shown);
    EXPECT_EQ(d.dialog.selection().ReportCategorySetId, 1);
    EXPECT_EQ(d.dialog.selection().EventListId, first.EventListId);
    EXPECT_TRUE(d.env.prompts.recorded().empty());
}

TEST(TFormCatagorySelect, NothingToChooseIsToldAndRefused) {
    Dialog d;
    struct Case {
        const char* what;
        QString sql;
        bool readFails;
    };
    const Case cases[] = {
        {"the read fails", {}, true},
        {"no event list: a profile without units",
         "DELETE FROM TParkUnit_TReportProfile WHERE ReportProfileId = 5", false},
        {"no enabled set", "UPDATE TReportCategorySet SET CategorySetEnabled = 0 WHERE ReportProfileId = 5",
         false},
    };
    QStringList texts;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.readFails) d.read.failNext();
        if (!c.sql.isEmpty()) d.env.exec(c.sql);
        EXPECT_FALSE(d.dialog.Select(kProfile));
        const auto shown = d.env.prompts.take();
        ASSERT_EQ(shown.size(), 1u);
        texts << shown[0].text;
    }
    // Each case has its own message.
    EXPECT_EQ(texts.removeDuplicates(), 0);
    EXPECT_FALSE(d.env.status.isVisible());
}
