#pragma once

#include "core/batch/Preset.h"
#include "core/export/ExportSettings.h"
#include "core/imaging/Effects.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// What the command line asks for: the same effect values and export choices that the
// window's controls would set, and the photos and folders to export.
struct BatchOptions {
    Effects effects;
    ExportSettings settings;
    bool destinationGiven = false;
    bool applyCameraOrientation = true;
    std::vector<std::string> paths;
    std::optional<std::string> filesFrom; // a list file of paths; "-" is standard input
    bool nulSeparated = false;            // its paths end in NUL rather than a line break
    bool showHelp = false;
    bool showVersion = false;
    bool listPresets = false;
    std::optional<Preset> preset;          // the last recipe given with --preset or --preset-file
    std::optional<QString> savePresetName; // --save-preset: keep the options as this preset
    QStringList warnings;                  // what a preset file had that was skipped
};

struct BatchOptionsResult {
    std::optional<BatchOptions> options;
    QString error; // one line naming the option, when options is empty
};

// Parses the arguments after the program name. "--name value" and "--name=value" both
// work; "--" ends the options.
BatchOptionsResult parseBatchOptions(const std::vector<std::string>& arguments);

const char* batchUsage();

} // namespace vantrel
