#pragma once

#include "core/imaging/OrientationChoice.h"
#include "core/imaging/PixelGeometry.h"

#include <vips/vips8>

namespace vantrel {

// An exact turn of whole pixels: first `clockwiseTurns` quarter turns clockwise, then,
// when `mirrored`, a flip of left and right. The eight of them are the eight values of the
// EXIF Orientation tag; nothing is resampled.
struct QuarterTransform {
    int clockwiseTurns = 0; // 0..3
    bool mirrored = false;

    bool isIdentity() const { return clockwiseTurns == 0 && !mirrored; }
    bool swapsSides() const { return clockwiseTurns % 2 == 1; }

    // What the photo tagged with `orientation` needs to stand upright; values outside
    // 1..8 need nothing.
    static QuarterTransform forOrientation(int orientation);
    // This transform followed by `turns` quarter turns counter-clockwise.
    QuarterTransform thenCounterClockwise(int turns) const;

    vips::VImage apply(const vips::VImage& image) const;
    // The size that a width x height image has after the transform.
    PixelSize size(PixelSize before) const;
    ExactSize size(ExactSize before) const;
    // Where a rectangle of the result lies in the image before the transform, given the
    // size of the result.
    PixelRect rectBefore(const PixelRect& after, PixelSize afterSize) const;
};

// The orientation tag (1..8) of a photo, from the header that libvips read: its EXIF (JPEG,
// TIFF, WebP, a PNG's eXIf chunk) or, in a PNG, the hex EXIF that ImageMagick keeps in a
// "Raw profile type exif" text. 1 when there is none, or it is 0, 9 or garbage.
int orientationOf(const vips::VImage& header);

// What the photo needs to be seen as the current choice says: its orientation's transform
// when camera orientation is applied, nothing otherwise.
QuarterTransform uprightTransformOf(const vips::VImage& header);

} // namespace vantrel
