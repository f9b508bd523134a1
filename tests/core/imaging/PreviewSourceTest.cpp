#include "core/imaging/PreviewSource.h"
#include "core/imaging/Effects.h"
#include "core/imaging/FittedRender.h"
#include "core/imaging/Image.h"
#include "core/imaging/PixelResampling.h"
#include "core/imaging/WorkingImage.h"
#include "tests/core/TestImages.h"

#include <QFile>
#include <cstring>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::test;
using vips::VImage;

// What the preview shows is what the export writes, at screen size: same steps, same order,
// same sizes, within 1 % RMSE of the exported pixels resampled to the preview's size.
using PreviewSourceWithEffects = SharedEffectsTest;

TEST_F(PreviewSourceWithEffects, ThePreviewShowsWhatTheExportWrites) {
    const std::vector<std::string> photos = {
        writeQuadrantPhoto(dir, "quadrants.png", 640, 400),
        testdataPath("real/jpeg/orientation/Landscape_0.jpg"),
    };
    const EffectRecipe jobs[] = {jobT(0),
                                 {.name = "pixel crop, 270, half size",
                                  .saturation = 0.3f,
                                  .cropPixels = {37, 0, 0, 91},
                                  .degrees = 270,
                                  .scaleX = 0.5f,
                                  .scaleY = 0.5f}};
    for (const std::string& path : photos) {
        for (const auto& job : jobs) {
            job.apply(effects);
            // A JPEG's copy is shrunk by its loader at 0.13 and 0.2; the PNG's is resampled.
            for (double zoom : {0.13, 0.2, 0.5}) {
                SCOPED_TRACE(path + " / " + job.name + " / zoom " + std::to_string(zoom));
                const auto source = PreviewSource::decode(path, zoom);
                ASSERT_TRUE(source);
                Image photo(path);
                const Picture exact = photo.imageWithEffects(source->header());
                const Picture shown = photo.imageWithEffects(source->pixels());
                const VImage preview = shown.workingImage()->render({zoom});
                photo.applyEffectsForPreview(false);
                const auto exported = photo.workingImage();
                EXPECT_EQ(exact.pixelWidth(), exported->pixelSize().width);
                EXPECT_EQ(exact.pixelHeight(), exported->pixelSize().height);
                const VImage expected =
                    resampleTo(exported->pixels(), preview.width(), preview.height());
                EXPECT_NEAR(preview.width(), exact.pixelWidth() * zoom, 1.0);
                EXPECT_NEAR(preview.height(), exact.pixelHeight() * zoom, 1.0);
                EXPECT_LT(relativeRmse(expected, preview), 0.01);
                // A JPEG's first look, shrunk further by its loader, shows the same picture at
                // the same size, a little softer (its crop edges fall on a coarser grid).
                const auto firstLook =
                    PreviewSource::decode(path, zoom, nullptr, PreviewSource::Detail::FirstLook);
                ASSERT_EQ(bool(firstLook), path.ends_with(".jpg"));
                if (firstLook) {
                    EXPECT_LT(firstLook->scale(), source->scale());
                    const VImage look =
                        photo.imageWithEffects(firstLook->pixels()).workingImage()->render({zoom});
                    ASSERT_EQ(look.width(), preview.width());
                    ASSERT_EQ(look.height(), preview.height());
                    EXPECT_LT(relativeRmse(expected, look), 0.04);
                }
                // A part rendered alone holds exactly the whole picture's pixels there, from
                // the copy and from the file.
                for (const Picture& picture : {shown, exact}) {
                    const double at = picture.workingImage() == shown.workingImage() ? zoom : 0.3;
                    const auto whole = picture.render(at);
                    ASSERT_TRUE(whole);
                    const PixelRect part{whole->width / 3, whole->height / 4, whole->width / 2,
                                         whole->height / 2};
                    const auto alone = picture.renderPart(at, part, [] { return true; });
                    ASSERT_TRUE(alone);
                    ASSERT_EQ(alone->width, part.width);
                    ASSERT_EQ(alone->height, part.height);
                    const size_t row = size_t(whole->width) * whole->bands;
                    for (int y = 0; y < part.height; ++y)
                        ASSERT_EQ(0,
                                  std::memcmp(&alone->pixels[size_t(y) * part.width * alone->bands],
                                              &whole->pixels[size_t(y + part.top) * row +
                                                             size_t(part.left) * whole->bands],
                                              size_t(part.width) * alone->bands))
                            << "row " << y;
                }
            }
        }
    }
}

