#include "core/imaging/PixelResampling.h"

#include "core/imaging/LanczosReduction.h"
#include "core/imaging/PixelGeometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

using vips::VImage;

namespace vantrel {

namespace {

double maxAlpha(const VImage& image) {
    return image.format() == VIPS_FORMAT_USHORT ? 65535.0 : 255.0;
}

} // namespace

VImage resampleTo(const VImage& image, int width, int height) {
    if (image.width() == width && image.height() == height) {
        return image;
    }
    const VipsBandFormat format = image.format();
    const VipsInterpretation space = image.interpretation();
    const bool alpha = image.has_alpha();
    VImage work =
        alpha ? image.premultiply(VImage::option()->set("max_alpha", maxAlpha(image))) : image;
    const double scaleX = double(width) / image.width();
    const double scaleY = double(height) / image.height();
    if (scaleX < 1.0 || scaleY < 1.0) {
        // libvips' reduction is centred; an axis at scale 1 is left alone.
        const int shrunkWidth = scaleX < 1.0 ? width : image.width();
        const int shrunkHeight = scaleY < 1.0 ? height : image.height();
        if (auto reduced = reduceEightBit(work, shrunkWidth, shrunkHeight)) {
            work = *reduced;
        } else {
            work = work.resize(std::min(scaleX, 1.0), VImage::option()
                                                          ->set("vscale", std::min(scaleY, 1.0))
                                                          ->set("kernel", VIPS_KERNEL_LANCZOS3));
        }
        if (work.width() != shrunkWidth || work.height() != shrunkHeight) {
            // libvips rounds its own output size; ours follows the rule of PixelGeometry.h.
            work = work.embed(0, 0, shrunkWidth, shrunkHeight,
                              VImage::option()->set("extend", VIPS_EXTEND_COPY));
        }
    }
    if (scaleX > 1.0 || scaleY > 1.0) {
        // libvips' own enlargement samples half an output pixel off centre; an affine map
        // with the input offset (1 - 1 / factor) / 2 samples each output pixel's centre.
        const double upX = double(width) / work.width();
        const double upY = double(height) / work.height();
        work = work.affine({upX, 0.0, 0.0, upY},
                           VImage::option()
                               ->set("interpolate", vips::VInterpolate::new_from_name("bicubic"))
                               ->set("idx", 0.5 - 0.5 / upX)
                               ->set("idy", 0.5 - 0.5 / upY)
                               ->set("oarea", std::vector<int>{0, 0, width, height})
                               ->set("extend", VIPS_EXTEND_COPY));
    }
    if (alpha) {
        work = work.unpremultiply(VImage::option()->set("max_alpha", maxAlpha(image)));
    }
    if (work.format() != format) {
        // Lanczos overshoots; the cast clamps back into the photo's range.
        work = work.cast(format);
    }
    return work.copy(VImage::option()->set("interpretation", space));
}

VImage rotateByAngle(const VImage& image, double degrees) {
    const double radians = degrees * std::numbers::pi / 180.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    // Counter-clockwise on screen with y pointing down: x' = c x + s y, y' = -s x + c y.
    const std::array<double, 4> m{c, s, -s, c};
    const double w = image.width();
    const double h = image.height();
    double minX = 0;
    double minY = 0;
    for (const auto& [x, y] : {std::pair{w, 0.0}, std::pair{0.0, h}, std::pair{w, h}}) {
        minX = std::min(minX, m[0] * x + m[1] * y);
        minY = std::min(minY, m[2] * x + m[3] * y);
    }
    const ExactSize bounds = rotatedBounds({w, h}, degrees);
    const int outWidth = pixelCount(bounds.width);
    const int outHeight = pixelCount(bounds.height);

    const VipsBandFormat format = image.format();
    const VipsInterpretation space = image.interpretation();
    const double alphaMax = maxAlpha(image);
    VImage work = image.has_alpha() ? image : image.bandjoin_const({alphaMax});
    work = work.premultiply(VImage::option()->set("max_alpha", alphaMax));
    work = work.affine({m[0], m[1], m[2], m[3]},
                       VImage::option()
                           ->set("interpolate", vips::VInterpolate::new_from_name("bicubic"))
                           ->set("oarea", std::vector<int>{0, 0, outWidth, outHeight})
                           ->set("odx", -minX)
                           ->set("ody", -minY)
                           ->set("background", std::vector<double>{0.0}));
    work = work.unpremultiply(VImage::option()->set("max_alpha", alphaMax)).cast(format);
    return work.copy(VImage::option()->set("interpretation", space));
}

} // namespace vantrel
