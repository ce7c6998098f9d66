#include "units/UnitSelection.h"

#include "db/DataSet.h"

#include <algorithm>

namespace units {

namespace {

const QString kId = QStringLiteral("ParkUnitId");

int rowOf(const db::DataSet& rows, int unitId) {
    const int field = rows.fieldIndex(kId);
    if (field < 0) return -1;
    for (int row = 0; row < rows.recordCount(); ++row)
        if (rows.valueAt(row, field).toInt() == unitId) return row;
    return -1;
}

Candidate candidateFrom(const db::DataSet& rows, int row, bool startsSelected) {
    const db::RowView view = rows.rowView(row);
    return {view.value(kId).toInt(), view.value(QStringLiteral("ParkUnitTitle")).toString(),
            view.value(QStringLiteral("UnitTypeDevice")).toString(),
            view.value(QStringLiteral("UnitTypeTitle")).toString(), startsSelected};
}

bool contains(const std::vector<int>& ids, int id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

std::vector<Candidate> buildCandidates(const std::vector<int>& sessionUnitIds, const db::DataSet& unselected,
                                       const db::DataSet& selected, StartMode mode) {
    std::vector<Candidate> out;
    for (int id : sessionUnitIds) {
        if (const int row = rowOf(unselected, id); row >= 0)
            out.push_back(candidateFrom(unselected, row, mode == StartMode::Selected));
        else if (const int inProfile = rowOf(selected, id); inProfile >= 0)
            out.push_back(candidateFrom(selected, inProfile, true));
    }
    return out;
}

QString initiallySelectedText(const std::vector<Candidate>& candidates) {
    QStringList ids;
    for (const Candidate& c : candidates)
        if (c.startsSelected) ids << QString::number(c.ParkUnitId);
    return ids.join(QLatin1Char(','));
}

SelectionChanges selectionChanges(const std::vector<Candidate>& offered, const std::vector<int>& selectedIds,
                                  const db::DataSet& selected, const db::DataSet& unselected) {
    std::vector<int> offeredIds;
    for (const Candidate& c : offered) offeredIds.push_back(c.ParkUnitId);
    SelectionChanges changes;
    for (int row = 0; row < selected.recordCount(); ++row) {
        const db::RowView view = selected.rowView(row);
        const int id = view.value(kId).toInt();
        if (contains(offeredIds, id) && !contains(selectedIds, id)) {
            changes.removals.push_back(id);
            changes.removalTitles << view.value(QStringLiteral("ParkUnitTitle")).toString();
        }
    }
    for (int row = 0; row < unselected.recordCount(); ++row) {
        const int id = unselected.rowView(row).value(kId).toInt();
        if (contains(selectedIds, id)) changes.additions.push_back(id);
    }
    return changes;
}

QString shadowDataStartText(const QDate& chosen, const QDateTime& lowerLimit) {
    const bool limitDay = lowerLimit.isValid() && chosen.toString(QStringLiteral("yyyyMMdd")) ==
                                                      lowerLimit.date().toString(QStringLiteral("yyyyMMdd"));
    return chosen.toString(QStringLiteral("yyyy-MM-dd")) + u' ' +
           (limitDay ? lowerLimit.time().toString(QStringLiteral("hh:mm:ss")) : QStringLiteral("00:00:00"));
}

}  // namespace units
