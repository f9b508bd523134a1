#include "core/batch/PresetFormat.h"

#include "core/imaging/HexDigit.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>
#include <vector>

namespace vantrel {
namespace {

// --- values as text

std::string numberText(float value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::optional<float> numberFrom(std::string_view text) {
    float value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> wholeNumberFrom(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string quoted(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7f) {
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 0xf];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::optional<std::string> unquoted(std::string_view text) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"')
        return std::nullopt;
    text = text.substr(1, text.size() - 2);
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"')
            return std::nullopt; // a quote inside must be escaped
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i + 1 >= text.size())
            return std::nullopt;
        const char next = text[++i];
        if (next == '"' || next == '\\') {
            out += next;
        } else if (next == 'x' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
                   hexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

// --- the table: one row per stored field

// A row writes its field as the text after "key = ", or nothing for a field left out of this
// preset; it reads the text back, or says what it expected.
struct PresetKey {
    const char* key;
    std::function<std::optional<std::string>(const Preset&)> write;
    std::function<std::optional<QString>(std::string_view, Preset&)> read;
};

PresetKey effectRow(const char* key, float (Effects::*get)() const, void (Effects::*set)(float),
                    double low, double high, bool highIncluded, const char* expected) {
    return {key, [get](const Preset& p) { return numberText((p.effects.*get)()); },
            [=](std::string_view text, Preset& p) -> std::optional<QString> {
                const auto v = numberFrom(text);
                if (!v || *v < low || *v > high || (!highIncluded && *v == high))
                    return QString::fromUtf8(expected);
                (p.effects.*set)(*v);
                return std::nullopt;
            }};
}

// A field with a fixed set of values, each written as its word.
template <typename Value>
PresetKey wordRow(const char* key, std::vector<std::pair<Value, const char*>> words,
                  std::function<Value(const Preset&)> get,
                  std::function<void(Preset&, Value)> set) {
    QStringList names;
    for (const auto& entry : words)
        names << QString::fromLatin1(entry.second);
    const QString expected = QStringLiteral("expected %1").arg(names.join(QStringLiteral(", ")));
    return {key,
            [=](const Preset& p) -> std::optional<std::string> {
                const Value current = get(p);
                for (const auto& [value, word] : words)
                    if (current == value)
                        return std::string(word);
                return std::string(words.front().second);
            },
            [=](std::string_view text, Preset& p) -> std::optional<QString> {
                for (const auto& [value, word] : words)
                    if (text == word) {
                        set(p, value);
                        return std::nullopt;
                    }
                return expected;
            }};
}

PresetKey textRow(const char* key, std::string ExportSettings::*field) {
    return {key,
            [=](const Preset& p) -> std::optional<std::string> { return quoted(p.output.*field); },
            [=](std::string_view text, Preset& p) -> std::optional<QString> {
                const auto value = unquoted(text);
                if (!value)
                    return QStringLiteral("expected a text in double quotes");
                p.output.*field = *value;
                return std::nullopt;
            }};
}

const std::vector<PresetKey>& presetTable() {
    using E = Effects;
    static const std::vector<PresetKey> table{
        effectRow("brightness", &E::brightnessValue, &E::setBrightnessValue, -1, 1, true,
                  "expected a number from -1 to 1"),
        effectRow("contrast", &E::contrastValue, &E::setContrastValue, 0, 2, true,
                  "expected a number from 0 to 2"),
        effectRow("saturation", &E::saturationValue, &E::setSaturationValue, 0, 2, true,
                  "expected a number from 0 to 2"),
        wordRow<CropMode>(
            "crop-mode", {{CropMode::Fractions, "fractions"}, {CropMode::Pixels, "pixels"}},
            [](const Preset& p) { return p.cropMode; },
            [](Preset& p, CropMode v) { p.cropMode = v; }),
        effectRow("crop-left", &E::cropLeftPercentage, &E::setCropLeftPercentage, 0, 1, false,
                  "expected a fraction at least 0 and below 1"),
        effectRow("crop-right", &E::cropRightPercentage, &E::setCropRightPercentage, 0, 1, false,
                  "expected a fraction at least 0 and below 1"),
        effectRow("crop-top", &E::cropTopPercentage, &E::setCropTopPercentage, 0, 1, false,
                  "expected a fraction at least 0 and below 1"),
        effectRow("crop-bottom", &E::cropBottomPercentage, &E::setCropBottomPercentage, 0, 1, false,
                  "expected a fraction at least 0 and below 1"),
        effectRow("crop-left-px", &E::cropLeftPixels, &E::setCropLeftPixels, 0, 1e9, true,
                  "expected a pixel count, not negative"),
        effectRow("crop-right-px", &E::cropRightPixels, &E::setCropRightPixels, 0, 1e9, true,
                  "expected a pixel count, not negative"),
        effectRow("crop-top-px", &E::cropTopPixels, &E::setCropTopPixels, 0, 1e9, true,
                  "expected a pixel count, not negative"),
        effectRow("crop-bottom-px", &E::cropBottomPixels, &E::setCropBottomPixels, 0, 1e9, true,
                  "expected a pixel count, not negative"),
        wordRow<int>(
            "rotation", {{0, "0"}, {90, "90"}, {180, "180"}, {270, "270"}},
            [](const Preset& p) { return static_cast<int>(p.effects.rotationDegrees()); },
            [](Preset& p, int v) { p.effects.setRotationDegrees(static_cast<float>(v)); }),
        wordRow<ScaleMode>(
            "scale-mode",
            {{ScaleMode::Factors, "factors"},
             {ScaleMode::Pixels, "pixels"},
             {ScaleMode::Maximum, "maximum"}},
            [](const Preset& p) { return p.scaleMode; },
            [](Preset& p, ScaleMode v) { p.scaleMode = v; }),
        effectRow("scale-x", &E::scaleXPercentage, &E::setScaleXPercentage, 0, 100, true,
                  "expected a factor from 0 to 100"),
        effectRow("scale-y", &E::scaleYPercentage, &E::setScaleYPercentage, 0, 100, true,
                  "expected a factor from 0 to 100"),
        effectRow("size-width", &E::scaleXPixels, &E::setScaleXPixels, 0, 1e6, true,
                  "expected a width in pixels, 0 for none"),
        effectRow("size-height", &E::scaleYPixels, &E::setScaleYPixels, 0, 1e6, true,
                  "expected a height in pixels, 0 for none"),
        effectRow("max-width", &E::scaleXMaximumPixels, &E::setScaleXMaximumPixels, 0, 1e6, true,
                  "expected a width in pixels, 0 for no limit"),
        effectRow("max-height", &E::scaleYMaximumPixels, &E::setScaleYMaximumPixels, 0, 1e6, true,
                  "expected a height in pixels, 0 for no limit"),
        wordRow<int>(
            "naming", {{0, "new"}, {1, "original"}, {2, "template"}},
            [](const Preset& p) {
                return p.output.useNameTemplate ? 2 : p.output.keepOriginalName ? 1 : 0;
            },
            [](Preset& p, int v) {
                p.output.keepOriginalName = v == 1;
                p.output.useNameTemplate = v == 2;
            }),
        textRow("name", &ExportSettings::newName),
        textRow("template", &ExportSettings::nameTemplate),
        wordRow<SerialStyle>(
            "serial", {{SerialStyle::Padded, "padded"}, {SerialStyle::Plain, "plain"}},
            [](const Preset& p) { return p.serial; },
            [](Preset& p, SerialStyle v) { p.serial = v; }),
        {"type",
         [](const Preset& p) -> std::optional<std::string> {
             return quoted(outputTypeTitle(p.output.outputType));
         },
         [](std::string_view text, Preset& p) -> std::optional<QString> {
             const auto title = unquoted(text);
             const auto type = title ? outputTypeFromTitle(*title) : std::nullopt;
             if (!type)
                 return QStringLiteral("expected a file type such as \"JPG\"");
             p.output.outputType = *type;
             return std::nullopt;
         }},
        {"quality",
         [](const Preset& p) -> std::optional<std::string> {
             return std::to_string(p.output.quality);
         },
         [](std::string_view text, Preset& p) -> std::optional<QString> {
             const auto v = wholeNumberFrom(text);
             if (!v || *v < 0 || *v > 100)
                 return QStringLiteral("expected a whole number from 0 to 100");
             p.output.quality = *v;
             return std::nullopt;
         }},
        wordRow<bool>(
            "keep-folders", {{false, "no"}, {true, "yes"}},
            [](const Preset& p) { return p.output.keepFolders; },
            [](Preset& p, bool v) { p.output.keepFolders = v; }),
        wordRow<bool>(
            "lossless", {{false, "no"}, {true, "yes"}},
            [](const Preset& p) { return p.output.lossless; },
            [](Preset& p, bool v) { p.output.lossless = v; }),
        wordRow<bool>(
            "progressive", {{false, "no"}, {true, "yes"}},
            [](const Preset& p) { return p.output.progressive; },
            [](Preset& p, bool v) { p.output.progressive = v; }),
        wordRow<bool>(
            "subsample", {{false, "auto"}, {true, "444"}},
            [](const Preset& p) { return p.output.chroma444; },
            [](Preset& p, bool v) { p.output.chroma444 = v; }),
        {"max-kb",
         [](const Preset& p) -> std::optional<std::string> {
             return std::to_string(p.output.maxKilobytes);
         },
         [](std::string_view text, Preset& p) -> std::optional<QString> {
             const auto v = wholeNumberFrom(text);
             if (!v || *v < 0)
                 return QStringLiteral("expected a whole number of KB, 0 for no limit");
             p.output.maxKilobytes = *v;
             return std::nullopt;
         }},
        wordRow<int>(
            "metadata", {{0, "none"}, {1, "copy"}, {2, "no-private"}},
            [](const Preset& p) {
                return !p.output.transferMetadata ? 0 : p.output.withoutPrivateMetadata ? 2 : 1;
            },
            [](Preset& p, int v) {
                p.output.transferMetadata = v != 0;
                p.output.withoutPrivateMetadata = v == 2;
            }),
        // Written only when the recipe includes where it exports to.
        {"destination",
         [](const Preset& p) -> std::optional<std::string> {
             if (!p.destinationIncluded)
                 return std::nullopt;
             return quoted(p.output.destination);
         },
         [](std::string_view text, Preset& p) -> std::optional<QString> {
             const auto value = unquoted(text);
             if (!value || value->empty())
                 return QStringLiteral("expected a folder in double quotes");
             p.output.destination = *value;
             p.destinationIncluded = true;
             return std::nullopt;
         }},
    };
    return table;
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

QString fromBytes(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

std::string writePreset(const Preset& preset) {
    std::string text = "# Vantrel preset\nformat = " + std::to_string(kPresetFormatVersion) + "\n";
    for (const PresetKey& row : presetTable()) {
        if (const auto value = row.write(preset))
            text += std::string(row.key) + " = " + *value + "\n";
    }
    return text;
}

PresetReading readPreset(std::string_view text) {
    PresetReading reading;
    Preset preset;
    std::optional<int> version;
    std::map<std::string, int, std::less<>> seen; // key -> line
    int lineNumber = 0;
    size_t start = 0;
    auto fail = [&reading](int line, const QString& why) {
        reading.error = QStringLiteral("line %1: %2").arg(line).arg(why);
        return std::move(reading);
    };
    while (start < text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = trimmed(text.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        if (line.empty() || line.front() == '#')
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return fail(lineNumber, QStringLiteral("expected \"key = value\""));
        const std::string_view key = trimmed(line.substr(0, equals));
        const std::string_view value = trimmed(line.substr(equals + 1));
        if (const auto before = seen.find(key); before != seen.end())
            reading.warnings << QStringLiteral("line %1: \"%2\" was given on line %3 already; "
                                               "this one counts")
                                    .arg(lineNumber)
                                    .arg(fromBytes(key))
                                    .arg(before->second);
        seen[std::string(key)] = lineNumber;
        if (key == "format") {
            version = wholeNumberFrom(value);
            if (!version || *version < 1)
                return fail(lineNumber, QStringLiteral("format: expected a version number"));
            if (*version > kPresetFormatVersion)
                return fail(lineNumber, QStringLiteral("format %1 is of a newer Vantrel (this "
                                                       "one reads format %2)")
                                            .arg(*version)
                                            .arg(kPresetFormatVersion));
            continue;
        }
        const auto& table = presetTable();
        const auto row = std::find_if(table.begin(), table.end(),
                                      [key](const PresetKey& r) { return key == r.key; });
        if (row == table.end()) {
            reading.warnings << QStringLiteral("line %1: unknown key \"%2\" ignored")
                                    .arg(lineNumber)
                                    .arg(fromBytes(key));
            continue;
        }
        if (const auto expected = row->read(value, preset))
            return fail(
                lineNumber,
                QStringLiteral("%1: %2, not %3").arg(fromBytes(key), *expected, fromBytes(value)));
    }
    if (!version) {
        reading.error = QStringLiteral("no \"format\" line: not a Vantrel preset");
        return reading;
    }
    reading.preset = preset;
    return reading;
}

QStringList presetKeys() {
    QStringList keys{QStringLiteral("format")};
    for (const PresetKey& row : presetTable())
        keys << QString::fromLatin1(row.key);
    return keys;
}

} // namespace vantrel
