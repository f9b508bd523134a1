// Mirrored folders, template names and shards, through the walk and the exporter together.

#include "core/batch/ImportWalker.h"
#include "tests/core/export/ExportTestFixture.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

class OutputLayoutTest : public ExportTest {
protected:
    void SetUp() override {
        ExportTest::SetUp();
        Effects::sharedEffects().setRotationDegrees(90.0f); // outputs differ from the sources
    }

    std::string photo(const std::string& path, int width = 24) {
        QDir().mkpath(QFileInfo(sources.filePath(QString::fromStdString(path))).path());
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
    ExportOutcome walkAndRun(const ExportSettings& s, const std::vector<std::string>& paths) {
        ImageList images = walk(paths);
        return run(s, images);
    }

    QString into(const QString& name) const {
        QDir(destination.path()).mkpath(name);
        return destination.filePath(name);
    }
};

TEST_F(OutputLayoutTest, MirroredTreeKeepsItsFoldersAndNeverLeavesTheExportFolder) {
    for (const char* path :
         {"card/2026/06-Rome/IMG_0001.jpg", "card/2026/07-Alps/IMG_0001.jpg",
          "card/2026/07-Alps/IMG_0001.png", // the same output name in the same folder
          "card/new\nline/-dash.jpg", "card/..dots/a.jpg", "outside/o.jpg"}) {
        photo(path);
    }
    const QString card = sources.filePath("card");
    // A link to a folder elsewhere is walked under its own name; a link back up is not
    // walked twice.
    ASSERT_TRUE(QFile::link(sources.filePath("outside"), card + "/link"));
    ASSERT_TRUE(QFile::link(card, card + "/2026/loop"));
    const std::string single = photo("single.jpg");

    ExportSettings s = settings(OutputType::Jpg);
    s.keepFolders = true;
    // "card/." names the folder card all the same.
    const ExportOutcome outcome = walkAndRun(s, {card.toStdString() + "/.", single});
    EXPECT_EQ(outcome.written, 7) << report();
    EXPECT_EQ(namesIn(outcome.exportFolder),
              (QStringList{"card/..dots/a.jpg", "card/2026/06-Rome/IMG_0001.jpg",
                           "card/2026/07-Alps/IMG_0001-1.jpg", "card/2026/07-Alps/IMG_0001.jpg",
                           "card/link/o.jpg", "card/new\nline/-dash.jpg", "single.jpg"}));
    EXPECT_EQ(QDir(destination.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"Run"});
    EXPECT_EQ(QDir(sources.filePath("outside")).entryList(QDir::Files), QStringList{"o.jpg"});

    // Without the choice, the same photos land side by side as before.
    const ExportOutcome flat = walkAndRun(settings(OutputType::Jpg), {card.toStdString(), single});
    EXPECT_EQ(namesIn(flat.exportFolder).size(), 7);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(flat.exportFolder) + "/IMG_0001-2.jpg"));
}

TEST_F(OutputLayoutTest, ALinkOrFileWhereAFolderBelongsIsRefusedNotFollowed) {
    photo("card/trip/a.jpg");
    photo("card/b.jpg");
    QDir().mkpath(sources.filePath("elsewhere"));
    const QString target = into("Existing");
    // Someone left a link named like the walked folder in the folder we fill.
    ASSERT_TRUE(QFile::link(sources.filePath("elsewhere"), target + "/card"));
    ExportSettings s = settings(OutputType::Jpg);
    s.keepFolders = true;
    s.intoFolder = target.toStdString();
    const ExportOutcome outcome = walkAndRun(s, {sources.filePath("card").toStdString()});
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
        SCOPED_TRACE(fromTemplate);
        const QString suffix = fromTemplate ? "-t" : "";
        ExportSettings s = settings(OutputType::Jpg);
        s.useNameTemplate = fromTemplate;
        s.nameTemplate = "{name}_{w}x{h}_{n}";
        s.intoFolder = into("one" + suffix).toStdString();
        EXPECT_EQ(walkAndRun(s, paths).written, 11);
        const auto expected = treeOf(QString::fromStdString(s.intoFolder));
        ASSERT_EQ(expected.size(), 11U);

        s.intoFolder = into("shards" + suffix).toStdString();
        s.shards = 3;
        long photos = 0;
        for (s.shard = 1; s.shard <= 3; ++s.shard) {
            photos += walkAndRun(s, paths).photos;
        }
        EXPECT_EQ(photos, 12);
        EXPECT_TRUE(treeOf(QString::fromStdString(s.intoFolder)) == expected);

        // A shard that failed is run again over the whole list: only what is missing is made.
        s.intoFolder = into("retry" + suffix).toStdString();
        s.shard = 2;
        const long firstWritten = walkAndRun(s, paths).written;
        s.shard = 1;
        s.shards = 1;
        s.skipExisting = true;
        const ExportOutcome retry = walkAndRun(s, paths);
        EXPECT_EQ(retry.skipped, firstWritten);
        EXPECT_EQ(retry.written, 11 - firstWritten);
        EXPECT_TRUE(treeOf(QString::fromStdString(s.intoFolder)) == expected);
        ProcessingErrors::errors().clearErrors();
    }
    EXPECT_TRUE(QFile::exists(destination.filePath("one/IMG_1-2.jpg")));
    EXPECT_TRUE(QFile::exists(destination.filePath("one-t/p7_16x25_12.jpg")));
}

} // namespace
