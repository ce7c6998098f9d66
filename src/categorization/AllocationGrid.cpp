#include "categorization/AllocationGrid.h"

#include "db/Parameters.h"

#include <QString>

namespace categorization {

namespace af = allocation_field;

namespace {

bool allocatedState(AllocationCellState state) {
    return state == AllocationCellState::New || state == AllocationCellState::Kept;
}

qlonglong idOf(const QVariant& value) { return value.isNull() ? 0 : value.toLongLong(); }

}  // namespace

AllocationGrid::AllocationGrid(db::DataSet& dataSet, const AllocationVariant& variant)
    : dataSet_(dataSet), variant_(variant) {}

void AllocationGrid::reset() {
    // Without a filter the next opening shows every row until its view is applied.
    dataSet_.clearFilter();
    dataSet_.close();
    editable_ = false;
    collapsed_ = true;
    normalOperationRow_ = false;
    storedAllocation_.clear();
    columnCategory_.clear();
    sourceNumbers_.clear();
    categories_ = {};
    sources_ = {};
}

AllocationCellState AllocationGrid::stateOf(const QVariant& value) {
    if (value.isNull()) return AllocationCellState::NotAllocated;
    const qlonglong v = value.toLongLong();
    return v >= 0 && v <= 3 ? AllocationCellState(int(v)) : AllocationCellState::NotAllocated;
}

AllocationCellState AllocationGrid::cellState(int row, int field) const {
    return stateOf(dataSet_.valueAt(row, field));
}

bool AllocationGrid::isAllocated(int row) const {
    for (int f = af::kFirstCategory; f < fieldCount(); ++f)
        if (allocatedState(cellState(row, f))) return true;
    return false;
}

bool AllocationGrid::isSwitchedOff(int row) const {
    return db::truthOf(dataSet_.valueAt(row, af::kDisabled));
}

int AllocationGrid::storedField(qlonglong allocationId) const {
    const auto it = storedAllocation_.find(allocationId);
    return it == storedAllocation_.end() ? 0 : it->second;
}

int AllocationGrid::categoryOfField(int field) const {
    const auto it = columnCategory_.find(field);
    return it == columnCategory_.end() ? 0 : it->second;
}

// ---------------------------------------------------------------- after loading

bool AllocationGrid::prepare(db::ResultSet categories, db::ResultSet sources, bool usesIecReporting) {
    categories_ = std::move(categories);
    sources_ = std::move(sources);
    normalOperationRow_ = false;
    storedAllocation_.clear();
    columnCategory_.clear();
    sourceNumbers_.clear();
    if (!dataSet_.isOpen()) return false;
    if (dataSet_.isFiltered()) dataSet_.clearFilter();
    // The stored map is taken after the correction: the corrected cell is a
    // new allocation that the database does not hold yet.
    const bool corrected = correctNormalOperation(usesIecReporting);
    buildStoredMap();
    if (variant_.hasResponsibleSources) appendResponsibleSources();
    buildColumnMap();
    buildSourceNumbers();
    dataSet_.first();
    return corrected;
}

bool AllocationGrid::correctNormalOperation(bool usesIecReporting) {
    if (variant_.normalOperationOnlyWithoutIec && usesIecReporting) return false;
    const int key = variant_.normalOperationField;
    int row = -1;
    for (int r = 0; r < dataSet_.recordCount() && row < 0; ++r) {
        const QVariant v = dataSet_.valueAt(r, key);
        if (!v.isNull() && v.toLongLong() == 0) row = r;
    }
    if (row < 0) return false;
    normalOperationRow_ = true;
    // A locked profile is shown as it is; a set without the normal-operation
    // category has no cell to put it in.
    const int normalField = dataSet_.fieldIndex(QLatin1String(kNormalOperationTitle));
    if (!editable_ || normalField < af::kFirstCategory) return false;
    const bool notAllocated = dataSet_.valueAt(row, normalField).toLongLong() < 1;
    const bool otherCategory = idOf(dataSet_.valueAt(row, af::kCategory)) != kNormalOperationCategoryId;
    if (!notAllocated && !(variant_.correctWhenCategoryIsNotNormal && otherCategory)) return false;
    if (!dataSet_.moveTo(row) || !dataSet_.edit()) return false;
    dataSet_.setValue(af::kCategory, qlonglong(kNormalOperationCategoryId));
    // Every other cell off, not only the later ones: one allocation per row.
    for (int f = af::kFirstCategory; f < fieldCount(); ++f)
        dataSet_.setValue(f, qlonglong(f == normalField ? 1 : 0));
    return dataSet_.post();
}

void AllocationGrid::buildStoredMap() {
    storedAllocation_.reserve(size_t(dataSet_.recordCount()));
    for (int r = 0; r < dataSet_.recordCount(); ++r) {
        int stored = 0;
        for (int f = af::kFirstCategory; f < fieldCount(); ++f)
            if (dataSet_.valueAt(r, f).toLongLong() > 1) stored = f;
        storedAllocation_[idOf(dataSet_.valueAt(r, af::kAllocationId))] = stored;
    }
}

void AllocationGrid::appendResponsibleSources() {
    if (sources_.rows.empty()) return;
    const auto column = [this](const char* name, int fallback) {
        const int c = sources_.columnIndex(QLatin1String(name));
        return c >= 0 ? c : fallback;
    };
    const int idColumn = column("CategoryAllocationId", 0);
    const int titleColumn = column("ResponsibleSourceTitle", 1);
    const int numberColumn = column("ResponsibleSourceNumber", 2);
    const int width = int(sources_.columns.size());
    if (std::max({idColumn, titleColumn, numberColumn}) >= width) return;

    std::unordered_map<qlonglong, int> rowOf;
    rowOf.reserve(size_t(dataSet_.recordCount()));
    for (int r = 0; r < dataSet_.recordCount(); ++r)
        rowOf.emplace(idOf(dataSet_.valueAt(r, af::kAllocationId)), r);
    for (const db::Row& source : sources_.rows) {
        const auto it = rowOf.find(idOf(source[size_t(idColumn)]));
        if (it == rowOf.end() || !dataSet_.moveTo(it->second) || !dataSet_.edit()) continue;
        const QString title = dataSet_.value(af::kTitle).toString() + u' ' +
                              source[size_t(titleColumn)].toString() + QStringLiteral(" (") +
                              QString::number(idOf(source[size_t(numberColumn)])) + u')';
        dataSet_.setValue(af::kTitle, title);
        dataSet_.post();
    }
}

void AllocationGrid::buildColumnMap() {
    const std::vector<std::pair<int, QString>> list = categoryList();
    for (int f = af::kFirstCategory; f < fieldCount(); ++f) {
        const auto it = std::find_if(list.begin(), list.end(), [&](const auto& c) {
            return c.second == dataSet_.field(f).displayLabel;
        });
        columnCategory_[f] = it == list.end() ? 0 : it->first;
    }
}

void AllocationGrid::buildSourceNumbers() {
    const int idColumn = sources_.columnIndex(QStringLiteral("CategoryAllocationId"));
    const int numberColumn = sources_.columnIndex(QStringLiteral("ResponsibleSourceNumber"));
    if (idColumn < 0 || numberColumn < 0) return;
    // The first source row of an allocation row counts, as in the titles.
    for (const db::Row& source : sources_.rows)
        if (size_t(std::max(idColumn, numberColumn)) < source.size())
            sourceNumbers_.try_emplace(idOf(source[size_t(idColumn)]),
                                       int(idOf(source[size_t(numberColumn)])));
}

int AllocationGrid::sourceNumber(int row) const {
    const auto it = sourceNumbers_.find(idOf(dataSet_.valueAt(row, af::kAllocationId)));
    return it == sourceNumbers_.end() ? 0 : it->second;
}

// ---------------------------------------------------------------- editing

void AllocationGrid::setCell(int field, bool on) {
    const bool stored = storedField(idOf(dataSet_.value(af::kAllocationId))) == field;
    // Off is written as 0 rather than null, so a row clicked back to its
    // loaded state compares equal to what was read.
    const int value = stored ? (on ? 3 : 2) : (on ? 1 : 0);
    dataSet_.setValue(field, qlonglong(value));
}

void AllocationGrid::setCurrentCategoryFromCells() {
    int category = 0;
    for (int f = af::kFirstCategory; f < fieldCount() && category == 0; ++f)
        if (allocatedState(stateOf(dataSet_.value(f)))) category = categoryOfField(f);
    dataSet_.setValue(af::kCategory, qlonglong(category));
}

AllocationGrid::ClickOutcome AllocationGrid::clickCell(int row, int field) {
    if (!editable_ || !dataSet_.isOpen() || !isCategoryField(field) || field >= fieldCount() || row < 0 ||
        row >= dataSet_.recordCount())
        return ClickOutcome::Ignored;
    if (!dataSet_.moveTo(row) || !dataSet_.edit()) return ClickOutcome::Ignored;
    if (isSwitchedOff(row)) {
        // A switched-off code takes no allocation; its category goes too, so
        // the saved row is consistent.
        for (int f = af::kFirstCategory; f < fieldCount(); ++f) setCell(f, false);
        dataSet_.setValue(af::kCategory, qlonglong(0));
        dataSet_.post();
        return ClickOutcome::SwitchedOff;
    }
    // The glyph advances by one (3 wraps to 0); the row then keeps at most
    // this one allocation.
    const int advanced = (int(stateOf(dataSet_.value(field))) + 1) % 4;
    const bool on = allocatedState(AllocationCellState(advanced));
    for (int f = af::kFirstCategory; f < fieldCount(); ++f) setCell(f, f == field && on);
    setCurrentCategoryFromCells();
    dataSet_.post();
    return ClickOutcome::Changed;
}

AllocationGrid::ToggleOutcome AllocationGrid::toggleSwitchOff(int row) {
    if (collapsed_ || !editable_ || !dataSet_.isOpen() || row < 0 || row >= dataSet_.recordCount())
        return ToggleOutcome::Ignored;
    const bool switchedOff = isSwitchedOff(row);
    if (!switchedOff && isAllocated(row)) return ToggleOutcome::Refused;
    if (!dataSet_.moveTo(row) || !dataSet_.edit()) return ToggleOutcome::Ignored;
    dataSet_.setValue(af::kDisabled, qlonglong(switchedOff ? 0 : 1));
    dataSet_.post();
    return ToggleOutcome::Toggled;
}

// ---------------------------------------------------------------- moving and files

int AllocationGrid::moveCategory(int sourceField, int destinationField, bool keepNormalOperationRow) {
    if (!editable_ || !dataSet_.isOpen() || sourceField == destinationField ||
        !isCategoryField(sourceField) || !isCategoryField(destinationField) ||
        std::max(sourceField, destinationField) >= fieldCount())
        return 0;
    dataSet_.clearFilter();
    int moved = 0;
    for (int r = 0; r < dataSet_.recordCount(); ++r) {
        const QVariant number = dataSet_.valueAt(r, af::kNumber);
        if (keepNormalOperationRow && !number.isNull() && number.toLongLong() == 0) continue;
        if (!allocatedState(cellState(r, sourceField))) continue;
        if (!dataSet_.moveTo(r) || !dataSet_.edit()) continue;
        setCell(sourceField, false);
        setCell(destinationField, true);
        setCurrentCategoryFromCells();
        if (dataSet_.post()) ++moved;
    }
    applyView();
    dataSet_.first();
    return moved;
}

std::vector<std::pair<int, QString>> AllocationGrid::categoryList() const {
    std::vector<std::pair<int, QString>> list;
    const int idColumn = std::max(categories_.columnIndex(QStringLiteral("ReportCategoryId")), 0);
    int titleColumn = categories_.columnIndex(QStringLiteral("ReportCategoryTitle"));
    if (titleColumn < 0) titleColumn = 1;
    for (const db::Row& row : categories_.rows)
        if (size_t(std::max(idColumn, titleColumn)) < row.size())
            list.emplace_back(int(idOf(row[size_t(idColumn)])), row[size_t(titleColumn)].toString());
    return list;
}

AllocationFile AllocationGrid::toFile(AllocationFile header) {
    AllocationFile file = std::move(header);
    for (auto& [id, title] : categoryList()) file.categories.push_back({id, std::move(title), -1});
    if (!dataSet_.isOpen()) return file;
    dataSet_.clearFilter();
    file.allocations.reserve(size_t(dataSet_.recordCount()));
    for (int r = 0; r < dataSet_.recordCount(); ++r)
        file.allocations.push_back({int(idOf(dataSet_.valueAt(r, af::kKey))),
                                    int(idOf(dataSet_.valueAt(r, af::kCategory))), isSwitchedOff(r) ? 1 : 0,
                                    variant_.hasResponsibleSources ? sourceNumber(r) : 0});
    applyView();
    dataSet_.first();
    return file;
}

int AllocationGrid::applyFile(const AllocationFile& file) {
    if (!editable_ || !dataSet_.isOpen()) return 0;
    // Indexed by key, so that thousands of rows do not search thousands of lines each.
    std::unordered_map<int, std::vector<const AllocationFileLine*>> linesOfKey;
    linesOfKey.reserve(file.allocations.size());
    for (const AllocationFileLine& line : file.allocations) linesOfKey[line.key].push_back(&line);
    std::unordered_map<int, int> resolved;
    for (const AllocationFileCategory& category : file.categories)
        resolved.try_emplace(category.id, std::max(category.resolvedId, 0));

    dataSet_.clearFilter();
    int applied = 0;
    for (int r = 0; r < dataSet_.recordCount(); ++r) {
        const auto lines = linesOfKey.find(int(idOf(dataSet_.valueAt(r, af::kKey))));
        if (lines == linesOfKey.end()) continue;
        const AllocationFileLine* match = nullptr;
        const bool bySource = variant_.hasResponsibleSources &&
                              sourceNumbers_.count(idOf(dataSet_.valueAt(r, af::kAllocationId)));
        for (const AllocationFileLine* line : lines->second) {
            if (bySource && line->sourceNumber != sourceNumber(r)) continue;
            match = line;
            break;
        }
        if (!match || !dataSet_.moveTo(r) || !dataSet_.edit()) continue;
        const auto category = resolved.find(match->category);
        const int categoryId = category == resolved.end() ? 0 : category->second;
        const bool hadCategory = !dataSet_.value(af::kCategory).isNull();
        // A null stays null where the file says the same, so that a file
        // taken back into its own window changes nothing.
        if (isSwitchedOff(r) != (match->disabled != 0))
            dataSet_.setValue(af::kDisabled, qlonglong(match->disabled != 0 ? 1 : 0));
        for (int f = af::kFirstCategory; f < fieldCount(); ++f)
            setCell(f, categoryId != 0 && categoryOfField(f) == categoryId);
        // A category without a column in this grid leaves the row unallocated.
        setCurrentCategoryFromCells();
        if (!hadCategory && idOf(dataSet_.value(af::kCategory)) == 0)
            dataSet_.setValue(af::kCategory, QVariant());
        if (dataSet_.post()) ++applied;
    }
    applyView();
    dataSet_.first();
    return applied;
}

// ---------------------------------------------------------------- views

void AllocationGrid::setCollapsed(bool collapsed) {
    collapsed_ = collapsed;
    applyView();
}

void AllocationGrid::applyView() {
    if (!dataSet_.isOpen()) return;
    if (collapsed_)
        dataSet_.setFilter([](const db::RowView& row) { return !db::truthOf(row.value(af::kDisabled)); });
    else
        dataSet_.clearFilter();
}

// ---------------------------------------------------------------- saving

void AllocationGrid::acceptSaved() {
    if (!dataSet_.isOpen()) return;
    // Thousands of rows may change: the views hear of it once, as a reset.
    dataSet_.changeMany([this] {
        // Every row, switched-off ones included.
        dataSet_.clearFilter();
        for (int r = 0; r < dataSet_.recordCount(); ++r) {
            if (dataSet_.rowStatus(r) == db::RowStatus::Unchanged) continue;
            int now = 0;
            for (int f = af::kFirstCategory; f < fieldCount(); ++f) {
                const AllocationCellState state = cellState(r, f);
                if (allocatedState(state)) now = f;
                if (state == AllocationCellState::New || state == AllocationCellState::Removed)
                    dataSet_.setStoredValue(r, f, qlonglong(state == AllocationCellState::New ? 3 : 0));
            }
            storedAllocation_[idOf(dataSet_.valueAt(r, af::kAllocationId))] = now;
        }
        dataSet_.acceptChanges();
        applyView();
    });
}

}  // namespace categorization
