#pragma once
// Keeps the other sectors of a group from overlapping a sector just edited.

#include <cstddef>
#include <vector>

namespace windsectors {

// A sector's angle range [from, to) in whole degrees, read clockwise; a
// sector with from > to wraps through 0.
struct SectorAngles {
    int from = 0;
    int to = 0;
    bool operator==(const SectorAngles&) const = default;
};

struct SectorChange {
    std::size_t index = 0;  // into the `others` given
    SectorAngles angles;
    bool operator==(const SectorChange&) const = default;
};

// 359 below 0, 0 above 359, the angle otherwise.
int normalisedAngle(int angle);

// The changed angles of `others` (the group's other sectors in row order)
// after `edited` was stored: each sector is tested against the rules in
// order, each rule on the angles the earlier ones left. Sectors that do not
// change are not listed.
std::vector<SectorChange> adjustNeighbours(SectorAngles edited, const std::vector<SectorAngles>& others);

}  // namespace windsectors
