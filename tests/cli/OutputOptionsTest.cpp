// The output options of vantrel-batch: types, encoder choices, the size cap, the metadata
// choice.

#include "cli/BatchOptions.h"

#include <gtest/gtest.h>

using namespace vantrel;

namespace {

BatchOptionsResult parseWords(std::vector<std::string> words) {
    return parseBatchOptions(words);
}

TEST(OutputOptions, SetWhatTheSaveTabWouldSet) {
    const auto result = parseWords({"--type", "AVIF", "--lossless", "--progressive", "--subsample",
                                    "444", "--max-kb=300", "--metadata", "no-private", "a.heic"});
    ASSERT_TRUE(result.options) << result.error.toStdString();
    const ExportSettings& s = result.options->settings;
    EXPECT_EQ(s.outputType, OutputType::Avif);
    EXPECT_TRUE(s.lossless && s.progressive && s.chroma444);
    EXPECT_EQ(s.maxKilobytes, 300);
    EXPECT_TRUE(s.transferMetadata && s.withoutPrivateMetadata);
    EXPECT_EQ(result.options->paths, std::vector<std::string>{"a.heic"});

    const auto defaults = parseWords({"--type", "webp", "a.jpg"});
    ASSERT_TRUE(defaults.options);
    EXPECT_EQ(defaults.options->settings.outputType, OutputType::WebP);
    EXPECT_FALSE(defaults.options->settings.lossless || defaults.options->settings.progressive ||
                 defaults.options->settings.chroma444 ||
                 defaults.options->settings.transferMetadata);
    EXPECT_EQ(defaults.options->settings.maxKilobytes, 0);

    // --metadata alone copies everything, and a photo may follow it at once.
    struct MetadataCase {
        std::vector<std::string> words;
        bool transfer;
        bool withoutPrivate;
        std::vector<std::string> paths;
    };
    for (const MetadataCase& c : std::initializer_list<MetadataCase>{
             {{"--metadata", "a.jpg"}, true, false, {"a.jpg"}},
             {{"a.jpg", "--metadata"}, true, false, {"a.jpg"}},
             {{"--metadata", "all", "a.jpg"}, true, false, {"a.jpg"}},
             {{"--metadata=none", "a.jpg"}, false, false, {"a.jpg"}},
             {{"--metadata", "none", "a.jpg"}, false, false, {"a.jpg"}},
             {{"--metadata=no-private", "a.jpg"}, true, true, {"a.jpg"}},
             {{"--metadata", "./all", "b.jpg"}, true, false, {"./all", "b.jpg"}},
         }) {
        const auto parsed = parseWords(c.words);
        ASSERT_TRUE(parsed.options) << parsed.error.toStdString();
        EXPECT_EQ(parsed.options->settings.transferMetadata, c.transfer) << c.words[0];
        EXPECT_EQ(parsed.options->settings.withoutPrivateMetadata, c.withoutPrivate);
        EXPECT_EQ(parsed.options->paths, c.paths);
    }
}

TEST(OutputOptions, RefuseValuesTheyDoNotTake) {
    for (const std::vector<std::string>& words :
         std::initializer_list<std::vector<std::string>>{{"--type", "heic", "a.jpg"},
                                                         {"--subsample", "422", "a.jpg"},
                                                         {"--max-kb", "0", "a.jpg"},
                                                         {"--max-kb", "12.5", "a.jpg"},
                                                         {"--metadata=some", "a.jpg"},
                                                         {"--lossless=yes", "a.jpg"}}) {
        const auto parsed = parseWords(words);
        EXPECT_FALSE(parsed.options) << words[0] << " " << words[1];
        EXPECT_FALSE(parsed.error.isEmpty());
    }
}

} // namespace
