#include "core/imaging/EffectFieldRules.h"

#include <gtest/gtest.h>
#include <limits>

using namespace vantrel;

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
