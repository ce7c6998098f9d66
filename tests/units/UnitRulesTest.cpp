// The unit selection and configuration rules on plain rows: candidates,
// what applying a selection changes, the start date text, the reference
// lists per row, copying a cell down and the curve key written back.

#include "db/DataSet.h"
#include "units/UnitConfigRules.h"
#include "units/UnitSelection.h"

#include <gtest/gtest.h>

using namespace units;

namespace {

// Unit rows as the unit list procedure returns them: id, title, device.
void fill(db::DataSet& rows, std::vector<std::tuple<int, const char*, const char*>> units) {
    db::ResultSet set;
    set.columns = {{"ParkUnitId", db::FieldType::Integer},
                   {"ParkUnitTitle", db::FieldType::String},
                   {"UnitTypeTitle", db::FieldType::String},
                   {"UnitTypeDevice", db::FieldType::String}};
    for (const auto& [id, title, device] : units)
        set.rows.push_back(
            {id, QString::fromLatin1(title), QStringLiteral("Type"), QString::fromLatin1(device)});
    rows.setRows(std::move(set));
}

std::vector<int> idsOf(const std::vector<Candidate>& candidates, bool selected) {
    std::vector<int> out;
    for (const Candidate& c : candidates)
        if (c.startsSelected == selected) out.push_back(c.ParkUnitId);
    return out;
}

}  // namespace

TEST(UnitSelection, CandidatesInSessionOrderFromEitherList) {
    db::DataSet outside, inside;
    fill(outside, {{1, "A1", "WTG"}, {3, "M1", "MET"}});
    fill(inside, {{5, "A5", "WTG"}, {7, "G1", "GRID"}});
    const std::vector<int> session = {5, 9, 1, 3};  // 9: in neither list; 7: not in the session
    const auto available = buildCandidates(session, outside, inside, StartMode::Available);
    EXPECT_EQ(idsOf(available, true), (std::vector<int>{5}));
    EXPECT_EQ(idsOf(available, false), (std::vector<int>{1, 3}));
    EXPECT_EQ(available[2], (Candidate{3, "M1", "MET", "Type", false}));
    const auto all = buildCandidates(session, outside, inside, StartMode::Selected);
    EXPECT_EQ(idsOf(all, true), (std::vector<int>{5, 1, 3}));
    EXPECT_EQ(initiallySelectedText(all), "5,1,3");
    EXPECT_EQ(initiallySelectedText(available), "5");
}

TEST(UnitSelection, ApplyingRemovesOnlyOfferedUnitsMovedOut) {
    db::DataSet outside, inside;
    fill(inside, {{1, "A1", "WTG"}, {2, "A2", "WTG"}, {3, "M1", "MET"}, {6, "Hidden", "WTG"}});
    fill(outside, {{4, "B1", "WTG"}, {5, "G1", "GRID"}});
    const auto offered = buildCandidates({1, 2, 3, 4, 5}, outside, inside, StartMode::Available);
    const struct {
        std::vector<int> selected;
        SelectionChanges expected;
    } cases[] = {
        {{1, 2, 3}, {}},
        {{2, 4}, {{1, 3}, {"A1", "M1"}, {4}}},
        {{}, {{1, 2, 3}, {"A1", "A2", "M1"}, {}}},
        {{5, 4, 1, 2, 3}, {{}, {}, {4, 5}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.selected));
        EXPECT_EQ(selectionChanges(offered, c.selected, inside, outside), c.expected);
    }
}

TEST(UnitSelection, StartDateTakesTheLimitsTimeOnlyOnItsDay) {
    const QDateTime limit(QDate(2023, 1, 1), QTime(0, 10, 0));
    const struct {
        QDate chosen;
        QDateTime limit;
        const char* text;
    } cases[] = {
        {QDate(2023, 1, 1), limit, "2023-01-01 00:10:00"},
        {QDate(2023, 1, 2), limit, "2023-01-02 00:00:00"},
        {QDate(2024, 1, 1), limit, "2024-01-01 00:00:00"},
        {QDate(2023, 1, 1), QDateTime(), "2023-01-01 00:00:00"},
    };
    for (const auto& c : cases) EXPECT_EQ(shadowDataStartText(c.chosen, c.limit), c.text);
}

