#pragma once

#include "core/batch/Preset.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// The version written into every preset file. A file of a later version is refused: its
// keys may mean something this program does not know. Keys added without changing what the
// others mean need no new version: older programs skip them with a warning.
inline constexpr int kPresetFormatVersion = 1;

// A preset as the text of its file: a comment, "format = N", then one "key = value" line
// per field in a fixed order. Numbers are written in the shortest form that reads back to
// the same value, texts in double quotes with \" \\ and \xHH escapes, so that writing what
// was read gives the same bytes.
std::string writePreset(const Preset& preset);

struct PresetReading {
    std::optional<Preset> preset; // nothing when the text cannot be used
    QString error;                // why not: "line N: ..." or what is missing
    QStringList warnings;         // what was skipped: unknown keys, keys given twice
};

// Reads a preset's text. Blank lines and lines starting with "#" are skipped; a key that is
// missing keeps its neutral value (effects off, the output defaults); an unknown key is
// skipped with a warning; a value out of its range, a line without "=", an unfinished text
// or a missing or later format version make the whole text unusable.
PresetReading readPreset(std::string_view text);

// The keys of the format in the order they are written, for help texts and tests.
QStringList presetKeys();

} // namespace vantrel
