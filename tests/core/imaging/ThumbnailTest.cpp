#include "core/imaging/Thumbnail.h"
#include "core/imaging/FittedRender.h"
#include "core/imaging/Image.h"
#include "core/imaging/MetadataReader.h"
#include "core/imaging/PreviewSource.h"
#include "tests/core/TestImages.h"

#include <QDir>
#include <QDirIterator>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <thread>
#include <vips/vips.h>
// After vips.h: it relies on the types that header brings.
#include <vips/vector.h>

using namespace vantrel;
using namespace vantrel::test;
using vips::VImage;

namespace {

std::vector<int> pixel(const Bitmap& bitmap, int x, int y) {
    const auto* p = bitmap.pixels.data() +
                    (static_cast<size_t>(y) * bitmap.width + x) * static_cast<size_t>(bitmap.bands);
    return std::vector<int>(p, p + bitmap.bands);
}

// Whether a pixel is close to the colour (JPEG and resampling move values a little).
::testing::AssertionResult near(const std::vector<int>& actual, const std::vector<int>& expected) {
    for (size_t i = 0; i < expected.size(); ++i) {
        if (i >= actual.size() || std::abs(actual[i] - expected[i]) > 24) {
            ::testing::AssertionResult failure = ::testing::AssertionFailure();
            for (const int v : actual) {
                failure << v << ' ';
            }
            return failure;
        }
    }
    return ::testing::AssertionSuccess();
}

const std::vector<int> red{200, 30, 40}, green{20, 180, 60}, blue{30, 50, 210}, grey{128, 128, 128};

// Colours of the quadrants as shown: top-left, top-right, bottom-left, bottom-right.
void expectQuadrants(const Bitmap& b, const std::vector<std::vector<int>>& colours) {
    const int w = b.width, h = b.height;
    EXPECT_TRUE(near(pixel(b, w / 4, h / 4), colours[0])) << "top-left";
    EXPECT_TRUE(near(pixel(b, 3 * w / 4, h / 4), colours[1])) << "top-right";
    EXPECT_TRUE(near(pixel(b, w / 4, 3 * h / 4), colours[2])) << "bottom-left";
    EXPECT_TRUE(near(pixel(b, 3 * w / 4, 3 * h / 4), colours[3])) << "bottom-right";
}

std::vector<std::string> filesUnder(const std::string& folder) {
    std::vector<std::string> files;
    QDirIterator it(QString::fromStdString(folder), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString lower = file.toLower();
        if (lower.contains(".jpg") || lower.contains(".jpeg") || lower.contains(".png") ||
            lower.contains(".tif")) {
            files.push_back(file.toStdString());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

TEST(Thumbnail, FitsTheLongerSideWithoutTurningOrFlipping) {
    QTemporaryDir dir;
    const struct {
        const char* name;
        int width, height, side, shownWidth, shownHeight;
    } photos[] = {{"wide.png", 200, 100, 50, 50, 25},
                  {"tall.tif", 60, 120, 30, 15, 30},
                  // A photo smaller than the cell is never blown up.
                  {"small.jpg", 20, 12, 64, 20, 12}};
    for (const auto& p : photos) {
        SCOPED_TRACE(p.name);
        const auto b = makeThumbnail(writeQuadrantPhoto(dir, p.name, p.width, p.height), p.side);
        ASSERT_TRUE(b);
        EXPECT_EQ(b->width, p.shownWidth);
        EXPECT_EQ(b->height, p.shownHeight);
        EXPECT_EQ(b->bands, 3);
        EXPECT_EQ(b->pixels.size(), size_t(p.shownWidth) * p.shownHeight * 3);
        expectQuadrants(*b, {red, green, blue, grey});
    }
}

using DisplayPixels = SharedEffectsTest;

// Every encoding comes out as 8-bit display bands, as a thumbnail and as a picture rendered
// plain and with effects.
TEST_F(DisplayPixels, EveryKindOfPhotoGivesThreeOrFourEightBitBands) {
    const std::string greyPath = dir.filePath("grey.png").toStdString();
    VImage::xyz(40, 20).extract_band(0).cast(VIPS_FORMAT_UCHAR).pngsave(greyPath.c_str());
    // Opaque on the left half, clear on the right.
    const std::string alphaPath = dir.filePath("alpha.png").toStdString();
    const VImage colour = VImage::black(40, 20).new_from_image({10.0, 100.0, 200.0});
    const VImage alpha = (VImage::xyz(40, 20).extract_band(0) < 20).ifthenelse(255, 0);
    colour.bandjoin(alpha)
        .cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
        .pngsave(alphaPath.c_str());
    const struct {
        std::string path;
        int bands; // 0: 3 or 4
    } photos[] = {
        {writeCoordinatePhoto(dir, "deep.png", 64, 32), 3}, // 16 bits per sample
        {greyPath, 3},
        {alphaPath, 4},
        {testdataPath("real/jpeg/quirks/pillow-cmyk.jpg"), 3},
        {testdataPath("real/tiff/pillow-cmyk-16bit-raw.tif"), 0},
        {testdataPath("real/tiff/exiv2-16bit-gray-lzw.tif"), 0},
        {testdataPath("real/tiff/libtiff-gray-alpha.tiff"), 0},
        {testdataPath("real/tiff/pillow-cielab.tif"), 0},
        {testdataPath("real/tiff/libtiff-palette-4bit.tiff"), 0},
    };
    for (const auto& photo : photos) {
        SCOPED_TRACE(photo.path);
        QString why;
        const auto thumbnail = makeThumbnail(photo.path, 64, &why);
        effects.resetEffects();
        const auto plain = Image(photo.path).imageWithEffects().render(0.5, &why);
        effects.setSaturationValue(1.3f);
        effects.setRotationDegrees(270.0f);
        const auto turned = Image(photo.path).imageWithEffects().render(0.5, &why);
        for (const auto* bitmap : {&thumbnail, &plain, &turned}) {
            ASSERT_TRUE(*bitmap) << why.toStdString();
            const int bands = (*bitmap)->bands;
            EXPECT_TRUE(photo.bands ? bands == photo.bands : bands == 3 || bands == 4) << bands;
            EXPECT_EQ((*bitmap)->pixels.size(),
                      size_t((*bitmap)->width) * (*bitmap)->height * bands);
        }
    }
    const auto deep = makeThumbnail(photos[0].path, 64);
    EXPECT_EQ(deep->width, 64);
    EXPECT_EQ(deep->height, 32);
    // Grey becomes three equal bands.
    EXPECT_EQ(pixel(*makeThumbnail(greyPath, 40), 30, 5), (std::vector<int>{30, 30, 30}));
    const auto clear = makeThumbnail(alphaPath, 40);
    EXPECT_EQ(pixel(*clear, 5, 10), (std::vector<int>{10, 100, 200, 255}));
    EXPECT_EQ(pixel(*clear, 35, 10)[3], 0);
}

TEST(Thumbnail, EveryRealPhotoThatLibvipsReadsGetsOne) {
    for (const std::string& path : filesUnder(testdataPath("real"))) {
        if (path.find("/unsupported-by-vips-8.14/") != std::string::npos) {
            continue;
        }
        QString why;
        const auto thumbnail = makeThumbnail(path, 96, &why);
        ASSERT_TRUE(thumbnail) << path << ": " << why.toStdString();
        EXPECT_GE(thumbnail->width, 1) << path;
        EXPECT_LE(std::max(thumbnail->width, thumbnail->height), 96) << path;
        EXPECT_TRUE(thumbnail->bands == 3 || thumbnail->bands == 4) << path;
        EXPECT_EQ(thumbnail->pixels.size(),
                  static_cast<size_t>(thumbnail->width) * thumbnail->height * thumbnail->bands)
            << path;
    }
}

// Bombs over the sample limit are refused by their headers, by the thumbnails, the preview and
// the fitted render alike; a large photo within it is shrunk as it streams in. ctest runs each
// test in a process of its own, so the peak resident size measured here is this test's.
TEST(DecodeLimits, HugePhotosAreRefusedByTheirHeaderAndLargeOnesStream) {
    QTemporaryDir dir;
    const struct {
        std::string path;
        int width, height;
    } bombs[] = {
        {writeBombPng(dir, "rgb-16000.png", 16000, 16000, 2, 8), 16000, 16000},
        {writeBombPng(dir, "bits-50000.png", 50000, 50000, 0, 1), 50000, 50000},
        {writeBombTiff(dir, "grey-30000.tif", 30000, 30000), 30000, 30000},
        {writeBombPng(dir, "grey-30000x20000.png", 30000, 20000, 0, 8), 30000, 20000},
    };
    for (const auto& bomb : bombs) {
        SCOPED_TRACE(bomb.path);
        const QString size = QString("(%1 x %2 pixels)").arg(bomb.width).arg(bomb.height);
        QString why;
        PixelSize stored;
        EXPECT_FALSE(makeThumbnail(bomb.path, 128, &why, &stored));
        EXPECT_EQ(why, "the photo is too large to show " + size);
        EXPECT_EQ(stored, (PixelSize{bomb.width, bomb.height}));
        EXPECT_FALSE(PreviewSource::decode(bomb.path, 0.05, &why));
        EXPECT_EQ(why, "The photo is too large to preview " + size + ".");
        EXPECT_FALSE(renderToFit(Image(bomb.path).originalImage(), 400, 300, {}, &why));
        EXPECT_EQ(why, "The photo is too large to show " + size + ".");
    }
    for (const std::string& large : {writeBombPng(dir, "rgb-11000.png", 11000, 11000, 2, 8),
                                     writeBombTiff(dir, "grey-19000.tif", 19000, 19000)}) {
        const auto thumbnail = makeThumbnail(large, 128);
        ASSERT_TRUE(thumbnail) << large;
        EXPECT_EQ(thumbnail->width, 128);
    }
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // The sanitizers' own shadow memory would swamp the figure.
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss / 1024, 250) << "MB at the peak";
#endif
}

// Thumbnails and photo information made on many threads at once are what one thread makes.
TEST(Thumbnail, ThreadsAtOnceGetWhatOneThreadGets) {
    // The runtime-compiled resampling loops of liborc crash when threads build and
    // release them at once; they must stay off.
    EXPECT_FALSE(vips_vector_isenabled());
    QTemporaryDir dir;
    const std::vector<std::string> photos{writeQuadrantPhoto(dir, "a.png", 300, 200),
                                          writeQuadrantPhoto(dir, "b.jpg", 120, 260),
                                          testdataPath("bad-seed/jpeg/vips-truncated.jpg"),
                                          testdataPath("real/jpeg/orientation/Landscape_6.jpg"),
                                          testdataPath("bad-seed/png/pillow-broken.png")};
    std::vector<std::string> described;
    for (const char* file :
         {"real/jpeg/cameras/exiv2/Reagan.jpg", "real/jpeg/quirks/BlueSquare-xmp.jpg",
          "real/png/photos/exiv2-reagan.png", "real/tiff/exiv2-reagan-3pages.tiff",
          "real/png/photos/pillow-xmp-orientation.png", "real/jpeg/gps/DSCN0021.jpg",
          "real/tiff/pillow-bigtiff.tif", "real/jpeg/makernotes/Google.jpg"}) {
        described.push_back(testdataPath(file));
    }
    std::vector<std::optional<Bitmap>> thumbnails;
    for (const std::string& path : photos) {
        thumbnails.push_back(makeThumbnail(path, 80));
    }
    std::vector<std::optional<QVariantMap>> properties;
    for (const std::string& path : described) {
        properties.push_back(readImageProperties(path));
        ASSERT_TRUE(properties.back()) << path;
    }
    // Eight threads read the information; four of them make thumbnails too.
    std::vector<int> mismatches(8, 0);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 4; ++round) {
                for (size_t i = 0; i < described.size(); ++i) {
                    const size_t d = (i + t) % described.size(), p = (i + t) % photos.size();
                    mismatches[t] += readImageProperties(described[d]) != properties[d];
                    if (t < 4) {
                        const auto got = makeThumbnail(photos[p], 80);
                        const auto& want = thumbnails[p];
                        mismatches[t] += got.has_value() != want.has_value() ||
                                         (got && got->pixels != want->pixels);
                    }
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches, std::vector<int>(8, 0));
}
