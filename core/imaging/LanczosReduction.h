#pragma once

#include <optional>

namespace vips {
class VImage;
}

namespace vantrel {

// Centred Lanczos-3 reduction of an 8-bit image to width x height (each no larger than the
// image's side), edges extended by copying, every band alike. Several times faster than
// the general resampler because it works in single precision on whole rows. Nothing for
// other formats: the caller then uses the general resampler.
std::optional<vips::VImage> reduceEightBit(const vips::VImage& image, int width, int height);

} // namespace vantrel
