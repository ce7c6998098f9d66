#pragma once
// The call texts that write and delete a wind sector group.

#include "windsectors/Coefficients.h"

#include <QString>

#include <vector>

namespace windsectors {

// A group's change state while the editor holds it.
enum class GroupState : char { Unchanged = '4', Added = '1', Renamed = '3', SectorsChanged = '0' };

// One sector as the call lists it.
struct SectorCallRow {
    bool excluded = false;
    int from = 0;
    int to = 0;
    Coefficients coefficients;
};

// "WMS_SP_CRQ_HandleWindSectorGroup ..." for a changed group: one list
// element per sector, all lists in the order given, coefficients with '.'.
QString handleGroupCall(int groupId, const QString& title, GroupState state,
                        const std::vector<SectorCallRow>& sectors);

// The call that deletes a removed group.
QString deleteGroupCall(int groupId);

}  // namespace windsectors
