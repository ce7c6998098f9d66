#pragma once
// Shadow data: per profile, unit and day, the figures the reports are
// computed from, derived from the raw data samples. A regeneration is split
// into steps (one unit, one calendar month) so that it can commit and count
// ReportProfileStatus down as it goes, and be resumed where it stopped.
//
// Raw samples are stamped at the end of their interval: the day D holds the
// samples after D 00:00:00 up to and including D+1 00:00:00.

#include "reportdb/ProcedureRegistry.h"

#include <QDate>
#include <QDateTime>
#include <vector>

namespace reportdb::shadow {

// Inclusive range of days.
struct DayRange {
    QDate first;
    QDate last;

    bool isEmpty() const { return !first.isValid() || !last.isValid() || first > last; }
};

struct Step {
    int parkUnitId = 0;
    DayRange days;
};

// The days whose samples lie between `from` and `to`:
// "2023-01-01 00:10:00" .. "2023-02-01 00:00:00" is January 2023.
DayRange requestedDays(const QDateTime& from, const QDateTime& to);

// The days of raw data present for the units (empty when there is none).
DayRange rawDataDays(const ProcedureContext& context, const std::vector<int>& parkUnitIds);

std::vector<int> profileUnits(const ProcedureContext& context, int profileId);
bool profileExists(const ProcedureContext& context, int profileId);

// One step per unit and calendar month of `days`, unit after unit.
std::vector<Step> planSteps(const std::vector<int>& parkUnitIds, const DayRange& days);

// Replaces the profile's shadow data of the step's unit and days with
// figures computed from the raw data (and the unit's site calibration).
void regenerateStep(const ProcedureContext& context, int profileId, const Step& step);
// Removes the profile's shadow data of the step's unit and days.
void deleteStep(const ProcedureContext& context, int profileId, const Step& step);

// A planned regeneration of one profile.
class Regeneration {
public:
    Regeneration() = default;
    Regeneration(int profileId, std::vector<int> parkUnitIds, DayRange days);

    // The profile's units and the requested days, limited to the profile's
    // shadow data start and the raw data present. Throws SqlError when the
    // profile does not exist or the period ends before it starts.
    static Regeneration plan(const ProcedureContext& context, int profileId, const QDateTime& from,
                             const QDateTime& to);

    int profileId() const { return profileId_; }
    const std::vector<int>& parkUnitIds() const { return units_; }
    const DayRange& days() const { return days_; }
    int stepCount() const { return int(steps_.size()); }

    // Sets ReportProfileStatus to the number of steps (or finishes at once
    // when there are none).
    void begin(const ProcedureContext& context) const;
    // Runs step `index` and counts the status down; the last step finishes:
    // status 0 and the regeneration marker cleared.
    void runStep(const ProcedureContext& context, int index) const;

private:
    int profileId_ = 0;
    std::vector<int> units_;
    DayRange days_;
    std::vector<Step> steps_;
};

// ReportProfileStatus of a failed regeneration.
inline constexpr int kFailedStatus = -1;
void setStatus(const ProcedureContext& context, int profileId, int status);

// Day <-> the stored date-time text ("yyyy-MM-dd 00:00:00").
QString dayText(const QDate& day);
QString idList(const std::vector<int>& ids);
std::vector<int> parseIdList(const QString& text, bool* ok = nullptr);

}  // namespace reportdb::shadow
