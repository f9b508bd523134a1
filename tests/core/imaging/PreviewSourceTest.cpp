#include "core/imaging/PreviewSource.h"
#include "bench/JobT.h"
#include "core/imaging/Effects.h"
#include "core/imaging/Image.h"
#include "core/imaging/PixelResampling.h"
#include "core/imaging/WorkingImage.h"
#include "tests/core/TestImages.h"

#include <QFile>
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
    const struct {
        const char* name;
        void (*set)();
    } jobs[] = {
        {"job T",
         [] {
             bench::setJobT(0);
         }},
        {"pixel crop, 270, half size",
         [] {
             Effects& e = Effects::sharedEffects();
             e.resetEffects();
             e.setCropLeftPixels(37);
             e.setCropBottomPixels(91);
             e.setRotationDegrees(270);
             e.setScaleXPercentage(0.5f);
             e.setScaleYPercentage(0.5f);
             e.setSaturationValue(0.3f);
         }},
    };
    for (const std::string& path : photos) {
        for (const auto& job : jobs) {
            job.set();
            // Decoded at twice the zoom, as the preview does: the copy's rounded crop edges
            // then move the picture by at most a quarter of a shown pixel.
            for (double zoom : {0.2, 0.5}) {
                SCOPED_TRACE(path + " / " + job.name + " / zoom " + std::to_string(zoom));
                const auto source = PreviewSource::decode(path, std::min(1.0, 2 * zoom));
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
            }
        }
    }
}

TEST(PreviewSource, ServesItsFileAtTheZoomsItWasDecodedFor) {
    QTemporaryDir dir;
    const std::string path = writeQuadrantPhoto(dir, "photo.png", 200, 100);
    const auto source = PreviewSource::decode(path, 0.5);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->pixels()->pixelSize().width, 100);
    EXPECT_EQ(source->header()->pixelSize().width, 200);
    const struct {
        double zoom;
        bool served;
    } zooms[] = {{0.5, true}, {0.3, true}, {0.125, true}, {0.12, false}, {0.51, false}};
    for (const auto& z : zooms)
        EXPECT_EQ(source->serves(path, z.zoom), z.served) << z.zoom;
    EXPECT_FALSE(source->serves(path + "x", 0.5));
    // The file changed on disk: read it afresh.
    writeQuadrantPhoto(dir, "photo.png", 200, 120);
    EXPECT_FALSE(source->serves(path, 0.5));
    QFile::remove(QString::fromStdString(path));
    EXPECT_FALSE(source->serves(path, 0.5));
    QString why;
    EXPECT_FALSE(PreviewSource::decode(path, 0.5, &why));
    EXPECT_FALSE(why.isEmpty());
    // A bomb is refused by its header before a pixel is read.
    const std::string bomb = writeBombPng(dir, "bomb.png", 16000, 16000, 2, 8);
    EXPECT_FALSE(PreviewSource::decode(bomb, 0.05, &why));
    EXPECT_EQ(why, "The photo is too large to preview (16000 x 16000 pixels).");
}
