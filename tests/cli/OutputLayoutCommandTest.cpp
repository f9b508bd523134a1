// vantrel-batch over many machines: list files, shards, one shared folder, retries.

#include "tests/cli/BatchProcess.h"
#include "tests/core/export/ExportTestFixture.h"

#include <QStandardPaths>

using namespace vantrel::test;

namespace {

class OutputLayoutCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sources.isValid());
        ASSERT_TRUE(work.isValid());
        // Colliding names, a name with a line break, a damaged photo.
        for (const char* name : {"a/IMG_1.jpg", "b/IMG_1.jpg", "new\nline.png", "c/d.tif"}) {
            QDir(sources.path()).mkpath(QFileInfo(sources.filePath(name)).path());
            list += QByteArray::fromStdString(writeQuadrantPhoto(sources, name, 30, 20)) + '\0';
        }
        list += QByteArray::fromStdString(testdataPath("bad-seed/jpeg/vips-truncated.jpg")) + '\0';
        for (int i = 0; i < 9; ++i) {
            const std::string name = "p" + std::to_string(i) + ".jpg";
            list += QByteArray::fromStdString(writeQuadrantPhoto(sources, name, 20 + i, 16)) + '\0';
        }
        QFile file(work.filePath("list"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(list);
    }

    QString folder(const QString& name) const {
        QDir(work.path()).mkpath(name);
        return work.filePath(name);
    }

    QStringList common() const {
        return {"--files-from", work.filePath("list"), "-0",     "--rotate", "90", "--type", "jpg",
                "--template",   "{name}_{w}x{h}_{n}",  "--jobs", "2"};
    }

    QTemporaryDir sources;
    QTemporaryDir work;
    QByteArray list;
};

TEST_F(OutputLayoutCommand, BadChoicesAreRefusedBeforeAnything) {
    const struct {
        QStringList arguments;
        const char* message;
    } cases[] = {
        {{"--template", "{date}_{foo}", "x.jpg"}, "--template: unknown token {foo}"},
        {{"--shard", "5/4", "x.jpg"}, "--shard: expected I/N with 1 <= I <= N"},
        {{"--shard", "0/4", "x.jpg"}, "--shard: expected I/N"},
        {{"--skip-existing", "x.jpg"}, "--skip-existing: only with --into"},
        {{"-0", "x.jpg"}, "-0: only with --files-from"},
        {{"--into", work.filePath("missing"), "x.jpg"}, "is not an existing folder"},
        {{"--files-from", work.filePath("missing")}, "--files-from: cannot read"},
    };
    for (const auto& c : cases) {
        const BatchRun run = runBatch(c.arguments);
        EXPECT_EQ(run.status, 2) << c.message;
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.message))) << run.err.toStdString();
    }
    EXPECT_TRUE(QDir(work.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(OutputLayoutCommand, FourShardsUnderGnuParallelWriteWhatOneRunWrites) {
    const QString parallel = QStandardPaths::findExecutable(QStringLiteral("parallel"));
    ASSERT_FALSE(parallel.isEmpty()) << "GNU parallel is missing: scripts/install-deps.sh";
    const QString one = folder("one");
    const BatchRun single = runBatch(common() + QStringList{"--into", one});
    EXPECT_EQ(single.status, 1); // the damaged photo is reported
    EXPECT_EQ(single.out.trimmed(), one);
    const auto expected = treeOf(one);
    ASSERT_EQ(expected.size(), 13U);
    EXPECT_EQ(expected.count("IMG_1_20x30_02.jpg"), 1U);
    EXPECT_EQ(expected.count("new\nline_20x30_03.jpg"), 1U);

    const QString shards = folder("shards");
    QStringList arguments{"--will-cite", "--halt", "never", QStringLiteral(VANTREL_BATCH_BINARY)};
    arguments +=
        common() + QStringList{"--into", shards, "--shard", "{}/4", ":::", "1", "2", "3", "4"};
    QProcess run;
    run.start(parallel, arguments);
    ASSERT_TRUE(run.waitForFinished(240000));
    // One shard holds the damaged photo: parallel's status counts the shards that failed.
    EXPECT_EQ(run.exitCode(), 1) << run.readAllStandardError().toStdString();
    EXPECT_TRUE(treeOf(shards) == expected);
}

TEST_F(OutputLayoutCommand, RunsRacingForNamesNeverOverwriteAndARetrySkipsWhatIsThere) {
    const QString shared = folder("shared");
    // The same list twice at once into one folder: every output gets a name of its own.
    QProcess first;
    QProcess second;
    for (QProcess* process : {&first, &second}) {
        process->start(QStringLiteral(VANTREL_BATCH_BINARY),
                       common() + QStringList{"--into", shared});
    }
    ASSERT_TRUE(first.waitForFinished(120000));
    ASSERT_TRUE(second.waitForFinished(120000));
    const auto raced = treeOf(shared);
    EXPECT_EQ(raced.size(), 26U);
    EXPECT_EQ(raced.count("p8_16x28_14.jpg"), 1U);
    EXPECT_EQ(raced.count("p8_16x28_14-1.jpg"), 1U);
    EXPECT_EQ(raced.at("p8_16x28_14.jpg"), raced.at("p8_16x28_14-1.jpg"));

    // Shard 2 of 2 fails half-way (here: is never run); the whole list is run again with
    // --skip-existing and the folder ends as one run would have left it. The list comes
    // from standard input this time.
    const QString retried = folder("retried");
    // Shard 1 holds the damaged photo.
    ASSERT_EQ(runBatch(common() + QStringList{"--into", retried, "--shard", "1/2"}).status, 1);
    QStringList again = common();
    again[1] = "-";
    const BatchRun retry =
        runBatch(again + QStringList{"--into", retried, "--skip-existing"}, list);
    EXPECT_EQ(retry.status, 1);
    EXPECT_TRUE(retry.err.contains("is exported already, skipped")) << retry.err.toStdString();
    const QString one = folder("one");
    runBatch(common() + QStringList{"--into", one});
    EXPECT_TRUE(treeOf(retried) == treeOf(one));
}

TEST_F(OutputLayoutCommand, KeepFoldersMirrorsTheFoldersGiven) {
    const BatchRun run =
        runBatch({"--keep-folders", "--into", folder("out"), "--type", "png", sources.filePath("a"),
                  sources.filePath("c/d.tif"), sources.filePath("b")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(namesIn(work.filePath("out")), (QStringList{"a/IMG_1.png", "b/IMG_1.png", "d.png"}));
}

} // namespace
