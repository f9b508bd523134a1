// vantrel-batch as a user runs it: a real process, real files, its exit status and output.

#include "tests/cli/BatchProcess.h"
#include "tests/core/TestImages.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <csignal>

using namespace vantrel::test;

namespace {

TEST(BatchCommand, ExportsHostileNamesAndPrintsTheExportFolder) {
    QTemporaryDir sources;
    QTemporaryDir destination;
    const QStringList names = {"with space.jpg", "quote's \"x\".jpg", "-dash.jpg", "Crémieux.png",
                               "new\nline.jpg"};
    for (const QString& name : names) {
        writeQuadrantPhoto(sources, name.toStdString(), 64, 48);
    }
    const BatchRun run = runBatch({"--dest", destination.path(), "--folder", "Out", "--rotate",
                                   "90", "--type", "jpg", "--jobs", "2", sources.path()});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QString folder = run.out.trimmed();
    EXPECT_EQ(folder, QDir(destination.path()).filePath("Out"));
    const QStringList written = QDir(folder).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(written.size(), names.size());
    for (const QString& name : names) {
        const QString output = name.left(name.lastIndexOf('.')) + ".jpg";
        EXPECT_TRUE(written.contains(output)) << output.toStdString();
    }
    EXPECT_EQ(loadPixels((folder + "/with space.jpg").toStdString()).width(), 48);
}

TEST(BatchCommand, ExitStatusTellsHowTheRunEnded) {
    QTemporaryDir destination;
    EXPECT_EQ(runBatch({"--quality", "abc", "x.jpg"}).status, 2);
    EXPECT_EQ(runBatch({"--dest", destination.path()}).status, 2);
    EXPECT_EQ(runBatch({"--dest", destination.path(), destination.filePath("missing.txt")}).status,
              2);

    const BatchRun damaged =
        runBatch({"--dest", destination.path(),
                  QString::fromStdString(testdataPath("bad-seed/jpeg/vips-truncated.jpg"))});
    EXPECT_EQ(damaged.status, 1);
    EXPECT_TRUE(damaged.err.contains("vips-truncated.jpg could not be exported: "));
    EXPECT_TRUE(damaged.err.contains("failed writing reconstructed image at path "));
}

TEST(BatchCommand, RelativeArgumentsAreKnownByTheirWholePath) {
    QTemporaryDir sources;
    QTemporaryDir destination;
    ASSERT_TRUE(QDir(sources.path()).mkpath("Holiday.PNG.d"));
    ASSERT_TRUE(QDir(sources.path()).mkpath("e"));
    writeQuadrantPhoto(sources, "e/a.jpg", 16, 12);
    writeQuadrantPhoto(sources, "Holiday.PNG.d/IMG_0001.png", 16, 12);
    ASSERT_TRUE(QFile::rename(sources.filePath("Holiday.PNG.d/IMG_0001.png"),
                              sources.filePath("Holiday.PNG.d/IMG_0001")));
    // As a shell started in `folder` would run it.
    const auto runIn = [](const QString& folder, const QStringList& arguments) {
        return runBatch(arguments, {}, environmentWith("PWD", folder), folder);
    };

    const BatchRun untyped = runIn(sources.filePath("Holiday.PNG.d"),
                                   {"--dest", destination.path(), "--folder", "One", "IMG_0001"});
    EXPECT_EQ(untyped.status, 0) << untyped.err.toStdString();
    EXPECT_FALSE(untyped.err.contains("is not supported!")) << untyped.err.toStdString();
    EXPECT_EQ(QDir(destination.filePath("One")).entryList(QDir::Files).size(), 1);

    const BatchRun twice = runIn(sources.path(), {"--dest", destination.path(), "--folder", "Two",
                                                  "e/a.jpg", sources.filePath("e/a.jpg")});
    EXPECT_EQ(twice.status, 0) << twice.err.toStdString();
    EXPECT_EQ(twice.err.count("a.jpg is already added!"), 1) << twice.err.toStdString();
    EXPECT_EQ(QDir(destination.filePath("Two")).entryList(QDir::Files), QStringList{"a.jpg"});
}

TEST(BatchCommand, APngWhoseProfilePngRefusesKeepsItsColours) {
    const std::string source = testdataPath("real/png/photos/exiv2-imagemagick-text.png");
    QTemporaryDir destination;
    const BatchRun run = runBatch({"--type", "png", "--dest", destination.path(), "--folder", "Out",
                                   QString::fromStdString(source)});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const vips::VImage back =
        loadPixels(destination.filePath("Out/exiv2-imagemagick-text.png").toStdString());
    ASSERT_NE(back.get_typeof(VIPS_META_ICC_NAME), 0u) << "the output says what its pixels mean";
    const vips::VImage inSrgb = loadPixels(source).icc_transform(
        "srgb", vips::VImage::option()->set("embedded", true)->set("depth", 8));
    EXPECT_EQ(relativeRmse(back, inSrgb), 0.0);
}

TEST(BatchCommand, MetadataWithoutExiftoolStillExportsAndSaysSoOnce) {
    QTemporaryDir sources;
    QTemporaryDir destination;
    writeQuadrantPhoto(sources, "a.jpg", 32, 32);
    writeQuadrantPhoto(sources, "b.jpg", 32, 32);
    const BatchRun run = runBatch({"--metadata", "--dest", destination.path(), sources.path()}, {},
                                  environmentWith("PATH", destination.path()));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(QDir(run.out.trimmed()).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(run.err.count("exiftool was not found"), 1);
}

TEST(BatchCommand, InterruptStopsLikeTheStopButton) {
    QTemporaryDir sources;
    QTemporaryDir destination;
    const std::string first = writeQuadrantPhoto(sources, "p000.png", 1200, 900);
    for (int i = 1; i < 300; ++i) {
        QFile::link(QString::fromStdString(first),
                    sources.filePath(QString("p%1.png").arg(i, 3, 10, QChar('0'))));
    }
    QProcess process;
    process.start(QStringLiteral(VANTREL_BATCH_BINARY),
                  {"--jobs", "1", "--dest", destination.path(), "--folder", "Run", sources.path()});
    ASSERT_TRUE(process.waitForStarted());
    const QDir output(destination.filePath("Run"));
    for (int wait = 0; wait < 600 && output.entryList(QDir::Files).isEmpty(); ++wait) {
        QThread::msleep(50);
    }
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 130);
    const qsizetype written = output.entryList(QDir::Files).size();
    EXPECT_GE(written, 1);
    EXPECT_LT(written, 300);
    EXPECT_EQ(output.entryList(QDir::Files | QDir::Hidden | QDir::System).size(), written)
        << "no temporary files are left";
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()).trimmed(), output.path());
}

} // namespace
