#include "windsectors/SectorOverlap.h"

namespace windsectors {

int normalisedAngle(int angle) {
    if (angle < 0) return 359;
    if (angle > 359) return 0;
    return angle;
}

namespace {

SectorAngles adjusted(SectorAngles s, int F, int T) {
    const auto n = normalisedAngle;
    // Cut back the end that reaches into the edited sector.
    if (s.from < s.to && s.from < F && F < s.to && s.to < T) s.to = n(F);
    if (s.from < s.to && F < s.from && s.from < T && T < s.to) s.from = n(T);
    if (s.from < s.to && s.from < T && T < s.to && s.to < F) s.from = n(T);
    // Lies inside the edited sector: emptied.
    if (s.from < s.to && F < s.from && s.from < s.to && s.to < T) s = {0, 0};
    if (s.from < s.to && s.from < s.to && s.to < T && T <= F && s.from < F) s = {0, 0};
    // Wrapping sectors.
    if (s.from > s.to && F < s.to && s.to < T && T < s.from) s.to = n(F);
    if (s.from > s.to && F < s.from && s.from < T && s.to < T) {
        // Moving the stop back to F would enlarge a sector whose stop lies
        // before F: then only its start moves past the edited sector.
        if (F < s.to) s.to = n(F);
        s.from = n(T);
    }
    if (s.from > s.to && s.from < F && s.from < T && s.to < T) s = {0, 0};
    return s;
}

}  // namespace

std::vector<SectorChange> adjustNeighbours(SectorAngles edited, const std::vector<SectorAngles>& others) {
    std::vector<SectorChange> changes;
    for (std::size_t i = 0; i < others.size(); ++i) {
        const SectorAngles after = adjusted(others[i], edited.from, edited.to);
        if (after != others[i]) changes.push_back({i, after});
    }
    return changes;
}

}  // namespace windsectors
