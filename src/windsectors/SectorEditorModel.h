#pragma once
// What the wind exclusion sector editor holds until OK or Apply: the groups
// with their change states, every sector of every group (shown filtered to
// the selected group), the coefficients by the sectors' working keys and
// the ids of removed groups. Nothing here touches the database: the window
// loads the two lists into it and sends the calls it builds.

#include "db/DataSet.h"
#include "windsectors/Coefficients.h"
#include "windsectors/SectorCalls.h"

#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace windsectors {

// The fields of the two data sets.
inline const QString kGroupId = QStringLiteral("WindSectorGroupId");
inline const QString kGroupTitle = QStringLiteral("WindSectorGroupTitle");
inline const QString kGroupState = QStringLiteral("GroupState");
inline const QString kSectorId = QStringLiteral("WindSectorId");
inline const QString kSectorKey = QStringLiteral("WindSectorTempId");
inline const QString kAngleFrom = QStringLiteral("WindSectorAngleFrom");
inline const QString kAngleTo = QStringLiteral("WindSectorAngleTo");
inline const QString kExcluded = QStringLiteral("WindSectorExcluded");
inline const QString kExcludedText = QStringLiteral("Excluded");  // "Yes" / "No", calculated

// The coefficient columns, Run A-D then Stop A-D.
QString coefficientField(int index);

// One sector as the sector dialog shows and returns it.
struct SectorValues {
    bool excluded = false;
    int from = 0;
    int to = 0;
    Coefficients coefficients = identityCoefficients();
    bool operator==(const SectorValues&) const = default;
};

// One call of a save, in the order they are to run.
struct SaveCall {
    QString statement;
    bool deletesGroup = false;
};

class SectorEditorModel {
public:
    SectorEditorModel();
    // The calculated "excluded" column reads the model's own words.
    SectorEditorModel(const SectorEditorModel&) = delete;
    SectorEditorModel& operator=(const SectorEditorModel&) = delete;

    // The words the sector list shows for an excluded and a kept sector
    // ("Yes" and "No" until the window sets its language's).
    void setExcludedWords(const QString& excluded, const QString& kept);

    db::DataSet& groups() { return groups_; }
    db::DataSet& sectors() { return sectors_; }

    // Takes the listed groups (all unchanged) and sectors (their working key
    // set to their id, coefficient texts normalised); forgets every held
    // change. Nothing is selected afterwards.
    void load(db::ResultSet groups, db::ResultSet sectors);
    void clear();

    // --- Groups (rows of groups(), in list order) ---
    int groupCount() const { return groups_.recordCount(); }
    int groupId(int row) const;
    QString groupTitle(int row) const;
    GroupState groupState(int row) const;
    int rowOfGroup(int id) const;  // -1 when absent
    // Selects the group (-1: none) and shows only its sectors.
    void selectGroup(int row);
    int selectedGroup() const { return selected_; }

    // A new group under the next free id, selected; returns its row.
    int addGroup(const QString& title);
    void renameGroup(int row, const QString& title);
    // Removes the group (a group read from the database is deleted on save)
    // and selects the one now at its place, or the last; returns that row.
    int removeGroup(int row);
    const std::vector<int>& removedGroups() const { return removed_; }

    // --- Sectors of the selected group, by working key ---
    std::vector<int> sectorKeys() const;  // in row order
    std::optional<SectorValues> sector(int key) const;
    // Stores the sector (a new one when `key` is nullopt) in the selected
    // group, marks the group changed and moves the other sectors of the
    // group off its range. Returns the sector's key (-1 without a group).
    int storeSector(std::optional<int> key, const SectorValues& values);
    void removeSector(int key);

    // Something to save: a group added, renamed or changed, or one removed.
    bool hasChanges() const;
    // The calls that save every held change: one per changed group in list
    // order, then one per removed group.
    std::vector<SaveCall> saveCalls();
    // The calls were sent: the groups added so far may be stored now, so
    // removing one of them deletes it.
    void callsSent() { loadedMaxGroupId_ = lastGroupId_; }

private:
    bool locateSector(int key);
    void setGroupState(int row, GroupState state);
    void filterTo(int groupId);
    SectorCallRow callRow(int row) const;

    db::DataSet groups_;
    db::DataSet sectors_;
    std::map<int, Coefficients> coefficients_;  // by WindSectorTempId
    std::vector<int> removed_;
    int loadedMaxGroupId_ = 0;
    int lastGroupId_ = 0;
    int lastSectorKey_ = 0;
    int selected_ = -1;
    QString excludedWord_ = QStringLiteral("Yes");
    QString keptWord_ = QStringLiteral("No");
};

}  // namespace windsectors
