#pragma once
// Coefficient texts of the sectors' cubic correction functions.

#include <QString>

#include <array>
#include <optional>

namespace windsectors {

// Run A-D, then Stop A-D.
using Coefficients = std::array<QString, 8>;

// f(x) = x for both functions: what a new sector starts with.
Coefficients identityCoefficients();

// The number a user typed, with ',' or '.' as decimal separator; nothing
// for a text that is not one number.
std::optional<double> parseCoefficient(const QString& text);

// The text as stored and sent: '.' as separator whatever the locale, and
// the shortest form that reads back as the same number. A text that is
// not a number is kept as it is.
QString normalisedCoefficient(const QString& text);

}  // namespace windsectors
