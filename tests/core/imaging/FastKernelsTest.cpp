#include "core/imaging/ColourAdjustment.h"
#include "core/imaging/EightBitColourMap.h"
#include "core/imaging/LanczosReduction.h"

#include <gtest/gtest.h>
#include <vips/vips8>

using namespace vantrel;
using vips::VImage;

namespace {

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

} // namespace

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
