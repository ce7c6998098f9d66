#include "curves/FreeWindBoxes.h"

#include "ui/TypedNumbers.h"

namespace curves {

FreeWindCheck checkFreeWindBoxes(const FreeWindTexts& boxes) {
    for (int box : kParameterCBoxes) {
        const QString text = boxes[size_t(box)].trimmed();
        if (text.isEmpty() || text == QLatin1String("0")) return {FreeWindProblem::ParameterCZero, box};
    }
    if (boxes[0].trimmed().isEmpty()) return {FreeWindProblem::TitleMissing, 0};
    for (int box = 1; box < kFreeWindBoxes; ++box)
        if (!boxes[size_t(box)].trimmed().isEmpty() && !ui::readTypedNumber(boxes[size_t(box)]))
            return {FreeWindProblem::NotANumber, box};
    return {};
}

QVariant freeWindValue(int box, const QString& text) {
    if (box == 0) return text.trimmed();
    const std::optional<double> value = ui::readTypedNumber(text);
    return value ? QVariant(*value) : QVariant();
}

}  // namespace curves
