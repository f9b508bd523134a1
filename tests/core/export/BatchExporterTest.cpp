#include "core/export/BatchExporter.h"
#include "core/export/ExiftoolRunner.h"
#include "core/imaging/MetadataReader.h"
#include "tests/core/export/ExportTestFixture.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

class BatchExporterTest : public ExportTest {
protected:
    // Two photos named IMG_1.jpg in different folders, a damaged file, a PNG.
    ImageList mixedBatch() {
        QDir(sources.path()).mkpath("a");
        QDir(sources.path()).mkpath("b");
        ImageList images;
        for (const char* path : {"a/IMG_1.jpg", "b/IMG_1.jpg"}) {
            images.push_back(std::make_unique<Image>(writeQuadrantPhoto(sources, path, 120, 80)));
        }
        images.push_back(std::make_unique<Image>(testdataPath("bad-seed/jpeg/vips-truncated.jpg")));
        images.push_back(std::make_unique<Image>(writeQuadrantPhoto(sources, "c.png", 90, 60)));
        return images;
    }
};

TEST_F(BatchExporterTest, SameNamesFilesAndReportWhateverTheNumberOfWorkers) {
    Effects::sharedEffects().setCropLeftPixels(100.0f);
    Effects::sharedEffects().setCropRightPixels(50.0f); // does not fit the 120 px photos
    QStringList reports;
    QList<QStringList> listings;
    for (int jobs : {1, 3}) {
        ImageList images = mixedBatch();
        LogCapture log;
        const ExportOutcome outcome =
            run(settings(OutputType::OriginalFileType, "Run", jobs), images);
        EXPECT_TRUE(outcome.folderCreated);
        EXPECT_EQ(outcome.written, 3);
        EXPECT_EQ(outcome.failed, 1);
        EXPECT_TRUE(log.contains(
            QStringLiteral("failed writing reconstructed image at path %1/vips-truncated.jpg")
                .arg(QString::fromStdString(outcome.exportFolder))));
        EXPECT_TRUE(log.contains("c.png couldn't not be cropped! "));
        listings.append(namesIn(outcome.exportFolder));
        reports.append(ProcessingErrors::errors().errorMessage());
        ProcessingErrors::errors().clearErrors();
    }
    EXPECT_EQ(listings[0], (QStringList{"IMG_1-1.jpg", "IMG_1.jpg", "c.png"}));
    EXPECT_EQ(listings[0], listings[1]);
    EXPECT_EQ(reports[0], reports[1]);
    const QStringList lines = reports[0].split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "IMG_1.jpg couldn't not be cropped!");
    EXPECT_EQ(lines[1], "IMG_1.jpg couldn't not be cropped!");
    EXPECT_TRUE(lines[2].startsWith("vips-truncated.jpg could not be exported: "))
        << lines[2].toStdString();
    EXPECT_EQ(lines[3], "c.png couldn't not be cropped!");
}

TEST_F(BatchExporterTest, NewNamesTypesAndQuality) {
    ImageList images = mixedBatch();
    ExportSettings s = settings(OutputType::Png);
    s.keepOriginalName = false;
    s.newName = "";
    const ExportOutcome outcome = run(s, images);
    EXPECT_EQ(namesIn(outcome.exportFolder),
              (QStringList{"Image_1.png", "Image_2.png", "Image_4.png"}));
    const auto png = loadPixels(outcome.exportFolder + "/Image_1.png");
    EXPECT_EQ(png.width(), 120);
    EXPECT_STREQ(png.get_string("vips-loader"), "pngload");
}

TEST_F(BatchExporterTest, TheStopFlagEndsTheRunBeforeTheNextPhoto) {
    ImageList images;
    for (int i = 0; i < 6; ++i) {
        images.push_back(std::make_unique<Image>(
            writeQuadrantPhoto(sources, "p" + std::to_string(i) + ".jpg", 64, 48)));
    }
    long reported = 0;
    BatchExporter exporter(settings(OutputType::OriginalFileType, "Run", 1), stop,
                           [&](long done, long total) {
                               reported = done;
                               EXPECT_EQ(total, 6);
                               stop = stop || done == 2;
                           });
    const ExportOutcome outcome = exporter.run(images);
    EXPECT_TRUE(outcome.stopped);
    // Photos already under way finish; none after them is started.
    EXPECT_GE(outcome.written, 2);
    EXPECT_LT(outcome.written, 6);
    EXPECT_EQ(namesIn(outcome.exportFolder).size(), outcome.written);
    EXPECT_EQ(reported, outcome.written);
}

TEST_F(BatchExporterTest, AFolderThatCannotBeMadeIsReportedWithItsPathAndReason) {
    QFile blocker(destination.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ImageList images = mixedBatch();
    ExportSettings s = settings();
    s.destination = destination.filePath("file").toStdString();
    const ExportOutcome outcome = run(s, images);
    EXPECT_FALSE(outcome.folderCreated);
    EXPECT_EQ(outcome.written, 0);
    EXPECT_EQ(outcome.failed, 4);
    EXPECT_EQ(ProcessingErrors::errors().errorsDuringProcessing(),
              QStringList{"The export folder " + destination.filePath("file") +
                          "/Run could not be created: Not a directory"});
}

TEST_F(BatchExporterTest, MetadataTravelsToTheOutputOrTheReportSaysWhy) {
    ExportSettings s = settings();
    s.transferMetadata = true;
    s.exiftoolPath = locateExiftool("/nonexistent");
    ASSERT_TRUE(s.exiftoolPath);
    const std::vector<std::string> canon{testdataPath("real/jpeg/cameras/Canon_40D.jpg")};
    ExportOutcome outcome = exportPaths(s, canon);
    ASSERT_EQ(outcome.written, 1);
    const auto properties = readImageProperties(outcome.exportFolder + "/Canon_40D.jpg");
    ASSERT_TRUE(properties);
    EXPECT_EQ(properties->value("{TIFF}").toMap().value("Model").toString(), "Canon EOS 40D");
    EXPECT_EQ(namesIn(outcome.exportFolder), QStringList{"Canon_40D.jpg"});
    EXPECT_FALSE(ProcessingErrors::errors().errorsDidOccur());

    s.exiftoolPath.reset();
    EXPECT_EQ(exportPaths(s, canon).written, 1);
    EXPECT_EQ(
        ProcessingErrors::errors().errorsDuringProcessing(),
        QStringList{"exiftool was not found: the photos were exported without their metadata."});
}

} // namespace
