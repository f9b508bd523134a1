#pragma once

#include "core/imaging/Picture.h"
#include "core/imaging/PixelGeometry.h"

#include <QString>
#include <optional>
#include <string>

namespace vantrel {

// A small picture of the photo file as it is on disk, for the grid browser: at most
// `maxSide` pixels wide and high, never larger than the photo, turned upright as its
// orientation tag says while camera orientation is applied (Orientation.h), in 8-bit sRGB
// with the photo's transparency kept (3 or 4 bands).
//
// Only regular files are opened, only through the photo loaders; a photo over the sample
// limit is refused by its header, and every decode streams (JPEGs are shrunk while they are
// decoded, other formats are shrunk line by line), so a large photo costs little memory. A file
// whose pixels cannot all be decoded (damaged or truncated) gives nothing, just as its export would
// fail: the browser then marks it, instead of showing grey where the data ends. `why` then says in
// fixed words why, never in libvips' shared error text, which other threads write too.
//
// Safe to call from several threads at once.
// `photoSize`, when given, receives the photo's pixel size as seen (sides swapped when it is
// turned upright), as soon as its header is read.
std::optional<Bitmap> makeThumbnail(const std::string& path, int maxSide, QString* why = nullptr,
                                    PixelSize* photoSize = nullptr);

} // namespace vantrel
