#include "core/batch/Preset.h"

namespace vantrel {

CropMode cropModeOf(const Effects& e) {
    const bool pixels = e.cropLeftPixels() != 0 || e.cropRightPixels() != 0 ||
                        e.cropTopPixels() != 0 || e.cropBottomPixels() != 0;
    return pixels ? CropMode::Pixels : CropMode::Fractions;
}

ScaleMode scaleModeOf(const Effects& e) {
    if (e.scaleXPixels() != 0 || e.scaleYPixels() != 0)
        return ScaleMode::Pixels;
    if (e.scaleXMaximumPixels() != 0 || e.scaleYMaximumPixels() != 0)
        return ScaleMode::Maximum;
    return ScaleMode::Factors;
}

ExportSettings withPresetOutput(const Preset& preset, const ExportSettings& run) {
    ExportSettings settings = preset.output;
    settings.targetFolderName = run.targetFolderName;
    settings.jobs = run.jobs;
    settings.exiftoolPath = run.exiftoolPath;
    // Where a run writes into and which part of the list it takes belong to the run.
    settings.intoFolder = run.intoFolder;
    settings.skipExisting = run.skipExisting;
    settings.shard = run.shard;
    settings.shards = run.shards;
    if (!preset.destinationIncluded)
        settings.destination = run.destination;
    return settings;
}

} // namespace vantrel
