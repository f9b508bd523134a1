#pragma once

#include <vips/vips8>

namespace vantrel {

// Lanczos3 resampling to exactly width x height. An axis whose size does not change is
// not resampled at all. Alpha is premultiplied around the resampling so that transparent
// pixels do not bleed their colour into their neighbours.
vips::VImage resampleTo(const vips::VImage& image, int width, int height);

// Turns by any angle counter-clockwise as displayed, the result rebased to the origin and
// sized by the rounding rule; the corners that the photo no longer covers are transparent.
vips::VImage rotateByAngle(const vips::VImage& image, double degrees);

} // namespace vantrel
