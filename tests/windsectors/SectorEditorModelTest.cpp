#include "windsectors/SectorEditorModel.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

using namespace windsectors;

namespace {

db::ResultSet groupRows(const std::vector<std::pair<int, const char*>>& groups) {
    db::ResultSet set;
    set.columns = {{kGroupId, db::FieldType::Integer, 0}, {kGroupTitle, db::FieldType::String, 50}};
    for (const auto& [id, title] : groups) set.rows.push_back({id, QString::fromUtf8(title)});
    return set;
}

struct Sector {
    int id;
    int group;
    int from;
    int to;
    Coefficients coefficients = identityCoefficients();
};

db::ResultSet sectorRows(const std::vector<Sector>& sectors) {
    db::ResultSet set;
    set.columns = {{kSectorId, db::FieldType::Integer, 0}, {kSectorKey, db::FieldType::Integer, 0},
                   {kGroupId, db::FieldType::Integer, 0},  {kAngleFrom, db::FieldType::Integer, 0},
                   {kAngleTo, db::FieldType::Integer, 0},  {kExcluded, db::FieldType::Boolean, 0}};
    for (int i = 0; i < 8; ++i) set.columns.push_back({coefficientField(i), db::FieldType::String, 20});
    for (const Sector& s : sectors) {
        db::Row row = {s.id, QVariant(), s.group, s.from, s.to, false};
        for (const QString& c : s.coefficients) row.emplace_back(c);
        set.rows.push_back(row);
    }
    return set;
}

// One list parameter of a call, split.
QStringList list(const QString& call, const QString& name) {
    const QRegularExpression pattern(QStringLiteral("@%1 = '([^']*)'").arg(name));
    return pattern.match(call).captured(1).split(u',');
}

}  // namespace

TEST(SectorEditorModel, SavesChangedGroupsByStateAndDeletesOnlyStoredOnes) {
    SectorEditorModel model;
    model.load(groupRows({{1, "Alpha"}, {2, "Beta"}, {3, "Gamma"}}),
               sectorRows({{10, 2, 0, 90}, {11, 2, 90, 180}, {12, 3, 10, 20}}));
    EXPECT_FALSE(model.hasChanges());

    model.renameGroup(0, QStringLiteral("Alpha's"));
    model.selectGroup(1);
    const int added = model.storeSector(std::nullopt, {true, 45, 135, identityCoefficients()});
    EXPECT_EQ(added, 13);  // after the highest sector id loaded
    // The neighbours give way; a later rename keeps the group "sectors changed".
    EXPECT_EQ(model.sector(10)->to, 45);
    EXPECT_EQ(model.sector(11)->from, 135);
    model.renameGroup(1, QStringLiteral("Beta 2"));
    // A group added and removed again is neither written nor deleted.
    const int fresh = model.addGroup(QStringLiteral("Delta"));
    EXPECT_EQ(model.groupId(fresh), 4);
    model.removeGroup(fresh);
    model.removeGroup(model.rowOfGroup(3));
    EXPECT_EQ(model.removedGroups(), std::vector<int>{3});
    EXPECT_TRUE(model.hasChanges());

    const std::vector<SaveCall> calls = model.saveCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(calls[0].statement.contains(QLatin1String("@WindSectorGroupId = 1,")));
    EXPECT_TRUE(calls[0].statement.contains(QLatin1String("'Alpha''s'")));
    EXPECT_TRUE(calls[0].statement.endsWith(QLatin1String("@Action = 3")));
    EXPECT_EQ(list(calls[0].statement, QStringLiteral("WindSectorAngleFrom")), QStringList{QString()});
    EXPECT_TRUE(calls[1].statement.endsWith(QLatin1String("@Action = 1")));
    EXPECT_EQ(list(calls[1].statement, QStringLiteral("WindSectorAngleFrom")),
              QStringList({"0", "135", "45"}));
    EXPECT_EQ(list(calls[1].statement, QStringLiteral("WindSectorAngleTo")),
              QStringList({"45", "180", "135"}));
    EXPECT_EQ(list(calls[1].statement, QStringLiteral("WindSectorExcluded")), QStringList({"0", "0", "1"}));
    EXPECT_EQ(calls[2].statement, deleteGroupCall(3));
    EXPECT_TRUE(calls[2].deletesGroup);

    // A group added before a save was sent may be stored: removing it deletes it.
    model.selectGroup(model.addGroup(QStringLiteral("Epsilon")));
    model.callsSent();
    model.removeGroup(model.selectedGroup());
    EXPECT_EQ(model.removedGroups(), std::vector<int>({3, 5}));
}

TEST(SectorEditorModel, LoadAndSaveKeepEveryCoefficientOfManySectors) {
    // More sectors than a thousand, with texts written by other programs.
    const char* const texts[] = {"0.000123", "1,5", "12.50", "-0.1", "999.99", "0", "1E-3", "7"};
    std::vector<Sector> sectors;
    std::vector<std::pair<int, const char*>> groups;
    for (int group = 1; group <= 12; ++group) groups.push_back({group, "Group"});
    for (int id = 1; id <= 1200; ++id) {
        Sector sector{id, 1 + (id - 1) / 100, id % 360, id % 360 + 1, {}};
        for (int c = 0; c < 8; ++c) sector.coefficients[size_t(c)] = QString::fromLatin1(texts[(id + c) % 8]);
        sectors.push_back(sector);
    }
    SectorEditorModel model;
    model.load(groupRows(groups), sectorRows(sectors));
    for (int row = 0; row < model.groupCount(); ++row) model.renameGroup(row, QStringLiteral("Renamed"));
    const std::vector<SaveCall> calls = model.saveCalls();
    ASSERT_EQ(calls.size(), 12u);
    for (std::size_t group = 0; group < calls.size(); ++group) {
        for (int c = 0; c < 8; ++c) {
            const QStringList values = list(calls[group].statement, coefficientField(c));
            ASSERT_EQ(values.size(), 100);
            for (int i = 0; i < 100; ++i) {
                const int id = int(group) * 100 + i + 1;
                EXPECT_EQ(parseCoefficient(values[i]),
                          parseCoefficient(QString::fromLatin1(texts[(id + c) % 8])))
                    << "sector " << id << " coefficient " << c;
            }
        }
    }
}
