#pragma once
// Numbers typed into boxes and grid cells, and numbers written into SQL text.
// Users type either ',' or '.' as the decimal mark whatever their locale;
// SQL text always takes '.', or a decimal comma would split one argument in two.

#include <QString>

#include <optional>

namespace ui {

// The number in `text` with ',' or '.' as its decimal mark; nothing when the
// text is empty, not a number, or not finite.
std::optional<double> readTypedNumber(const QString& text);

// `value` with `decimals` places and '.' as the decimal mark.
QString sqlNumber(double value, int decimals);

}  // namespace ui
