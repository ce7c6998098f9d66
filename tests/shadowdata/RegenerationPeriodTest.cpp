// The period and start statement of a regeneration, and the progress
// window's rules, without widgets.

#include "shadowdata/ProgressRules.h"
#include "shadowdata/RegenerationPeriod.h"

#include <gtest/gtest.h>

using namespace shadowdata;

namespace {

const DataLimits kLimits{QDateTime(QDate(2023, 11, 30), QTime(0, 10)),
                         QDateTime(QDate(2024, 2, 29), QTime(23, 50))};
const PeriodTexts kTexts{"Regenerate", "for the period", "Whole period"};

}  // namespace

TEST(RegenerationPeriod, FromTheChoiceToTheDaysSent) {
    // The statement sends the days after `from` 00:10 up to `to` 00:00; the
    // text names the days the user sees.
    const struct {
        const char* name;
        bool whole;
        QDate start, stop;
        std::optional<DataLimits> limits;
        const char* from;  // nullptr: nothing to send
        const char* to;
        const char* text;
    } rows[] = {
        // The pickers do not count for a whole period; the leap day is the
        // last day of data, so the period ends the next midnight.
        {"whole period", true, QDate(2024, 1, 5), QDate(2024, 1, 3), kLimits, "2023-11-30 00:10:00",
         "2024-03-01 00:00:00", "Whole period [2023-11-30 - 2024-03-01]"},
        {"whole period without raw data", true, {}, {}, std::nullopt, nullptr, nullptr, nullptr},
        {"whole period with unset limits", true, {}, {}, DataLimits{}, nullptr, nullptr, nullptr},
        // A single day (flagged in the dialog) is still a period, here across
        // the year's end.
        {"one day", false, QDate(2023, 12, 31), QDate(2023, 12, 31), std::nullopt, "2023-12-31 00:10:00",
         "2024-01-01 00:00:00", "Regenerate for the period [2023-12-31 - 2023-12-31]"},
        {"chosen days, limits ignored", false, QDate(2024, 2, 1), QDate(2024, 2, 29), kLimits,
         "2024-02-01 00:10:00", "2024-03-01 00:00:00", "Regenerate for the period [2024-02-01 - 2024-02-29]"},
        {"unset picker", false, QDate(), QDate(2024, 2, 29), kLimits, nullptr, nullptr, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PeriodChoice choice;
        choice.wholePeriod = row.whole;
        choice.start = row.start;
        choice.stop = row.stop;
        choice.limits = row.limits;
        const auto period = periodFromChoice(choice);
        ASSERT_EQ(period.has_value(), row.from != nullptr);
        if (!period) continue;
        EXPECT_EQ(fromText(period->from).toStdString(), row.from);
        EXPECT_EQ(toText(period->to).toStdString(), row.to);
        EXPECT_EQ(periodText(*period, kTexts).toStdString(), row.text);
    }
}

TEST(RegenerationPeriod, StartStatementByDatabaseKindWithQuotedNames) {
    const RegenerationPeriod period{QDate(2024, 1, 1), QDate(2024, 2, 1), false};
    EXPECT_EQ(startStatement(true, {"Reporting", "sa"}, 7, period),
              "WMS_JOB_CreateGenerateShadowDataJob @DatabaseName = 'Reporting', @LoginName = 'sa', "
              "@ReportProfileId = 7, @FromDate = '2024-01-01 00:10:00', @ToDate = '2024-02-01 00:00:00'");
    EXPECT_EQ(startStatement(false, {"Reporting", "sa"}, 7, period),
              "DCE_SP_UpdateShadowDataForParkUnitsInProfile @ReportProfileId = 7, @FromDate = '2024-01-01 "
              "00:10:00', @ToDate = '2024-02-01 00:00:00'");
    // A quote in a name stays inside its literal; a placeholder-like text in
    // a name is not filled in a second time.
    EXPECT_EQ(startStatement(true, {"O'Brien's %3 park", "d'Arcy"}, 12, period),
              "WMS_JOB_CreateGenerateShadowDataJob @DatabaseName = 'O''Brien''s %3 park', @LoginName = "
              "'d''Arcy', @ReportProfileId = 12, @FromDate = '2024-01-01 00:10:00', @ToDate = '2024-02-01 "
              "00:00:00'");
}

TEST(ProgressRules, TickDecisions) {
    using S = StatementState;
    using D = PollDecision;
    // The job is queued once its statement has come back.
    const std::pair<S, D> job[] = {
        {S::None, D::Success}, {S::Succeeded, D::Success}, {S::Running, D::Wait}, {S::Failed, D::Failure}};
    for (const auto& [statement, expected] : job) {
        SCOPED_TRACE(int(statement));
        EXPECT_EQ(decideJobTick(statement), expected);
    }
    // The direct regeneration counts the status down inside its statement.
    const struct {
        S statement;
        std::optional<int> status;  // -1: the row is gone; empty: unreadable
        D expected;
    } direct[] = {
        {S::Running, 5, D::Wait},
        {S::Succeeded, 0, D::Success},
        {S::None, 0, D::Success},
        {S::Running, 0, D::Wait},  // not counting yet, or just finishing
        {S::Running, -1, D::Failure},
        {S::Succeeded, -3, D::Failure},
        {S::Failed, 0, D::Failure},  // whatever the status says
        {S::Running, std::nullopt, D::Wait},
        {S::Succeeded, std::nullopt, D::Failure},
    };
    for (const auto& row : direct) {
        SCOPED_TRACE(testing::Message() << int(row.statement) << " " << row.status.value_or(999));
        EXPECT_EQ(decideDirectTick(row.statement, row.status), row.expected);
    }
}

TEST(ProgressRules, GaugeCountsTheWorkDone) {
    // {remaining work seen, maximum, position}
    const int steps[][3] = {{10, 10, 0}, {7, 10, 3}, {12, 12, 0}, {2, 12, 10}};
    GaugeState gauge;
    for (const auto& step : steps) {
        SCOPED_TRACE(step[0]);
        gauge.follow(step[0]);
        EXPECT_EQ(gauge.maximum, step[1]);
        EXPECT_EQ(gauge.position, step[2]);
    }
    gauge.fill();
    EXPECT_EQ(gauge.position, 12);
    gauge.clear();
    EXPECT_EQ(gauge.position, 0);

    GaugeState empty;
    empty.fill();  // finished before any work was seen
    EXPECT_EQ(empty.maximum, 1);
    EXPECT_EQ(empty.position, 1);
}
