#include "cli/BatchOptions.h"

#include "cli/PresetOptions.h"
#include "core/export/NameTemplate.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <map>

namespace vantrel {

namespace {

std::optional<double> number(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::vector<double>> numbers(std::string_view text, size_t count) {
    std::vector<double> values;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const auto value = number(text.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (!value) {
            return std::nullopt;
        }
        values.push_back(*value);
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    if (values.size() != count) {
        return std::nullopt;
    }
    return values;
}

bool allWithin(const std::vector<double>& values, double low, double high, bool highIncluded) {
    for (double v : values) {
        if (v < low || v > high || (!highIncluded && v == high)) {
            return false;
        }
    }
    return true;
}

// Each option turns its value into settings, or says what it expected.
using Apply = std::function<std::optional<QString>(const std::string&, BatchOptions&)>;

Apply oneNumber(double low, double high, void (Effects::*set)(float), const char* expected) {
    return [=](const std::string& text, BatchOptions& o) -> std::optional<QString> {
        const auto v = number(text);
        if (!v || *v < low || *v > high) {
            return QString::fromUtf8(expected);
        }
        (o.effects.*set)(float(*v));
        return std::nullopt;
    };
}

Apply fourNumbers(double low, double high, bool highIncluded,
                  std::array<void (Effects::*)(float), 4> set, const char* expected) {
    return [=](const std::string& text, BatchOptions& o) -> std::optional<QString> {
        const auto v = numbers(text, 4);
        if (!v || !allWithin(*v, low, high, highIncluded)) {
            return QString::fromUtf8(expected);
        }
        for (size_t i = 0; i < 4; ++i) {
            (o.effects.*set[i])(float((*v)[i]));
        }
        return std::nullopt;
    };
}

Apply twoNumbers(double low, double high, bool lowIncluded,
                 std::array<void (Effects::*)(float), 2> set, const char* expected) {
    return [=](const std::string& text, BatchOptions& o) -> std::optional<QString> {
        const auto v = numbers(text, 2);
        if (!v || !allWithin(*v, low, high, true) ||
            (!lowIncluded && ((*v)[0] == low || (*v)[1] == low))) {
            return QString::fromUtf8(expected);
        }
        (o.effects.*set[0])(float((*v)[0]));
        (o.effects.*set[1])(float((*v)[1]));
        return std::nullopt;
    };
}

std::optional<int> wholeNumber(const std::string& text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

const std::map<std::string, Apply>& valueOptions() {
    static const std::map<std::string, Apply> options{
        {"--brightness",
         oneNumber(-1, 1, &Effects::setBrightnessValue, "expected a number from -1 to 1")},
        {"--contrast",
         oneNumber(0, 2, &Effects::setContrastValue, "expected a number from 0 to 2")},
        {"--saturation",
         oneNumber(0, 2, &Effects::setSaturationValue, "expected a number from 0 to 2")},
        {"--crop", fourNumbers(0, 1, false,
                               {&Effects::setCropLeftPercentage, &Effects::setCropRightPercentage,
                                &Effects::setCropTopPercentage, &Effects::setCropBottomPercentage},
                               "expected four fractions L,R,T,B, each at least 0 and below 1")},
        {"--crop-px", fourNumbers(0, 1e9, true,
                                  {&Effects::setCropLeftPixels, &Effects::setCropRightPixels,
                                   &Effects::setCropTopPixels, &Effects::setCropBottomPixels},
                                  "expected four pixel counts L,R,T,B, none negative")},
        {"--rotate",
         [](const std::string& text, BatchOptions& o) -> std::optional<QString> {
             const auto v = wholeNumber(text, 0, 270);
             if (!v || *v % 90 != 0) {
                 return QStringLiteral("expected 0, 90, 180 or 270");
             }
             o.effects.setRotationDegrees(float(*v));
             return std::nullopt;
         }},
        {"--scale",
         twoNumbers(0, 100, false, {&Effects::setScaleXPercentage, &Effects::setScaleYPercentage},
                    "expected two factors X,Y above 0, e.g. 0.5,0.5")},
        {"--size", twoNumbers(0, 1e6, false, {&Effects::setScaleXPixels, &Effects::setScaleYPixels},
                              "expected a width and a height W,H in pixels, both above 0")},
        {"--max-size",
         twoNumbers(0, 1e6, true,
                    {&Effects::setScaleXMaximumPixels, &Effects::setScaleYMaximumPixels},
                    "expected a width and a height W,H in pixels, 0 for no limit")},
        {"--name",
         [](const std::string& text, BatchOptions& o) -> std::optional<QString> {
             if (text.empty()) {
                 return QStringLiteral("expected a name");
             }
             o.settings.keepOriginalName = false;
             o.settings.newName = text;
             return std::nullopt;
         }},
        {"--type",
         [](const std::string& text, BatchOptions& o) -> std::optional<QString> {
             static const std::map<std::string, OutputType> types{
                 {"original", OutputType::OriginalFileType},
                 {"jpg", OutputType::Jpg},
                 {"jpeg", OutputType::Jpg},
                 {"png", OutputType::Png},
                 {"tiff", OutputType::Tiff},
                 {"tif", OutputType::Tiff},
                 {"webp", OutputType::WebP},
                 {"avif", OutputType::Avif}};
             const auto found = types.find(QString::fromStdString(text).toLower().toStdString());
             if (found == types.end()) {
                 return QStringLiteral("expected original, jpg, png, tiff, webp or avif");
             }
             o.settings.outputType = found->second;
             return std::nullopt;
         }},
        {"--quality",
         [](const std::string& text, BatchOptions& o) -> std::optional<QString> {
             const auto v = wholeNumber(text, 0, 100);
             if (!v) {
                 return QStringLiteral("expected a whole number from 0 to 100");
             }
             o.settings.quality = *v;
             return std::nullopt;
         }},
        {"--subsample",
         [](const std::string& text, BatchOptions& o) -> std::optional<QString> {
             if (text != "auto" && text != "444") {
                 return QStringLiteral("expected auto or 444");
             }
             o.settings.chroma444 = text == "444";
             return std::nullopt;
         }},
        {"--max-kb",
         [](const std::string& text, BatchOptions& o) -> std::optional<QString> {
             const auto v = wholeNumber(text, 1, 1000000);
             if (!v) {
                 return QStringLiteral("expected a whole number of KB from 1 to 1000000");
             }
             o.settings.maxKilobytes = *v;
             return std::nullopt;
         }},
        {"--dest",
         [](const std::string& text, BatchOptions& o) -> std::optional<QString> {
             if (text.empty()) {
                 return QStringLiteral("expected a folder");
             }
             o.settings.destination = text;
             o.destinationGiven = true;
             return std::nullopt;
         }},
        {"--folder",
         [](const std::string& text, BatchOptions& o) -> std::optional<QString> {
             if (text.empty()) {
                 return QStringLiteral("expected a folder name");
             }
             if (text == "." || text == "..") {
                 // The export folder is always made new; these two only name folders that
                 // are there already.
                 return QStringLiteral("\".\" and \"..\" are not folder names of their own; "
                                       "expected a new folder name");
             }
             if (text.find('/') != std::string::npos) {
                 return QStringLiteral("expected a folder name without \"/\"");
             }
             o.settings.targetFolderName = text;
             return std::nullopt;
         }},
        {"--template",
         [](const std::string& text, BatchOptions& o) -> std::optional<QString> {
             const NameTemplate parsed = NameTemplate::parse(text);
             if (!parsed.isValid()) {
                 return parsed.error();
             }
             o.settings.useNameTemplate = true;
             o.settings.nameTemplate = text;
             return std::nullopt;
         }},
        {"--files-from",
         [](const std::string& text, BatchOptions& o) -> std::optional<QString> {
             if (text.empty()) {
                 return QStringLiteral("expected a list file, or - for standard input");
             }
             o.filesFrom = text;
             return std::nullopt;
         }},
        {"--shard",
         [](const std::string& text, BatchOptions& o) -> std::optional<QString> {
             const size_t slash = text.find('/');
             const auto shard = wholeNumber(text.substr(0, slash), 1, 1000000);
             const auto shards = slash == std::string::npos
                                     ? std::nullopt
                                     : wholeNumber(text.substr(slash + 1), 1, 1000000);
             if (!shard || !shards || *shard > *shards) {
                 return QStringLiteral("expected I/N with 1 <= I <= N, e.g. 2/4");
             }
             o.settings.shard = *shard;
             o.settings.shards = *shards;
             return std::nullopt;
         }},
        {"--into",
         [](const std::string& text, BatchOptions& o) -> std::optional<QString> {
             if (text.empty()) {
                 return QStringLiteral("expected an existing folder");
             }
             o.settings.intoFolder = text;
             return std::nullopt;
         }},
        {"--jobs",
         [](const std::string& text, BatchOptions& o) -> std::optional<QString> {
             const auto v = wholeNumber(text, 1, 256);
             if (!v) {
                 return QStringLiteral("expected a whole number from 1 to 256");
             }
             o.settings.jobs = *v;
             return std::nullopt;
         }},
    };
    return options;
}

bool isMetadataChoice(const std::string& text) {
    return text == "none" || text == "all" || text == "no-private";
}

} // namespace

BatchOptionsResult parseBatchOptions(const std::vector<std::string>& arguments) {
    BatchOptions options;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            options.paths.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "-h" || argument == "--help") {
            options.showHelp = true;
            continue;
        }
        if (argument == "--version") {
            options.showVersion = true;
            continue;
        }
        if (argument == "--metadata" || argument.starts_with("--metadata=")) {
            // Alone it copies everything; a choice may follow as its own word.
            std::string choice = "all";
            if (argument != "--metadata") {
                choice = argument.substr(argument.find('=') + 1);
            } else if (i + 1 < arguments.size() && isMetadataChoice(arguments[i + 1])) {
                choice = arguments[++i];
            }
            if (!isMetadataChoice(choice)) {
                return {std::nullopt,
                        QStringLiteral("--metadata: expected none, all or no-private, not \"%1\"")
                            .arg(QString::fromStdString(choice))};
            }
            options.settings.transferMetadata = choice != "none";
            options.settings.withoutPrivateMetadata = choice == "no-private";
            continue;
        }
        if (argument == "--lossless" || argument == "--progressive") {
            (argument == "--lossless" ? options.settings.lossless : options.settings.progressive) =
                true;
            continue;
        }
        if (argument == "--no-orientation") {
            options.applyCameraOrientation = false;
            continue;
        }
        if (argument == "--list-presets") {
            options.listPresets = true;
            continue;
        }
        if (argument == "--keep-folders") {
            options.settings.keepFolders = true;
            continue;
        }
        if (argument == "--skip-existing") {
            options.settings.skipExisting = true;
            continue;
        }
        if (argument == "-0" || argument == "--null") {
            options.nulSeparated = true;
            continue;
        }
        const size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const auto option = valueOptions().find(name);
        if (option == valueOptions().end() && !isPresetOption(name)) {
            return {std::nullopt,
                    QStringLiteral("unknown option %1").arg(QString::fromStdString(name))};
        }
        std::string value;
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return {std::nullopt,
                    QStringLiteral("%1: a value is missing").arg(QString::fromStdString(name))};
        }
        if (isPresetOption(name)) {
            if (auto error = applyPresetOption(name, value, options))
                return {std::nullopt, *error};
            continue;
        }
        if (auto expected = option->second(value, options)) {
            return {std::nullopt, QStringLiteral("%1: %2, not \"%3\"")
                                      .arg(QString::fromStdString(name), *expected,
                                           QString::fromStdString(value))};
        }
    }
    if (options.nulSeparated && !options.filesFrom) {
        return {std::nullopt, QStringLiteral("-0: only with --files-from")};
    }
    if (options.settings.skipExisting && options.settings.intoFolder.empty()) {
        return {std::nullopt, QStringLiteral("--skip-existing: only with --into, as a fresh "
                                             "export folder holds nothing to skip")};
    }
    return {std::move(options), {}};
}

const char* batchUsage() {
    return R"(Usage: vantrel-batch [OPTIONS] PATH...
Exports photos and folders of photos (walked at every depth) with one set of effects into
a fresh export folder, and prints that folder's path.

  --brightness B      from -1 to 1 (0 leaves the photo unchanged)
  --contrast C        from 0 to 2 (1 unchanged)
  --saturation S      from 0 to 2 (1 unchanged)
  --crop L,R,T,B      crop fractions of the four sides, e.g. 0.1,0.1,0,0
  --crop-px L,R,T,B   crop pixel counts of the four sides
  --rotate D          0, 90, 180 or 270 degrees, counter-clockwise
  --scale X,Y         scale factors, e.g. 0.5,0.5
  --size W,H          target size in pixels (aspect not kept)
  --max-size W,H      shrink to fit; 0 = no limit on that side
  --name BASE         new names BASE_1 ... with zero-padded serials; without it the
                      source names are kept
  --type T            original (default), jpg, png, tiff, webp or avif; original writes
                      HEIC, AVIF and WebP photos in their own format
  --quality Q         JPEG, WebP and AVIF quality 0-100 (default 90)
  --lossless          WebP: keep every pixel exactly (the quality is not used)
  --progressive       JPEG: progressive (coarse to fine) instead of baseline
  --subsample MODE    JPEG colour resolution: auto (default; halved below quality 90)
                      or 444 (always full)
  --max-kb N          JPEG, WebP and AVIF files of at most N KB (1000 bytes): the
                      highest quality up to Q that fits; reported when none fits
  --metadata [WHAT]   copy each source's metadata onto its output with exiftool: all
                      (what --metadata alone does), no-private (without GPS, places,
                      serial numbers, owner and creator names, makers' notes) or none
  --no-orientation    take every photo's pixels as stored, without turning it as its
                      camera's orientation tag says
  --dest DIR          destination folder (default: the application's default
                      destination, created if missing)
  --folder NAME       export folder name (default Export_ and today's date as yyyy-MM-dd)
  --jobs N            photos processed at once (default: number of processors)
  --preset NAME       the effects and output choices of a preset saved in the window or
                      with --save-preset; options after it change single values
  --preset-file PATH  the same, from a preset file anywhere
  --save-preset NAME  keep the effects and output choices of the other options as a
                      preset (replacing one of that name); without PATHs nothing is exported
  --list-presets      the names of the presets, one a line
  --keep-folders      photos found in a folder given as PATH go under the same folders
                      in the export folder (that folder's own name first); photos given
                      one by one go to the top
  --template T        names from a template of {name}, {n}, {n:4}, {date},
                      {date:FORMAT} (Qt date format), {camera}, {w} and {h}, e.g.
                      "{date}_{camera}_{n}"
  --files-from FILE   also export the paths listed in FILE, one per line, in that order
                      (- reads standard input)
  -0, --null          the paths in the --files-from list end in NUL, not a line break
  --shard I/N         export only the I-th of N slices of the list (photos 1, N+1, ...
                      go to shard 1), named and numbered as the whole list
  --into DIR          write into the existing folder DIR instead of a fresh export
                      folder; names are never taken twice, even by runs at once
  --skip-existing     with --into: leave out photos whose output is there already
  -h, --help          this text
  --version           the program's name and version

Exit status:
  0     every photo written
  1     the run ended with an error report
  2     bad arguments or nothing to export
  130   stopped by Ctrl-C
)";
}

} // namespace vantrel
