#include "windsectors/Coefficients.h"

#include <QLocale>

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
    if (!ok) return std::nullopt;
    return value;
}

QString normalisedCoefficient(const QString& text) {
    const std::optional<double> value = parseCoefficient(text);
    if (!value) return text;
    return QString::number(*value, 'g', QLocale::FloatingPointShortest);
}

}  // namespace windsectors