TEST(UnitConfigRules, ReferenceListsPerRow) {
    const struct {
        const char* device;
        QVariant key;
        bool offered;
    } cases[] = {
        {"WTG", QVariant(), true}, {"WTG", 3, false}, {"WTG", 4, true},
        {"MET", QVariant(), true}, {"MET", 4, false}, {"GRID", 4, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.device) + " " + c.key.toString().toStdString());
        EXPECT_EQ(unitReferenceFilter(3, QString::fromLatin1(c.device))(c.key), c.offered);
    }
}

TEST(UnitConfigRules, CopyingACellToTheNextRow) {
    const struct {
        int from;
        const char* field;
        CopyOutcome outcome;
        int currentAfter;
        QVariant valueAfter;  // of the field in the row current afterwards
    } cases[] = {
        {0, "HubHeightAltitude", CopyOutcome::Copied, 1, 80},
        {0, "NeighbourTurbinePrimaryId", CopyOutcome::OwnUnit, 1, QVariant()},
        {0, "NeighbourTurbineSecondaryId", CopyOutcome::Copied, 1, 4},
        {1, "NormLookup", CopyOutcome::NotATurbine, 2, QVariant()},
        {3, "HubHeightAltitude", CopyOutcome::Copied, 3, 99},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        db::ResultSet set;
        set.columns = {{"ParkUnitId", db::FieldType::Integer},
                       {"NormLookup", db::FieldType::Integer},
                       {"HubHeightAltitude", db::FieldType::Integer},
                       {"NeighbourTurbinePrimaryId", db::FieldType::Integer},
                       {"NeighbourTurbineSecondaryId", db::FieldType::Integer},
                       {"UnitTypeDevice", db::FieldType::String}};
        set.rows = {{1, 7, 80, 2, 4, "WTG"},
                    {2, 7, QVariant(), QVariant(), QVariant(), "WTG"},
                    {3, QVariant(), QVariant(), QVariant(), QVariant(), "MET"},
                    {4, 8, 99, QVariant(), QVariant(), "WTG"}};
        db::DataSet rows;
        rows.setRows(std::move(set));
        rows.moveTo(c.from);
        EXPECT_EQ(copyToNextRow(rows, QString::fromLatin1(c.field)), c.outcome);
        EXPECT_EQ(rows.currentRow(), c.currentAfter);
        EXPECT_EQ(rows.value(QString::fromLatin1(c.field)), c.valueAfter);
        EXPECT_EQ(rows.hasChanges(), c.outcome == CopyOutcome::Copied && c.from != 3);
    }
}

TEST(UnitConfigRules, TheChosenCurveIsWhatTheUpdateWrites) {
    db::ResultSet set;
    set.columns = {{"NormLookup", db::FieldType::Integer}, {"NormCurveId", db::FieldType::Integer}};
    set.rows = {{1, 1}, {2, 2}, {QVariant(), QVariant()}};
    db::DataSet rows;
    rows.setRows(std::move(set));
    for (const auto& [row, value] : {std::pair{0, QVariant()}, std::pair{2, QVariant(5)}}) {
        rows.moveTo(row);
        rows.edit();
        rows.setValue("NormLookup", value);
        rows.post();
    }
    rows.moveTo(1);
    syncCurveKeys(rows);
    EXPECT_EQ(rows.currentRow(), 1);
    EXPECT_TRUE(rows.valueAt(0, 1).isNull());
    EXPECT_EQ(rows.valueAt(1, 1), QVariant(2));
    EXPECT_EQ(rows.valueAt(2, 1), QVariant(5));
    EXPECT_EQ(rows.changeCount(), 2);
}
