#include "db/DataSet.h"
#include "profiles/ProfileRules.h"

#include <gtest/gtest.h>

namespace {

using namespace profiles;

QString numbered(int n) { return QStringLiteral("T%1").arg(n); }

TEST(ProfileStatusText, PercentageFollowsTheLargestStatusSeenSoFar) {
    StatusTexts texts(numbered);
    EXPECT_EQ(texts.statusText(4, 0), QStringLiteral("T296 (0%)"));
    EXPECT_EQ(texts.statusText(3, 0), QStringLiteral("T296 (25%)"));
    EXPECT_EQ(texts.statusText(1, 1), QStringLiteral("T296 (75%)"));
    // The scale only grows: a later, larger job starts at 0 %.
    EXPECT_EQ(texts.statusText(10, 0), QStringLiteral("T296 (0%)"));
    EXPECT_EQ(texts.statusText(4, 0), QStringLiteral("T296 (60%)"));
    EXPECT_EQ(texts.largestSeen(), 10);
    // Truncated, not rounded: (3 - 1) * 100 / 3 = 66.
    StatusTexts third(numbered);
    third.statusText(3, 0);
    EXPECT_EQ(third.statusText(1, 0), QStringLiteral("T296 (66%)"));
}

TEST(ProfileStatusText, IdleFailedAndPendingTexts) {
    StatusTexts texts(numbered);
    EXPECT_EQ(texts.statusText(-2, 1), QStringLiteral("T297"));
    EXPECT_EQ(texts.statusText(0, 0), QStringLiteral("T290"));
    EXPECT_EQ(texts.statusText(0, 1), QStringLiteral("T295"));
    EXPECT_EQ(texts.statusText(0, 7), QString());
    EXPECT_EQ(texts.statusText(0, QVariant()), QString());
    EXPECT_EQ(lockText(0, numbered), QStringLiteral("T291"));
    EXPECT_EQ(lockText(1, numbered), QStringLiteral("T292"));
    EXPECT_EQ(lockText(2, numbered), QString());
    EXPECT_EQ(autoGenerateText(0, numbered), QStringLiteral("T293"));
    EXPECT_EQ(autoGenerateText(1, numbered), QStringLiteral("T294"));
    EXPECT_EQ(autoGenerateText(QVariant(), numbered), QString());
}

db::ResultSet profileRows(bool withGatedColumns) {
    db::ResultSet rs;
    const QStringList base = {"ReportProfileId",
                              "ReportProfileTitle",
                              "ReportProfileDescription",
                              "ReportProfileLocked",
                              "ReportProfileJobScheduleEnabled",
                              "ReportProfileStatus"};
    for (const auto& c : base) rs.columns.push_back({c, db::FieldType::Unknown, 0});
    if (withGatedColumns)
        for (const auto& g : kGatedProfileColumns)
            rs.columns.push_back({QLatin1String(g.column), db::FieldType::Unknown, 0});
    db::Row row = {qlonglong(7), QStringLiteral("North"), QStringLiteral("desc"), qlonglong(1), qlonglong(0),
                   qlonglong(2)};
    if (withGatedColumns)
        row.insert(row.end(),
                   {true, QStringLiteral("RTV2200"), true, true, true, true, true, true, qlonglong(3)});
    rs.rows.push_back(row);
    return rs;
}

TEST(CurrentProfile, GatedColumnsAreReadOnlyFromTheirVersion) {
    db::DataSet list;
    list.setRows(profileRows(true));
    auto p = readCurrentProfile(list, [](const QString&) { return true; });
    EXPECT_EQ(p.ProfileId, 7);
    EXPECT_EQ(p.Title, QStringLiteral("North"));
    EXPECT_EQ(p.Locked, 1);
    EXPECT_TRUE(p.Busy);
    EXPECT_EQ(p.AvailabilityContract, QStringLiteral("RTV2200"));
    EXPECT_TRUE(p.UseEEGReporting);
    EXPECT_EQ(p.DerateCategoryRule, 3);

    // An older database keeps the defaults even where the column came back.
    p = readCurrentProfile(list, [](const QString& t) { return t == QLatin1String("3.1.0.0"); });
    EXPECT_TRUE(p.DataIntegrityCalculationEnabled);
    EXPECT_EQ(p.AvailabilityContract, QStringLiteral("RTV2100"));
    EXPECT_FALSE(p.UseEEGReporting);
    EXPECT_EQ(p.DerateCategoryRule, 1);

    // The fallback list has no gated columns at all.
    db::DataSet fallback;
    fallback.setRows(profileRows(false));
    p = readCurrentProfile(fallback, [](const QString&) { return true; });
    EXPECT_EQ(p.ProfileId, 7);
    EXPECT_EQ(p.AvailabilityContract, QStringLiteral("RTV2100"));
    EXPECT_FALSE(p.UseSeaLevel);

    db::DataSet empty;
    EXPECT_EQ(readCurrentProfile(empty, [](const QString&) { return true; }).ProfileId, 0);
}

EnablingInputs editor(bool empty = false) {
    EnablingInputs in;
    in.enable = true;
    in.F3 = in.F101 = in.F146 = true;
    in.Empty = empty;
    in.Db230 = in.Db300 = in.Db370 = true;
    return in;
}

TEST(CommandEnabling, EmptyListLeavesOnlyCreateAndTheOverallEditors) {
    const auto s = computeCommandStates(editor(true));
    EXPECT_TRUE(s.createProfile);
    EXPECT_TRUE(s.normCurve && s.userAccess && s.validation && s.freeWind && s.windSectors);
    EXPECT_FALSE(s.units);
    EXPECT_FALSE(s.properties || s.remove || s.regenerate || s.categoryConfiguration || s.categorization ||
                 s.signOff || s.unlockEnabled);
    auto noF3 = editor(true);
    noF3.F3 = false;
    EXPECT_FALSE(computeCommandStates(noF3).createProfile);
}

TEST(CommandEnabling, LockedProfileOffersOnlyUnlockWithItsRight) {
    auto in = editor();
    in.profile.Locked = 1;
    auto s = computeCommandStates(in);
    EXPECT_FALSE(s.properties);
    EXPECT_FALSE(s.remove);
    EXPECT_FALSE(s.signOff);
    EXPECT_FALSE(s.importAndRemap);
    EXPECT_TRUE(s.unlockVisible && s.unlockEnabled && s.unlockAction);
    EXPECT_TRUE(s.regenerate && s.units);

    in.F101 = false;
    s = computeCommandStates(in);
    EXPECT_FALSE(s.unlockVisible || s.unlockEnabled || s.unlockAction);

    in = editor();
    s = computeCommandStates(in);
    EXPECT_TRUE(s.unlockVisible);
    EXPECT_FALSE(s.unlockEnabled);
    EXPECT_TRUE(s.properties && s.remove && s.signOff && s.importAndRemap);
}

TEST(CommandEnabling, AutomaticGenerationEegAndDatabaseVersions) {
    auto in = editor();
    in.profile.JobScheduleEnabled = 1;
    auto s = computeCommandStates(in);
    EXPECT_FALSE(s.remove);
    EXPECT_TRUE(s.properties);

    in = editor();
    in.profile.UseEEGReporting = true;
    s = computeCommandStates(in);
    EXPECT_FALSE(s.categorization);
    EXPECT_TRUE(s.categoryConfiguration);

    // A 3.6 database: no sign-off; wind sectors from 2.30 on.
    in = editor();
    in.Db370 = false;
    s = computeCommandStates(in);
    EXPECT_FALSE(s.signOff);
    EXPECT_TRUE(s.windSectors);
    in.Db300 = false;
    s = computeCommandStates(in);
    EXPECT_FALSE(s.categoryConfiguration || s.categorization);
    in.Db230 = false;
    EXPECT_FALSE(computeCommandStates(in).windSectors);

    // Sign-off needs its right as well.
    in = editor();
    in.F146 = false;
    EXPECT_FALSE(computeCommandStates(in).signOff);
}

TEST(CommandEnabling, DisabledWhileACommandRuns) {
    auto in = editor();
    in.enable = false;
    const auto s = computeCommandStates(in);
    EXPECT_FALSE(s.createProfile || s.normCurve || s.units || s.regenerate || s.properties || s.remove ||
                 s.categorization || s.categoryConfiguration || s.signOff || s.unlockEnabled ||
                 s.windSectors);
    EXPECT_TRUE(s.importAndRemap);
}

}  // namespace
