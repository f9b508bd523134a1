#include "core/imaging/LanczosReduction.h"

#include "core/imaging/PixelLoop.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>
#include <vips/vips8>

using vips::VImage;

namespace vantrel {

namespace {

// Which input samples make one output sample, and how much each weighs.
struct Taps {
    int count = 0;              // taps per output sample (the same for all)
    std::vector<int> first;     // first input index of each output sample
    std::vector<float> weights; // count weights per output sample
};

double lanczos3(double x) {
    if (x == 0.0) {
        return 1.0;
    }
    if (std::abs(x) >= 3.0) {
        return 0.0;
    }
    const double px = std::numbers::pi * x;
    return 3.0 * std::sin(px) * std::sin(px / 3.0) / (px * px);
}

// Output sample o is centred on input position (o + 0.5) * factor - 0.5 and the kernel is
// stretched by the factor. Taps that fall off the input are folded onto its edge sample,
// which is the same as extending the edge; every window then lies inside the input.
Taps makeTaps(int inSize, int outSize) {
    const double factor = double(inSize) / outSize;
    const double support = 3.0 * factor;
    Taps taps;
    const int window = static_cast<int>(std::ceil(2.0 * support)) + 1;
    taps.count = std::min(inSize, window);
    taps.first.resize(outSize);
    taps.weights.assign(size_t(outSize) * taps.count, 0.0f);
    std::vector<double> w(taps.count);
    for (int o = 0; o < outSize; ++o) {
        const double centre = (o + 0.5) * factor - 0.5;
        const int start = static_cast<int>(std::floor(centre - support)) + 1;
        const int first = std::clamp(start, 0, inSize - taps.count);
        std::fill(w.begin(), w.end(), 0.0);
        double sum = 0.0;
        for (int i = start; i < start + window; ++i) {
            const double weight = lanczos3((i - centre) / factor);
            const int at = std::clamp(i, 0, inSize - 1) - first;
            if (at >= 0 && at < taps.count) {
                w[at] += weight;
                sum += weight;
            }
        }
        taps.first[o] = first;
        for (int k = 0; k < taps.count; ++k) {
            taps.weights[size_t(o) * taps.count + k] = static_cast<float>(w[k] / sum);
        }
    }
    return taps;
}

inline VipsPel toLevel(float value) {
    return static_cast<VipsPel>(std::clamp(value + 0.5f, 0.0f, 255.0f));
}

struct Sequence {
    VipsRegion* in = nullptr;
    std::vector<float> sums;
};

void* startSequence(VipsImage*, void* input, void*) {
    auto* sequence = new Sequence;
    sequence->in = vips_region_new(static_cast<VipsImage*>(input));
    return sequence;
}

int stopSequence(void* sequence, void*, void*) {
    auto* s = static_cast<Sequence*>(sequence);
    g_object_unref(s->in);
    delete s;
    return 0;
}

// Rows: every output row is a weighted sum of whole input rows, which the compiler turns
// into wide vector arithmetic.
PIXEL_LOOP int reduceRows(VipsRegion* out, void* sequence, void*, void* data, gboolean*) {
    auto& s = *static_cast<Sequence*>(sequence);
    const Taps& taps = *static_cast<const Taps*>(data);
    const VipsRect& r = out->valid;
    const int firstRow = taps.first[r.top];
    VipsRect need{r.left, firstRow, r.width,
                  taps.first[r.top + r.height - 1] + taps.count - firstRow};
    if (vips_region_prepare(s.in, &need) != 0) {
        return -1;
    }
    const size_t n = size_t(r.width) * out->im->Bands;
    s.sums.resize(n);
    float* sums = s.sums.data();
    for (int y = 0; y < r.height; ++y) {
        const int o = r.top + y;
        const float* weights = &taps.weights[size_t(o) * taps.count];
        std::fill(sums, sums + n, 0.0f);
        for (int k = 0; k < taps.count; ++k) {
            const VipsPel* p = VIPS_REGION_ADDR(s.in, r.left, taps.first[o] + k);
            const float w = weights[k];
            for (size_t i = 0; i < n; ++i) {
                sums[i] += w * p[i];
            }
        }
        VipsPel* q = VIPS_REGION_ADDR(out, r.left, o);
        for (size_t i = 0; i < n; ++i) {
            q[i] = toLevel(sums[i]);
        }
    }
    return 0;
}

// Columns: each output pixel is a weighted sum of neighbouring input pixels in its row.
// The band count is a constant here so that the band loops unroll.
template <int Bands>
PIXEL_LOOP void reduceRow(const Taps& taps, int left, int width, int rowStart, const VipsPel* row,
                          VipsPel* q) {
    for (int x = 0; x < width; ++x, q += Bands) {
        const int o = left + x;
        const float* weights = &taps.weights[size_t(o) * taps.count];
        const VipsPel* p = row + size_t(taps.first[o] - rowStart) * Bands;
        float sums[Bands] = {};
        for (int k = 0; k < taps.count; ++k, p += Bands) {
            for (int b = 0; b < Bands; ++b) {
                sums[b] += weights[k] * p[b];
            }
        }
        for (int b = 0; b < Bands; ++b) {
            q[b] = toLevel(sums[b]);
        }
    }
}

int reduceColumns(VipsRegion* out, void* sequence, void*, void* data, gboolean*) {
    auto& s = *static_cast<Sequence*>(sequence);
    const Taps& taps = *static_cast<const Taps*>(data);
    const VipsRect& r = out->valid;
    const int firstColumn = taps.first[r.left];
    VipsRect need{firstColumn, r.top, taps.first[r.left + r.width - 1] + taps.count - firstColumn,
                  r.height};
    if (vips_region_prepare(s.in, &need) != 0) {
        return -1;
    }
    static constexpr void (*kReduceRow[])(const Taps&, int, int, int, const VipsPel*, VipsPel*) = {
        reduceRow<1>, reduceRow<2>, reduceRow<3>, reduceRow<4>};
    const auto reduce = kReduceRow[out->im->Bands - 1];
    for (int y = 0; y < r.height; ++y) {
        reduce(taps, r.left, r.width, firstColumn, VIPS_REGION_ADDR(s.in, firstColumn, r.top + y),
               VIPS_REGION_ADDR(out, r.left, r.top + y));
    }
    return 0;
}

VImage reduceAxis(const VImage& image, int width, int height, bool rows) {
    const int inSize = rows ? image.height() : image.width();
    const int outSize = rows ? height : width;
    auto taps = std::make_unique<Taps>(makeTaps(inSize, outSize));
    VipsImage* in = image.get_image();
    VipsImage* out = vips_image_new();
    if (vips_image_pipelinev(out, VIPS_DEMAND_STYLE_FATSTRIP, in, nullptr) != 0) {
        g_object_unref(out);
        throw vips::VError();
    }
    out->Xsize = width;
    out->Ysize = height;
    // The output keeps its input and its taps for as long as it lives.
    g_object_ref(in);
    Taps* data = taps.release();
    g_signal_connect(out, "close",
                     G_CALLBACK(+[](VipsImage*, gpointer d) { delete static_cast<Taps*>(d); }),
                     data);
    g_signal_connect(out, "close", G_CALLBACK(+[](VipsImage*, gpointer i) {
                         g_object_unref(static_cast<VipsImage*>(i));
                     }),
                     in);
    if (vips_image_generate(out, startSequence, rows ? reduceRows : reduceColumns, stopSequence, in,
                            data) != 0) {
        g_object_unref(out);
        throw vips::VError();
    }
    return VImage(out);
}

} // namespace

std::optional<VImage> reduceEightBit(const VImage& image, int width, int height) {
    if (image.format() != VIPS_FORMAT_UCHAR || image.bands() > 4 || width < 1 || height < 1 ||
        width > image.width() || height > image.height()) {
        return std::nullopt;
    }
    VImage work = image;
    if (height < work.height()) {
        work = reduceAxis(work, work.width(), height, true);
        if (vips_image_get_typeof(image.get_image(), VIPS_META_SEQUENTIAL) != 0) {
            // Output strips made out of order by different threads would otherwise ask a
            // sequential decoder for rows it has already passed: the shrunk rows are kept
            // in order instead, as libvips' own vertical shrinking does.
            work = work.sequential(VImage::option()->set("tile_height", 10));
        }
    }
    if (width < work.width()) {
        work = reduceAxis(work, width, height, false);
    }
    return work;
}

} // namespace vantrel
