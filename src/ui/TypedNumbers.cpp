#include "ui/TypedNumbers.h"

#include <QLocale>

#include <cmath>

namespace ui {

std::optional<double> readTypedNumber(const QString& text) {
    QString normalised = text.trimmed();
    normalised.replace(QLatin1Char(','), QLatin1Char('.'));
    if (normalised.isEmpty()) return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(normalised, &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

QString sqlNumber(double value, int decimals) { return QString::number(value, 'f', decimals); }

}  // namespace ui
