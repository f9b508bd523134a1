// The options of vantrel-batch: each sets what the window would set, and bad values are
// refused with one line naming the option.

#include "cli/BatchOptions.h"

#include <gtest/gtest.h>

using namespace vantrel;

namespace {

// The words of a command line separated by single spaces.
std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> arguments;
    for (size_t at = 0; at <= line.size();) {
        const size_t space = std::min(line.find(' ', at), line.size());
        arguments.push_back(line.substr(at, space - at));
        at = space + 1;
    }
    return arguments;
}

BatchOptionsResult parse(const std::string& line) {
    return parseBatchOptions(words(line));
}

TEST(BatchOptions, EachOptionSetsTheValueTheWindowWouldSet) {
    const auto result =
        parse("--brightness -0.25 --contrast=1.1 --saturation 0 --crop "
              "0.1,0.2,0,0.05 --crop-px 1,2,3,4 --rotate 270 --scale 0.5,2 --size "
              "640,480 --max-size 2048,0 --name Holiday --type PNG --quality 75 "
              "--metadata --dest /tmp/out --folder Run --jobs 3 a.jpg -- --odd.jpg");
    ASSERT_TRUE(result.options) << result.error.toStdString();
    const BatchOptions& o = *result.options;
    const Effects& e = o.effects;
    EXPECT_EQ(e.brightnessValue(), -0.25f);
    EXPECT_EQ(e.contrastValue(), 1.1f);
    EXPECT_EQ(e.saturationValue(), 0.0f);
    EXPECT_EQ(e.cropRightPercentage(), 0.2f);
    EXPECT_EQ(e.cropBottomPercentage(), 0.05f);
    EXPECT_EQ(e.cropTopPixels(), 3.0f);
    EXPECT_EQ(e.rotationDegrees(), 270.0f);
    EXPECT_EQ(e.scaleYPercentage(), 2.0f);
    EXPECT_EQ(e.scaleXPixels(), 640.0f);
    EXPECT_EQ(e.scaleXMaximumPixels(), 2048.0f);
    EXPECT_EQ(e.scaleYMaximumPixels(), 0.0f);
    EXPECT_FALSE(o.settings.keepOriginalName);
    EXPECT_EQ(o.settings.newName, "Holiday");
    EXPECT_EQ(o.settings.outputType, OutputType::Png);
    EXPECT_EQ(o.settings.quality, 75);
    EXPECT_TRUE(o.settings.transferMetadata);
    EXPECT_EQ(o.settings.destination, "/tmp/out");
    EXPECT_EQ(o.settings.targetFolderName, "Run");
    EXPECT_EQ(o.settings.jobs, 3);
    EXPECT_EQ(o.paths, (std::vector<std::string>{"a.jpg", "--odd.jpg"}));
}

TEST(BatchOptions, DefaultsKeepSourceNamesAndTypeAtQuality90) {
    const auto result = parse("x.jpg");
    ASSERT_TRUE(result.options);
    EXPECT_TRUE(result.options->settings.keepOriginalName);
    EXPECT_EQ(result.options->settings.outputType, OutputType::OriginalFileType);
    EXPECT_EQ(result.options->settings.quality, 90);
    EXPECT_FALSE(result.options->destinationGiven);
}

TEST(BatchOptions, InvalidValuesGetOneLineNamingTheOption) {
    for (const std::string line :
         {"--quality 101", "--quality 9.5", "--rotate 45", "--brightness 2", "--crop 0.1,0.1,0",
          "--crop 1,0,0,0", "--crop-px -1,0,0,0", "--scale 0,1", "--size 100", "--type gif",
          "--jobs 0", "--folder a/b", "--contrast nan", "--max-size x,1", "--name"}) {
        const auto result = parse(line);
        const QString option = QString::fromStdString(line.substr(0, line.find(' ')));
        EXPECT_FALSE(result.options) << line;
        EXPECT_TRUE(result.error.startsWith(option)) << result.error.toStdString();
        EXPECT_FALSE(result.error.contains('\n'));
    }
    EXPECT_EQ(parse("--bogus").error, "unknown option --bogus");
}

