#include "gui/window/EffectSliders.h"

#include <QSignalBlocker>
#include <QSlider>
#include <QVariant>
#include <algorithm>
#include <cmath>

namespace vantrel {
namespace {

constexpr char kValue[] = "vantrelValue";

} // namespace

void setSliderRange(QSlider* slider, double minimum, double maximum) {
    const QSignalBlocker quiet(slider);
    slider->setRange(static_cast<int>(std::lround(minimum * kSliderSteps)),
                     static_cast<int>(std::lround(maximum * kSliderSteps)));
    // Arrow keys step by 1 %, Page Up and Down by 10 %.
    slider->setSingleStep(kSliderSteps / 100);
    slider->setPageStep(kSliderSteps / 10);
    setSliderValue(slider, sliderValue(slider));
}

double sliderValue(const QSlider* slider) {
    const QVariant value = slider->property(kValue);
    return value.isValid() ? value.toDouble() : static_cast<double>(slider->value()) / kSliderSteps;
}

void setSliderValue(QSlider* slider, double value) {
    const QSignalBlocker quiet(slider);
    slider->setProperty(kValue, value);
    const double position =
        std::clamp(value * kSliderSteps, double(slider->minimum()), double(slider->maximum()));
    slider->setValue(static_cast<int>(std::lround(position)));
}

void takeSliderPosition(QSlider* slider) {
    slider->setProperty(kValue, static_cast<double>(slider->value()) / kSliderSteps);
}

} // namespace vantrel
