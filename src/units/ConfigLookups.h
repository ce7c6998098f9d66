#pragma once
// The lists the park unit configuration's key columns refer to, shared by
// the grid and the record view.

#include "ui/LookupDelegate.h"

#include <QString>
#include <vector>

namespace units {

struct ConfigLookups {
    ui::LookupList curves;
    ui::LookupList turbines;
    ui::LookupList mets;
    ui::LookupList freeWind;
    ui::LookupList sectorGroups;
    ui::LookupList connectionPoints;

    void clear() {
        for (ui::LookupList* list : {&curves, &turbines, &mets, &freeWind, &sectorGroups, &connectionPoints})
            list->clear();
    }
};

// A key column and the list it refers to.
struct LookupColumn {
    const char* field;
    ui::LookupList ConfigLookups::*list;
};

inline const std::vector<LookupColumn>& lookupColumns() {
    static const std::vector<LookupColumn> columns = {
        {"NormLookup", &ConfigLookups::curves},
        {"NeighbourTurbinePrimaryId", &ConfigLookups::turbines},
        {"NeighbourTurbineSecondaryId", &ConfigLookups::turbines},
        {"MetStP1Id", &ConfigLookups::mets},
        {"MetStP2Id", &ConfigLookups::mets},
        {"MetStP3Id", &ConfigLookups::mets},
        {"FreeWindParameterId", &ConfigLookups::freeWind},
        {"WindSectorGroupId", &ConfigLookups::sectorGroups},
        {"ConnectionPointParkUnitId", &ConfigLookups::connectionPoints},
    };
    return columns;
}

}  // namespace units