TEST(BatchOptions, FolderValuesThatNameNoNewFolderAreToldApart) {
    const struct {
        std::string value;
        QString error;
    } cases[] = {
        {"", R"(--folder: expected a folder name, not "")"},
        {".", R"(--folder: "." and ".." are not folder names of their own; expected a new )"
              R"(folder name, not ".")"},
        {"..", R"(--folder: "." and ".." are not folder names of their own; expected a new )"
               R"(folder name, not "..")"},
        {"a/b", R"(--folder: expected a folder name without "/", not "a/b")"},
        {"../up", R"(--folder: expected a folder name without "/", not "../up")"},
        {"/", R"(--folder: expected a folder name without "/", not "/")"},
    };
    for (const auto& c : cases) {
        const BatchOptionsResult separate = parseBatchOptions({"--folder", c.value, "a.jpg"});
        EXPECT_FALSE(separate.options) << c.value;
        EXPECT_EQ(separate.error, c.error);
        EXPECT_EQ(parseBatchOptions({"--folder=" + c.value, "a.jpg"}).error, c.error);
    }
    // Dots inside a name are an ordinary name.
    for (const std::string name : {"...", ".hidden", "Run.2"}) {
        const BatchOptionsResult result = parseBatchOptions({"--folder", name, "a.jpg"});
        ASSERT_TRUE(result.options) << name;
        EXPECT_EQ(result.options->settings.targetFolderName, name);
    }
}

TEST(OutputOptions, SetWhatTheSaveTabWouldSet) {
    const auto result =
        parse("--type AVIF --lossless --progressive --subsample 444 --max-kb=300 --metadata "
              "no-private a.heic");
    ASSERT_TRUE(result.options) << result.error.toStdString();
    const ExportSettings& s = result.options->settings;
    EXPECT_EQ(s.outputType, OutputType::Avif);
    EXPECT_TRUE(s.lossless && s.progressive && s.chroma444);
    EXPECT_EQ(s.maxKilobytes, 300);
    EXPECT_TRUE(s.transferMetadata && s.withoutPrivateMetadata);
    EXPECT_EQ(result.options->paths, std::vector<std::string>{"a.heic"});

    const auto defaults = parse("--type webp a.jpg");
    ASSERT_TRUE(defaults.options);
    EXPECT_EQ(defaults.options->settings.outputType, OutputType::WebP);
    EXPECT_FALSE(defaults.options->settings.lossless || defaults.options->settings.progressive ||
                 defaults.options->settings.chroma444 ||
                 defaults.options->settings.transferMetadata);
    EXPECT_EQ(defaults.options->settings.maxKilobytes, 0);

    // --metadata alone copies everything, and a photo may follow it at once.
    const struct {
        const char* line;
        bool transfer;
        bool withoutPrivate;
        const char* paths;
    } cases[] = {
        {"--metadata a.jpg", true, false, "a.jpg"},
        {"a.jpg --metadata", true, false, "a.jpg"},
        {"--metadata all a.jpg", true, false, "a.jpg"},
        {"--metadata=none a.jpg", false, false, "a.jpg"},
        {"--metadata none a.jpg", false, false, "a.jpg"},
        {"--metadata=no-private a.jpg", true, true, "a.jpg"},
        {"--metadata ./all b.jpg", true, false, "./all b.jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const auto parsed = parse(c.line);
        ASSERT_TRUE(parsed.options) << parsed.error.toStdString();
        EXPECT_EQ(parsed.options->settings.transferMetadata, c.transfer);
        EXPECT_EQ(parsed.options->settings.withoutPrivateMetadata, c.withoutPrivate);
        EXPECT_EQ(parsed.options->paths, words(c.paths));
    }
}

TEST(OutputOptions, RefuseValuesTheyDoNotTake) {
    for (const std::string line :
         {"--type heic a.jpg", "--subsample 422 a.jpg", "--max-kb 0 a.jpg", "--max-kb 12.5 a.jpg",
          "--metadata=some a.jpg", "--lossless=yes a.jpg"}) {
        const auto parsed = parse(line);
        EXPECT_FALSE(parsed.options) << line;
        EXPECT_FALSE(parsed.error.isEmpty());
    }
}

} // namespace
