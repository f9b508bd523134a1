// Photos seen as their camera's orientation tag says: the turn itself, and thumbnails,
// preview, the photo's size, the export and the metadata copy agreeing on it.

#include "core/imaging/Orientation.h"
#include "cli/BatchOptions.h"
#include "core/batch/AppData.h"
#include "core/batch/ProcessingErrors.h"
#include "core/batch/SettingsRules.h"
#include "core/export/BatchExporter.h"
#include "core/export/ExiftoolRunner.h"
#include "core/imaging/Image.h"
#include "core/imaging/PhotoFile.h"
#include "core/imaging/PreviewSource.h"
#include "core/imaging/Thumbnail.h"
#include "core/imaging/WorkingImage.h"
#include "tests/core/TestImages.h"

#include <QDir>
#include <QSettings>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::test;
using vips::VImage;

namespace {

// Each pixel holds its own column and row, so that any wrong turn, flip or shift shows.
VImage coordinates(int width, int height) {
    return VImage::xyz(width, height).cast(VIPS_FORMAT_USHORT);
}

bool same(const VImage& a, const VImage& b) {
    return a.width() == b.width() && a.height() == b.height() && (a - b).abs().max() == 0;
}

// The worst of the four corners, a quarter of each side: what the orientation samples share.
// Their middles differ (each shows its own tag's number).
double cornerRmse(const VImage& a, const VImage& b) {
    const int w = a.width() / 4, h = a.height() / 4;
    double worst = 0;
    for (const auto& [x, y] : {std::pair{0, 0}, {3 * w, 0}, {0, 3 * h}, {3 * w, 3 * h}}) {
        worst =
            std::max(worst, relativeRmse(a.extract_area(x, y, w, h), b.extract_area(x, y, w, h)));
    }
    return worst;
}

// A minimal EXIF block that says only the orientation.
std::string exifWithOrientation(int orientation) {
    return std::string("Exif\0\0MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0", 25) +
           char(orientation) + std::string(6, '\0');
}

// The stored pixels that the tag turns into `upright`.
VImage storedFor(const VImage& upright, int orientation) {
    for (int turns = 0; turns < 4; ++turns) {
        for (bool mirrored : {false, true}) {
            const VImage stored = QuarterTransform{turns, mirrored}.apply(upright);
            if (same(QuarterTransform::forOrientation(orientation).apply(stored), upright)) {
                return stored;
            }
        }
    }
    ADD_FAILURE() << "no transform undoes orientation " << orientation;
    return upright;
}

// A photo whose pixels are stored as `upright` turned away, tagged to be turned back.
std::string writeTagged(const QTemporaryDir& dir, const std::string& name, const VImage& upright,
                        int orientation) {
    VImage stored = storedFor(upright, orientation).copy();
    const std::string exif = exifWithOrientation(orientation);
    vips_image_set_blob_copy(stored.get_image(), VIPS_META_EXIF_NAME, exif.data(), exif.size());
    stored.set(VIPS_META_ORIENTATION, orientation);
    const std::string path = dir.path().toStdString() + "/" + name;
    stored.write_to_file(path.c_str(), VImage::option()->set("Q", 95));
    return path;
}

} // namespace

// The camera orientation choice for one test, and back on after it.
class CameraOrientation : public SharedEffectsTest {
protected:
    void TearDown() override {
        setCameraOrientationApplied(true);
        ProcessingErrors::errors().clearErrors();
        SharedEffectsTest::TearDown();
    }

    // Every photo through the real export, as JPEG or PNG; the outputs by source name.
    std::map<std::string, VImage> exportAll(const std::vector<std::string>& photos, bool metadata,
                                            bool jpeg, const std::string& folder) {
        ImageList images;
        for (const std::string& photo : photos) {
            images.push_back(std::make_unique<Image>(photo));
        }
        ExportSettings settings;
        settings.destination = dir.path().toStdString();
        settings.targetFolderName = folder;
        settings.outputType = jpeg ? OutputType::Jpg : OutputType::Png;
        settings.transferMetadata = metadata;
        settings.exiftoolPath = locateExiftool({});
        std::atomic<bool> stop{false};
        const ExportOutcome outcome = BatchExporter(settings, stop).run(images);
        EXPECT_EQ(outcome.written, long(photos.size()))
            << ProcessingErrors::errors().errorMessage().toStdString();
        std::map<std::string, VImage> outputs;
        for (const std::string& photo : photos) {
            const std::string name = lastPathComponent(photo);
            const std::string output = outcome.exportFolder + "/" +
                                       name.substr(0, name.rfind('.')) + (jpeg ? ".jpg" : ".png");
            outputs[name] = VImage::new_from_file(output.c_str());
        }
        return outputs;
    }
};

