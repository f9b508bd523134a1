#pragma once

#include <QVariantMap>
#include <optional>
#include <string>

namespace vantrel {

// The properties of the first image in a photo file, as a nested map: top-level pixel facts
// (PixelWidth, PixelHeight, DPIWidth, DPIHeight, Depth, ColorModel, HasAlpha, Orientation,
// ProfileName) and the groups "{Exif}", "{TIFF}", "{GPS}", "{IPTC}", "{JFIF}", "{PNG}".
// Returns nothing when the path is empty, when the file cannot be opened as an image (this
// one case is logged as "Error: file name : <path> - Status: <n>"), or when it has no
// properties. Never throws.
std::optional<QVariantMap> readImageProperties(const std::string& path);

} // namespace vantrel
