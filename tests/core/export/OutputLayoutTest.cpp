// Mirrored folders, template names and shards, through the walk and the exporter together.

#include "core/batch/AppData.h"
#include "core/batch/ImportWalker.h"
#include "core/batch/ProcessingErrors.h"
#include "core/export/BatchExporter.h"
#include "core/imaging/Effects.h"
#include "tests/core/TestImages.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>
#include <map>

using namespace vantrel;
using namespace vantrel::test;

namespace {

// Every file under `folder` by its path relative to it, with its bytes.
std::map<QString, QByteArray> treeOf(const QString& folder) {
    std::map<QString, QByteArray> tree;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        tree[QDir(folder).relativeFilePath(path)] = file.readAll();
    }
    return tree;
}

QStringList namesOf(const std::map<QString, QByteArray>& tree) {
    QStringList names;
    for (const auto& [name, bytes] : tree) {
        names.append(name);
    }
    return names;
}

class OutputLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sources.isValid());
        ASSERT_TRUE(destination.isValid());
        Effects::sharedEffects().resetEffects();
        ProcessingErrors::errors().clearErrors();
        Effects::sharedEffects().setRotationDegrees(90.0f); // outputs differ from the sources
    }
    void TearDown() override {
        Effects::sharedEffects().resetEffects();
        ProcessingErrors::errors().clearErrors();
    }

    std::string photo(const std::string& path, int width = 24) {
        const QString folder = QFileInfo(sources.filePath(QString::fromStdString(path))).path();
        QDir().mkpath(folder);
        return writeQuadrantPhoto(sources, path, width, 16);
    }

    // The photos as the window's walk finds them in `paths`.
    static ImageList walk(const std::vector<std::string>& paths) {
        AppData data;
        std::atomic<bool> stop{false};
        ImportWalker(data, stop).addImagesWithPaths(paths);
        updateDatasource(data);
        return std::move(data.currentImages());
    }

    ExportSettings settings() const {
        ExportSettings s;
        s.destination = destination.path().toStdString();
        s.targetFolderName = "Run";
        s.outputType = OutputType::Jpg;
        s.jobs = 2;
        return s;
    }

    QString into(const QString& name) const {
        QDir(destination.path()).mkpath(name);
        return destination.filePath(name);
    }

    QTemporaryDir sources;
    QTemporaryDir destination;
    std::atomic<bool> stop{false};
};

TEST_F(OutputLayoutTest, MirroredTreeKeepsItsFoldersAndNeverLeavesTheExportFolder) {
    photo("card/2026/06-Rome/IMG_0001.jpg");
    photo("card/2026/07-Alps/IMG_0001.jpg");
    photo("card/2026/07-Alps/IMG_0001.png"); // the same output name in the same folder
    photo("card/new\nline/-dash.jpg");
    photo("card/..dots/a.jpg");
    photo("outside/o.jpg");
    const QString card = sources.filePath("card");
    // A link to a folder elsewhere is walked under its own name; a link back up is not
    // walked twice.
    ASSERT_TRUE(QFile::link(sources.filePath("outside"), card + "/link"));
    ASSERT_TRUE(QFile::link(card, card + "/2026/loop"));
    const std::string single = photo("single.jpg");
    // "card/." names the folder card all the same.
    ImageList images = walk({card.toStdString() + "/.", single});

    ExportSettings s = settings();
    s.keepFolders = true;
    const ExportOutcome outcome = BatchExporter(s, stop).run(images);
    EXPECT_EQ(outcome.written, 7) << ProcessingErrors::errors().errorMessage().toStdString();
    EXPECT_EQ(namesOf(treeOf(QString::fromStdString(outcome.exportFolder))),
              (QStringList{"card/..dots/a.jpg", "card/2026/06-Rome/IMG_0001.jpg",
                           "card/2026/07-Alps/IMG_0001-1.jpg", "card/2026/07-Alps/IMG_0001.jpg",
                           "card/link/o.jpg", "card/new\nline/-dash.jpg", "single.jpg"}));
    EXPECT_EQ(QDir(destination.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"Run"});
    EXPECT_EQ(QDir(sources.filePath("outside")).entryList(QDir::Files), QStringList{"o.jpg"});

    // Without the choice, the same photos land side by side as before.
    ImageList flat = walk({card.toStdString(), single});
    const ExportOutcome flatOutcome = BatchExporter(settings(), stop).run(flat);
    EXPECT_EQ(namesOf(treeOf(QString::fromStdString(flatOutcome.exportFolder))).size(), 7);
    EXPECT_TRUE(
        QFile::exists(QString::fromStdString(flatOutcome.exportFolder) + "/IMG_0001-2.jpg"));
}

