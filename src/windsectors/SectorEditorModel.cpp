#include "windsectors/SectorEditorModel.h"

#include "windsectors/SectorOverlap.h"

#include <algorithm>

namespace windsectors {

namespace {

constexpr const char* kCoefficientNames[] = {"RunA",  "RunB",  "RunC",  "RunD",
                                             "StopA", "StopB", "StopC", "StopD"};

QString stateText(GroupState state) { return QString(QLatin1Char(char(state))); }

int columnOf(db::ResultSet& set, const QString& name, db::FieldType type) {
    int column = set.columnIndex(name);
    if (column >= 0) return column;
    set.columns.push_back({name, type, 0});
    for (db::Row& row : set.rows) row.emplace_back();
    return int(set.columns.size()) - 1;
}

}  // namespace

QString coefficientField(int index) {
    return QStringLiteral("WindSector") + QLatin1String(kCoefficientNames[index]);
}

SectorEditorModel::SectorEditorModel() {
    sectors_.addCalculatedField(kExcludedText, db::FieldType::String, [this](const db::RowView& row) {
        return row.value(kExcluded).toBool() ? excludedWord_ : keptWord_;
    });
}

void SectorEditorModel::setExcludedWords(const QString& excluded, const QString& kept) {
    excludedWord_ = excluded;
    keptWord_ = kept;
}

void SectorEditorModel::clear() {
    selected_ = -1;
    sectors_.close();
    groups_.close();
    coefficients_.clear();
    removed_.clear();
    loadedMaxGroupId_ = lastGroupId_ = lastSectorKey_ = 0;
}

void SectorEditorModel::load(db::ResultSet groups, db::ResultSet sectors) {
    clear();
    const int groupIdColumn = columnOf(groups, kGroupId, db::FieldType::Integer);
    const int stateColumn = columnOf(groups, kGroupState, db::FieldType::String);
    for (db::Row& row : groups.rows) {
        row[size_t(stateColumn)] = stateText(GroupState::Unchanged);
        loadedMaxGroupId_ = std::max(loadedMaxGroupId_, row[size_t(groupIdColumn)].toInt());
    }
    lastGroupId_ = loadedMaxGroupId_;

    const int idColumn = columnOf(sectors, kSectorId, db::FieldType::Integer);
    const int keyColumn = columnOf(sectors, kSectorKey, db::FieldType::Integer);
    int coefficientColumns[8];
    for (int i = 0; i < 8; ++i)
        coefficientColumns[i] = columnOf(sectors, coefficientField(i), db::FieldType::String);
    for (db::Row& row : sectors.rows) {
        const int id = row[size_t(idColumn)].toInt();
        row[size_t(keyColumn)] = id;
        lastSectorKey_ = std::max(lastSectorKey_, id);
        Coefficients& coefficients = coefficients_[id];
        for (int i = 0; i < 8; ++i) {
            QVariant& cell = row[size_t(coefficientColumns[i])];
            coefficients[size_t(i)] = normalisedCoefficient(cell.toString());
            cell = coefficients[size_t(i)];
        }
    }
    groups_.setRows(std::move(groups));
    groups_.setVisible(kGroupId, false);
    groups_.setVisible(kGroupState, false);
    sectors_.setRows(std::move(sectors));
    for (const QString& hidden : {kSectorId, kSectorKey, kGroupId, kExcluded})
        sectors_.setVisible(hidden, false);
    for (int i = 0; i < 8; ++i) sectors_.setVisible(coefficientField(i), false);
    selectGroup(-1);
}

int SectorEditorModel::groupId(int row) const {
    return groups_.valueAt(row, groups_.fieldIndex(kGroupId)).toInt();
}

QString SectorEditorModel::groupTitle(int row) const {
    return groups_.valueAt(row, groups_.fieldIndex(kGroupTitle)).toString();
}

GroupState SectorEditorModel::groupState(int row) const {
    const QString state = groups_.valueAt(row, groups_.fieldIndex(kGroupState)).toString();
    return state.isEmpty() ? GroupState::Unchanged : GroupState(state.at(0).toLatin1());
}

int SectorEditorModel::rowOfGroup(int id) const {
    for (int row = 0; row < groupCount(); ++row)
        if (groupId(row) == id) return row;
    return -1;
}

void SectorEditorModel::filterTo(int id) {
    sectors_.setFilter([id](const db::RowView& row) { return row.value(kGroupId).toInt() == id; });
}

void SectorEditorModel::selectGroup(int row) {
    selected_ = row >= 0 && row < groupCount() ? row : -1;
    if (selected_ >= 0) groups_.moveTo(selected_);
    if (sectors_.isOpen()) filterTo(selected_ >= 0 ? groupId(selected_) : 0);
}

void SectorEditorModel::setGroupState(int row, GroupState state) {
    if (groupState(row) == state) return;
    groups_.moveTo(row);
    groups_.edit();
    groups_.setValue(kGroupState, stateText(state));
    groups_.post();
}

int SectorEditorModel::addGroup(const QString& title) {
    if (!groups_.isOpen()) return -1;
    groups_.append();
    groups_.setValue(kGroupId, ++lastGroupId_);
    groups_.setValue(kGroupTitle, title);
    groups_.setValue(kGroupState, stateText(GroupState::Added));
    groups_.post();
    selectGroup(groups_.currentRow());
    return selected_;
}

void SectorEditorModel::renameGroup(int row, const QString& title) {
    if (row < 0 || row >= groupCount()) return;
    groups_.moveTo(row);
    groups_.edit();
    groups_.setValue(kGroupTitle, title);
    groups_.post();
    const GroupState state = groupState(row);
    if (state != GroupState::SectorsChanged && state != GroupState::Added)
        setGroupState(row, GroupState::Renamed);
}

int SectorEditorModel::removeGroup(int row) {
    if (row < 0 || row >= groupCount()) return selected_;
    const int id = groupId(row);
    // Only a group the database holds needs deleting there.
    if (id > 0 && id <= loadedMaxGroupId_) removed_.push_back(id);
    groups_.moveTo(row);
    groups_.deleteRow();
    selectGroup(std::min(row, groupCount() - 1));
    return selected_;
}

std::vector<int> SectorEditorModel::sectorKeys() const {
    std::vector<int> keys;
    const int field = sectors_.fieldIndex(kSectorKey);
    for (int row = 0; row < sectors_.recordCount(); ++row)
        keys.push_back(sectors_.valueAt(row, field).toInt());
    return keys;
}

bool SectorEditorModel::locateSector(int key) { return sectors_.locate(kSectorKey, key); }

std::optional<SectorValues> SectorEditorModel::sector(int key) const {
    const std::vector<int> keys = sectorKeys();
    const auto found = std::find(keys.begin(), keys.end(), key);
    if (found == keys.end()) return std::nullopt;
    const int row = int(found - keys.begin());
    SectorValues values;
    values.excluded = sectors_.valueAt(row, sectors_.fieldIndex(kExcluded)).toBool();
    values.from = sectors_.valueAt(row, sectors_.fieldIndex(kAngleFrom)).toInt();
    values.to = sectors_.valueAt(row, sectors_.fieldIndex(kAngleTo)).toInt();
    const auto coefficients = coefficients_.find(key);
    if (coefficients != coefficients_.end()) values.coefficients = coefficients->second;
    return values;
}

int SectorEditorModel::storeSector(std::optional<int> key, const SectorValues& values) {
    if (selected_ < 0 || !sectors_.isOpen()) return -1;
    const int group = groupId(selected_);
    int stored = 0;
    if (key && locateSector(*key)) {
        stored = *key;
        sectors_.edit();
    } else {
        stored = ++lastSectorKey_;
        sectors_.append();
        sectors_.setValue(kSectorKey, stored);
        sectors_.setValue(kGroupId, group);
    }
    Coefficients coefficients;
    for (std::size_t i = 0; i < coefficients.size(); ++i)
        coefficients[i] = normalisedCoefficient(values.coefficients[i]);
    sectors_.setValue(kExcluded, values.excluded);
    sectors_.setValue(kAngleFrom, values.from);
    sectors_.setValue(kAngleTo, values.to);
    for (int i = 0; i < 8; ++i) sectors_.setValue(coefficientField(i), coefficients[size_t(i)]);
    sectors_.post();
    coefficients_[stored] = coefficients;
    setGroupState(selected_, GroupState::SectorsChanged);
    sectors_.refilter();

    // The group's other sectors give way to the one just stored.
    std::vector<int> otherKeys;
    std::vector<SectorAngles> others;
    for (int k : sectorKeys()) {
        if (k == stored) continue;
        const std::optional<SectorValues> other = sector(k);
        otherKeys.push_back(k);
        others.push_back({other->from, other->to});
    }
    for (const SectorChange& change : adjustNeighbours({values.from, values.to}, others)) {
        if (!locateSector(otherKeys[change.index])) continue;
        sectors_.edit();
        sectors_.setValue(kAngleFrom, change.angles.from);
        sectors_.setValue(kAngleTo, change.angles.to);
        sectors_.post();
    }
    locateSector(stored);
    return stored;
}

void SectorEditorModel::removeSector(int key) {
    if (selected_ < 0 || !locateSector(key)) return;
    setGroupState(selected_, GroupState::SectorsChanged);
    sectors_.deleteRow();
    coefficients_.erase(key);
}

bool SectorEditorModel::hasChanges() const {
    if (!removed_.empty()) return true;
    for (int row = 0; row < groupCount(); ++row)
        if (groupState(row) != GroupState::Unchanged) return true;
    return false;
}

SectorCallRow SectorEditorModel::callRow(int row) const {
    SectorCallRow call;
    call.excluded = sectors_.valueAt(row, sectors_.fieldIndex(kExcluded)).toBool();
    call.from = sectors_.valueAt(row, sectors_.fieldIndex(kAngleFrom)).toInt();
    call.to = sectors_.valueAt(row, sectors_.fieldIndex(kAngleTo)).toInt();
    const auto coefficients =
        coefficients_.find(sectors_.valueAt(row, sectors_.fieldIndex(kSectorKey)).toInt());
    if (coefficients != coefficients_.end()) {
        call.coefficients = coefficients->second;
    } else {
        for (int i = 0; i < 8; ++i)
            call.coefficients[size_t(i)] =
                sectors_.valueAt(row, sectors_.fieldIndex(coefficientField(i))).toString();
    }
    return call;
}

std::vector<SaveCall> SectorEditorModel::saveCalls() {
    std::vector<SaveCall> calls;
    if (!groups_.isOpen() || !sectors_.isOpen()) return calls;
    for (int row = 0; row < groupCount(); ++row) {
        const GroupState state = groupState(row);
        if (state == GroupState::Unchanged) continue;
        filterTo(groupId(row));
        std::vector<SectorCallRow> sectors;
        for (int sector = 0; sector < sectors_.recordCount(); ++sector) sectors.push_back(callRow(sector));
        calls.push_back({handleGroupCall(groupId(row), groupTitle(row), state, sectors), false});
    }
    for (int id : removed_) calls.push_back({deleteGroupCall(id), true});
    selectGroup(selected_);
    return calls;
}

}  // namespace windsectors
