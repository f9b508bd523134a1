#pragma once

#include "core/batch/Preset.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// The user's presets folder: $XDG_CONFIG_HOME/Vantrel/presets, or ~/.config/Vantrel/presets
// when XDG_CONFIG_HOME is not set. Not created here.
std::string presetsFolder();

// The file name of a preset: its name with "%", "/", "\", control characters and a leading
// "." written as %XX, and ".vpreset" after it. No name can reach outside the folder, hide
// its file or collide with another name.
std::string presetFileName(const QString& name);
// The name back from a file name (with or without ".vpreset").
QString presetNameOfFile(const std::string& fileName);
// Why a name cannot be a preset's (empty, only spaces, a file name too long), or nothing.
std::optional<QString> presetNameProblem(const QString& name);

// One preset file as read: the preset, or why it cannot be used.
struct PresetFile {
    QString name;
    std::string path;
    std::optional<Preset> preset;
    QString error;        // "preset "NAME" (PATH) cannot be used: ..."
    QStringList warnings; // "preset "NAME": line N: ..."
};

// Reads one preset file. Only a regular file of at most 64 KiB is read.
PresetFile loadPresetFile(const std::string& path);

// Every preset of `folder`, sorted by name (case does not count). A damaged file is in the
// list with its error; it never stops the others.
std::vector<PresetFile> listPresets(const std::string& folder);

// The preset called `name` in `folder`, or an entry with the error when there is none.
PresetFile findPreset(const std::string& folder, const QString& name);

// Writes the preset as `name` in `folder` (made when missing), replacing a preset of that
// name at once: a reader sees the old file or the new one, never part of one. Returns the
// error, or nothing.
std::optional<QString> savePreset(const std::string& folder, const QString& name,
                                  const Preset& preset);
// Removes the preset file at `path` (a PresetFile's path). Returns the error, or nothing.
std::optional<QString> deletePresetFile(const std::string& path);

} // namespace vantrel
