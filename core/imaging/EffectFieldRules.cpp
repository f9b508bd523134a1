#include "core/imaging/EffectFieldRules.h"

#include <QRegularExpression>
#include <cmath>

namespace vantrel {

float numberFieldValue(const QString& text) {
    static const QRegularExpression leadingNumber(
        QStringLiteral(R"(^\s*([+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?))"));
    const QRegularExpressionMatch match = leadingNumber.match(text);
    if (!match.hasMatch())
        return 0.0f;
    // Too large for a float gives infinity here; keepFloatValue turns that into 0.
    return static_cast<float>(match.captured(1).toDouble());
}

float keepFloatValue(float value, float limit) {
    // Not finite: dividing by 10 would never bring infinity into range, and NaN compares
    // false everywhere and would pass through as it is. Either reads as nothing typed.
    if (!std::isfinite(value))
        return 0.0f;
    if (value < 0.0f)
        value = -value;
    while (value > limit)
        value /= 10.0f;
    return value;
}

float validatedCropSlider(float moved, float opposite) {
    if (moved == 1.0f)
        moved = 0.99f;
    if (moved + opposite >= 1.0f)
        moved = (1.0f - opposite) - 0.01f;
    return moved;
}

int rotatedDegrees(float degrees, int segment) {
    const int d = static_cast<int>(degrees);
    int turned = segment == 0 ? d + 90 : d - 90;
    if (turned < 0)
        turned = d + 270;
    return turned % 360;
}

QString rotationLabelText(int degrees) {
    return QStringLiteral("%1\u00B0").arg(degrees == 270 ? 90 : degrees);
}

} // namespace vantrel
