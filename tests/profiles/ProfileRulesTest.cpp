#include "db/DataSet.h"
#include "profiles/ProfileRules.h"

#include <gtest/gtest.h>

namespace {

using namespace profiles;

QString numbered(int n) { return QStringLiteral("T%1").arg(n); }

TEST(ProfileStatusText, PercentageFollowsTheLargestStatusSeenSoFar) {
    // {status, pending flag, expected}; one scale for the whole sequence.
    const struct {
        int status;
        QVariant pending;
        const char* expected;
    } steps[] =
        {
            {4, 0, "T296 (0%)"},  {3, 0, "T296 (25%)"}, {1, 1, "T296 (75%)"},
            {10, 0, "T296 (0%)"},  // the scale only grows: a larger job starts at 0 %
            {4, 0, "T296 (60%)"}, {-2, 1, "T297"},      {0, 0, "T290"},
            {0, 1, "T295"},       {0, 7, ""},           {0, QVariant(), ""},
        };
    StatusTexts texts(numbered);
    for (const auto& step : steps) {
        SCOPED_TRACE(step.status);
        EXPECT_EQ(texts.statusText(step.status, step.pending).toStdString(), step.expected);
    }
    EXPECT_EQ(texts.largestSeen(), 10);
    // Truncated, not rounded: (3 - 1) * 100 / 3 = 66.
    StatusTexts third(numbered);
    third.observe(3);
    EXPECT_EQ(third.statusText(1, 0), QStringLiteral("T296 (66%)"));

    EXPECT_EQ(lockText(0, numbered), QStringLiteral("T291"));
    EXPECT_EQ(lockText(1, numbered), QStringLiteral("T292"));
    EXPECT_EQ(lockText(2, numbered), QString());
    EXPECT_EQ(autoGenerateText(0, numbered), QStringLiteral("T293"));
    EXPECT_EQ(autoGenerateText(1, numbered), QStringLiteral("T294"));
    EXPECT_EQ(autoGenerateText(QVariant(), numbered), QString());
}

db::ResultSet profileRows(bool withGatedColumns) {
    db::ResultSet rs;
    for (const char* c : {"ReportProfileId", "ReportProfileTitle", "ReportProfileDescription",
                          "ReportProfileLocked", "ReportProfileJobScheduleEnabled", "ReportProfileStatus"})
        rs.columns.push_back({QLatin1String(c), db::FieldType::Unknown, 0});
    db::Row row = {qlonglong(7), QStringLiteral("North"), QStringLiteral("desc"), qlonglong(1), qlonglong(0),
                   qlonglong(2)};
    if (withGatedColumns) {
        for (const auto& g : kGatedProfileColumns)
            rs.columns.push_back({QLatin1String(g.column), db::FieldType::Unknown, 0});
        row.insert(row.end(),
                   {true, QStringLiteral("RTV2200"), true, true, true, true, true, true, qlonglong(3)});
    }
    rs.rows.push_back(row);
    return rs;
}

TEST(CurrentProfile, GatedColumnsAreReadOnlyFromTheirVersion) {
    db::DataSet list;
    list.setRows(profileRows(true));
    // Id, title, lock, busy, data integrity, contract, sea level, EEG, derate rule.
    const auto summary = [](const CurrentProfile& p) {
        return QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9")
            .arg(p.ProfileId)
            .arg(p.Title)
            .arg(p.Locked)
            .arg(int(p.Busy))
            .arg(int(p.DataIntegrityCalculationEnabled))
            .arg(p.AvailabilityContract)
            .arg(int(p.UseSeaLevel))
            .arg(int(p.UseEEGReporting))
            .arg(p.DerateCategoryRule);
    };
    EXPECT_EQ(summary(readCurrentProfile(list, [](const QString&) { return true; })),
              "7|North|1|1|1|RTV2200|1|1|3");
    // An older database keeps the defaults even where the column came back.
    EXPECT_EQ(
        summary(readCurrentProfile(list, [](const QString& t) { return t == QLatin1String("3.1.0.0"); })),
        "7|North|1|1|1|RTV2100|0|0|1");
    // The fallback list has no gated columns at all.
    db::DataSet fallback;
    fallback.setRows(profileRows(false));
    EXPECT_EQ(summary(readCurrentProfile(fallback, [](const QString&) { return true; })),
              "7|North|1|1|0|RTV2100|0|0|1");

    db::DataSet empty;
    EXPECT_EQ(readCurrentProfile(empty, [](const QString&) { return true; }).ProfileId, 0);
}

// An editor with every right, on a current database, who has selected an
// unlocked profile; `changes` names what differs.
EnablingInputs inputs(const std::string& changes) {
    const auto has = [&](const char* word) {
        return (' ' + changes + ' ').find(' ' + std::string(word) + ' ') != std::string::npos;
    };
    EnablingInputs in;
    in.enable = !has("busy");
    in.F3 = !has("-F3");
    in.F101 = !has("-F101");
    in.F146 = !has("-F146");
    in.Empty = has("empty");
    in.Db230 = !has("-Db230");
    in.Db300 = !has("-Db300");
    in.Db370 = !has("-Db370");
    in.profile.Locked = has("locked");
    in.profile.JobScheduleEnabled = has("automatic");
    in.profile.UseEEGReporting = has("eeg");
    return in;
}

// The commands that are on in `s`, by short names; with `from`, only those
// switched on (+) or off (-) against it.
std::string commands(const CommandStates& s, const CommandStates* from = nullptr) {
    static const char* const names[] = {"curves",  "access",        "validation", "freewind",   "create",
                                        "sectors", "unlock-shown",  "unlock",     "unlock-key", "properties",
                                        "units",   "configuration", "categorize", "regenerate", "remove",
                                        "signoff", "import"};
    const auto on = [](const CommandStates& c) {
        return std::vector<bool>{c.normCurve,      c.userAccess,  c.validation,    c.freeWind,
                                 c.createProfile,  c.windSectors, c.unlockVisible, c.unlockEnabled,
                                 c.unlockAction,   c.properties,  c.units,         c.categoryConfiguration,
                                 c.categorization, c.regenerate,  c.remove,        c.signOff,
                                 c.importAndRemap};
    };
    const std::vector<bool> now = on(s), before = from ? on(*from) : std::vector<bool>(now.size());
    std::string text;
    for (size_t i = 0; i < now.size(); ++i)
        if (now[i] != before[i])
            text += std::string(text.empty() ? "" : " ") + (from ? (now[i] ? "+" : "-") : "") + names[i];
    return text;
}

TEST(CommandEnabling, Table) {
    const CommandStates editor = computeCommandStates(inputs(""));
    EXPECT_EQ(commands(editor),
              "curves access validation freewind create sectors unlock-shown properties units configuration "
              "categorize regenerate remove signoff import");
    // {what differs from the editor, the commands switched on or off by it}
    const std::pair<const char*, const char*> rows[] = {
        {"empty", "-properties -units -configuration -categorize -regenerate -remove -signoff"},
        {"empty -F3", "-create -properties -units -configuration -categorize -regenerate -remove -signoff"},
        {"-F3", "-create -properties -regenerate -remove -signoff"},
        {"locked", "+unlock +unlock-key -properties -remove -signoff -import"},
        {"locked -F101", "-unlock-shown -properties -remove -signoff -import"},
        {"automatic", "-remove"},
        {"eeg", "-categorize"},
        {"-F146", "-signoff"},
        {"-Db370", "-signoff"},
        {"-Db370 -Db300", "-configuration -categorize -signoff"},
        {"-Db370 -Db300 -Db230", "-sectors -configuration -categorize -signoff"},
        // While a command runs or the profile regenerates, only the unlock
        // button stays where it is, and the allocation windows keep import.
        {"busy",
         "-curves -access -validation -freewind -create -sectors -properties -units -configuration "
         "-categorize -regenerate -remove -signoff"},
        {"busy locked",
         "-curves -access -validation -freewind -create -sectors -properties -units "
         "-configuration -categorize -regenerate -remove -signoff -import"},
    };
    for (const auto& [changes, expected] : rows) {
        SCOPED_TRACE(changes);
        const CommandStates states = computeCommandStates(inputs(changes));
        EXPECT_EQ(commands(states, &editor), expected);
    }
}

}  // namespace
