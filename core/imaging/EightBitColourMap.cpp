#include "core/imaging/EightBitColourMap.h"

#include "core/imaging/PixelLoop.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <vips/vips8>

using vips::VImage;

namespace vantrel {

namespace {

// Levels carry 12 fraction bits: a rounding difference from the floating-point map is
// then rarer than one pixel in a thousand and never more than one level.
constexpr int kFractionBits = 12;
constexpr double kOne = 1 << kFractionBits;

struct ColourTables {
    int colourBands = 3;
    int bands = 3;
    int32_t offset[3]{};
    int32_t term[3][3][256]{}; // term[out][in][level] = matrix[out][in] * level, fixed point
};

inline uint8_t toLevel(int32_t fixed) {
    const int32_t level = fixed >> kFractionBits; // arithmetic shift: floor
    return static_cast<uint8_t>(level < 0 ? 0 : level > 255 ? 255 : level);
}

PIXEL_LOOP int generate(VipsRegion* out, void* sequence, void*, void* data, gboolean*) {
    auto* in = static_cast<VipsRegion*>(sequence);
    const auto& t = *static_cast<const ColourTables*>(data);
    const VipsRect& r = out->valid;
    if (vips_region_prepare(in, &r) != 0) {
        return -1;
    }
    const int bands = t.bands;
    for (int y = 0; y < r.height; ++y) {
        const VipsPel* p = VIPS_REGION_ADDR(in, r.left, r.top + y);
        VipsPel* q = VIPS_REGION_ADDR(out, r.left, r.top + y);
        if (t.colourBands == 3) {
            for (int x = 0; x < r.width; ++x, p += bands, q += bands) {
                const uint8_t c0 = p[0], c1 = p[1], c2 = p[2];
                for (int o = 0; o < 3; ++o) {
                    q[o] = toLevel(t.offset[o] + t.term[o][0][c0] + t.term[o][1][c1] +
                                   t.term[o][2][c2]);
                }
                for (int b = 3; b < bands; ++b) {
                    q[b] = p[b];
                }
            }
        } else {
            for (int x = 0; x < r.width; ++x, p += bands, q += bands) {
                q[0] = toLevel(t.offset[0] + t.term[0][0][p[0]]);
                for (int b = 1; b < bands; ++b) {
                    q[b] = p[b];
                }
            }
        }
    }
    return 0;
}

} // namespace

std::optional<VImage> mapEightBitColour(const VImage& image, int colourBands,
                                        const std::array<double, 9>& matrix, double offsetLevels) {
    if (image.format() != VIPS_FORMAT_UCHAR || image.bands() < colourBands ||
        (colourBands != 1 && colourBands != 3)) {
        return std::nullopt;
    }
    // The sum of three terms and the offset must stay well inside 32 bits.
    double largest = std::abs(offsetLevels) + 1.0;
    for (int o = 0; o < colourBands; ++o) {
        for (int i = 0; i < colourBands; ++i) {
            largest += std::abs(matrix[o * 3 + i]) * 255.0;
        }
    }
    if (!std::isfinite(largest) || largest * kOne > double(1 << 30)) {
        return std::nullopt;
    }
    auto tables = std::make_unique<ColourTables>();
    tables->colourBands = colourBands;
    tables->bands = image.bands();
    for (int o = 0; o < colourBands; ++o) {
        tables->offset[o] = static_cast<int32_t>(std::lround(offsetLevels * kOne));
        for (int i = 0; i < colourBands; ++i) {
            for (int level = 0; level < 256; ++level) {
                tables->term[o][i][level] =
                    static_cast<int32_t>(std::lround(matrix[o * 3 + i] * level * kOne));
            }
        }
    }

    VipsImage* in = image.get_image();
    VipsImage* out = vips_image_new();
    if (vips_image_pipelinev(out, VIPS_DEMAND_STYLE_THINSTRIP, in, nullptr) != 0) {
        g_object_unref(out);
        throw vips::VError();
    }
    // The output keeps its input and its tables for as long as it lives.
    g_object_ref(in);
    ColourTables* data = tables.release();
    g_signal_connect(
        out, "close",
        G_CALLBACK(+[](VipsImage*, gpointer d) { delete static_cast<ColourTables*>(d); }), data);
    g_signal_connect(out, "close", G_CALLBACK(+[](VipsImage*, gpointer i) {
                         g_object_unref(static_cast<VipsImage*>(i));
                     }),
                     in);
    if (vips_image_generate(out, vips_start_one, generate, vips_stop_one, in, data) != 0) {
        g_object_unref(out);
        throw vips::VError();
    }
    return VImage(out);
}

} // namespace vantrel
