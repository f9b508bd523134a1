// Geometry of the effect pipeline, proven on photos whose pixels carry their own
// coordinates (band 0 = column, band 1 = row, counted from the top-left as stored).

#include "core/imaging/Effects.h"
#include "core/imaging/Image.h"
#include "core/imaging/WorkingImage.h"
#include "tests/core/TestImages.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::test;
using vips::VImage;

namespace {

class PipelineGeometry : public SharedEffectsTest {
protected:
    void SetUp() override {
        SharedEffectsTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        photo = writeCoordinatePhoto(dir, "coords.png", 1000, 800);
    }

    // The export's result, made both in the strict order and the fast way: both must agree
    // on size, and on geometry to the pixel.
    VImage run(bool preview = false, PipelineNotes* notes = nullptr) {
        Image image(photo);
        const PipelineNotes said = image.applyEffectsForPreview(preview);
        if (notes) {
            *notes = said;
        }
        const auto working = image.workingImage();
        EXPECT_TRUE(working);
        const VImage strict = working->pixels();
        const VImage fast = working->render({});
        EXPECT_EQ(strict.width(), fast.width());
        EXPECT_EQ(strict.height(), fast.height());
        EXPECT_EQ(strict.width(), working->pixelSize().width);
        EXPECT_EQ(strict.height(), working->pixelSize().height);
        if (strict.width() == fast.width() && strict.height() == fast.height()) {
            EXPECT_EQ((strict == fast).min(), 255.0) << "fast path differs from strict order";
        }
        return strict;
    }

    // Which stored pixel (column, row) ended up at (x, y).
    static std::pair<int, int> sourceOf(const VImage& image, int x, int y) {
        const auto p = image.getpoint(x, y);
        return {int(p[0]), int(p[1])};
    }

    std::string photo;
};

TEST_F(PipelineGeometry, DefaultsKeepSizeAndEveryPixel) {
    const VImage out = run();
    const VImage in = loadPixels(photo);
    ASSERT_EQ(out.width(), 1000);
    ASSERT_EQ(out.height(), 800);
    EXPECT_EQ((out == in).min(), 255.0);
}

// Sizes, and which stored pixel lands in the top-left and bottom-right corners (unchecked
// where resampling blends them).
TEST_F(PipelineGeometry, EachStepPutsTheRightPixelsInTheRightPlaces) {
    struct Case {
        EffectRecipe set;
        int width, height;
        std::pair<int, int> topLeft{-1, -1}, bottomRight{-1, -1};
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {{.cropFraction = {0.25f, 0.25f, 0, 0}}, 500, 800, {250, 0}, {749, 799}},
        // 80 rows go at the top, 160 at the bottom.
        {{.cropFraction = {0, 0, 0.1f, 0.2f}}, 1000, 560, {0, 80}, {999, 639}},
        {{.cropPixels = {100, 0, 0, 50}}, 900, 750, {100, 0}, {999, 749}},
        // Counter-clockwise as displayed: at 90 the stored top-right corner is now top-left.
        {{.degrees = 90}, 800, 1000, {999, 0}, {0, 799}},
        {{.degrees = 180}, 1000, 800, {999, 799}, {0, 0}},
        {{.degrees = 270}, 800, 1000, {0, 799}, {999, 0}},
        {{.degrees = 360}, 1000, 800, {0, 0}, {999, 799}},
        // Angles outside a full turn and unusable factors are skipped.
        {{.degrees = 361}, 1000, 800, {0, 0}, {999, 799}},
        {{.degrees = -90}, 1000, 800, {0, 0}, {999, 799}},
        {{.degrees = nan}, 1000, 800, {0, 0}, {999, 799}},
        {{.scaleX = 0}, 1000, 800, {0, 0}, {999, 799}},
        {{.scaleX = -1}, 1000, 800, {0, 0}, {999, 799}},
        {{.scaleX = inf}, 1000, 800, {0, 0}, {999, 799}},
        // The crop refers to the photo before it turns: the cut left edge ends at the bottom.
        {{.cropPixels = {100, 0, 0, 0}, .degrees = 90}, 800, 900, {999, 0}, {100, 799}},
        // A target size applies after the turn; factors scale each axis.
        {{.degrees = 90, .sizeX = 400, .sizeY = 500}, 400, 500},
        {{.scaleX = 0.5f, .scaleY = 2}, 500, 1600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        c.set.apply(effects);
        const VImage out = run();
        ASSERT_EQ(out.width(), c.width);
        ASSERT_EQ(out.height(), c.height);
        if (c.topLeft.first >= 0) {
            EXPECT_EQ(sourceOf(out, 0, 0), c.topLeft);
            EXPECT_EQ(sourceOf(out, c.width - 1, c.height - 1), c.bottomRight);
        }
    }
}

// A crop that does not fit is skipped and later steps run; only the export reports a pixel
// crop as an error.
TEST_F(PipelineGeometry, ACropThatDoesNotFitIsSkippedAndSaidSo) {
    const EffectRecipe fractions{.cropFraction = {0.5f, 0.5f, 0, 0}, .degrees = 90};
    const EffectRecipe pixels{.cropPixels = {600, 400, 0, 0}};
    const struct {
        const EffectRecipe& recipe;
        bool preview;
        const char* logLine;
        const char* error; // nullptr: none
        int width, height;
    } cases[] = {
        {fractions, false, "coords.png will not be cropped !", nullptr, 800, 1000},
        {pixels, false, "coords.png couldn't not be cropped! ",
         "coords.png couldn't not be cropped!", 1000, 800},
        {pixels, true, "coords.png will not be cropped!", nullptr, 1000, 800},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.logLine);
        c.recipe.apply(effects);
        PipelineNotes notes;
        const VImage out = run(c.preview, &notes);
        EXPECT_EQ(notes.logLines, QStringList{c.logLine});
        EXPECT_EQ(notes.errors, c.error ? QStringList{c.error} : QStringList{});
        EXPECT_EQ(out.width(), c.width);
        EXPECT_EQ(out.height(), c.height);
    }
}

TEST_F(PipelineGeometry, StepsCalledOutOfOrderActOnWhatTheyAreGiven) {
    effects.setRotationDegrees(90.0f);
    effects.setCropLeftPercentage(0.25f);
    Image image(photo);
    image.rotate();
    image.cropByPercentage();
    image.rescaleByPercentageX(0.5f, 1.0f);
    const auto working = image.workingImage();
    const VImage out = working->pixels();
    EXPECT_EQ(out.width(), 300);
    EXPECT_EQ(out.height(), 1000);
    // The crop took the left quarter of the turned photo: its bottom-left pixel is stored at
    // column 0, row 200.
    const VImage fast = working->render({});
    EXPECT_EQ(sourceOf(fast, 0, 999), std::make_pair(0, 200));
    EXPECT_EQ(relativeRmse(out, fast), 0.0);
}

TEST_F(PipelineGeometry, AFactorOfOneLeavesItsAxisAlone) {
    effects.setScaleXPercentage(0.5f);
    const VImage out = run();
    ASSERT_EQ(out.height(), 800);
    // Rows were not resampled: every row still holds exactly its own row number.
    const VImage rows = out.extract_band(1);
    EXPECT_EQ((rows == VImage::xyz(500, 800).extract_band(1)).min(), 255.0);
}

using PipelineSizes = SharedEffectsTest;

TEST_F(PipelineSizes, MaximumSizeShrinksToFitAndNeverEnlarges) {
    const std::string path = writeQuadrantPhoto(dir, "big.jpg", 4000, 3000);
    struct Case {
        float mx, my;
        int width, height;
    };
    const Case cases[] = {{1024, 0, 1024, 768},
                          {1000, 1000, 1000, 750},
                          {5000, 5000, 4000, 3000},
                          {0, 0, 4000, 3000},
                          {0, 600, 800, 600}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mx);
        effects.resetEffects();
        effects.setScaleXMaximumPixels(c.mx);
        effects.setScaleYMaximumPixels(c.my);
        Image image(path);
        const Picture picture = image.imageWithEffects();
        EXPECT_EQ(picture.pixelWidth(), c.width);
        EXPECT_EQ(picture.pixelHeight(), c.height);
    }
}

