#pragma once

#include "core/imaging/Picture.h"

#include <vips/vips8>

namespace vantrel {

// 8-bit sRGB with 3 bands, or 4 when the photo has transparency: what a screen shows,
// whatever the photo's own encoding (grey, 16-bit, CMYK, extra bands).
vips::VImage toDisplayBands(vips::VImage image);

// Computes the pixels of a display image into a Bitmap.
Bitmap bitmapFromDisplayImage(const vips::VImage& display);

} // namespace vantrel
