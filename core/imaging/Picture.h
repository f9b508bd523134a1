#pragma once

#include "core/imaging/PixelGeometry.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vantrel {

class WorkingImage;

// Rendered pixels for display: 8-bit sRGB, 3 bands (RGB) or 4 (RGBA, not premultiplied),
// rows top to bottom, no padding.
struct Bitmap {
    int width = 0;
    int height = 0;
    int bands = 0;
    std::vector<unsigned char> pixels;
};

// A photo ready to be shown. It keeps its own reference to the working image it was made
// from, so later steps on the photo do not change it, and it computes pixels only when
// rendered, at the zoom the viewer draws at. An empty picture stands for a photo that
// cannot be decoded.
class Picture {
public:
    Picture() = default;
    explicit Picture(std::shared_ptr<const WorkingImage> image);

    bool isNull() const { return !mImage; }
    // The size in pixels at zoom 1 (0 x 0 for an empty picture).
    int pixelWidth() const;
    int pixelHeight() const;

    // Renders at the zoom (1 = full size, 0.25 = a quarter). A photo that turns out to be
    // undecodable only now (truncated, replaced on disk) gives nothing and says why.
    std::optional<Bitmap> render(double zoom, QString* error = nullptr) const;
    // Renders only `part` of the picture at the zoom (in pixels of the zoomed picture,
    // clipped to it): what is outside is never computed. `wanted` is asked while the pixels
    // are computed; once it says no, the work stops and nothing is returned.
    std::optional<Bitmap> renderPart(double zoom, const std::optional<PixelRect>& part,
                                     const std::function<bool()>& wanted,
                                     QString* error = nullptr) const;

    const std::shared_ptr<const WorkingImage>& workingImage() const { return mImage; }

private:
    std::shared_ptr<const WorkingImage> mImage;
};

} // namespace vantrel
