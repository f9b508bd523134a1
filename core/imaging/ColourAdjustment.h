#pragma once

#include <array>

namespace vips {
class VImage;
}

namespace vantrel {

// Brightness, contrast and saturation as one affine colour map on components scaled to
// 0..1 in the photo's own encoding:
//
//   luma  = 0.2126 R + 0.7152 G + 0.0722 B                     (Rec. 709 weights)
//   c1    = luma + saturation * (c - luma)                       saturation first,
//   c2    = c1 + brightness                                      then brightness,
//   out   = 0.5 + contrast * (c2 - 0.5)                          then contrast about mid-grey
//
// which folds into out = M c + offset with M = contrast * (s I + (1 - s) 1 w^T) and
// offset = contrast * brightness + 0.5 * (1 - contrast). Results are clamped to the
// photo's range when converted back. A grey photo has luma = c, so only brightness and
// contrast act on it.
struct ColourAdjustment {
    float brightness = 0.0f;
    float contrast = 1.0f;
    float saturation = 1.0f;

    bool isNeutral() const { return brightness == 0.0f && contrast == 1.0f && saturation == 1.0f; }
    bool isFinite() const;
    // Whether some colour in range maps outside the range and is clamped. Without clamping
    // the map is affine and commutes with any resampling; with it, it does not.
    bool canClip() const;

    std::array<double, 9> matrix() const; // row-major 3x3
    double offset() const;                // on the 0..1 scale
};

// Applies the map to the colour bands only: extra bands (alpha) pass untouched, grey stays
// grey, 8- and 16-bit photos keep their depth. CMYK, Lab and other spaces are turned into
// sRGB first. Neutral settings return the image itself.
vips::VImage applyColourAdjustment(const vips::VImage& image, const ColourAdjustment& adjustment);

} // namespace vantrel
