#pragma once
// The unit selection of a profile without widgets: which units the dialog
// offers and where each starts, what applying its result removes and adds,
// and the shadow data start date text of an addition.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

namespace db {
class DataSet;
}

namespace units {

// A unit the selection dialog offers.
struct Candidate {
    int ParkUnitId = 0;
    QString ParkUnitTitle;
    QString UnitTypeDevice;
    QString UnitTypeTitle;
    bool startsSelected = false;

    bool operator==(const Candidate&) const = default;
};

// Where a unit outside the profile starts: "Available" when the user picks
// units, "Selected" when a new profile takes every session unit.
enum class StartMode { Available, Selected };

// The session's units, in session order, that one of the two unit lists
// names: those outside the profile (`unselected`) start as `mode` says,
// those in it (`selected`) start selected. A session unit in neither list
// is not offered.
std::vector<Candidate> buildCandidates(const std::vector<int>& sessionUnitIds, const db::DataSet& unselected,
                                       const db::DataSet& selected, StartMode mode);

// The initially selected ids as one text: "3,7,9".
QString initiallySelectedText(const std::vector<Candidate>& candidates);

struct SelectionChanges {
    std::vector<int> removals;  // in the order of the units in the profile
    QStringList removalTitles;
    std::vector<int> additions;  // in the order of the units outside the profile

    bool operator==(const SelectionChanges&) const = default;
};

// What applying the dialog's "Selected" ids changes. Only units the dialog
// offered can be removed: a unit of the profile the session does not list
// was never shown to the user and stays.
SelectionChanges selectionChanges(const std::vector<Candidate>& offered, const std::vector<int>& selectedIds,
                                  const db::DataSet& selected, const db::DataSet& unselected);

// The shadow data start passed with an addition: the chosen day, with the
// time of day of the data's lower limit when it is that limit's own day and
// midnight otherwise ("2024-03-01 00:10:00").
QString shadowDataStartText(const QDate& chosen, const QDateTime& lowerLimit);

}  // namespace units
