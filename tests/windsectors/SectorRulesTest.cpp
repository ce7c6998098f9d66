#include "windsectors/Coefficients.h"
#include "windsectors/SectorCalls.h"
#include "windsectors/SectorInput.h"
#include "windsectors/SectorOverlap.h"

#include <gtest/gtest.h>

#include <QLocale>

using namespace windsectors;

TEST(SectorOverlap, AdjustsTheOtherSectorsOfTheGroup) {
    struct Case {
        const char* name;
        SectorAngles edited;
        std::vector<SectorAngles> others;
        std::vector<SectorChange> changes;
    };
    const Case cases[] = {
        {"stop cut back and start moved on",
         {90, 180},
         {{0, 120}, {150, 270}},
         {{0, {0, 90}}, {1, {180, 270}}}},
        {"full circle empties all but a sector at 0",
         {0, 360},
         {{0, 120}, {30, 100}, {350, 10}},
         {{1, {0, 0}}, {2, {0, 0}}}},
        {"start moved past a wrapping edited sector", {350, 20}, {{10, 50}, {100, 200}}, {{0, {20, 50}}}},
        {"inside a wrapping edited sector", {300, 100}, {{20, 60}}, {{0, {0, 0}}}},
        {"wrapping sector's stop cut back", {30, 90}, {{300, 60}}, {{0, {300, 30}}}},
        {"wrapping sector not enlarged", {280, 320}, {{300, 60}}, {{0, {320, 60}}}},
        {"wrapping sector cut at both ends", {30, 320}, {{300, 60}}, {{0, {320, 30}}}},
        {"stop 360 gives start 0", {300, 360}, {{330, 20}, {200, 330}}, {{0, {0, 20}}, {1, {200, 300}}}},
        {"wrapping sector around the edited one emptied", {355, 358}, {{350, 20}}, {{0, {0, 0}}}},
        {"disjoint sectors unchanged", {0, 90}, {{200, 250}, {90, 120}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(adjustNeighbours(c.edited, c.others), c.changes);
    }
}

TEST(SectorCoefficients, ParsesEitherSeparatorAndWritesTheShortestExactForm) {
    struct Case {
        const char* text;
        std::optional<double> value;
        const char* normalised;
    };
    const Case cases[] = {
        {"999.99", 999.99, "999.99"},
        {"0,5", 0.5, "0.5"},
        {"1.0", 1.0, "1"},
        {"-2.125", -2.125, "-2.125"},
        {"123456.789012", 123456.789012, "123456.789012"},
        {"1,2,3", std::nullopt, "1,2,3"},
        {"", std::nullopt, ""},
        {"abc", std::nullopt, "abc"},
    };
    QLocale::setDefault(QLocale(QLocale::German));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseCoefficient(QString::fromLatin1(c.text)), c.value);
        EXPECT_EQ(normalisedCoefficient(QString::fromLatin1(c.text)), QString::fromLatin1(c.normalised));
    }
    QLocale::setDefault(QLocale::c());
}

TEST(SectorCalls, WritesTheGroupCallWithQuotedTitleAndPointDecimals) {
    QLocale::setDefault(QLocale(QLocale::German));
    const std::vector<SectorCallRow> sectors = {
        {true, 350, 20, {"0", "0,25", "1", "-1.5", "0", "0", "1", "0"}},
        {false, 20, 360, identityCoefficients()},
    };
    EXPECT_EQ(
        handleGroupCall(7, QStringLiteral("Bob's ridge"), GroupState::SectorsChanged, sectors),
        QStringLiteral("WMS_SP_CRQ_HandleWindSectorGroup @WindSectorGroupId = 7,@WindSectorGroupTitle = "
                       "'Bob''s ridge',@WindSectorExcluded = '1,0',@WindSectorAngleFrom = '350,20',"
                       "@WindSectorAngleTo = '20,360',@WindSectorRunA = '0,0',@WindSectorRunB = '0.25,0',"
                       "@WindSectorRunC = '1,1',@WindSectorRunD = '-1.5,0',@WindSectorStopA = '0,0',"
                       "@WindSectorStopB = '0,0',@WindSectorStopC = '1,1',@WindSectorStopD = '0,0',"
                       "@Action = 1"));
    QLocale::setDefault(QLocale::c());
    for (const auto& [state, action] :
         {std::pair{GroupState::Added, "@Action = 1"}, std::pair{GroupState::Renamed, "@Action = 3"}}) {
        EXPECT_TRUE(handleGroupCall(1, QStringLiteral("A"), state, {}).endsWith(QLatin1String(action)));
    }
}

TEST(SectorInput, RefusesLargeCoefficientsAndBadAnglesAndReadsStopZeroAs360) {
    struct Case {
        const char* from;
        const char* to;
        const char* coefficient;  // typed into the first Run box
        int refusal;
        int readTo;
    };
    const Case cases[] = {
        {"10", "0", "999.99", 0, 360}, {"0", "360", "999,99", 0, 360}, {"350", "20", "-5000", 0, 20},
        {"10", "20", "1000", 211, 0},  {"10", "20", "1,2,3", 211, 0},  {"10", "20", "", 211, 0},
        {"361", "20", "1", 212, 0},    {"10", "1.5", "1", 212, 0},     {"", "20", "1", 212, 0},
        {"400", "20", "1000", 211, 0},  // coefficients are checked first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " " + c.to + " " + c.coefficient);
        SectorInput input{QString::fromLatin1(c.from), QString::fromLatin1(c.to), true,
                          identityCoefficients()};
        input.coefficients[0] = QString::fromLatin1(c.coefficient);
        const SectorReading reading = readSector(input);
        EXPECT_EQ(reading.refusal, c.refusal);
        if (c.refusal == 0) {
            EXPECT_EQ(reading.values.to, c.readTo);
            EXPECT_EQ(reading.values.coefficients[0], normalisedCoefficient(input.coefficients[0]));
        }
    }
}
