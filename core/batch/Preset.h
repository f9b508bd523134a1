#pragma once

#include "core/export/ExportSettings.h"
#include "core/imaging/Effects.h"

namespace vantrel {

// How the crop fields read: fractions of the photo's sides or pixel counts.
enum class CropMode { Fractions, Pixels };
// Which scale values the scale fields show: factors, a target size or a maximum size.
enum class ScaleMode { Factors, Pixels, Maximum };
// How the serial after a new name is written: zero-padded (_01) or plain (_1).
enum class SerialStyle { Padded, Plain };

// A named recipe: everything that decides what a run writes (the effects, how the window
// shows them, naming, type and the other output choices, optionally the destination), and
// nothing of one run (the photos, the export folder's name, the finishing actions).
struct Preset {
    Effects effects;
    CropMode cropMode = CropMode::Fractions;
    ScaleMode scaleMode = ScaleMode::Factors;
    SerialStyle serial = SerialStyle::Padded;
    // The output choices. Only the fields that decide an output are kept: the export folder's
    // name, the job count and where exiftool is belong to a run.
    ExportSettings output;
    bool destinationIncluded = false; // output.destination is part of the recipe
};

// The modes a front end without mode controls shows these effects in: pixels when any pixel
// crop is set, and the scale whose values are set.
CropMode cropModeOf(const Effects& effects);
ScaleMode scaleModeOf(const Effects& effects);

// `run` with the recipe's output choices put in: the run's own choices (the export folder's
// name, jobs, exiftool) stay, and so does its destination unless the recipe holds one.
ExportSettings withPresetOutput(const Preset& preset, const ExportSettings& run);

} // namespace vantrel