TEST(PreviewSource, ARenderNobodyWantsStops) {
    const auto pixels = WorkingImage::fromPixels(
        VImage::black(4000, 4000, VImage::option()->set("bands", 3)).copy_memory(), {4000, 4000});
    const Picture picture = Picture(pixels);
    QString why;
    EXPECT_FALSE(picture.renderPart(
        0.9, std::nullopt, [] { return false; }, &why));
    EXPECT_TRUE(picture.renderPart(0.01, std::nullopt, [] { return true; }));
}

TEST(FittedRender, StopsWhenNobodyWantsItAndSaysWhenThePhotoIsDamaged) {
    const Picture photo = Image(testdataPath("real/jpeg/phones/jolla.jpg")).originalImage();
    EXPECT_TRUE(renderToFit(photo, 400, 300, [] { return true; }).has_value());
    EXPECT_FALSE(renderToFit(photo, 400, 300, [] { return false; }).has_value());
    QString why;
    const std::string damaged = testdataPath("bad-seed/jpeg/exifsamples-corrupted-olympus.jpg");
    EXPECT_FALSE(renderToFit(Image(damaged).originalImage(), 400, 300, {}, &why).has_value());
    EXPECT_EQ(why, "The photo cannot be read.");
}

TEST(PreviewSource, ServesItsFileAtTheZoomsItWasDecodedFor) {
    QTemporaryDir dir;
    const std::string path = writeQuadrantPhoto(dir, "photo.png", 200, 100);
    const auto source = PreviewSource::decode(path, 0.2);
    ASSERT_TRUE(source);
    // A photo that its loader cannot shrink is resampled to twice the zoom.
    EXPECT_EQ(source->pixels()->pixelSize().width, 80);
    EXPECT_EQ(source->header()->pixelSize().width, 200);
    // A JPEG is shrunk by its loader alone: 1800 x 1200 at 1/4 keeps twice the zoom of 0.11.
    const std::string jpeg = testdataPath("real/jpeg/orientation/Landscape_0.jpg");
    const auto shrunk = PreviewSource::decode(jpeg, 0.11);
    ASSERT_TRUE(shrunk);
    EXPECT_EQ(shrunk->pixels()->pixelSize().width, 450);
    EXPECT_EQ(shrunk->header()->pixelSize().width, 1800);
    // Its first look keeps the zoom alone: 1/8. None where it would be no quicker.
    const auto firstLook = [](const std::string& file, double zoom) {
        return PreviewSource::decode(file, zoom, nullptr, PreviewSource::Detail::FirstLook);
    };
    ASSERT_TRUE(firstLook(jpeg, 0.11));
    EXPECT_EQ(firstLook(jpeg, 0.11)->pixels()->pixelSize().width, 225);
    EXPECT_FALSE(firstLook(jpeg, 1.0));
    EXPECT_FALSE(firstLook(path, 0.2));
    const struct {
        double zoom;
        bool served;
    } zooms[] = {{0.4, true}, {0.25, true}, {0.1, true}, {0.09, false}, {0.41, false}};
    for (const auto& z : zooms)
        EXPECT_EQ(source->serves(path, z.zoom), z.served) << z.zoom;
    EXPECT_FALSE(source->serves(path + "x", 0.4));
    // The file changed on disk: read it afresh.
    writeQuadrantPhoto(dir, "photo.png", 200, 120);
    EXPECT_FALSE(source->serves(path, 0.4));
    QFile::remove(QString::fromStdString(path));
    EXPECT_FALSE(source->serves(path, 0.4));
    QString why;
    EXPECT_FALSE(PreviewSource::decode(path, 0.25, &why));
    EXPECT_FALSE(why.isEmpty());
    // A copy beyond 128 MB is not made: the file is rendered part by part.
    const std::string large = writeBombTiff(dir, "large.tif", 12000, 12000);
    const auto fromFile = PreviewSource::decode(large, 1.0);
    ASSERT_TRUE(fromFile);
    EXPECT_EQ(fromFile->pixels(), fromFile->header());
    EXPECT_TRUE(fromFile->serves(large, 0.3));
}
