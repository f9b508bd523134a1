// The fast render (shrink-on-load, steps that commute reordered) against the strict order.

#include "core/imaging/Effects.h"
#include "core/imaging/Image.h"
#include "core/imaging/WorkingImage.h"
#include "tests/core/TestImages.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::test;
using vips::VImage;

namespace {

void setJobT(Effects& effects, float maximum) {
    effects.resetEffects();
    effects.setBrightnessValue(0.1f);
    effects.setContrastValue(1.1f);
    effects.setSaturationValue(1.2f);
    for (auto set : {&Effects::setCropLeftPercentage, &Effects::setCropRightPercentage,
                     &Effects::setCropTopPercentage, &Effects::setCropBottomPercentage}) {
        (effects.*set)(0.05f);
    }
    effects.setRotationDegrees(90.0f);
    effects.setScaleXMaximumPixels(maximum);
    effects.setScaleYMaximumPixels(maximum);
}

TEST(PipelineRender, FastRenderMatchesTheStrictOrderOnRealPhotos) {
    Effects& effects = Effects::sharedEffects();
    const std::string photo = testdataPath("real/jpeg/phones/samsung-SM-G930V.jpg");
    for (float maximum : {1024.0f, 600.0f}) {
        SCOPED_TRACE(maximum);
        setJobT(effects, maximum);
        Image image(photo);
        image.applyEffectsForPreview(false);
        const auto working = image.workingImage();
        ASSERT_TRUE(working);
        const VImage strict = working->pixels();
        // Reordering alone stays within 1 % of the strict order...
        const VImage reordered = working->render({1.0, true, false});
        ASSERT_EQ(strict.width(), reordered.width());
        ASSERT_EQ(strict.height(), reordered.height());
        EXPECT_LE(relativeRmse(strict, reordered), 0.01);
        // ...and decoding at a fraction of the size on top of it keeps 35 dB PSNR.
        const VImage shrunk = working->render({});
        ASSERT_EQ(strict.width(), shrunk.width());
        EXPECT_LE(relativeRmse(strict, shrunk), std::pow(10.0, -35.0 / 20.0));
    }
    effects.resetEffects();
}

TEST(PipelineRender, ZoomRendersTheSamePictureSmaller) {
    QTemporaryDir dir;
    const std::string photo = writeQuadrantPhoto(dir, "q.jpg", 800, 600);
    Effects& effects = Effects::sharedEffects();
    setJobT(effects, 0.0f);
    Image image(photo);
    const Picture picture = image.imageWithEffects();
    effects.resetEffects();
    EXPECT_EQ(picture.pixelWidth(), 540);
    EXPECT_EQ(picture.pixelHeight(), 720);
    const VImage quarter = picture.workingImage()->render({0.25});
    EXPECT_EQ(quarter.width(), 135);
    EXPECT_EQ(quarter.height(), 180);
    const VImage reference = picture.workingImage()->pixels().resize(0.25);
    EXPECT_LE(relativeRmse(reference, quarter), 0.03);
}

} // namespace
