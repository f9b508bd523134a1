#include "core/export/OutputNaming.h"
#include "core/export/ExportFolder.h"
#include "core/imaging/PhotoFile.h"

#include "tests/core/TestImages.h"

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <latch>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace vantrel;

namespace {

const QDate exportDay(2026, 12, 5);

bool isDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

TEST(OutputNaming, TitlesAreExact) {
    for (const char* title : {"Original File Type", "JPG", "PNG", "TIFF", "WebP", "AVIF"}) {
        const auto type = outputTypeFromTitle(title);
        ASSERT_TRUE(type) << title;
        EXPECT_STREQ(outputTypeTitle(*type), title);
    }
    for (const char* other : {"jpg", "Tiff", "JPEG", "PNG ", "", "webp"}) {
        EXPECT_FALSE(outputTypeFromTitle(other)) << other;
    }
}

TEST(OutputNaming, SerialIsAsWideAsThePhotoCount) {
    const struct {
        long index;
        long count;
        const char* name;
    } cases[] = {{0, 12, "Holiday_01.jpg"},   {11, 12, "Holiday_12.jpg"},
                 {0, 9, "Holiday_1.jpg"},     {8, 9, "Holiday_9.jpg"},
                 {0, 99, "Holiday_01.jpg"},   {98, 99, "Holiday_99.jpg"},
                 {0, 100, "Holiday_001.jpg"}, {99, 100, "Holiday_100.jpg"}};
    for (const auto& c : cases) {
        EXPECT_EQ(lastPathComponent(newNameOutputPath("/out", "Holiday", c.index, c.count, "jpg")),
                  c.name);
    }
    EXPECT_EQ(numberFormatSerilized(7, 1000), "0007");
    EXPECT_EQ(numberFormatSerilized(12345, 9), "12345");
    EXPECT_EQ(newNameOutputPath("/out/", "", 0, 3, "png"), "/out/Image_1.png");
}

TEST(OutputNaming, NewNameNeverLeavesTheFolder) {
    for (const std::string newName : {"../x", "a/b", "..", ".", "/"}) {
        const std::string path = newNameOutputPath("/out", newName, 0, 12, "jpg");
        EXPECT_EQ(path.substr(0, 5), "/out/") << newName;
        EXPECT_EQ(path.find('/', 5), std::string::npos) << newName;
        EXPECT_EQ(standardizePath(path).substr(0, 5), "/out/") << newName;
    }
    EXPECT_EQ(newNameOutputPath("/out", "../x", 0, 12, "jpg"), "/out/.._x_01.jpg");
    EXPECT_EQ(newNameOutputPath("/out", "a/b", 1, 12, "jpg"), "/out/a_b_02.jpg");
}

TEST(OutputNaming, SourceNamesWithTheirTypeAndEncoder) {
    using enum OutputType;
    const struct {
        OutputType type;
        const char* title;
        const char* fileName;
        Encoding encoding;
    } cases[] = {
        {Png, "IMG_0001.JPG", "IMG_0001.png", Encoding::Png},
        {Tiff, "IMG_0001.JPG", "IMG_0001.tiff", Encoding::Tiff},
        {Jpg, "scan.tif", "scan.jpg", Encoding::Jpeg},
        {WebP, "IMG_1.JPG", "IMG_1.webp", Encoding::WebP},
        {Avif, "IMG_1.heic", "IMG_1.avif", Encoding::Avif},
        {OriginalFileType, "IMG_0001.JPG", "IMG_0001.JPG", Encoding::Jpeg},
        {OriginalFileType, "shot.Jpeg", "shot.Jpeg", Encoding::Jpeg},
        {OriginalFileType, "scan.tif", "scan.tif", Encoding::Tiff},
        {OriginalFileType, "pic.png", "pic.png", Encoding::Png},
        {OriginalFileType, "photo.final.jpg", "photo.final.jpg", Encoding::Jpeg},
        {OriginalFileType, "IMG_1.HEIC", "IMG_1.HEIC", Encoding::Heic},
        {OriginalFileType, "IMG_1.heif", "IMG_1.heif", Encoding::Heic},
        {OriginalFileType, "IMG_1.avif", "IMG_1.avif", Encoding::Avif},
        {OriginalFileType, "IMG_1.WebP", "IMG_1.WebP", Encoding::WebP},
        // Encoded as TIFF, so named so, not "notes.notes" or "odd.bmp".
        {OriginalFileType, "notes", "notes.tiff", Encoding::Tiff},
        {OriginalFileType, "trailing.", "trailing.tiff", Encoding::Tiff},
        {OriginalFileType, "odd.bmp", "odd.tiff", Encoding::Tiff},
        {OriginalFileType, "IMG_1.gif", "IMG_1.tiff", Encoding::Tiff},
    };
    for (const auto& c : cases) {
        const std::string path =
            sourceNameOutputPath("/data/trip.jpeg", c.title, fileExtentionAtIndex(c.type, c.title));
        EXPECT_EQ(path, std::string("/data/trip.jpeg/") + c.fileName) << c.title;
        EXPECT_EQ(encodingFor(c.type, path), c.encoding) << c.title;
    }
    // Odd bytes in names pass through.
    const std::string title = "-\xff\xfe caf\xc3\xa9 \"q\" 'q'\n\xe5\x86\x99\xe7\x9c\x9f.jpg";
    const std::string base = title.substr(0, title.size() - 4);
    EXPECT_EQ(sourceNameOutputPath("/out", title, "png"), "/out/" + base + ".png");
    EXPECT_EQ(newNameOutputPath("/out", base, 0, 1, "png"), "/out/" + base + "_1.png");
}

TEST(OutputNaming, CollisionsNumberTheRequestedName) {
    EXPECT_EQ(collisionCandidate("/out/IMG_1.jpg", 1), "/out/IMG_1-1.jpg");
    EXPECT_EQ(collisionCandidate("/out/IMG_1.jpg", 2), "/out/IMG_1-2.jpg");
    EXPECT_EQ(collisionCandidate("/out/photo.final.jpg", 1), "/out/photo.final-1.jpg");
    // Only the file name's own extension counts.
    EXPECT_EQ(collisionCandidate("/out/trip.jpeg/notes", 3), "/out/trip.jpeg/notes-3");
}

TEST(OutputNaming, StandardizePath) {
    const test::ScopedEnvironment home("HOME", "/home/someone/");
    EXPECT_EQ(standardizePath("~"), "/home/someone");
    EXPECT_EQ(standardizePath("~/Pictures/../Export//./x/"), "/home/someone/Export/x");
    EXPECT_EQ(standardizePath("/../../a/.."), "/");
    EXPECT_EQ(standardizePath("//a///b/"), "/a/b");
    EXPECT_EQ(standardizePath("a/../../b/./c"), "../b/c");
    EXPECT_EQ(standardizePath("./"), ".");
    EXPECT_EQ(standardizePath("a/~/b"), "a/~/b");
    EXPECT_EQ(standardizePath("~no-such-user-here/x"), "~no-such-user-here/x");
    EXPECT_EQ(defaultExportFolderName(exportDay), "Export_2026-12-05");
}

TEST(ExportFolder, TakenNamesGetNumberedSuffixes) {
    QTemporaryDir temp;
    const std::string dest = temp.path().toStdString();
    const std::string base = dest + "/Export_2026-12-05";
    for (const std::string& expected : {base, base + "-1", base + "-2"}) {
        const ExportFolderResult result = createExportFolder(dest, "", exportDay);
        EXPECT_TRUE(result.created);
        EXPECT_EQ(result.path, expected);
        EXPECT_TRUE(isDirectory(expected));
    }
    std::ofstream(dest + "/Trip") << "not a folder";
    ASSERT_EQ(::symlink((dest + "/nowhere").c_str(), (dest + "/Gone").c_str()), 0);
    EXPECT_EQ(createExportFolder(dest, "Trip", exportDay).path, dest + "/Trip-1");
    EXPECT_EQ(createExportFolder(dest, "Gone", exportDay).path, dest + "/Gone-1");
    EXPECT_EQ(createExportFolder(dest, "../up", exportDay).path, dest + "/.._up");
}

TEST(ExportFolder, DestinationIsStandardisedAndCreated) {
    QTemporaryDir temp;
    const std::string root = temp.path().toStdString();
    const test::ScopedEnvironment home("HOME", QByteArray::fromStdString(root));
    ExportFolderResult result = createExportFolder("~/a/../b/c/", "Out", exportDay);
    EXPECT_TRUE(result.created);
    EXPECT_EQ(result.path, root + "/b/c/Out");
    EXPECT_TRUE(isDirectory(result.path));
    {
        const test::ScopedWorkingFolder working(root + "/b", root + "/b");
        result = createExportFolder("c/../d", "Out", exportDay);
    }
    EXPECT_EQ(result.path, root + "/b/d/Out");
    EXPECT_TRUE(isDirectory(result.path));
}

TEST(ExportFolder, UnusableDestinationIsLoggedAndReported) {
    QTemporaryDir temp;
    const std::string file = temp.path().toStdString() + "/file.txt";
    std::ofstream(file) << "text";
    for (const std::string& destination : {file + "/sub", std::string()}) {
        test::LogCapture log;
        const ExportFolderResult result = createExportFolder(destination, "", exportDay);
        EXPECT_FALSE(result.created);
        const std::string tried =
            destination.empty() ? "Export_2026-12-05" : file + "/sub/Export_2026-12-05";
        EXPECT_EQ(result.path, tried);
        EXPECT_TRUE(log.contains("Error: Create folder failed " + QString::fromStdString(tried)));
    }
}

TEST(ExportFolder, RunsStartedTogetherGetTheirOwnFolders) {
    QTemporaryDir temp;
    const std::string dest = temp.path().toStdString() + "/new";
    constexpr int runs = 8;
    std::latch start(runs);
    std::vector<ExportFolderResult> results(runs);
    std::vector<std::thread> threads;
    for (int i = 0; i < runs; ++i) {
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            results[i] = createExportFolder(dest, "Batch", exportDay);
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::set<std::string> paths;
    for (const ExportFolderResult& result : results) {
        EXPECT_TRUE(result.created);
        paths.insert(result.path);
    }
    EXPECT_EQ(paths.size(), std::size_t{runs});
    EXPECT_TRUE(paths.contains(dest + "/Batch"));
    EXPECT_TRUE(paths.contains(dest + "/Batch-7"));
}

} // namespace
