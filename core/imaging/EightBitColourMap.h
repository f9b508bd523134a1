#pragma once

#include <array>
#include <optional>

namespace vips {
class VImage;
}

namespace vantrel {

// An affine colour map on 8-bit pixels through integer tables, several times faster than
// the same map in floating point: out = clamp(floor(M c + offset)) on 0..255 levels, for
// one (grey: M[0] only) or three colour bands leading the pixel; further bands (alpha)
// pass untouched. Nothing when the map is too large for the tables' fixed point or the
// image is not 8-bit; the caller then maps in floating point.
std::optional<vips::VImage> mapEightBitColour(const vips::VImage& image, int colourBands,
                                              const std::array<double, 9>& matrix,
                                              double offsetLevels);

} // namespace vantrel
