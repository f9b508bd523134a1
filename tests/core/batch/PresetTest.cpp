#include "core/batch/PresetFormat.h"
#include "core/batch/PresetStore.h"
#include "tests/core/TestImages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace vantrel;

namespace {

// A recipe with every field away from its default, in values that print long.
Preset everyFieldSet() {
    Preset p;
    Effects& e = p.effects;
    e.setBrightnessValue(0.1f);
    e.setContrastValue(1.1f);
    e.setSaturationValue(0.333333f);
    e.setCropLeftPercentage(0.05f);
    e.setCropRightPercentage(0.125f);
    e.setCropTopPercentage(0.3f);
    e.setCropBottomPercentage(0.01f);
    e.setCropLeftPixels(10);
    e.setCropRightPixels(20.5f);
    e.setCropTopPixels(3);
    e.setCropBottomPixels(4000);
    e.setRotationDegrees(270);
    e.setScaleXPercentage(0.51f);
    e.setScaleYPercentage(1.7f);
    e.setScaleXPixels(640);
    e.setScaleYPixels(480);
    e.setScaleXMaximumPixels(2048);
    e.setScaleYMaximumPixels(1);
    p.cropMode = CropMode::Pixels;
    p.scaleMode = ScaleMode::Maximum;
    p.serial = SerialStyle::Plain;
    p.output.keepOriginalName = false;
    p.output.newName = "Web \"2048\" \\ \n\t\x7f é";
    p.output.useNameTemplate = true;
    p.output.nameTemplate = "{date:yyyy/MM}_{camera}_{n:4}";
    p.output.keepFolders = true;
    p.output.lossless = true;
    p.output.progressive = true;
    p.output.chroma444 = true;
    p.output.maxKilobytes = 300;
    p.output.withoutPrivateMetadata = true;
    p.output.outputType = OutputType::Png;
    p.output.quality = 85;
    p.output.transferMetadata = true;
    p.output.destination = "/home/u/Pictures/Out \"x\"";
    p.destinationIncluded = true;
    return p;
}

std::string readBack(const std::string& text) {
    const PresetReading reading = readPreset(text);
    EXPECT_TRUE(reading.preset) << reading.error.toStdString();
    EXPECT_TRUE(reading.warnings.isEmpty()) << reading.warnings.join('\n').toStdString();
    return reading.preset ? writePreset(*reading.preset) : std::string();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(PresetFormat, EveryFieldSurvivesARoundTripByteForByte) {
    for (const Preset& preset : {Preset(), everyFieldSet()}) {
        const std::string text = writePreset(preset);
        EXPECT_EQ(readBack(text), text);
        const Preset back = *readPreset(text).preset;
        // Shortest text, yet the very float: nothing drifts through a file.
        EXPECT_EQ(back.effects.saturationValue(), preset.effects.saturationValue());
        EXPECT_EQ(back.effects.scaleXPercentage(), preset.effects.scaleXPercentage());
        EXPECT_EQ(back.output.newName, preset.output.newName);
        EXPECT_EQ(back.output.destination,
                  preset.destinationIncluded ? preset.output.destination : std::string());
    }
    // Each stored key is on its own line, once; the destination only when included.
    const std::string text = writePreset(everyFieldSet());
    for (const QString& key : presetKeys())
        EXPECT_NE(text.find("\n" + key.toStdString() + " = "), std::string::npos)
            << key.toStdString();
    EXPECT_EQ(writePreset(Preset()).find("destination"), std::string::npos);
    EXPECT_NE(text.find("name = \"Web \\\"2048\\\" \\\\ \\x0A\\x09\\x7F é\""), std::string::npos);
}

TEST(PresetFormat, HandWrittenTextIsReadLeniently) {
    const PresetReading reading = readPreset("format=1\n\n  # by hand\r\n"
                                             "brightness=0.5\r\n"
                                             "future-key = 7\n"
                                             "quality = 10\nquality = 20\n"
                                             "type = \"TIFF\"");
    ASSERT_TRUE(reading.preset) << reading.error.toStdString();
    EXPECT_EQ(reading.preset->effects.brightnessValue(), 0.5f);
    EXPECT_EQ(reading.preset->output.quality, 20);
    EXPECT_EQ(reading.preset->output.outputType, OutputType::Tiff);
    // Missing keys are neutral.
    EXPECT_EQ(reading.preset->effects.contrastValue(), 1.0f);
    ASSERT_EQ(reading.warnings.size(), 2);
    EXPECT_EQ(reading.warnings[0].toStdString(), "line 5: unknown key \"future-key\" ignored");
    EXPECT_EQ(reading.warnings[1].toStdString(),
              "line 7: \"quality\" was given on line 6 already; this one counts");
}

TEST(PresetFormat, DamagedTextIsRefusedWithItsLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"", "no \"format\" line: not a Vantrel preset"},
        {"brightness = 0.1\n", "no \"format\" line: not a Vantrel preset"},
        {"format = 2\nbrightness = 0.1\n",
         "line 1: format 2 is of a newer Vantrel (this one reads format 1)"},
        {"format = one\n", "line 1: format: expected a version number"},
        {"format = 1\nbrightness 0.1\n", "line 2: expected \"key = value\""},
        {"format = 1\nbrightness = 2\n",
         "line 2: brightness: expected a number from -1 to 1, not 2"},
        {"format = 1\ncontrast = nan\n",
         "line 2: contrast: expected a number from 0 to 2, not nan"},
        {"format = 1\ncrop-left = 1\n",
         "line 2: crop-left: expected a fraction at least 0 and below 1, not 1"},
        {"format = 1\nrotation = 45\n", "line 2: rotation: expected 0, 90, 180, 270, not 45"},
        {"format = 1\nquality = 85.5\n",
         "line 2: quality: expected a whole number from 0 to 100, not 85.5"},
        {"format = 1\ntype = \"GIF\"\n",
         "line 2: type: expected a file type such as \"JPG\", not \"GIF\""},
        // Cut off in the middle of a text, or a quote left bare.
        {"format = 1\nname = \"Web 20",
         "line 2: name: expected a text in double quotes, not \"Web 20"},
        {"format = 1\nname = \"a\"b\"\n",
         "line 2: name: expected a text in double quotes, not \"a\"b\""},
        {"format = 1\nname = \"a\\q\"\n",
         "line 2: name: expected a text in double quotes, not \"a\\q\""},
        {"format = 1\nscale-mode = huge\n",
         "line 2: scale-mode: expected factors, pixels, maximum, not huge"},
    };
    for (const auto& c : cases) {
        const PresetReading reading = readPreset(c.text);
        EXPECT_FALSE(reading.preset) << c.text;
        EXPECT_EQ(reading.error.toStdString(), c.error) << c.text;
    }
}

