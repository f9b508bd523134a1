#pragma once

#include "core/imaging/Effects.h"

namespace vantrel::bench {

// Job T's effects: brightness +0.1, contrast 1.1, saturation 1.2, 5 % crop each side,
// rotation 90 and the given maximum size on both sides (0: none).
inline void setJobT(float maximum) {
    Effects& e = Effects::sharedEffects();
    e.resetEffects();
    e.setBrightnessValue(0.1f);
    e.setContrastValue(1.1f);
    e.setSaturationValue(1.2f);
    e.setCropLeftPercentage(0.05f);
    e.setCropRightPercentage(0.05f);
    e.setCropTopPercentage(0.05f);
    e.setCropBottomPercentage(0.05f);
    e.setRotationDegrees(90.0f);
    e.setScaleXMaximumPixels(maximum);
    e.setScaleYMaximumPixels(maximum);
}

} // namespace vantrel::bench
