#include "core/imaging/Image.h"
#include "core/imaging/Effects.h"
#include "core/imaging/WorkingImage.h"
#include "tests/core/TestImages.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace vantrel;
using namespace vantrel::test;

namespace {

using ImageWithEffects = SharedEffectsTest;

TEST_F(ImageWithEffects, PicturesKeepTheImageTheyWereMadeFrom) {
    Image image(writeQuadrantPhoto(dir, "q.png", 120, 80));
    effects.setRotationDegrees(90.0f);
    const Picture processed = image.imageWithEffects();
    const Picture original = image.originalImage();
    effects.resetEffects();

    EXPECT_EQ(original.pixelWidth(), 120);
    EXPECT_EQ(original.pixelHeight(), 80);
    EXPECT_EQ(image.workingImage()->pixelSize(), (PixelSize{120, 80}));
    EXPECT_EQ(processed.pixelWidth(), 80);
    EXPECT_EQ(processed.pixelHeight(), 120);
    const auto bitmap = processed.render(0.5);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->width, 40);
    EXPECT_EQ(bitmap->height, 60);
    EXPECT_EQ(bitmap->bands, 3);
    EXPECT_EQ(bitmap->pixels.size(), size_t(40 * 60 * 3));
    // The stored top-right quadrant (green) is now top-left.
    EXPECT_GT(bitmap->pixels[1], 150);
}

TEST(Image, NamesThatLookLikeLoaderOptionsStillLoad) {
    QTemporaryDir dir;
    Image image(writeQuadrantPhoto(dir, "holiday [1], shrink=2.png", 64, 32));
    ASSERT_TRUE(image.workingImage());
    EXPECT_EQ(image.originalImage().render(1.0)->width, 64);
}

TEST_F(ImageWithEffects, UndecodableFilesGiveAnAbsentImageThatEveryStepAccepts) {
    const std::string fifo = dir.filePath("pipe.jpg").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string svg = dir.filePath("drawing.jpg").toStdString();
    {
        QFile file(QString::fromStdString(svg));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\">"
                   "<rect width=\"10\" height=\"10\"/></svg>");
    }
    const std::string paths[] = {fifo,
                                 svg,
                                 dir.filePath("missing.png").toStdString(),
                                 dir.path().toStdString(),
                                 testdataPath("bad-seed/jpeg/exiv2-quicktime-segv-2376-as.jpg"),
                                 testdataPath("bad-seed/png/pngsuite-xd9n2c08.png")};
    effects.setRotationDegrees(90.0f);
    effects.setCropLeftPixels(5.0f);
    effects.setScaleXMaximumPixels(4.0f);
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        Image image(path);
        EXPECT_FALSE(image.workingImage());
        const Picture picture = image.imageWithEffects();
        EXPECT_TRUE(picture.isNull());
        QString why;
        EXPECT_FALSE(picture.render(1.0, &why));
        EXPECT_FALSE(why.isEmpty());
    }
}

TEST(Image, ATruncatedPhotoFailsWhenRenderedNotBefore) {
    Image image(testdataPath("bad-seed/jpeg/vips-truncated.jpg"));
    ASSERT_TRUE(image.workingImage());
    const Picture picture = image.originalImage();
    EXPECT_EQ(picture.pixelWidth(), 290);
    QString why;
    EXPECT_FALSE(picture.render(1.0, &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_THROW(image.workingImage()->render({}).avg(), vips::VError);
}

TEST_F(ImageWithEffects, DamagedAndHostileFilesAreReportedNeverFatal) {
    effects.setBrightnessValue(0.2f);
    effects.setRotationDegrees(90.0f);
    QDirIterator files(QString::fromStdString(testdataPath("bad-seed")), QDir::Files,
                       QDirIterator::Subdirectories);
    int rendered = 0;
    int refused = 0;
    while (files.hasNext()) {
        const std::string path = files.next().toStdString();
        SCOPED_TRACE(path);
        Image image(path);
        QString why;
        const auto bitmap = image.imageWithEffects().render(0.5, &why);
        EXPECT_EQ(bitmap.has_value(), why.isEmpty());
        (bitmap ? rendered : refused)++;
    }
    EXPECT_GT(refused, 30);
    EXPECT_GT(rendered, 0);
}

TEST(Image, PhotosInTheBatchHoldNoOpenFiles) {
    QTemporaryDir dir;
    const std::string path = writeQuadrantPhoto(dir, "q.jpg", 64, 48);
    const auto before = openFileCount();
    std::vector<std::unique_ptr<Image>> batch;
    for (int i = 0; i < 200; ++i) {
        batch.push_back(std::make_unique<Image>(path));
        batch.back()->imageWithEffects();
    }
    EXPECT_LE(openFileCount(), before + 2);
}

TEST_F(ImageWithEffects, RealPhotosOfEveryKindRenderForDisplay) {
    const char* files[] = {"real/tiff/pillow-cmyk-16bit-raw.tif",
                           "real/tiff/exiv2-16bit-gray-lzw.tif",
                           "real/tiff/libtiff-gray-alpha.tiff", "real/tiff/pillow-cielab.tif",
                           "real/tiff/libtiff-palette-4bit.tiff"};
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            effects.setSaturationValue(1.3f);
            effects.setRotationDegrees(270.0f);
        }
        for (const char* file : files) {
            SCOPED_TRACE(file);
            Image image(testdataPath(file));
            ASSERT_TRUE(image.workingImage());
            const Picture picture = image.imageWithEffects();
            QString why;
            const auto bitmap = picture.render(0.5, &why);
            ASSERT_TRUE(bitmap) << why.toStdString();
            EXPECT_TRUE(bitmap->bands == 3 || bitmap->bands == 4);
            EXPECT_EQ(bitmap->pixels.size(),
                      size_t(bitmap->width) * bitmap->height * bitmap->bands);
        }
    }
}

} // namespace
