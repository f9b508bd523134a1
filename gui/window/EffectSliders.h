#pragma once

class QSlider;

namespace vantrel {

// The effect sliders hold fractional values (-1 to 1, 0 to 2, 0 to 1) while a QSlider holds
// integers. Each slider keeps its exact value beside its position: the value is the master
// copy, which the handlers read and write; the position follows it to the nearest of
// kSliderSteps steps per unit, so a typed 0.25 or a validated 0.59 is never rounded away.
inline constexpr int kSliderSteps = 10000;

// Gives the slider its value range; its position and keyboard steps follow.
void setSliderRange(QSlider* slider, double minimum, double maximum);
double sliderValue(const QSlider* slider);
// Moves the slider without reporting a change.
void setSliderValue(QSlider* slider, double value);
// The user moved the slider: its value follows its new position.
void takeSliderPosition(QSlider* slider);

} // namespace vantrel
