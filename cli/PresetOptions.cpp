#include "cli/PresetOptions.h"

#include "core/batch/PresetStore.h"

#include <filesystem>

namespace vantrel {
namespace {

bool sameCrop(const Effects& a, const Effects& b) {
    return a.cropLeftPercentage() == b.cropLeftPercentage() &&
           a.cropRightPercentage() == b.cropRightPercentage() &&
           a.cropTopPercentage() == b.cropTopPercentage() &&
           a.cropBottomPercentage() == b.cropBottomPercentage() &&
           a.cropLeftPixels() == b.cropLeftPixels() && a.cropRightPixels() == b.cropRightPixels() &&
           a.cropTopPixels() == b.cropTopPixels() && a.cropBottomPixels() == b.cropBottomPixels();
}

bool sameScale(const Effects& a, const Effects& b) {
    return a.scaleXPercentage() == b.scaleXPercentage() &&
           a.scaleYPercentage() == b.scaleYPercentage() && a.scaleXPixels() == b.scaleXPixels() &&
           a.scaleYPixels() == b.scaleYPixels() &&
           a.scaleXMaximumPixels() == b.scaleXMaximumPixels() &&
           a.scaleYMaximumPixels() == b.scaleYMaximumPixels();
}

} // namespace

bool isPresetOption(const std::string& name) {
    return name == "--preset" || name == "--preset-file" || name == "--save-preset";
}

std::optional<QString> applyPresetOption(const std::string& name, const std::string& value,
                                         BatchOptions& options) {
    const QString text = QString::fromStdString(value);
    if (name == "--save-preset") {
        if (const auto problem = presetNameProblem(text))
            return QStringLiteral("--save-preset: %1").arg(*problem);
        options.savePresetName = text;
        return std::nullopt;
    }
    const PresetFile found =
        name == "--preset" ? findPreset(presetsFolder(), text) : loadPresetFile(value);
    if (!found.preset)
        return QStringLiteral("%1: %2").arg(QString::fromStdString(name), found.error);
    options.warnings << found.warnings;
    const Preset& preset = *found.preset;
    options.effects = preset.effects;
    options.settings = withPresetOutput(preset, options.settings);
    if (preset.destinationIncluded)
        options.destinationGiven = true;
    options.preset = preset;
    return std::nullopt;
}

Preset presetOfOptions(const BatchOptions& options) {
    Preset preset;
    preset.effects = options.effects;
    preset.output = options.settings;
    preset.destinationIncluded = options.destinationGiven;
    // The recipe is used from any working folder: a relative destination is kept as the
    // folder it names now.
    const std::string& destination = options.settings.destination;
    if (options.destinationGiven && !destination.empty() && destination[0] != '/' &&
        destination[0] != '~')
        preset.output.destination = std::filesystem::absolute(destination).string();
    preset.cropMode = cropModeOf(options.effects);
    preset.scaleMode = scaleModeOf(options.effects);
    if (options.preset) {
        const Preset& base = *options.preset;
        if (sameCrop(base.effects, options.effects))
            preset.cropMode = base.cropMode;
        if (sameScale(base.effects, options.effects))
            preset.scaleMode = base.scaleMode;
        preset.serial = base.serial;
    }
    return preset;
}

} // namespace vantrel
