#pragma once
// Reads what the sector dialog's boxes hold into a sector, or says which
// message refuses it.

#include "windsectors/SectorEditorModel.h"

#include <QString>

#include <array>

namespace windsectors {

// A coefficient must stay below this.
inline constexpr double kCoefficientLimit = 1000.0;

struct SectorInput {
    QString from;
    QString to;
    bool excluded = false;
    std::array<QString, 8> coefficients;  // Run A-D, Stop A-D, as typed
};

struct SectorReading {
    // 0 when the input is a sector; else the message that refuses it:
    // 211 for a coefficient that is no number below the limit, 212 for an
    // angle that is no whole number from 0 to 360.
    int refusal = 0;
    SectorValues values;
};

inline constexpr int kMessageBadCoefficient = 211;
inline constexpr int kMessageBadAngle = 212;

// Coefficients are checked first, then angles. A stop angle of 0 means 360.
SectorReading readSector(const SectorInput& input);

}  // namespace windsectors
