#include "core/imaging/Effects.h"
#include "core/imaging/EffectFieldRules.h"

#include <gtest/gtest.h>
#include <limits>

using namespace vantrel;

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

TEST(EffectFieldRules, TypedValuesAreKeptInRangeByDividing) {
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float value, limit, kept;
    } cases[] = {
        {250, 200, 25},
        {4500, 4000, 450},
        {-50, 100, 50},
        {1000, 100, 100},
        {1001, 100, 10.01f},
        {100, 100, 100},
        {0, 200, 0},
        {0.25f, 100, 0.25f},
        {201, 200, 20.1f},
        // Not finite: 0, never an endless division or a NaN effect.
        {inf, 4000, 0},
        {-inf, 200, 0},
        {std::numeric_limits<float>::quiet_NaN(), 100, 0},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(keepFloatValue(c.value, c.limit), c.kept) << c.value << " to " << c.limit;
}

TEST(EffectFieldRules, FieldsReadTheirLeadingNumber) {
    const struct {
        const char* text;
        float value;
    } cases[] = {{"150", 150}, {" 12 px", 12}, {"-50", -50}, {".5", 0.5f},    {"1e3", 1000},
                 {"abc", 0},   {"", 0},        {"px 12", 0}, {"7.25%", 7.25f}};
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(numberFieldValue(QString::fromUtf8(c.text)), c.value) << c.text;
    // Beyond a float: infinity, which keeping turns into 0.
    EXPECT_EQ(keepFloatValue(numberFieldValue(QStringLiteral("1e60")), 200), 0.0f);
}

TEST(EffectFieldRules, TheMovedCropSliderGivesWay) {
    const struct {
        float moved, opposite, kept;
    } cases[] = {{0.7f, 0.4f, (1.0f - 0.4f) - 0.01f}, // 0.59
                 {1.0f, 0.0f, 0.99f},
                 {1.0f, 0.5f, 0.49f},
                 {0.3f, 0.4f, 0.3f},
                 {0.0f, 0.99f, 0.0f}};
    for (const auto& c : cases)
        EXPECT_EQ(validatedCropSlider(c.moved, c.opposite), c.kept) << c.moved << "/" << c.opposite;
    EXPECT_NEAR(validatedCropSlider(0.7f, 0.4f), 0.59, 1e-6);
}

TEST(EffectFieldRules, QuarterTurnsWrapAndTheLabelNeverReads270) {
    const struct {
        float from;
        int segment, to;
        const char* label;
    } cases[] = {{0, 1, 270, "90°"}, {270, 1, 180, "180°"}, {270, 0, 0, "0°"},
                 {0, 0, 90, "90°"},  {90, 1, 0, "0°"},      {180, 0, 270, "90°"}};
    for (const auto& c : cases) {
        const int degrees = rotatedDegrees(c.from, c.segment);
        EXPECT_EQ(degrees, c.to) << c.from << " segment " << c.segment;
        EXPECT_EQ(rotationLabelText(degrees), QString::fromUtf8(c.label));
    }
}

} // namespace
