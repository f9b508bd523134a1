#pragma once

#include "cli/BatchOptions.h"

#include <QString>
#include <optional>
#include <string>

namespace vantrel {

// The preset options of vantrel-batch. "--preset NAME" and "--preset-file PATH" put a whole
// recipe into the options at the place they are given, so that options after them change
// single values. Returns the error line, or nothing; warnings go into options.warnings.
bool isPresetOption(const std::string& name);
std::optional<QString> applyPresetOption(const std::string& name, const std::string& value,
                                         BatchOptions& options);

// The recipe that the options describe, for "--save-preset". The modes the window shows the
// crop and the scale in are those of a preset given before, unless later options changed
// those effects.
Preset presetOfOptions(const BatchOptions& options);

} // namespace vantrel
