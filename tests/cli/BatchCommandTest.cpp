// vantrel-batch as a user runs it: a real process, real files, its exit status and output.

#include "TestImages.h"

#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

using namespace vantrel::test;

namespace {

struct BatchRun {
    int status = -1;
    QString out;
    QString err;
};

BatchRun runBatch(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(VANTREL_BATCH_BINARY), arguments);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(120000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

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

} // namespace
