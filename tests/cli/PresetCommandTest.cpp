// vantrel-batch's presets as a user runs them: saved, listed, used with later options
// changing single values, and refused by name when damaged.

#include "tests/cli/BatchProcess.h"
#include "tests/core/export/ExportTestFixture.h"

using namespace vantrel::test;

namespace {

// Runs vantrel-batch with its presets folder in `config`.
BatchRun runWithConfig(const QTemporaryDir& config, const QStringList& arguments) {
    return runBatch(arguments, {}, environmentWith("XDG_CONFIG_HOME", config.path()));
}

QByteArray bytesOf(const QString& path) {
    return fileBytes(path.toStdString());
}

TEST(PresetCommand, SavedRecipeExportsWhatItsOptionsExport) {
    QTemporaryDir config;
    QTemporaryDir sources;
    QTemporaryDir destination;
    writeQuadrantPhoto(sources, "a.jpg", 64, 48);
    writeQuadrantPhoto(sources, "b.png", 40, 30);
    const QStringList recipe{"--brightness", "0.1",   "--crop", "0.1,0,0.05,0", "--rotate", "90",
                             "--max-size",   "30,20", "--name", "Web",          "--type",   "jpg",
                             "--quality",    "85"};
    const QString name = QStringLiteral("Web 2048 / ../é");
    const BatchRun saved = runWithConfig(config, recipe + QStringList{"--save-preset", name});
    ASSERT_EQ(saved.status, 0) << saved.err.toStdString();
    EXPECT_EQ(saved.err, "vantrel-batch: preset \"" + name + "\" saved\n");
    EXPECT_EQ(QDir(config.filePath("Vantrel/presets")).entryList(QDir::Files),
              QStringList{"Web 2048 %2F ..%2Fé.vpreset"});
    const QByteArray file = bytesOf(config.filePath("Vantrel/presets/Web 2048 %2F ..%2Fé.vpreset"));
    EXPECT_TRUE(file.contains("\nmax-width = 30\nmax-height = 20\n")) << file.constData();
    EXPECT_FALSE(file.contains("destination")) << "no --dest, no destination";

    const BatchRun listed = runWithConfig(config, {"--list-presets"});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out, name + "\n");

    const QStringList run{"--dest", destination.path(), sources.path()};
    ASSERT_EQ(runWithConfig(config, recipe + QStringList{"--folder", "Options"} + run).status, 0);
    ASSERT_EQ(
        runWithConfig(config, QStringList{"--preset", name, "--folder", "Preset"} + run).status, 0);
    const auto byOptions = treeOf(destination.filePath("Options"));
    EXPECT_EQ(namesIn(destination.filePath("Options")), (QStringList{"Web_1.jpg", "Web_2.jpg"}));
    EXPECT_EQ(treeOf(destination.filePath("Preset")), byOptions);

    // Options after the preset change single values; options before it are replaced by it.
    ASSERT_EQ(
        runWithConfig(config,
                      QStringList{"--quality", "20", "--preset", name, "--folder", "Before"} + run)
            .status,
        0);
    EXPECT_EQ(treeOf(destination.filePath("Before")), byOptions);
    ASSERT_EQ(runWithConfig(config, QStringList{"--preset", name, "--quality", "20", "--type",
                                                "png", "--folder", "After"} +
                                        run)
                  .status,
              0);
    EXPECT_EQ(QDir(destination.filePath("After")).entryList(QDir::Files),
              (QStringList{"Web_1.png", "Web_2.png"}));

    // Saving what a preset and a change describe keeps both; saved again, not a byte moves.
    ASSERT_EQ(
        runWithConfig(config, {"--preset", name, "--quality", "70", "--save-preset", "Web 70"})
            .status,
        0);
    const QString copy = config.filePath("Vantrel/presets/Web 70.vpreset");
    EXPECT_TRUE(bytesOf(copy).contains("\nquality = 70\n"));
    const QByteArray before = bytesOf(copy);
    const BatchRun again =
        runWithConfig(config, {"--preset-file", copy, "--save-preset", "Web 70"});
    EXPECT_EQ(again.err, "vantrel-batch: preset \"Web 70\" replaced\n");
    EXPECT_EQ(bytesOf(copy), before);
}

TEST(PresetCommand, MissingDamagedAndNewerPresetsAreRefusedByName) {
    QTemporaryDir config;
    QDir().mkpath(config.filePath("Vantrel/presets"));
    const auto write = [&](const QString& file, const QByteArray& text) {
        QFile out(config.filePath("Vantrel/presets/" + file));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text);
    };
    write("Good.vpreset", "format = 1\nquality = 50\nsharpen = 2\n");
    write("Cut.vpreset", "format = 1\nname = \"Hol");
    write("Next.vpreset", "format = 2\n");
    const QStringList photo{"x.jpg"};

    const BatchRun missing = runWithConfig(config, QStringList{"--preset", "Nope"} + photo);
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "vantrel-batch: --preset: no preset named \"Nope\" in " +
                               config.filePath("Vantrel/presets") + "\n");
    const BatchRun cut = runWithConfig(config, QStringList{"--preset", "Cut"} + photo);
    EXPECT_EQ(cut.status, 2);
    EXPECT_TRUE(cut.err.startsWith("vantrel-batch: --preset: preset \"Cut\" ("));
    EXPECT_TRUE(cut.err.endsWith("cannot be used: line 2: name: expected a text in double "
                                 "quotes, not \"Hol\n"));
    const BatchRun next = runWithConfig(
        config,
        QStringList{"--preset-file", config.filePath("Vantrel/presets/Next.vpreset")} + photo);
    EXPECT_EQ(next.status, 2);
    EXPECT_TRUE(next.err.contains("format 2 is of a newer Vantrel"));
    EXPECT_EQ(runWithConfig(config, QStringList{"--preset-file", config.path()} + photo).status, 2);

    // The listing goes on past the damaged ones and names them.
    const BatchRun listed = runWithConfig(config, {"--list-presets"});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out, "Good\n");
    EXPECT_EQ(listed.err.count("cannot be used"), 2) << listed.err.toStdString();
    // An unknown key is a warning, not a refusal.
    const BatchRun good = runWithConfig(config, {"--preset", "Good", "--save-preset", "Good copy"});
    EXPECT_EQ(good.status, 0);
    EXPECT_TRUE(good.err.startsWith("vantrel-batch: warning: preset \"Good\": line 3: unknown key "
                                    "\"sharpen\" ignored\n"))
        << good.err.toStdString();
    EXPECT_EQ(runWithConfig(config, {"--save-preset", " "}).status, 2);
}

} // namespace
