#pragma once

#include <vips/vips8>

namespace vantrel {

// Resampling to exactly width x height, centred on both axes (output pixel x samples the
// source at (x + 0.5) / factor - 0.5), so that it commutes with flips and quarter turns.
// Shrinking axes use Lanczos3; enlarging axes use bicubic interpolation, the best kernel
// libvips offers for enlarging. An axis whose size does not change is not resampled at all.
// Alpha is premultiplied around the resampling so that transparent pixels do not bleed
// their colour into their neighbours.
vips::VImage resampleTo(const vips::VImage& image, int width, int height);

// Turns by any angle counter-clockwise as displayed, the result rebased to the origin and
// sized by the rounding rule; the corners that the photo no longer covers are transparent.
vips::VImage rotateByAngle(const vips::VImage& image, double degrees);

} // namespace vantrel
