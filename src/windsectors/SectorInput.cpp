#include "windsectors/SectorInput.h"

#include <optional>

namespace windsectors {

namespace {

std::optional<int> angle(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 0 || value > 360) return std::nullopt;
    return value;
}

}  // namespace

SectorReading readSector(const SectorInput& input) {
    SectorReading reading;
    for (std::size_t i = 0; i < input.coefficients.size(); ++i) {
        const std::optional<double> value = parseCoefficient(input.coefficients[i]);
        if (!value || !(*value < kCoefficientLimit)) {
            reading.refusal = kMessageBadCoefficient;
            return reading;
        }
        reading.values.coefficients[i] = normalisedCoefficient(input.coefficients[i]);
    }
    const std::optional<int> from = angle(input.from);
    const std::optional<int> to = angle(input.to);
    if (!from || !to) {
        reading.refusal = kMessageBadAngle;
        return reading;
    }
    reading.values.from = *from;
    reading.values.to = *to == 0 ? 360 : *to;
    reading.values.excluded = input.excluded;
    return reading;
}

}  // namespace windsectors
