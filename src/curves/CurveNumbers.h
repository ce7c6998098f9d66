#pragma once
// The number work of the reference curve editor, kept apart from its widgets:
// which points the grid shows, pasted point pairs, filling gaps, the chart's
// axis range and the call that creates a default curve.

#include <QString>

#include <optional>
#include <vector>

namespace curves {

// A default curve: wind speeds 0.0 to 40.0 m/s in tenths, all production 0.
constexpr int kDefaultPointCount = 401;
constexpr double kDefaultWindSpeedStep = 0.1;
// Pasted pairs outside these ranges are typing or copying slips.
constexpr double kMaxPastedWindSpeed = 35.0;
constexpr double kMaxPastedProduction = 5000.0;

// The grid step in tenths of a m/s for the wind speed filter's item
// (0.1, 0.5 and 1 m/s); an unknown item shows every point.
int gridStepOfFilter(int filterIndex);

// Whether the grid shows the point at `windSpeed` with step `step` (tenths).
// The speed is taken in tenths and truncated; the small addition keeps a
// stored 0.3 (0.29999...) at 3 tenths.
bool isShownAtStep(double windSpeed, int step);

struct CurvePoint {
    double windSpeed = 0.0;
    double production = 0.0;
    bool operator==(const CurvePoint&) const = default;
};

// The pairs of a clipboard text copied from two spreadsheet columns: wind
// speed, tab, production, line feed. A carriage return is ignored, a last
// line without a line feed counts; a line without a tab, a pair that does not
// convert and a pair outside the ranges above are skipped.
std::vector<CurvePoint> parsePastedPoints(const QString& text);

// Fills each run of zero productions that lies between two non-zero ones
// linearly; zeros before the first and after the last non-zero value stay.
// Returns the indices it changed.
std::vector<int> interpolateZeroGaps(std::vector<double>& productions);

// The upper end of the production axis: 1.05 (single precision, as curves
// have always been drawn) times the largest production, or 1 when there is
// no positive production, so an all-zero curve still has a visible range.
double productionAxisMaximum(const std::vector<double>& productions);

struct NewCurve {
    QString title;
    QString description;  // empty: "No Description "
    double airDensity = 1.225;
    bool locked = false;
    std::optional<double> cutInWindSpeed;  // absent: NULL
    std::optional<double> cutOutWindSpeed;
    int typeId = 1;
};

// The call that creates a curve with the default points, its text quoted and
// its numbers written with '.' whatever the locale.
QString defaultCurveInsertCall(const NewCurve& curve);

}  // namespace curves
