#pragma once

#include <QVariantMap>
#include <optional>
#include <string>

namespace vantrel {

// The properties of the first image in a photo file, as a nested map: top-level pixel facts
// (PixelWidth, PixelHeight, DPIWidth, DPIHeight, Depth, ColorModel, HasAlpha, Orientation,
// ProfileName) and the groups "{Exif}", "{TIFF}", "{GPS}", "{IPTC}", "{JFIF}", "{PNG}".
// Returns nothing when the path is empty, when the file cannot be opened as an image, or
// when it has no properties. Never throws. When the file cannot be opened as an image,
// `failure` (if given) receives the line for the log: "Error: file name : <path> - Status: <n>".
std::optional<QVariantMap> readImageProperties(const std::string& path, QString* failure = nullptr);

} // namespace vantrel
