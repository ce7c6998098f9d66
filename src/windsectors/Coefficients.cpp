#include "windsectors/Coefficients.h"

#include <QLocale>

#include <cmath>

namespace windsectors {

Coefficients identityCoefficients() {
    return {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("0"),
            QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("0")};
}

std::optional<double> parseCoefficient(const QString& text) {
    QString plain = text.trimmed();
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(plain, &ok);
    // "inf" and "nan" read as numbers but are none a function can use.
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

QString normalisedCoefficient(const QString& text) {
    const std::optional<double> value = parseCoefficient(text);
    if (!value) return text;
    // Fixed notation: an exponent is no text the coefficient boxes take.
    return QString::number(*value, 'f', QLocale::FloatingPointShortest);
}

}  // namespace windsectors
