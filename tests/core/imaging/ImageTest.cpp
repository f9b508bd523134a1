#include "core/imaging/Image.h"
#include "core/imaging/Effects.h"
#include "core/imaging/MetadataReader.h"
#include "core/imaging/Thumbnail.h"
#include "core/imaging/WorkingImage.h"
#include "tests/core/TestImages.h"

#include <QDir>
#include <QFile>
#include <chrono>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using namespace vantrel;
using namespace vantrel::test;

namespace {

// The photo information of `path`, read on a thread of its own that may take 20 s at most.
std::optional<QVariantMap> readWithoutBlocking(const std::string& path, QString* why) {
    using Result = std::pair<std::optional<QVariantMap>, QString>;
    const auto promise = std::make_shared<std::promise<Result>>();
    std::future<Result> result = promise->get_future();
    std::thread([path, promise] {
        QString failure;
        auto properties = readImageProperties(path, &failure);
        promise->set_value({std::move(properties), failure});
    }).detach();
    if (result.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        ADD_FAILURE() << "reading blocked";
        return {};
    }
    Result got = result.get();
    *why = got.second;
    return got.first;
}

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

// Files that are no photo, through every reader: each refuses it with its own reason.
TEST_F(ImageWithEffects, FilesThatAreNoPhotoAreRefusedByEveryReader) {
    const std::string base = dir.path().toStdString();
    const std::string fifo = base + "/pipe.jpg"; // nobody writes to it: reading it would block
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.jpg"));
    const auto write = [&](const char* name, const char* text) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) > 0);
        return file.fileName().toStdString();
    };
    const char* damaged = "the photo is damaged or cannot be decoded";
    const struct {
        std::string path;
        const char* thumbnailWhy; // a prefix; nullptr: any reason
        int metadataStatus;       // of the log line; 0: any reason
        bool noImage;             // no working image at all, not even a header
    } files[] = {
        {fifo, "not a regular file", 1, true},
        {base + "/folder.jpg", "not a regular file", 1, true},
        {base + "/gone %2.jpg", "the file cannot be opened: ", 1, true}, // "%2" survives
        {write("notes.jpg", "plain text, not a photo\n"), nullptr, 2, true},
        {write("drawing.jpg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" "
                              "height=\"10\"><rect width=\"10\" height=\"10\"/></svg>"),
         nullptr, 0, true},
        {testdataPath("bad-seed/jpeg/exiv2-issue1472-not-decodable.jpg"), nullptr, 2, false},
        {testdataPath("bad-seed/tiff/pillow-seek-too-large.tif"), damaged, 3, false},
        {testdataPath("bad-seed/jpeg/exiv2-quicktime-segv-2376-as.jpg"), damaged, 2, true},
        {testdataPath("bad-seed/png/pngsuite-xd9n2c08.png"), nullptr, 0, true},
    };
    effects.setRotationDegrees(90.0f);
    effects.setCropLeftPixels(5.0f);
    effects.setScaleXMaximumPixels(4.0f);
    for (const auto& file : files) {
        SCOPED_TRACE(file.path);
        QString why;
        EXPECT_FALSE(makeThumbnail(file.path, 64, &why));
        EXPECT_TRUE(why.startsWith(file.thumbnailWhy ? file.thumbnailWhy : ""))
            << why.toStdString();
        EXPECT_FALSE(why.isEmpty());
        why.clear();
        EXPECT_FALSE(readWithoutBlocking(file.path, &why));
        if (file.metadataStatus != 0) {
            EXPECT_EQ(why, QString("Error: file name : %1 - Status: %2")
                               .arg(QString::fromStdString(file.path),
                                    QString::number(file.metadataStatus)));
        }
        EXPECT_FALSE(why.isEmpty());
        Image image(file.path);
        const Picture picture = image.imageWithEffects();
        if (file.noImage) {
            EXPECT_FALSE(image.workingImage());
            EXPECT_TRUE(picture.isNull());
        }
        why.clear();
        EXPECT_FALSE(picture.render(1.0, &why));
        EXPECT_FALSE(why.isEmpty());
    }
    QString why;
    EXPECT_FALSE(readImageProperties("", &why).has_value());
    EXPECT_TRUE(why.isEmpty());
    EXPECT_FALSE(makeThumbnail(writeQuadrantPhoto(dir, "fine.png", 8, 8), 0, &why));
}

// Every damaged and hostile file through every reader: refused with a reason or read, never a
// crash, and no file left open.
TEST_F(ImageWithEffects, DamagedAndHostileFilesAreReportedNeverFatal) {
    effects.setBrightnessValue(0.2f);
    effects.setRotationDegrees(90.0f);
    const int descriptors = openFileCount();
    int files = 0, rendered = 0, refused = 0;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(testdataPath("bad-seed"))) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") {
            continue;
        }
        const std::string path = entry.path().string();
        SCOPED_TRACE(path);
        ++files;
        QString why;
        const auto bitmap = Image(path).imageWithEffects().render(0.5, &why);
        EXPECT_EQ(bitmap.has_value(), why.isEmpty());
        (bitmap ? rendered : refused)++;
        why.clear();
        EXPECT_TRUE(makeThumbnail(path, 96, &why) || !why.isEmpty()) << "every refusal says why";
        why.clear();
        const auto properties = readImageProperties(path, &why);
        if (entry.path().filename().string().starts_with("exiv2-quicktime-")) {
            EXPECT_FALSE(properties.has_value());
            EXPECT_EQ(why, QString("Error: file name : %1 - Status: 2").arg(path.c_str()));
        } else {
            EXPECT_TRUE(properties || !why.isEmpty()) << "every refusal says why";
        }
    }
    EXPECT_GE(files, 50);
    EXPECT_GT(refused, 30);
    EXPECT_GT(rendered, 0);
    // Truncated photos are refused rather than padded with grey, like their export; so are
    // other containers named .jpg, which no photo loader reads.
    for (const char* name : {"jpeg/vips-truncated.jpg", "png/pillow-truncated-image.png",
                             "jpeg/exiv2-quicktime-segv-2376-as.jpg", "png/pillow-broken.png",
                             "tiff/pillow-seek-too-large.tif"}) {
        QString why;
        EXPECT_FALSE(makeThumbnail(testdataPath(std::string("bad-seed/") + name), 96, &why))
            << name;
        EXPECT_EQ(why, "the photo is damaged or cannot be decoded") << name;
    }
    EXPECT_EQ(openFileCount(), descriptors);
}

} // namespace
