// How far the fast render of job T is from the strict step order, photo by photo.
//
//   vantrel_fidelity PHOTO...
//
// Prints, per photo and in all, the RMSE of the reordered render (colour after resampling,
// quarter turn last) against the strict order, both at full decode, and the PSNR of the
// shrink-on-load render against the strict order. Then, for job T without a maximum, how far
// the preview (its decoded copy, then the effects) is from the export resampled to the
// preview's size, at zooms from below Fit Screen to Actual Pixels.

#include "bench/JobT.h"
#include "core/imaging/Image.h"
#include "core/imaging/ImagingRuntime.h"
#include "core/imaging/PixelResampling.h"
#include "core/imaging/PreviewSource.h"
#include "core/imaging/WorkingImage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace vantrel;
using vips::VImage;

namespace {

double rmse(const VImage& a, const VImage& b) {
    const VImage d = a.cast(VIPS_FORMAT_FLOAT) - b.cast(VIPS_FORMAT_FLOAT);
    return std::sqrt((d * d).avg()) / 255.0;
}

} // namespace

int main(int argc, char** argv) {
    initImaging(argv[0]);
    bench::setJobT(2048.0f);
    double worstReordered = 0;
    double worstShrunk = 0;
    double sumReordered = 0;
    double sumShrunk = 0;
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        Image image(argv[i]);
        image.applyEffectsForPreview(false);
        const auto working = image.workingImage();
        if (!working) {
            std::printf("%s: cannot be read\n", argv[i]);
            continue;
        }
        const VImage strict = working->render({1.0, false, false}).copy_memory();
        const double reordered = rmse(strict, working->render({1.0, true, false}));
        const double shrunk = rmse(strict, working->render({}));
        std::printf("%s: reordered RMSE %.3f %%, shrink-on-load PSNR %.1f dB\n", argv[i],
                    reordered * 100, -20 * std::log10(shrunk));
        worstReordered = std::max(worstReordered, reordered);
        worstShrunk = std::max(worstShrunk, shrunk);
        sumReordered += reordered;
        sumShrunk += shrunk;
        ++count;
    }
    if (count > 0) {
        std::printf("%d photos: reordered RMSE mean %.3f %%, worst %.3f %%; shrink-on-load PSNR "
                    "mean %.1f dB, worst %.1f dB\n",
                    count, 100 * sumReordered / count, 100 * worstReordered,
                    -20 * std::log10(sumShrunk / count), -20 * std::log10(worstShrunk));
    }
    bench::setJobT(0.0f);
    for (int i = 1; i < argc; ++i) {
        Image image(argv[i]);
        image.applyEffectsForPreview(false);
        if (!image.workingImage())
            continue;
        const VImage exported = image.workingImage()->pixels().copy_memory();
        std::printf("%s: preview against export RMSE", argv[i]);
        for (double zoom : {0.1, 0.15, 0.25, 0.37, 0.5, 1.0}) {
            const auto source = PreviewSource::decode(argv[i], zoom);
            if (!source)
                break;
            const VImage preview =
                image.imageWithEffects(source->pixels()).workingImage()->render({zoom});
            const VImage expected = resampleTo(exported, preview.width(), preview.height());
            std::printf("  %.2f: %.3f %%", zoom, 100 * rmse(expected, preview));
        }
        std::printf("\n");
    }
    return count > 0 ? 0 : 1;
}
