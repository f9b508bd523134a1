#pragma once

#include "core/imaging/ColourAdjustment.h"
#include "core/imaging/PixelGeometry.h"

#include <memory>
#include <optional>
#include <string>
#include <vips/vips8>

namespace vantrel {

// How a working image is turned into pixels.
struct RenderOptions {
    // 1 renders at the picture's own size; 0.25 a quarter of it (the preview's zoom).
    double zoom = 1.0;
    // Reorders steps that commute: crop and colour exactly; resampling and quarter turns
    // exactly; colour and resampling except where components clip. Off keeps the strict order.
    bool reorder = true;
    // Lets a JPEG be decoded at 1/2, 1/4 or 1/8 of its size (in the loader's DCT) when the
    // result is still at least the final size. Needs reorder.
    bool shrinkOnLoad = true;
    // Only this part of the result, in its pixels (clipped to it), is computed.
    std::optional<PixelRect> part = std::nullopt;
};

// A photo and the effects applied to it so far, as an immutable, lazily evaluated recipe:
// nothing is decoded until pixels() or render() is asked for, so building one costs
// nothing worth measuring. Each step returns a new recipe; the earlier one stays valid,
// which lets a picture keep the image it was made from.
//
// Geometry follows the platform's convention that effects were designed in (origin at the
// lower-left, y up) only at the edges: here rectangles are top-left based, and the
// callers convert. The extent is kept exact through every step; pixels follow the
// rounding rule of PixelGeometry.h when they are produced.
class WorkingImage {
public:
    // The photo as seen: turned upright as its camera orientation tag says while that is
    // applied (cameraOrientationApplied), its pixels as stored otherwise. Reads the header
    // only, from regular files only. Null when no photo loader can read the file.
    static std::shared_ptr<const WorkingImage> fromFile(const std::string& path);
    // Pixels already made, covering the given exact extent.
    static std::shared_ptr<const WorkingImage> fromPixels(const vips::VImage& pixels,
                                                          ExactSize extent);

    ExactSize extent() const;
    double width() const { return extent().width; }
    double height() const { return extent().height; }
    // The size pixels() and render() at zoom 1 produce.
    PixelSize pixelSize() const;

    std::shared_ptr<const WorkingImage> adjustingColour(const ColourAdjustment& adjustment) const;
    // Keeps the part inside the rectangle (in extent units), rebased to the origin.
    std::shared_ptr<const WorkingImage> cropping(const ExactRect& rect) const;
    // Turns counter-clockwise as displayed, rebased to the origin.
    std::shared_ptr<const WorkingImage> rotating(double degrees) const;
    // Lanczos3 resampling by independent factors; a factor of exactly 1 leaves its axis alone.
    std::shared_ptr<const WorkingImage> scaling(double factorX, double factorY) const;

    // The strict order at full resolution; lazy. libvips errors surface as vips::VError when
    // pixels are computed.
    vips::VImage pixels() const;
    // The same picture, made as fast as the options allow; pixels are computed here.
    // Throws vips::VError when the file cannot be decoded.
    vips::VImage render(const RenderOptions& options) const;

    // The photo as stored, decoded sequentially with the loader's own shrinking (a JPEG at
    // 1/2, 1/4 or 1/8) as far as both sides keep at least `fraction` of their pixels; other
    // photos whole. Pixels are computed by the caller. Throws vips::VError.
    vips::VImage decodeShrunk(double fraction) const;
    // The factor decodeShrunk(fraction) shrinks by: 1, 2, 4 or 8.
    int loaderShrink(double fraction) const;
    // The same photo from pixels decoded as its file stores them (decodeShrunk's, at any
    // scale, in memory): they are turned as the photo is seen together with the effects' own
    // turn, on the small result, as the file's pixels are.
    std::shared_ptr<const WorkingImage> withDecodedPixels(const vips::VImage& decoded) const;

    const std::string& sourcePath() const;
    // Whether the photo was opened while camera orientation was applied: its pixels are then
    // those of the photo as seen, and any orientation tag copied onto them is wrong.
    bool followsCameraOrientation() const;
    // The photo as stored, before any turn: what decoding it costs, known from its header
    // alone.
    PixelSize sourcePixelSize() const;
    int sourceBands() const;

private:
    struct Source;
    explicit WorkingImage(std::shared_ptr<const Source> source);

    bool isTurnedOrScaled() const;
    // A copy to add one step to; steps that come after their usual order start afresh from
    // the pixels made so far.
    std::shared_ptr<WorkingImage> nextStep(bool startAfresh) const;
    std::shared_ptr<WorkingImage> flattened() const;
    ExactSize croppedExtent() const;
    PixelSize croppedPixelSize() const;
    vips::VImage load(int shrink, bool sequential) const;
    vips::VImage cropOnGrid(const vips::VImage& loaded) const;
    // The crop in pixels of the photo as seen (the whole photo without one).
    PixelRect sourceCropRect() const;
    // Whether every crop edge inside the photo lies on a JPEG decoding block's edge.
    bool cropFallsOnDecodeBlocks() const;
    vips::VImage rotatePixels(const vips::VImage& in) const;
    PixelSize targetSize(double zoom) const;

    std::shared_ptr<const Source> mSource;
    std::optional<ColourAdjustment> mColour;
    std::optional<ExactRect> mCrop; // in source extent units
    std::optional<double> mDegrees;
    double mScaleX = 1.0;
    double mScaleY = 1.0;
};

} // namespace vantrel