TEST(PresetStore, FileNamesKeepEveryNameInsideTheFolder) {
    const struct {
        const char* name;
        const char* file;
    } cases[] = {
        {"Web 2048", "Web 2048.vpreset"}, {"../../etc/passwd", "%2E.%2F..%2Fetc%2Fpasswd.vpreset"},
        {".hidden", "%2Ehidden.vpreset"}, {"..", "%2E..vpreset"},
        {"50%", "50%25.vpreset"},         {"a\\b\nc", "a%5Cb%0Ac.vpreset"},
        {"Été → 🌅", "Été → 🌅.vpreset"},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromUtf8(c.name);
        EXPECT_EQ(presetFileName(name), c.file);
        EXPECT_EQ(presetNameOfFile(c.file), name);
    }
    EXPECT_TRUE(presetNameProblem(QStringLiteral("  ")));
    EXPECT_TRUE(presetNameProblem(QString(200, QChar(u'/'))));
    EXPECT_FALSE(presetNameProblem(QString(80, QChar(u'é'))));
}

TEST(PresetStore, SavesListsFindsAndDeletes) {
    QTemporaryDir home;
    const std::string folder = QFile::encodeName(home.filePath("presets")).toStdString();
    const QString hostile = QStringLiteral("../x/.. \"evil\"");
    for (const QString& name : {QStringLiteral("web 2048"), hostile, QStringLiteral("Archive")})
        ASSERT_FALSE(savePreset(folder, name, everyFieldSet()));
    // Nothing was written outside the folder.
    EXPECT_EQ(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"presets"});
    // Damaged, future and hostile files beside them are reported by name and stop nothing.
    writeFile(home.filePath("presets/Truncated.vpreset"), "format = 1\nname = \"We");
    writeFile(home.filePath("presets/Future.vpreset"), "format = 9\n");
    writeFile(home.filePath("presets/Binary.vpreset"), QByteArray("format = 1\n\0\xff", 13));
    writeFile(home.filePath("presets/Huge.vpreset"), QByteArray(70000, '#'));
    writeFile(home.filePath("presets/Extra.vpreset"), "format = 1\nsharpen = 3\n");
    writeFile(home.filePath("presets/not a preset.txt"), "format = 1\n");
    QDir(home.path()).mkpath("presets/Folder.vpreset");
    ASSERT_EQ(mkfifo(QFile::encodeName(home.filePath("presets/Pipe.vpreset")).constData(), 0600),
              0);

    const std::vector<PresetFile> presets = listPresets(folder);
    QStringList names;
    QStringList damaged;
    for (const PresetFile& p : presets) {
        names << p.name;
        if (!p.preset)
            damaged << p.error.section(':', 0, 0) + ":" + p.error.section(": ", -1);
    }
    EXPECT_EQ(names, (QStringList{hostile, "Archive", "Binary", "Extra", "Future", "Huge", "Pipe",
                                  "Truncated", "web 2048"}));
    EXPECT_EQ(damaged.size(), 5);
    const auto errorOf = [&](const QString& name) {
        for (const PresetFile& p : presets)
            if (p.name == name)
                return p.error;
        return QString();
    };
    EXPECT_TRUE(errorOf("Truncated").startsWith("preset \"Truncated\" (" + home.path()));
    EXPECT_TRUE(errorOf("Truncated")
                    .endsWith("cannot be used: line 2: name: expected a text in "
                              "double quotes, not \"We"));
    EXPECT_TRUE(errorOf("Future").contains("newer Vantrel"));
    EXPECT_TRUE(errorOf("Binary").endsWith("not a text file"));
    EXPECT_TRUE(errorOf("Huge").endsWith("larger than 64 KiB"));
    EXPECT_TRUE(errorOf("Pipe").endsWith("not a regular file"));
    for (const PresetFile& p : presets) {
        if (p.name == "Extra") {
            EXPECT_EQ(p.warnings,
                      QStringList{"preset \"Extra\": line 2: unknown key \"sharpen\" ignored"});
        }
    }

    // Found by name, also one whose file was named by hand.
    writeFile(home.filePath("presets/50%off.vpreset"), "format = 1\nquality = 50\n");
    const PresetFile byHand = findPreset(folder, "50%off");
    ASSERT_TRUE(byHand.preset) << byHand.error.toStdString();
    EXPECT_EQ(byHand.preset->output.quality, 50);
    const PresetFile found = findPreset(folder, hostile);
    ASSERT_TRUE(found.preset);
    EXPECT_EQ(writePreset(*found.preset), writePreset(everyFieldSet()));
    EXPECT_EQ(findPreset(folder, "Nope").error,
              "no preset named \"Nope\" in " + home.filePath("presets"));
    ASSERT_FALSE(deletePresetFile(found.path));
    EXPECT_FALSE(findPreset(folder, hostile).preset);
    EXPECT_TRUE(deletePresetFile(found.path));
}

