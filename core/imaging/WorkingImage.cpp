#include "core/imaging/WorkingImage.h"

#include "core/imaging/Orientation.h"
#include "core/imaging/PhotoFile.h"
#include "core/imaging/PixelResampling.h"

#include <algorithm>
#include <cstring>

using vips::VImage;

namespace vantrel {

struct WorkingImage::Source {
    std::string path;             // empty for pixels made in memory
    std::optional<VImage> pixels; // set for pixels made in memory
    PixelSize pixelSize;          // of the photo as seen (or of the pixels)
    int bands = 0;
    ExactSize extent;  // what those pixels cover, exactly
    bool jpeg = false; // decodable at 1/2, 1/4, 1/8 by the loader itself
    // What turns the file's pixels, as decoded, into the photo as seen.
    QuarterTransform upright;
    bool uprightByCamera = false; // read while camera orientation was applied
};

namespace {

// Where an exact rectangle of the source falls on a grid of gridWidth x gridHeight pixels
// that covers the source's exact extent: proportionally, with edges rounded by the rule.
PixelRect rectOnGrid(const ExactRect& rect, ExactSize extent, int gridWidth, int gridHeight) {
    const double rx = gridWidth / extent.width;
    const double ry = gridHeight / extent.height;
    PixelRect r;
    r.left = static_cast<int>(std::clamp(pixelEdge(rect.left * rx), 0L, gridWidth - 1L));
    r.top = static_cast<int>(std::clamp(pixelEdge(rect.top * ry), 0L, gridHeight - 1L));
    r.width = std::min(pixelSpan(rect.left * rx, rect.right() * rx), gridWidth - r.left);
    r.height = std::min(pixelSpan(rect.top * ry, rect.bottom() * ry), gridHeight - r.top);
    return r;
}

VImage openPhoto(const std::string& path, int shrink, bool sequential, bool jpeg) {
    // A path that became a FIFO or device since the photo was added must not block us.
    if (!isRegularFile(path)) {
        throw vips::VError("not a regular file");
    }
    // Loading from a source, not a file name: libvips would read "[...]" in a name as options.
    vips::VSource source = vips::VSource::new_from_file(path.c_str());
    auto* options = VImage::option()
                        ->set("access", sequential ? VIPS_ACCESS_SEQUENTIAL : VIPS_ACCESS_RANDOM)
                        ->set("fail_on", VIPS_FAIL_ON_TRUNCATED);
    if (jpeg && shrink > 1) {
        options->set("shrink", shrink);
    }
    return VImage::new_from_source(source, "", options);
}

// The part of an image of `size`, clipped to it (at least one pixel).
PixelRect clippedPart(const PixelRect& part, PixelSize size) {
    PixelRect r;
    r.left = std::clamp(part.left, 0, size.width - 1);
    r.top = std::clamp(part.top, 0, size.height - 1);
    r.width = std::clamp(part.width, 1, size.width - r.left);
    r.height = std::clamp(part.height, 1, size.height - r.top);
    return r;
}

VImage keepPart(const VImage& image, const std::optional<PixelRect>& part) {
    if (!part) {
        return image;
    }
    const PixelRect r = clippedPart(*part, {image.width(), image.height()});
    return image.extract_area(r.left, r.top, r.width, r.height);
}

} // namespace

WorkingImage::WorkingImage(std::shared_ptr<const Source> source) : mSource(std::move(source)) {}

std::shared_ptr<const WorkingImage> WorkingImage::fromFile(const std::string& path) {
    if (!isRegularFile(path)) {
        return nullptr;
    }
    try {
        const VImage header = openPhoto(path, 1, true, false);
        auto source = std::make_shared<Source>();
        source->path = path;
        source->upright = uprightTransformOf(header);
        source->uprightByCamera = cameraOrientationApplied();
        source->pixelSize = source->upright.size(PixelSize{header.width(), header.height()});
        source->bands = header.bands();
        source->extent = {static_cast<double>(source->pixelSize.width),
                          static_cast<double>(source->pixelSize.height)};
        const char* loader = nullptr;
        if (vips_image_get_string(header.get_image(), "vips-loader", &loader) == 0 && loader) {
            source->jpeg = std::strncmp(loader, "jpegload", 8) == 0;
        }
        return std::shared_ptr<const WorkingImage>(new WorkingImage(std::move(source)));
    } catch (const vips::VError&) {
        return nullptr;
    }
}

std::shared_ptr<const WorkingImage> WorkingImage::fromPixels(const VImage& pixels,
                                                             ExactSize extent) {
    auto source = std::make_shared<Source>();
    source->pixels = pixels;
    source->pixelSize = {pixels.width(), pixels.height()};
    source->bands = pixels.bands();
    source->extent = extent;
    return std::shared_ptr<const WorkingImage>(new WorkingImage(std::move(source)));
}

const std::string& WorkingImage::sourcePath() const {
    return mSource->path;
}

bool WorkingImage::followsCameraOrientation() const {
    return mSource->uprightByCamera;
}

std::shared_ptr<WorkingImage> WorkingImage::flattened() const {
    // Steps asked for out of their usual order start a new recipe on what we have so far.
    return std::const_pointer_cast<WorkingImage>(fromPixels(pixels(), extent()));
}

ExactSize WorkingImage::croppedExtent() const {
    return mCrop ? ExactSize{mCrop->width, mCrop->height} : mSource->extent;
}

PixelSize WorkingImage::croppedPixelSize() const {
    const PixelRect r = sourceCropRect();
    return {r.width, r.height};
}

ExactSize WorkingImage::extent() const {
    ExactSize e = croppedExtent();
    if (mDegrees) {
        e = rotatedBounds(e, *mDegrees);
    }
    return {e.width * mScaleX, e.height * mScaleY};
}

PixelSize WorkingImage::pixelSize() const {
    PixelSize p = croppedPixelSize();
    if (mDegrees) {
        if (isQuarterTurn(*mDegrees)) {
            p = quarterTurns(*mDegrees) % 2 == 0 ? p : PixelSize{p.height, p.width};
        } else {
            const ExactSize bounds = rotatedBounds({double(p.width), double(p.height)}, *mDegrees);
            p = {pixelCount(bounds.width), pixelCount(bounds.height)};
        }
    }
    const ExactSize e = extent();
    if (mScaleX != 1.0) {
        p.width = pixelCount(e.width);
    }
    if (mScaleY != 1.0) {
        p.height = pixelCount(e.height);
    }
    return p;
}

PixelSize WorkingImage::targetSize(double zoom) const {
    if (zoom == 1.0) {
        return pixelSize();
    }
    const ExactSize e = extent();
    return {pixelCount(e.width * zoom), pixelCount(e.height * zoom)};
}

std::shared_ptr<WorkingImage> WorkingImage::nextStep(bool startAfresh) const {
    return startAfresh ? flattened() : std::shared_ptr<WorkingImage>(new WorkingImage(*this));
}

PixelSize WorkingImage::sourcePixelSize() const {
    return mSource->upright.size(mSource->pixelSize);
}

int WorkingImage::sourceBands() const {
    return mSource->bands;
}

bool WorkingImage::isTurnedOrScaled() const {
    return mDegrees || mScaleX != 1.0 || mScaleY != 1.0;
}

std::shared_ptr<const WorkingImage>
WorkingImage::adjustingColour(const ColourAdjustment& adjustment) const {
    auto next = nextStep(mCrop || isTurnedOrScaled() || mColour);
    next->mColour = adjustment;
    return next;
}

std::shared_ptr<const WorkingImage> WorkingImage::cropping(const ExactRect& rect) const {
    auto next = nextStep(isTurnedOrScaled());
    const ExactSize current = next->croppedExtent();
    const ExactRect kept = rect.intersected({0, 0, current.width, current.height});
    if (kept.isEmpty()) {
        return next;
    }
    const ExactRect base = next->mCrop.value_or(ExactRect{0, 0, current.width, current.height});
    next->mCrop = ExactRect{base.left + kept.left, base.top + kept.top, kept.width, kept.height};
    return next;
}

std::shared_ptr<const WorkingImage> WorkingImage::rotating(double degrees) const {
    auto next = nextStep(isTurnedOrScaled());
    next->mDegrees = degrees;
    return next;
}

std::shared_ptr<const WorkingImage> WorkingImage::scaling(double factorX, double factorY) const {
    auto next = nextStep(false);
    next->mScaleX *= factorX;
    next->mScaleY *= factorY;
    return next;
}

VImage WorkingImage::load(int shrink, bool sequential) const {
    if (mSource->pixels) {
        return *mSource->pixels;
    }
    return openPhoto(mSource->path, shrink, sequential, mSource->jpeg);
}

VImage WorkingImage::decodeShrunk(double fraction) const {
    return load(loaderShrink(fraction), true);
}

int WorkingImage::loaderShrink(double fraction) const {
    int shrink = 1;
    if (mSource->jpeg && !mSource->pixels) {
        const PixelSize size = mSource->pixelSize;
        // The loader rounds a shrunk side up.
        const auto keeps = [&](int side, int by) {
            return (side + by - 1) / by >= fraction * side;
        };
        while (shrink < 8 && keeps(size.width, shrink * 2) && keeps(size.height, shrink * 2)) {
            shrink *= 2;
        }
    }
    return shrink;
}

std::shared_ptr<const WorkingImage> WorkingImage::withDecodedPixels(const VImage& decoded) const {
    auto source = std::make_shared<Source>();
    source->pixels = decoded;
    source->upright = mSource->upright;
    source->pixelSize = source->upright.size(PixelSize{decoded.width(), decoded.height()});
    source->bands = decoded.bands();
    source->extent = mSource->extent;
    return std::shared_ptr<const WorkingImage>(new WorkingImage(std::move(source)));
}

VImage WorkingImage::cropOnGrid(const VImage& loaded) const {
    if (!mCrop) {
        return loaded;
    }
    // Rounded on the grid of the photo as seen, then found in the pixels as decoded: the same
    // pixels as a crop of the turned photo.
    const QuarterTransform& upright = mSource->upright;
    const PixelSize seen = upright.size(PixelSize{loaded.width(), loaded.height()});
    const PixelRect r =
        upright.rectBefore(rectOnGrid(*mCrop, mSource->extent, seen.width, seen.height), seen);
    if (r.left == 0 && r.top == 0 && r.width == loaded.width() && r.height == loaded.height()) {
        return loaded;
    }
    return loaded.extract_area(r.left, r.top, r.width, r.height);
}

PixelRect WorkingImage::sourceCropRect() const {
    const PixelSize size = mSource->pixelSize;
    return mCrop ? rectOnGrid(*mCrop, mSource->extent, size.width, size.height)
                 : PixelRect{0, 0, size.width, size.height};
}

bool WorkingImage::cropFallsOnDecodeBlocks() const {
    // A JPEG decoder that shrinks computes each shrunk pixel from its whole block, 8 x 8
    // or, for subsampled colour, 16 x 16 source pixels: only block edges keep removed
    // pixels out of kept ones. The blocks lie in the file's pixels, before any turn.
    constexpr int kBlock = 16;
    const PixelRect crop = mSource->upright.rectBefore(sourceCropRect(), mSource->pixelSize);
    const PixelSize size = mSource->upright.size(mSource->pixelSize);
    const auto onBlockEdge = [](int edge, int photoSide) {
        return edge == photoSide || edge % kBlock == 0;
    };
    return onBlockEdge(crop.left, size.width) && onBlockEdge(crop.top, size.height) &&
           onBlockEdge(crop.left + crop.width, size.width) &&
           onBlockEdge(crop.top + crop.height, size.height);
}

VImage WorkingImage::rotatePixels(const VImage& in) const {
    if (!mDegrees) {
        return in;
    }
    if (isQuarterTurn(*mDegrees)) {
        // libvips turns clockwise; we turn counter-clockwise as displayed.
        static constexpr VipsAngle clockwise[] = {VIPS_ANGLE_D0, VIPS_ANGLE_D270, VIPS_ANGLE_D180,
                                                  VIPS_ANGLE_D90};
        const int turns = quarterTurns(*mDegrees);
        return turns == 0 ? in : in.rot(clockwise[turns]);
    }
    return rotateByAngle(in, *mDegrees);
}

VImage WorkingImage::pixels() const {
    VImage image = load(1, false);
    if (mColour) {
        image = applyColourAdjustment(image, *mColour);
    }
    image = rotatePixels(mSource->upright.apply(cropOnGrid(image)));
    const PixelSize target = pixelSize();
    return resampleTo(image, target.width, target.height);
}

// The render plan. The strict order (pixels()) is the truth; a shortcut is taken only where
// it gives the same pixels or differs imperceptibly (within 1 % RMSE on photographs):
//  - Quarter turns and flips commute exactly with the centred resampling: resample first,
//    then stand the small result upright and turn it. Other angles keep the strict order.
//  - Colour commutes with crop exactly, and with resampling only when no colour in range
//    clips; a map that can clip runs before the resampling, as in the strict order.
//  - A JPEG is decoded at 1/2, 1/4 or 1/8 only when every crop edge inside the photo lies
//    on an edge of the decoder's blocks, so that no source pixel outside the crop reaches
//    a kept pixel and the crop falls exactly on the shrunk grid, and only while the
//    shrunk crop is still at least twice the final size.
VImage WorkingImage::render(const RenderOptions& options) const {
    const PixelSize target = targetSize(options.zoom);
    if (!options.reorder || (mDegrees && !isQuarterTurn(*mDegrees))) {
        return keepPart(resampleTo(pixels(), target.width, target.height), options.part);
    }
    const int turns = mDegrees ? quarterTurns(*mDegrees) : 0;
    // Quarter turns, flips and resampling commute exactly, so the pixels are resampled as
    // decoded and the small result is turned: the camera's orientation first, then the
    // effect's turn. Before them the target's sides are swapped back as they swap them.
    const QuarterTransform turning = mSource->upright.thenCounterClockwise(turns);
    const PixelSize decoded = turning.size(target);
    int shrink = 1;
    const PixelSize cropped = mSource->upright.size(croppedPixelSize());
    if (options.shrinkOnLoad && mSource->jpeg && !mSource->pixels && cropFallsOnDecodeBlocks()) {
        // The loader's own 1/2, 1/4, 1/8 decoding, as long as it leaves at least twice the
        // final size: the decoder's block-wise shrinking is coarser than the resampling,
        // and with less room its error shows (over 1 % RMSE on detailed photos, twice that
        // after a strong contrast).
        while (shrink < 8 && cropped.width / (shrink * 2) >= 2 * decoded.width &&
               cropped.height / (shrink * 2) >= 2 * decoded.height) {
            shrink *= 2;
        }
    }
    // Enlarging samples its input out of row order, which a sequential decode cannot give.
    const bool sequential = decoded.width <= cropped.width && decoded.height <= cropped.height;
    VImage image = cropOnGrid(load(shrink, sequential));
    // Colour commutes with crop exactly, and with resampling only while no component clips:
    // then it goes wherever there are fewer pixels to compute.
    const bool colourAfterResampling =
        mColour && !mColour->canClip() &&
        double(decoded.width) * decoded.height < double(image.width()) * image.height();
    if (mColour && !colourAfterResampling) {
        image = applyColourAdjustment(image, *mColour);
    }
    image = resampleTo(image, decoded.width, decoded.height);
    if (mColour && colourAfterResampling) {
        image = applyColourAdjustment(image, *mColour);
    }
    if (turning.isIdentity()) {
        return keepPart(image, options.part);
    }
    // Only what the wanted part of the turned picture comes from is turned.
    if (options.part) {
        const PixelRect r = turning.rectBefore(clippedPart(*options.part, target), target);
        image = image.extract_area(r.left, r.top, r.width, r.height);
    }
    // A turn reads its input in columns, which a sequentially decoded file cannot give: the
    // small resampled result is made in memory first. Pixels already in memory are turned
    // as they are asked for.
    return turning.apply(mSource->pixels ? image : image.copy_memory());
}

} // namespace vantrel
