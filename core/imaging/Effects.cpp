#include "core/imaging/Effects.h"

namespace vantrel {

Effects::Effects() {
    resetEffects();
}

Effects& Effects::sharedEffects() {
    // A function-local static is created exactly once even when threads race to it.
    static Effects shared;
    return shared;
}

void Effects::resetEffects() {
    setRotationDegrees(0.0f);
    setContrastValue(1.0f);
    setBrightnessValue(0.0f);
    setSaturationValue(1.0f);
    setCropLeftPercentage(0.0f);
    setCropRightPercentage(0.0f);
    setCropTopPercentage(0.0f);
    setCropBottomPercentage(0.0f);
    setCropLeftPixels(0.0f);
    setCropRightPixels(0.0f);
    setCropTopPixels(0.0f);
    setCropBottomPixels(0.0f);
    setScaleXPercentage(1.0f);
    setScaleYPercentage(1.0f);
    setScaleXPixels(0.0f);
    setScaleYPixels(0.0f);
    setScaleXMaximumPixels(0.0f);
    setScaleYMaximumPixels(0.0f);
}

} // namespace vantrel
