#include "windsectors/WeibullFormula.h"

#include "ui/TypedNumbers.h"

#include <cmath>

namespace windsectors {

double weibullValue(double x, const WeibullParameters& p) {
    // Evaluated factor by factor, in the order the curves have always been computed.
    const double scale = std::pow(p.c, -p.k);
    const double power = std::pow(x, p.k - 1.0);
    const double exponent = std::pow(x / p.c, p.k);
    const double value = p.k * scale * power * std::exp(-exponent) * p.y;
    return std::isfinite(value) ? value : 0.0;
}

std::optional<WeibullParameters> readWeibullParameters(const QString& c, const QString& k, const QString& y) {
    const std::optional<double> values[] = {ui::readTypedNumber(c), ui::readTypedNumber(k),
                                            ui::readTypedNumber(y)};
    for (const auto& value : values)
        if (!value || *value <= 0.0) return std::nullopt;
    return WeibullParameters{*values[0], *values[1], *values[2]};
}

}  // namespace windsectors
