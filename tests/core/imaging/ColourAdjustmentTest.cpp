#include "core/imaging/ColourAdjustment.h"
#include "tests/core/TestImages.h"

#include <gtest/gtest.h>

using namespace vantrel;
using vips::VImage;

namespace {

VImage solid(std::vector<double> values, VipsBandFormat format, VipsInterpretation space) {
    return VImage::black(3, 2).cast(format).new_from_image(values).copy(
        VImage::option()->set("interpretation", space));
}

// The documented formula, computed independently in double precision on 0..1 components.
std::vector<double> expected(std::vector<double> rgb, const ColourAdjustment& a) {
    const double luma = 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2];
    for (double& c : rgb) {
        c = luma + a.saturation * (c - luma);
        c += a.brightness;
        c = 0.5 + a.contrast * (c - 0.5);
        c = std::clamp(c, 0.0, 1.0);
    }
    return rgb;
}

TEST(ColourAdjustment, NeutralSettingsReturnTheImageItself) {
    const VImage in = solid({12, 34, 56}, VIPS_FORMAT_UCHAR, VIPS_INTERPRETATION_sRGB);
    const VImage out = applyColourAdjustment(in, {});
    EXPECT_EQ(out.get_image(), in.get_image());
}

TEST(ColourAdjustment, FollowsTheFormulaOnEightAndSixteenBits) {
    const ColourAdjustment a{0.1f, 1.1f, 1.2f};
    const std::vector<double> unit{0.2, 0.4, 0.6};
    for (const auto& [format, full, space] :
         {std::tuple{VIPS_FORMAT_UCHAR, 255.0, VIPS_INTERPRETATION_sRGB},
          std::tuple{VIPS_FORMAT_USHORT, 65535.0, VIPS_INTERPRETATION_RGB16}}) {
        SCOPED_TRACE(full);
        std::vector<double> stored, in01;
        for (double c : unit) {
            stored.push_back(std::round(c * full));
            in01.push_back(stored.back() / full);
        }
        const VImage out = applyColourAdjustment(solid(stored, format, space), a);
        EXPECT_EQ(out.format(), format);
        EXPECT_EQ(out.interpretation(), space);
        const auto want = expected(in01, a);
        const auto got = out.getpoint(1, 1);
        for (int band = 0; band < 3; ++band) {
            EXPECT_NEAR(got[band], want[band] * full, 0.51) << "band " << band;
        }
    }
}

TEST(ColourAdjustment, ClampsAtBothEnds) {
    const VImage in = solid({250, 5, 128}, VIPS_FORMAT_UCHAR, VIPS_INTERPRETATION_sRGB);
    const auto bright = applyColourAdjustment(in, {0.5f, 2.0f, 1.0f}).getpoint(0, 0);
    EXPECT_EQ(bright[0], 255.0);
    const auto dark = applyColourAdjustment(in, {-1.0f, 1.0f, 1.0f}).getpoint(0, 0);
    EXPECT_EQ(dark[0], 0.0);
    EXPECT_EQ(dark[1], 0.0);
}

TEST(ColourAdjustment, GreyStaysGreyAndAlphaIsUntouched) {
    const VImage greyAlpha = solid({100, 77}, VIPS_FORMAT_UCHAR, VIPS_INTERPRETATION_B_W);
    const VImage out = applyColourAdjustment(greyAlpha, {0.1f, 1.5f, 0.0f});
    ASSERT_EQ(out.bands(), 2);
    EXPECT_EQ(out.interpretation(), VIPS_INTERPRETATION_B_W);
    const auto p = out.getpoint(0, 0);
    EXPECT_NEAR(p[0], (0.5 + 1.5 * (100.0 / 255 + 0.1 - 0.5)) * 255, 0.51);
    EXPECT_EQ(p[1], 77.0);

    const VImage rgba = solid({10, 200, 30, 5}, VIPS_FORMAT_UCHAR, VIPS_INTERPRETATION_sRGB);
    const auto q = applyColourAdjustment(rgba, {0.0f, 1.0f, 0.0f}).getpoint(0, 0);
    EXPECT_EQ(q[3], 5.0);
    // Saturation 0 leaves only luma: all three components equal.
    EXPECT_EQ(q[0], q[1]);
    EXPECT_EQ(q[1], q[2]);
}

TEST(ColourAdjustment, CmykIsTurnedIntoSrgbFirst) {
    const VImage cmyk = solid({0, 255, 255, 0}, VIPS_FORMAT_UCHAR, VIPS_INTERPRETATION_CMYK);
    const VImage out = applyColourAdjustment(cmyk, {0.0f, 1.0f, 1.5f});
    EXPECT_EQ(out.bands(), 3);
    EXPECT_EQ(out.interpretation(), VIPS_INTERPRETATION_sRGB);
    const auto p = out.getpoint(0, 0);
    EXPECT_GT(p[0], 150.0); // magenta + yellow ink is red
    EXPECT_LT(p[1], 80.0);
}

} // namespace