namespace {

std::string sample(const std::string& name) {
    return testdataPath("real/jpeg/orientation/" + name);
}

} // namespace

TEST(Orientation, TheEightTransformsAreLibvipsOwnTurnsAndCompose) {
    const VImage photo = coordinates(7, 4);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        VImage tagged = photo.copy();
        tagged.set(VIPS_META_ORIENTATION, orientation);
        const QuarterTransform upright = QuarterTransform::forOrientation(orientation);
        EXPECT_TRUE(same(upright.apply(photo), tagged.autorot()));
        const VImage turned = upright.apply(photo);
        const PixelSize size{turned.width(), turned.height()};
        EXPECT_EQ(upright.size(PixelSize{7, 4}), size);
        // A rectangle of the turned photo is the turned rectangle of the stored one.
        for (const PixelRect r : {PixelRect{0, 0, 1, 1}, PixelRect{1, 2, 2, 1},
                                  PixelRect{size.width - 3, 0, 3, size.height - 1}}) {
            const PixelRect before = upright.rectBefore(r, size);
            EXPECT_TRUE(same(turned.extract_area(r.left, r.top, r.width, r.height),
                             upright.apply(photo.extract_area(before.left, before.top, before.width,
                                                              before.height))));
        }
        // Standing it up, then quarter turns counter-clockwise, is one transform.
        for (int turns = 0; turns < 4; ++turns) {
            VImage expected = turned;
            for (int t = 0; t < turns; ++t) {
                expected = expected.rot(VIPS_ANGLE_D270);
            }
            EXPECT_TRUE(same(upright.thenCounterClockwise(turns).apply(photo), expected)) << turns;
        }
    }
}

TEST(Orientation, ReadFromEveryKindOfPhotoAndOnlyOneToEightCount) {
    QTemporaryDir dir;
    const struct {
        std::string path;
        int orientation;
    } photos[] = {
        {sample("Landscape_0.jpg"), 1},
        {sample("Landscape_5.jpg"), 5},
        {sample("Portrait_8.jpg"), 8},
        {testdataPath("real/tiff/pillow-g4-orientation-6.tif"), 6},
        {testdataPath("real/png/photos/pillow-exif-orientation-raw-profile.png"), 3},
        // XMP is not where cameras put it: only EXIF turns a photo.
        {testdataPath("real/png/photos/pillow-xmp-orientation.png"), 1},
        {writeTagged(dir, "exif.png", coordinates(6, 3), 7), 7},
        {writeTagged(dir, "exif.webp", coordinates(6, 3).cast(VIPS_FORMAT_UCHAR), 6), 6},
    };
    for (const auto& photo : photos) {
        EXPECT_EQ(orientationOf(VImage::new_from_file(photo.path.c_str())), photo.orientation)
            << photo.path;
    }
    for (const int garbage : {0, 9, -1, 65535}) {
        VImage header = coordinates(2, 2).copy();
        header.set(VIPS_META_ORIENTATION, garbage);
        EXPECT_EQ(orientationOf(header), 1) << garbage;
    }
    VImage damaged = coordinates(2, 2).copy();
    damaged.set("png-comment-0-Raw profile type exif", "\nexif\n 20\n45786966zz00");
    EXPECT_EQ(orientationOf(damaged), 1);
}

// Crops, turns, sizes and a shrunk decode act on the photo as seen: a tagged photo gives what
// the same photo stored upright gives, in the fast render and the strict order alike.
TEST_F(CameraOrientation, EffectsActOnThePhotoAsSeen) {
    // Smooth, asymmetric content, large enough for a JPEG shrunk while it is decoded.
    const VImage xy = VImage::xyz(640, 480);
    const VImage upright =
        (xy[0] * 0.3)
            .bandjoin({xy[1] * 0.4, (xy[0] + xy[1]) * 0.2})
            .cast(VIPS_FORMAT_UCHAR)
            .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    const std::string reference = writeTagged(dir, "upright.jpg", upright, 1);
    const EffectRecipe recipes[] = {
        {.name = "none"},
        {.name = "left and top crop", .cropFraction = {0.1f, 0, 0.05f, 0}},
        {.name = "pixel crop, quarter turn, size",
         .cropPixels = {0, 64, 0, 33},
         .degrees = 90,
         .sizeX = 300,
         .sizeY = 100},
        {.name = "crop on decode blocks, shrunk decode",
         .cropPixels = {64, 0, 32, 0},
         .maximumX = 120,
         .maximumY = 120},
    };
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const std::string tagged =
            writeTagged(dir, "tagged" + std::to_string(orientation) + ".jpg", upright, orientation);
        for (const auto& recipe : recipes) {
            SCOPED_TRACE(std::to_string(orientation) + " / " + recipe.name);
            recipe.apply(effects);
            Image expected(reference);
            Image actual(tagged);
            expected.applyEffectsForPreview(false);
            actual.applyEffectsForPreview(false);
            const auto want = expected.workingImage();
            const auto got = actual.workingImage();
            ASSERT_EQ(got->pixelSize(), want->pixelSize());
            EXPECT_LT(relativeRmse(got->render({}), want->render({})), 0.01);
            EXPECT_LT(relativeRmse(got->pixels(), want->pixels()), 0.01);
        }
    }
}

