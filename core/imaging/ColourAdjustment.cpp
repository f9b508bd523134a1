#include "core/imaging/ColourAdjustment.h"

#include "core/imaging/EightBitColourMap.h"

#include <cmath>
#include <vips/vips8>

using vips::VImage;

namespace vantrel {

namespace {

constexpr std::array<double, 3> kLumaWeights{0.2126, 0.7152, 0.0722};

bool isAdjustableFormat(VipsBandFormat format) {
    return format == VIPS_FORMAT_UCHAR || format == VIPS_FORMAT_USHORT;
}

// Brings a photo into a space where the map means what it says: 8- or 16-bit RGB or grey.
VImage toAdjustableSpace(const VImage& in) {
    const VipsInterpretation space = in.interpretation();
    const bool deep = in.format() == VIPS_FORMAT_USHORT;
    if (space == VIPS_INTERPRETATION_CMYK) {
        // The photo's own profile when it has one, a generic CMYK profile otherwise.
        return in.icc_transform("srgb", VImage::option()
                                            ->set("embedded", true)
                                            ->set("input_profile", "cmyk")
                                            ->set("depth", deep ? 16 : 8));
    }
    const bool knownSpace =
        space == VIPS_INTERPRETATION_sRGB || space == VIPS_INTERPRETATION_RGB ||
        space == VIPS_INTERPRETATION_RGB16 || space == VIPS_INTERPRETATION_B_W ||
        space == VIPS_INTERPRETATION_GREY16 || space == VIPS_INTERPRETATION_MULTIBAND;
    if (knownSpace && isAdjustableFormat(in.format())) {
        return in;
    }
    VImage srgb = in.colourspace(deep ? VIPS_INTERPRETATION_RGB16 : VIPS_INTERPRETATION_sRGB);
    return isAdjustableFormat(srgb.format()) ? srgb : srgb.cast(VIPS_FORMAT_UCHAR);
}

} // namespace

bool ColourAdjustment::isFinite() const {
    return std::isfinite(brightness) && std::isfinite(contrast) && std::isfinite(saturation);
}

bool ColourAdjustment::canClip() const {
    // An affine map takes its extremes over the colour cube at the cube's corners; grey
    // photos use the cube's diagonal, which the corners (0,0,0) and (1,1,1) bound.
    constexpr double kTolerance = 1e-9;
    const std::array<double, 9> m = matrix();
    const double b = offset();
    for (int corner = 0; corner < 8; ++corner) {
        for (int row = 0; row < 3; ++row) {
            double out = b;
            for (int col = 0; col < 3; ++col) {
                out += m[row * 3 + col] * ((corner >> col) & 1);
            }
            if (!(out >= -kTolerance && out <= 1.0 + kTolerance)) {
                return true;
            }
        }
    }
    return false;
}

std::array<double, 9> ColourAdjustment::matrix() const {
    const double s = saturation;
    const double k = contrast;
    std::array<double, 9> m{};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            m[row * 3 + col] = k * ((row == col ? s : 0.0) + (1.0 - s) * kLumaWeights[col]);
        }
    }
    return m;
}

double ColourAdjustment::offset() const {
    const double k = contrast;
    return k * static_cast<double>(brightness) + 0.5 * (1.0 - k);
}

VImage applyColourAdjustment(const VImage& image, const ColourAdjustment& adjustment) {
    if (adjustment.isNeutral()) {
        return image;
    }
    const VImage in = toAdjustableSpace(image);
    const VipsBandFormat format = in.format();
    const VipsInterpretation space = in.interpretation();
    const double fullScale = format == VIPS_FORMAT_USHORT ? 65535.0 : 255.0;
    const int alphaBands = in.has_alpha() ? 1 : 0;
    const int colourBands = in.bands() - alphaBands >= 3 ? 3 : 1;

    // Casting truncates toward zero and clamps; adding one half rounds to nearest instead.
    const double offset = adjustment.offset() * fullScale + 0.5;
    const std::array<double, 9> greyMatrix{static_cast<double>(adjustment.contrast)};
    if (auto mapped = mapEightBitColour(
            in, colourBands, colourBands == 3 ? adjustment.matrix() : greyMatrix, offset)) {
        return mapped->copy(VImage::option()->set("interpretation", space));
    }
    const VImage colour = in.extract_band(0, VImage::option()->set("n", colourBands));
    VImage adjusted;
    if (colourBands == 3) {
        std::array<double, 9> m = adjustment.matrix();
        adjusted = colour.recomb(VImage::new_matrix(3, 3, m.data(), static_cast<int>(m.size())))
                       .linear({1.0}, {offset});
    } else {
        adjusted = colour.linear({static_cast<double>(adjustment.contrast)}, {offset});
    }
    adjusted = adjusted.cast(format);
    if (in.bands() > colourBands) {
        const VImage rest =
            in.extract_band(colourBands, VImage::option()->set("n", in.bands() - colourBands));
        adjusted = adjusted.bandjoin(rest);
    }
    return adjusted.copy(VImage::option()->set("interpretation", space));
}

} // namespace vantrel
