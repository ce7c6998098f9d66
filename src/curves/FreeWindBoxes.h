#pragma once
// The fifteen boxes of a free wind parameter set, in the order of the
// set's fields 1 to 15: the title, then the low pitch angle and its a, b,
// c, d, the high pitch angle and its a, b, c, d, and the stopped turbine's
// a, b, c, d.

#include <QString>
#include <QVariant>

#include <array>

namespace curves {

constexpr int kFreeWindBoxes = 15;
using FreeWindTexts = std::array<QString, kFreeWindBoxes>;
// The boxes of the three c parameters: each function starts as f(x) = x.
constexpr std::array<int, 3> kParameterCBoxes = {4, 9, 13};

enum class FreeWindProblem { None, ParameterCZero, TitleMissing, NotANumber };

struct FreeWindCheck {
    FreeWindProblem problem = FreeWindProblem::None;
    int box = -1;  // the box at fault
};

// A c box that is empty or exactly "0" comes first, then an empty title,
// then any box that holds text that is not a number (',' or '.').
FreeWindCheck checkFreeWindBoxes(const FreeWindTexts& boxes);

// The value to store for a box: the title as typed, a number, or NULL for
// an empty box.
QVariant freeWindValue(int box, const QString& text);

}  // namespace curves
