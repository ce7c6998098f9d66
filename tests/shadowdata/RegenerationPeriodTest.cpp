// The period and start statement of a regeneration, and the progress
// window's rules, without widgets.

#include "shadowdata/ProgressRules.h"
#include "shadowdata/RegenerationPeriod.h"

#include <gtest/gtest.h>

using namespace shadowdata;

namespace {

const DataLimits kLimits{QDateTime(QDate(2023, 11, 30), QTime(0, 10)),
                         QDateTime(QDate(2024, 2, 29), QTime(23, 50))};
const PeriodTexts kTexts{"Regenerate shadow data", "for the period",
                         "Regenerate shadow data for the whole period"};

}  // namespace

TEST(RegenerationPeriod, WholePeriodRunsFromTheDataMinimumToTheDayAfterTheMaximum) {
    PeriodChoice choice;
    choice.wholePeriod = true;
    // The pickers do not count for a whole period.
    choice.start = QDate(2024, 1, 5);
    choice.stop = QDate(2024, 1, 3);
    choice.limits = kLimits;
    const auto period = periodFromChoice(choice);
    ASSERT_TRUE(period);
    EXPECT_EQ(fromText(period->from), "2023-11-30 00:10:00");
    // The leap day is the last day of data: the period ends the next midnight.
    EXPECT_EQ(toText(period->to), "2024-03-01 00:00:00");
    EXPECT_EQ(periodText(*period, kTexts),
              "Regenerate shadow data for the whole period [2023-11-30 - 2024-03-01]");

    // Without raw data there is no whole period to send.
    choice.limits.reset();
    EXPECT_FALSE(periodFromChoice(choice));
    choice.limits = DataLimits{QDateTime(), QDateTime()};
    EXPECT_FALSE(periodFromChoice(choice));
}

TEST(RegenerationPeriod, ChosenPeriodRunsFromTheStartDayToTheDayAfterTheStopDay) {
    PeriodChoice choice;
    choice.start = QDate(2023, 12, 31);
    choice.stop = QDate(2023, 12, 31);
    // A single day (flagged in the dialog) is still a period: that day from
    // 00:10 up to the next midnight, across the year's end.
    auto period = periodFromChoice(choice);
    ASSERT_TRUE(period);
    EXPECT_EQ(fromText(period->from), "2023-12-31 00:10:00");
    EXPECT_EQ(toText(period->to), "2024-01-01 00:00:00");
    EXPECT_EQ(periodText(*period, kTexts), "Regenerate shadow data for the period [2023-12-31 - 2023-12-31]");

    // A chosen period needs no limits.
    choice.start = QDate(2024, 2, 1);
    choice.stop = QDate(2024, 2, 29);
    period = periodFromChoice(choice);
    ASSERT_TRUE(period);
    EXPECT_EQ(fromText(period->from), "2024-02-01 00:10:00");
    EXPECT_EQ(toText(period->to), "2024-03-01 00:00:00");
    EXPECT_EQ(periodText(*period, kTexts), "Regenerate shadow data for the period [2024-02-01 - 2024-02-29]");
}

TEST(RegenerationPeriod, StartStatementByDatabaseKindWithQuotedNames) {
    RegenerationPeriod period{QDate(2024, 1, 1), QDate(2024, 2, 1), false};
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

TEST(ProgressRules, JobAndDirectTicks) {
    EXPECT_EQ(decideJobTick(StatementState::None), PollDecision::Success);
    EXPECT_EQ(decideJobTick(StatementState::Succeeded), PollDecision::Success);
    // The job is not queued until its statement has come back.
    EXPECT_EQ(decideJobTick(StatementState::Running), PollDecision::Wait);
    EXPECT_EQ(decideJobTick(StatementState::Failed), PollDecision::Failure);

    EXPECT_EQ(decideDirectTick(StatementState::Running, 5), PollDecision::Wait);
    EXPECT_EQ(decideDirectTick(StatementState::Succeeded, 0), PollDecision::Success);
    EXPECT_EQ(decideDirectTick(StatementState::None, 0), PollDecision::Success);
    // 0 before the regeneration has started counting is not a success yet.
    EXPECT_EQ(decideDirectTick(StatementState::Running, 0), PollDecision::Wait);
    // A missing row (-1) and a failed regeneration (negative) end the wait.
    EXPECT_EQ(decideDirectTick(StatementState::Running, -1), PollDecision::Failure);
    EXPECT_EQ(decideDirectTick(StatementState::Succeeded, -3), PollDecision::Failure);
    // A statement that failed is a failure whatever the status says.
    EXPECT_EQ(decideDirectTick(StatementState::Failed, 0), PollDecision::Failure);
    // An unreadable status is waited out only while the statement runs.
    EXPECT_EQ(decideDirectTick(StatementState::Running, std::nullopt), PollDecision::Wait);
    EXPECT_EQ(decideDirectTick(StatementState::Succeeded, std::nullopt), PollDecision::Failure);
}

TEST(ProgressRules, GaugeCountsTheWorkDone) {
    GaugeState gauge;
    gauge.follow(10);
    EXPECT_EQ(gauge.maximum, 10);
    EXPECT_EQ(gauge.position, 0);
    gauge.follow(7);
    EXPECT_EQ(gauge.position, 3);
    // More work than ever seen raises the maximum instead of going negative.
    gauge.follow(12);
    EXPECT_EQ(gauge.maximum, 12);
    EXPECT_EQ(gauge.position, 0);
    gauge.follow(2);
    EXPECT_EQ(gauge.position, 10);
    gauge.fill();
    EXPECT_EQ(gauge.position, 12);

    GaugeState empty;
    empty.fill();  // finished before any work was seen
    EXPECT_EQ(empty.maximum, 1);
    EXPECT_EQ(empty.position, 1);
}