TEST(PresetStore, FolderFollowsXdgConfigHome) {
    const test::ScopedEnvironment config("XDG_CONFIG_HOME", "/tmp/config");
    EXPECT_EQ(presetsFolder(), "/tmp/config/Vantrel/presets");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(presetsFolder(), qgetenv("HOME").toStdString() + "/.config/Vantrel/presets");
}

} // namespace

TEST(PresetFormat, ARunKeepsWhatBelongsToItUnderAPreset) {
    ExportSettings run;
    run.targetFolderName = "Batch";
    run.jobs = 3;
    run.destination = "/run/dest";
    run.intoFolder = "/shared/out";
    run.skipExisting = true;
    run.shard = 2;
    run.shards = 4;
    Preset preset = everyFieldSet();
    const ExportSettings settings = withPresetOutput(preset, run);
    EXPECT_EQ(settings.targetFolderName, "Batch");
    EXPECT_EQ(settings.jobs, 3);
    EXPECT_EQ(settings.intoFolder, "/shared/out");
    EXPECT_TRUE(settings.skipExisting);
    EXPECT_EQ(settings.shard, 2);
    EXPECT_EQ(settings.shards, 4);
    EXPECT_EQ(settings.destination, preset.output.destination);
    EXPECT_EQ(settings.nameTemplate, preset.output.nameTemplate);
    EXPECT_TRUE(settings.keepFolders);
    preset.destinationIncluded = false;
    EXPECT_EQ(withPresetOutput(preset, run).destination, "/run/dest");
}