// Every Landscape_N and Portrait_N exported with neutral effects, and with a left crop, is the
// untagged sample, and so is its thumbnail; the metadata copy leaves no tag that would turn it
// again.
TEST_F(CameraOrientation, TheTaggedSamplesExportAsTheUntaggedOne) {
    std::vector<std::string> photos;
    for (const char* shape : {"Landscape_", "Portrait_"}) {
        for (int tag = 0; tag <= 8; ++tag) {
            photos.push_back(sample(std::string(shape) + std::to_string(tag) + ".jpg"));
        }
    }
    for (const bool metadata : {true, false}) {
        // The left crop must take the columns at the left of the photo as seen, whatever
        // its stored pixels' left is.
        effects.setCropLeftPercentage(metadata ? 0.0f : 0.1f);
        const auto outputs = exportAll(photos, metadata, metadata, metadata ? "copied" : "cropped");
        for (const auto& [name, output] : outputs) {
            SCOPED_TRACE(name + (metadata ? " with metadata" : " cropped"));
            const VImage& reference = outputs.at(name.substr(0, name.find('_')) + "_1.jpg");
            // As a viewer shows it: turned by whatever tag the output carries.
            const VImage seen = output.autorot();
            ASSERT_EQ(seen.width(), reference.width());
            ASSERT_EQ(seen.height(), reference.height());
            EXPECT_LT(cornerRmse(seen, reference), 0.03);
            if (metadata) {
                EXPECT_EQ(vips_image_get_orientation(output.get_image()), 1);
                const std::string reference1 = sample(name.substr(0, name.find('_')) + "_1.jpg");
                const auto thumbnail = makeThumbnail(sample(name), 120);
                const VImage want = imageOf(*makeThumbnail(reference1, 120));
                ASSERT_TRUE(thumbnail);
                ASSERT_EQ(thumbnail->width, want.width());
                ASSERT_EQ(thumbnail->height, want.height());
                EXPECT_LT(relativeRmse(imageOf(*thumbnail), want), 0.05);
            }
        }
    }
}

// Exported and as thumbnails (turned clockwise, as the tag says: the samples above tell the
// direction).
TEST_F(CameraOrientation, CameraFilesTaggedSixComeOutStandingUp) {
    effects.setScaleXMaximumPixels(256);
    effects.setScaleYMaximumPixels(256);
    for (const std::string& photo : {testdataPath("real/jpeg/phones/samsung-SM-G930V.jpg"),
                                     testdataPath("real/jpeg/cameras/exiv2/exiv2-nikon-d70.jpg"),
                                     testdataPath("real/jpeg/quirks/pillow-xiaomi-empty-gps.jpg"),
                                     sample("vips-rotation-6.jpg"), sample("canon_hdr_YES.jpg"),
                                     testdataPath("real/tiff/pillow-g4-orientation-6.tif")}) {
        SCOPED_TRACE(photo);
        Image image(photo);
        image.applyEffectsForPreview(false);
        const VImage exported = image.workingImage()->render({});
        // libvips' own thumbnailer turns by the tag: the reference for the way up.
        const VImage expected =
            VImage::thumbnail(photo.c_str(), 256, VImage::option()->set("size", VIPS_SIZE_DOWN));
        const auto thumbnail = makeThumbnail(photo, 256);
        ASSERT_TRUE(thumbnail);
        for (const VImage& shown : {exported, imageOf(*thumbnail)}) {
            ASSERT_EQ(shown.width(), expected.width());
            ASSERT_EQ(shown.height(), expected.height());
            EXPECT_LT(relativeRmse(shown.extract_band(0), expected.extract_band(0)), 0.03);
        }
    }
}