TEST_F(PipelineSizes, ExactSizesCarryThroughStepsAndRoundOnceAtTheEnd) {
    // 1001 x 801 cropped by a quarter each side is 500.5 wide: a later 50 % scale gives
    // 250.25 -> 250 pixels, not half of a rounded 501 (250.5 -> 251).
    const std::string path = writeQuadrantPhoto(dir, "odd.png", 1001, 801);
    effects.setCropLeftPercentage(0.25f);
    effects.setCropRightPercentage(0.25f);
    effects.setScaleXPercentage(0.5f);
    Image image(path);
    image.applyEffectsForPreview(true);
    EXPECT_DOUBLE_EQ(image.workingImage()->width(), 250.25);
    EXPECT_EQ(image.workingImage()->pixelSize().width, 250);
    EXPECT_EQ(image.workingImage()->pixels().width(), 250);
}

TEST_F(PipelineSizes, AnyOtherAngleTurnsWithinTheBoundingBoxAndLeavesCornersTransparent) {
    const std::string path = writeQuadrantPhoto(dir, "q.png", 200, 100);
    effects.setRotationDegrees(30.0f);
    Image image(path);
    image.applyEffectsForPreview(true);
    const VImage out = image.workingImage()->pixels();
    // 200 cos 30 + 100 sin 30 = 223.2; 200 sin 30 + 100 cos 30 = 186.6
    EXPECT_EQ(out.width(), 223);
    EXPECT_EQ(out.height(), 187);
    ASSERT_EQ(out.bands(), 4);
    EXPECT_EQ(out.getpoint(0, 0)[3], 0.0);
    // Counter-clockwise: the stored top-left (red) corner moves down the left side.
    const auto leftMiddle = out.getpoint(4, 100);
    EXPECT_GT(leftMiddle[0], 150.0);
    EXPECT_LT(leftMiddle[2], 100.0);
}

} // namespace