TEST_F(OutputLayoutTest, ALinkOrFileWhereAFolderBelongsIsRefusedNotFollowed) {
    photo("card/trip/a.jpg");
    photo("card/b.jpg");
    QDir().mkpath(sources.filePath("elsewhere"));
    const QString target = into("Existing");
    // Someone left a link named like the walked folder in the folder we fill.
    ASSERT_TRUE(QFile::link(sources.filePath("elsewhere"), target + "/card"));
    ImageList images = walk({sources.filePath("card").toStdString()});
    ExportSettings s = settings();
    s.keepFolders = true;
    s.intoFolder = target.toStdString();
    const ExportOutcome outcome = BatchExporter(s, stop).run(images);
    EXPECT_EQ(outcome.written, 0);
    EXPECT_EQ(outcome.failed, 2);
    EXPECT_TRUE(QDir(sources.filePath("elsewhere")).isEmpty());
    const QStringList report = ProcessingErrors::errors().errorsDuringProcessing();
    ASSERT_EQ(report.size(), 2);
    for (const QString name : {"a.jpg", "b.jpg"}) {
        EXPECT_TRUE(report.contains(name + " could not be exported: the folder " + target +
                                    "/card cannot be made: a link is in its place"))
            << report.join('\n').toStdString();
    }
}

TEST_F(OutputLayoutTest, ShardsTogetherWriteWhatOneRunWrites) {
    // Colliding source names across folders, a damaged photo, a template over the whole list.
    std::vector<std::string> paths;
    for (const char* folder : {"a", "b", "c"}) {
        paths.push_back(photo(std::string(folder) + "/IMG_1.jpg", 20 + folder[0] % 7));
    }
    paths.push_back(testdataPath("bad-seed/jpeg/vips-truncated.jpg"));
    for (int i = 0; i < 8; ++i) {
        paths.push_back(photo("p" + std::to_string(i) + ".png", 18 + i));
    }
    for (const bool fromTemplate : {false, true}) {
        ExportSettings s = settings();
        s.useNameTemplate = fromTemplate;
        s.nameTemplate = "{name}_{w}x{h}_{n}";

        s.intoFolder = into(fromTemplate ? "one-t" : "one").toStdString();
        ImageList whole = walk(paths);
        EXPECT_EQ(BatchExporter(s, stop).run(whole).written, 11);
        const auto expected = treeOf(QString::fromStdString(s.intoFolder));
        ASSERT_EQ(expected.size(), 11U);

        s.intoFolder = into(fromTemplate ? "shards-t" : "shards").toStdString();
        s.shards = 3;
        long photos = 0;
        for (int shard = 1; shard <= 3; ++shard) {
            s.shard = shard;
            ImageList list = walk(paths);
            photos += BatchExporter(s, stop).run(list).photos;
        }
        EXPECT_EQ(photos, 12);
        EXPECT_TRUE(treeOf(QString::fromStdString(s.intoFolder)) == expected) << fromTemplate;

        // A shard that failed is run again over the whole list: only what is missing is made.
        s.intoFolder = into(fromTemplate ? "retry-t" : "retry").toStdString();
        s.shard = 2;
        ImageList first = walk(paths);
        const long firstWritten = BatchExporter(s, stop).run(first).written;
        s.shard = 1;
        s.shards = 1;
        s.skipExisting = true;
        ImageList again = walk(paths);
        const ExportOutcome retry = BatchExporter(s, stop).run(again);
        EXPECT_EQ(retry.skipped, firstWritten);
        EXPECT_EQ(retry.written, 11 - firstWritten);
        EXPECT_TRUE(treeOf(QString::fromStdString(s.intoFolder)) == expected) << fromTemplate;
        ProcessingErrors::errors().clearErrors();
    }
    EXPECT_TRUE(QFile::exists(destination.filePath("one/IMG_1-2.jpg")));
    EXPECT_TRUE(QFile::exists(destination.filePath("one-t/p7_16x25_12.jpg")));
}

} // namespace
