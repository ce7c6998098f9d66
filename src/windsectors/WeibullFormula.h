#pragma once
// The Weibull density that fills a wind distribution curve.

#include <QString>

#include <optional>

namespace windsectors {

struct WeibullParameters {
    double c = 7.0;    // scale, m/s
    double k = 2.0;    // shape
    double y = 100.0;  // factor applied to every value
};

// k * c^-k * x^(k-1) * exp(-(x/c)^k) * Y. Where the density is unbounded
// (k < 1 at x = 0) or not a number, 0 is returned: such a value can be
// neither stored nor drawn.
double weibullValue(double x, const WeibullParameters& parameters);

// The parameters from the dialog's three texts when all three are numbers
// greater than 0 (',' or '.' as decimal mark), otherwise nothing.
std::optional<WeibullParameters> readWeibullParameters(const QString& c, const QString& k, const QString& y);

}  // namespace windsectors
