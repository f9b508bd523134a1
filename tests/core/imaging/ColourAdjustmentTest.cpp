#include "core/imaging/ColourAdjustment.h"
#include "core/imaging/EightBitColourMap.h"
#include "core/imaging/LanczosReduction.h"
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

// Ramps across and down, a hard vertical edge at a third of the width and a checkerboard
// in the top-left quarter: a flipped axis, a shifted centre or a smeared edge all show.
VImage asymmetric(int width, int height, int bands) {
    const VImage xy = VImage::xyz(width, height);
    const VImage x = xy[0];
    const VImage y = xy[1];
    const VImage ramps =
        (x * (255.0 / std::max(width - 1, 1))).bandjoin(y * (255.0 / std::max(height - 1, 1)));
    const VImage edge = (x > width / 3).ifthenelse(230.0, 20.0);
    const VImage checker =
        (((x + y) % 2 == 0) & (x < width / 4) & (y < height / 4)).ifthenelse(255.0, 0.0);
    const VImage all = ramps.bandjoin(edge).bandjoin(checker);
    return all.extract_band(0, VImage::option()->set("n", bands)).cast(VIPS_FORMAT_UCHAR);
}

double largestDifference(const VImage& a, const VImage& b) {
    return (a.cast(VIPS_FORMAT_FLOAT) - b.cast(VIPS_FORMAT_FLOAT)).abs().max();
}

TEST(FastKernels, ReductionAgreesWithTheGeneralLanczosResampler) {
    struct Case {
        int width, height, bands, toWidth, toHeight;
    };
    for (const Case c : {Case{60, 40, 3, 20, 40}, Case{60, 39, 1, 60, 13}, Case{61, 41, 3, 24, 16},
                         Case{600, 12, 2, 60, 12}, Case{7, 5, 4, 2, 2}, Case{3, 3, 3, 1, 1},
                         Case{97, 64, 3, 96, 63}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bands << " -> "
                                        << c.toWidth << "x" << c.toHeight);
        const VImage in = asymmetric(c.width, c.height, c.bands);
        const auto fast = reduceEightBit(in, c.toWidth, c.toHeight);
        ASSERT_TRUE(fast);
        ASSERT_EQ(fast->width(), c.toWidth);
        ASSERT_EQ(fast->height(), c.toHeight);
        ASSERT_EQ(fast->bands(), c.bands);
        const VImage general = in.reduce(double(c.width) / c.toWidth, double(c.height) / c.toHeight,
                                         VImage::option()->set("kernel", VIPS_KERNEL_LANCZOS3));
        ASSERT_EQ(general.width(), c.toWidth);
        ASSERT_EQ(general.height(), c.toHeight);
        EXPECT_LE(largestDifference(*fast, general), 2.0);
    }
    // Other formats and enlargements are left to the general resampler.
    EXPECT_FALSE(reduceEightBit(asymmetric(8, 8, 3).cast(VIPS_FORMAT_USHORT), 4, 4));
    EXPECT_FALSE(reduceEightBit(asymmetric(8, 8, 3), 9, 4));
}

TEST(FastKernels, ColourTablesAgreeWithTheFloatingPointMapOnEveryLevel) {
    // Every level of every band, against one another: red across, green down, blue mixed.
    const VImage xy = VImage::xyz(256, 256);
    const VImage rgb =
        xy[0].bandjoin(xy[1]).bandjoin((xy[0] * 7 + xy[1] * 13) % 256).cast(VIPS_FORMAT_UCHAR);
    for (const ColourAdjustment a :
         {ColourAdjustment{0.1f, 1.1f, 1.2f}, ColourAdjustment{-1.0f, 4.0f, 0.0f},
          ColourAdjustment{0.5f, 0.25f, 2.0f}, ColourAdjustment{0.0f, 1.0f, -1.0f}}) {
        SCOPED_TRACE(testing::Message()
                     << a.brightness << " " << a.contrast << " " << a.saturation);
        auto m = a.matrix();
        const double offset = a.offset() * 255.0 + 0.5;
        const VImage floating = rgb.recomb(VImage::new_matrix(3, 3, m.data(), 9))
                                    .linear({1.0}, {offset})
                                    .cast(VIPS_FORMAT_UCHAR);
        const auto tables = mapEightBitColour(rgb, 3, m, offset);
        ASSERT_TRUE(tables);
        EXPECT_LE(largestDifference(*tables, floating), 1.0);
        EXPECT_LT((*tables != floating).bandor().avg() / 255.0, 0.001);
    }
    // Grey with alpha: only the grey band is mapped.
    const VImage greyAlpha = xy[0].bandjoin(xy[1]).cast(VIPS_FORMAT_UCHAR);
    const auto grey = mapEightBitColour(greyAlpha, 1, {2.0}, -127.0);
    ASSERT_TRUE(grey);
    EXPECT_EQ(largestDifference((*grey)[1], greyAlpha[1]), 0.0);
    EXPECT_EQ(largestDifference((*grey)[0], (greyAlpha[0] * 2.0 - 127.0).cast(VIPS_FORMAT_UCHAR)),
              0.0);
    // A map too large for the tables is left to floating point, which still clamps.
    EXPECT_FALSE(mapEightBitColour(rgb, 3, {1e7, 0, 0, 0, 1e7, 0, 0, 0, 1e7}, 0.0));
    const VImage huge = applyColourAdjustment(rgb, {0.0f, 1e6f, 1.0f});
    EXPECT_EQ(huge.format(), VIPS_FORMAT_UCHAR);
    EXPECT_EQ(huge.getpoint(0, 0)[0], 0.0);
    EXPECT_EQ(huge.getpoint(255, 255)[0], 255.0);
}

} // namespace
