#pragma once

#include "core/imaging/Picture.h"

#include <QString>
#include <optional>
#include <string>

namespace vantrel {

// A small picture of the photo file as it is on disk, for the grid browser: at most
// `maxSide` pixels wide and high, never larger than the photo, turned upright as its
// orientation tag says, in 8-bit sRGB with the photo's transparency kept (3 or 4 bands).
//
// Only regular files are opened, only through the photo loaders, and JPEGs are shrunk
// while they are decoded, so a large photo costs little memory. A file whose pixels cannot
// all be decoded (damaged or truncated) gives nothing, just as its export would fail: the
// browser then marks it, instead of showing grey where the data ends. `why` then says in
// fixed words why, never in libvips' shared error text, which other threads write too.
//
// Safe to call from several threads at once.
std::optional<Bitmap> makeThumbnail(const std::string& path, int maxSide, QString* why = nullptr);

} // namespace vantrel
