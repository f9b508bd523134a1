#include "core/imaging/Effects.h"

#include <gtest/gtest.h>

using vantrel::Effects;

namespace {

TEST(Effects, EveryFieldKeepsItsOwnValueAndResetRestoresItsDefault) {
    struct Field {
        void (Effects::*set)(float);
        float (Effects::*get)() const;
        float byDefault;
    };
    const Field fields[] = {
        {&Effects::setRotationDegrees, &Effects::rotationDegrees, 0},
        {&Effects::setContrastValue, &Effects::contrastValue, 1},
        {&Effects::setBrightnessValue, &Effects::brightnessValue, 0},
        {&Effects::setSaturationValue, &Effects::saturationValue, 1},
        {&Effects::setCropLeftPercentage, &Effects::cropLeftPercentage, 0},
        {&Effects::setCropRightPercentage, &Effects::cropRightPercentage, 0},
        {&Effects::setCropTopPercentage, &Effects::cropTopPercentage, 0},
        {&Effects::setCropBottomPercentage, &Effects::cropBottomPercentage, 0},
        {&Effects::setCropLeftPixels, &Effects::cropLeftPixels, 0},
        {&Effects::setCropRightPixels, &Effects::cropRightPixels, 0},
        {&Effects::setCropTopPixels, &Effects::cropTopPixels, 0},
        {&Effects::setCropBottomPixels, &Effects::cropBottomPixels, 0},
        {&Effects::setScaleXPercentage, &Effects::scaleXPercentage, 1},
        {&Effects::setScaleYPercentage, &Effects::scaleYPercentage, 1},
        {&Effects::setScaleXPixels, &Effects::scaleXPixels, 0},
        {&Effects::setScaleYPixels, &Effects::scaleYPixels, 0},
        {&Effects::setScaleXMaximumPixels, &Effects::scaleXMaximumPixels, 0},
        {&Effects::setScaleYMaximumPixels, &Effects::scaleYMaximumPixels, 0},
    };
    Effects effects;
    for (size_t i = 0; i < std::size(fields); ++i) {
        EXPECT_EQ((effects.*fields[i].get)(), fields[i].byDefault) << "new, field " << i;
        (effects.*fields[i].set)(100.0f + static_cast<float>(i));
    }
    // Distinct values everywhere: a setter that writes its neighbour's field shows.
    for (size_t i = 0; i < std::size(fields); ++i) {
        EXPECT_EQ((effects.*fields[i].get)(), 100.0f + static_cast<float>(i)) << "field " << i;
    }
    effects.resetEffects();
    for (size_t i = 0; i < std::size(fields); ++i) {
        EXPECT_EQ((effects.*fields[i].get)(), fields[i].byDefault) << "reset, field " << i;
    }
}

} // namespace
