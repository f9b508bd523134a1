#include "core/imaging/Effects.h"

#include <gtest/gtest.h>
#include <thread>

using vantrel::Effects;

namespace {

TEST(Effects, OneSharedInstanceEvenWhenThreadsRaceForIt) {
    Effects* seen[2] = {};
    std::thread a([&] { seen[0] = &Effects::sharedEffects(); });
    std::thread b([&] { seen[1] = &Effects::sharedEffects(); });
    a.join();
    b.join();
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(seen[0], &Effects::sharedEffects());
}

TEST(Effects, ResetRestoresEveryDefaultAndAnyValueIsStored) {
    Effects effects;
    effects.setRotationDegrees(45.0f);
    effects.setContrastValue(0.0f);
    effects.setBrightnessValue(-1.0f);
    effects.setSaturationValue(2.0f);
    effects.setCropLeftPercentage(-0.5f);
    effects.setCropBottomPixels(12.5f);
    effects.setScaleXPercentage(0.25f);
    effects.setScaleYPixels(300.0f);
    effects.setScaleXMaximumPixels(4000.0f);
    EXPECT_EQ(effects.rotationDegrees(), 45.0f);
    EXPECT_EQ(effects.cropLeftPercentage(), -0.5f);
    effects.resetEffects();
    const float defaults[] = {
        effects.rotationDegrees(),   effects.contrastValue(),        effects.brightnessValue(),
        effects.saturationValue(),   effects.cropLeftPercentage(),   effects.cropRightPercentage(),
        effects.cropTopPercentage(), effects.cropBottomPercentage(), effects.cropLeftPixels(),
        effects.cropRightPixels(),   effects.cropTopPixels(),        effects.cropBottomPixels(),
        effects.scaleXPercentage(),  effects.scaleYPercentage(),     effects.scaleXPixels(),
        effects.scaleYPixels(),      effects.scaleXMaximumPixels(),  effects.scaleYMaximumPixels()};
    const float expected[] = {0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0};
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(defaults[i], expected[i]) << "field " << i;
    }
}

} // namespace
