#include "curves/CurveNumbers.h"

#include "db/Parameters.h"
#include "ui/TypedNumbers.h"

#include <algorithm>
#include <cmath>

namespace curves {

int gridStepOfFilter(int filterIndex) {
    switch (filterIndex) {
        case 1: return 5;
        case 2: return 10;
        default: return 1;
    }
}

bool isShownAtStep(double windSpeed, int step) {
    if (step <= 1) return true;
    const auto tenths = static_cast<long long>(windSpeed * 10.0 + 1e-6);
    return tenths % step == 0;
}

std::vector<CurvePoint> parsePastedPoints(const QString& text) {
    std::vector<CurvePoint> points;
    QString token;
    std::optional<QString> windSpeedToken;
    const auto endLine = [&] {
        if (windSpeedToken) {
            const std::optional<double> speed = ui::readTypedNumber(*windSpeedToken);
            const std::optional<double> production = ui::readTypedNumber(token);
            if (speed && production && *speed >= 0.0 && *speed <= kMaxPastedWindSpeed && *production >= 0.0 &&
                *production <= kMaxPastedProduction)
                points.push_back({*speed, *production});
        }
        windSpeedToken.reset();
        token.clear();
    };
    for (const QChar c : text) {
        if (c == QLatin1Char('\r')) continue;
        if (c == QLatin1Char('\n')) {
            endLine();
        } else if (c == QLatin1Char('\t') && !windSpeedToken) {
            windSpeedToken = token;
            token.clear();
        } else {
            token += c;
        }
    }
    endLine();
    return points;
}

std::vector<int> interpolateZeroGaps(std::vector<double>& productions) {
    std::vector<int> changed;
    int previous = -1;
    for (int index = 0; index < static_cast<int>(productions.size()); ++index) {
        if (productions[index] == 0.0) continue;
        if (previous >= 0 && index - previous > 1) {
            const double from = productions[previous];
            const double step = (productions[index] - from) / (index - previous);
            for (int i = 1; i < index - previous; ++i) {
                productions[previous + i] = from + i * step;
                changed.push_back(previous + i);
            }
        }
        previous = index;
    }
    return changed;
}

double productionAxisMaximum(const std::vector<double>& productions) {
    double maximum = 0.0;
    for (double value : productions)
        if (std::isfinite(value)) maximum = std::max(maximum, value);
    return maximum > 0.0 ? maximum * static_cast<double>(1.05f) : 1.0;
}

QString defaultCurveInsertCall(const NewCurve& curve) {
    const auto optionalNumber = [](const std::optional<double>& value) {
        return value ? ui::sqlNumber(*value, 1) : QStringLiteral("NULL");
    };
    const QString description =
        curve.description.isEmpty() ? QStringLiteral("No Description ") : curve.description;
    return QStringLiteral("DCE_SP_InsertDefaultNormCurveData '%1','%2',%3,%4,%5,%6,%7,%8, %9, %10, %11")
        .arg(db::QuoteSqlText(curve.title), db::QuoteSqlText(description), ui::sqlNumber(curve.airDensity, 3),
             ui::sqlNumber(0.0, 1), ui::sqlNumber(0.0, 1), QString::number(kDefaultPointCount),
             ui::sqlNumber(kDefaultWindSpeedStep, 1), QString::number(curve.locked ? 1 : 0),
             optionalNumber(curve.cutInWindSpeed))
        .arg(optionalNumber(curve.cutOutWindSpeed), QString::number(curve.typeId));
}

}  // namespace curves