// A phone photo's copied tags describe the upright output: its size, no thumbnail of the
// stored pixels, an Orientation of 1 in a JPEG and none in a PNG, which had none.
TEST_F(CameraOrientation, TheMetadataCopyDescribesTheUprightPixels) {
    const std::string phone = testdataPath("real/jpeg/phones/samsung-SM-G930V.jpg");
    effects.setScaleXMaximumPixels(256);
    effects.setScaleYMaximumPixels(256);
    for (const bool jpeg : {true, false}) {
        SCOPED_TRACE(jpeg ? "JPEG" : "PNG");
        const VImage output = exportAll({phone}, true, jpeg, jpeg ? "jpeg" : "png").begin()->second;
        EXPECT_EQ(output.width(), 192);
        EXPECT_EQ(output.height(), 256);
        EXPECT_EQ(output.get_typeof(VIPS_META_ORIENTATION) != 0, jpeg);
        EXPECT_EQ(vips_image_get_orientation(output.get_image()), 1);
        EXPECT_EQ(std::string(output.get_string("exif-ifd2-PixelXDimension")).substr(0, 4), "192 ");
        EXPECT_EQ(std::string(output.get_string("exif-ifd2-PixelYDimension")).substr(0, 4), "256 ");
        EXPECT_EQ(output.get_typeof("exif-ifd1-Compression"), 0u) << "the thumbnail's IFD";
    }
}

// Grid, preview and export show Landscape_6 the same way up; with the choice off all three
// show its pixels as stored, the photo's size is the stored one and the metadata copy keeps
// the tag that describes them.
TEST_F(CameraOrientation, ThumbnailPreviewAndExportAgreeUnderEitherChoice) {
    const std::string photo = sample("Landscape_6.jpg");
    for (const bool applied : {true, false}) {
        SCOPED_TRACE(applied ? "applied" : "as stored");
        setCameraOrientationApplied(applied);
        PixelSize size;
        const auto thumbnail = makeThumbnail(photo, 120, nullptr, &size);
        ASSERT_TRUE(thumbnail);
        const auto preview = PreviewSource::decode(photo, 0.25);
        ASSERT_TRUE(preview);
        effects.setScaleXMaximumPixels(120);
        effects.setScaleYMaximumPixels(120);
        Image image(photo);
        image.applyEffectsForPreview(false);
        const VImage exported = image.workingImage()->render({}).copy_memory();

        const PixelSize seen = applied ? PixelSize{1800, 1200} : PixelSize{1200, 1800};
        EXPECT_EQ(size, seen);
        EXPECT_EQ(preview->header()->pixelSize(), seen);
        EXPECT_EQ(Image(photo).originalImage().pixelWidth(), seen.width);
        const VImage grid = imageOf(*thumbnail);
        const VImage shown = preview->pixels()->render({double(grid.width()) / seen.width});
        ASSERT_EQ(grid.width(), exported.width());
        ASSERT_EQ(grid.height(), exported.height());
        EXPECT_LT(relativeRmse(grid, exported), 0.03);
        EXPECT_LT(relativeRmse(shown, grid), 0.03);
        const VImage reference =
            VImage::thumbnail(sample(applied ? "Landscape_1.jpg" : "Landscape_6.jpg").c_str(), 120,
                              VImage::option()->set("no_rotate", true));
        EXPECT_LT(relativeRmse(exported, reference), 0.03);

        setCameraOrientationApplied(!applied);
        EXPECT_FALSE(preview->serves(photo, 0.25)) << "a copy made under the other choice";
        setCameraOrientationApplied(applied);
        EXPECT_TRUE(preview->serves(photo, 0.25));

        effects.resetEffects();
        const auto outputs = exportAll({photo}, true, true, applied ? "on" : "off");
        const VImage output = outputs.at("Landscape_6.jpg");
        EXPECT_EQ(vips_image_get_orientation(output.get_image()), applied ? 1 : 6);
    }
}

TEST(Orientation, OnUnlessTheUserSaidNo) {
    QTemporaryDir dir;
    QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
    EXPECT_TRUE(loadApplyCameraOrientation(settings));
    EXPECT_TRUE(settings.value("ApplyCameraOrientation").toBool()) << "the default is stored";
    settings.setValue("ApplyCameraOrientation", false);
    EXPECT_FALSE(loadApplyCameraOrientation(settings));

    EXPECT_TRUE(parseBatchOptions({"a.jpg"}).options->applyCameraOrientation);
    EXPECT_FALSE(parseBatchOptions({"--no-orientation", "a.jpg"}).options->applyCameraOrientation);
}
