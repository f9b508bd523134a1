// Single-photo latencies of the effect pipeline on a real-sized photo.
//
//   vantrel_pipeline_bench PHOTO.jpg [--benchmark_repetitions=7 ...]
//
// Job T: brightness +0.1, contrast 1.1, saturation 1.2, 5 % crop each side, rotation 90,
// maximum 2048 x 2048, encoded as JPEG quality 85 into memory.

#include "bench/JobT.h"
#include "core/imaging/Effects.h"
#include "core/imaging/Image.h"
#include "core/imaging/ImagingRuntime.h"
#include "core/imaging/PreviewSource.h"
#include "core/imaging/WorkingImage.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <string>

using namespace vantrel;
using vantrel::bench::setJobT;
using vips::VImage;

namespace {

std::string photoPath;

size_t encodeJpeg(const VImage& image) {
    void* buffer = nullptr;
    size_t size = 0;
    image.write_to_buffer(".jpg", &buffer, &size,
                          VImage::option()->set("Q", 85)->set("strip", true));
    g_free(buffer);
    return size;
}

void BM_BuildPipeline(benchmark::State& state) {
    setJobT(2048);
    Image image(photoPath);
    for (auto _ : state) {
        image.applyEffectsForPreview(false);
        benchmark::DoNotOptimize(image.workingImage());
    }
}

void jobT(benchmark::State& state, RenderOptions options) {
    setJobT(2048);
    Image image(photoPath);
    for (auto _ : state) {
        image.applyEffectsForPreview(false);
        benchmark::DoNotOptimize(encodeJpeg(image.workingImage()->render(options)));
    }
}

void BM_JobT_Fast(benchmark::State& state) {
    jobT(state, {});
}
void BM_JobT_ReorderedFullDecode(benchmark::State& state) {
    jobT(state, {1.0, true, false});
}
void BM_JobT_StrictOrder(benchmark::State& state) {
    jobT(state, {1.0, false, false});
}

// What the preview shows of the photo with job T's effects (no maximum) fitted into
// 1280 x 800, decode included.
void BM_Preview1280x800(benchmark::State& state) {
    setJobT(0);
    Image image(photoPath);
    for (auto _ : state) {
        const Picture picture = image.imageWithEffects();
        const double zoom = std::min(1280.0 / picture.pixelWidth(), 800.0 / picture.pixelHeight());
        auto bitmap = picture.render(zoom);
        benchmark::DoNotOptimize(bitmap);
    }
}

// The preview in a 1280 x 800 view at Fit Screen: the first picture after selecting the
// photo (its copy decoded for the zoom, then job T rendered from it), and the picture after
// an effect change (job T rendered from that copy).
double fitScreenZoom(Image& image) {
    const Picture picture = image.imageWithEffects();
    return std::min(1280.0 / picture.pixelWidth(), 800.0 / picture.pixelHeight());
}

void BM_PreviewFirstPicture(benchmark::State& state) {
    setJobT(0);
    Image image(photoPath);
    const double zoom = fitScreenZoom(image);
    for (auto _ : state) {
        const auto source = PreviewSource::decode(photoPath, zoom);
        benchmark::DoNotOptimize(image.imageWithEffects(source->pixels()).render(zoom));
    }
}

void BM_PreviewEffectChange(benchmark::State& state) {
    setJobT(0);
    Image image(photoPath);
    const double zoom = fitScreenZoom(image);
    const auto source = PreviewSource::decode(photoPath, zoom);
    for (auto _ : state)
        benchmark::DoNotOptimize(image.imageWithEffects(source->pixels()).render(zoom));
}

BENCHMARK(BM_BuildPipeline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JobT_Fast)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JobT_ReorderedFullDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JobT_StrictOrder)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Preview1280x800)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PreviewFirstPicture)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PreviewEffectChange)->Unit(benchmark::kMillisecond)->UseRealTime();

// How far the fast paths are from the strict order, printed once before the timings.
void reportFidelity() {
    setJobT(2048);
    Image image(photoPath);
    image.applyEffectsForPreview(false);
    const auto working = image.workingImage();
    const VImage strict = working->render({1.0, false, false}).copy_memory();
    const auto rmse = [&](const VImage& other) {
        const VImage d = strict.cast(VIPS_FORMAT_FLOAT) - other.cast(VIPS_FORMAT_FLOAT);
        return std::sqrt((d * d).avg()) / 255.0;
    };
    const double reordered = rmse(working->render({1.0, true, false}));
    const double shrunk = rmse(working->render({}));
    std::printf("job T %dx%d: reordered vs strict RMSE %.3f %%; shrink-on-load vs strict RMSE "
                "%.3f %%, PSNR %.1f dB\n",
                strict.width(), strict.height(), reordered * 100, shrunk * 100,
                -20.0 * std::log10(shrunk));
}

} // namespace

int main(int argc, char** argv) {
    initImaging(argv[0]);
    benchmark::Initialize(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PHOTO.jpg [benchmark options]\n", argv[0]);
        return 2;
    }
    photoPath = argv[1];
    reportFidelity();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
