#pragma once
// The selected profile's values that the categorization windows work with,
// handed over by the main window before it opens one of them.

#include <QString>
#include <functional>

namespace categorization {

struct ProfileInfo {
    int ReportProfileId = 0;
    QString Title;
    bool Locked = false;
    bool UseDeratingCategorisation = false;
    bool UseIECReporting = false;
    bool UseEEGReporting = false;
};

// Marks the main window's current profile as needing its shadow data
// regenerated (ReportProfileRegeneratePendingFlag := 1, written back).
using RegenerationMarker = std::function<void()>;

}  // namespace categorization
