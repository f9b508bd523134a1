// Loading the presets folder as the window fills its pop-up and vantrel-batch --list-presets
// lists it: 200 preset files of every kind of value, read, checked and sorted.

#include "core/batch/PresetFormat.h"
#include "core/batch/PresetStore.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace vantrel;

namespace {

constexpr int kPresets = 200;

std::string folderWithPresets(const QTemporaryDir& dir) {
    const std::string folder = QFile::encodeName(dir.filePath("presets")).toStdString();
    for (int i = 0; i < kPresets; ++i) {
        Preset preset;
        preset.effects.setBrightnessValue(float(i % 200 - 100) / 100.0f);
        preset.effects.setCropLeftPercentage(float(i % 50) / 100.0f);
        preset.effects.setScaleXMaximumPixels(float(1000 + i));
        preset.effects.setScaleYMaximumPixels(float(800 + i));
        preset.cropMode = i % 2 ? CropMode::Pixels : CropMode::Fractions;
        preset.output.keepOriginalName = i % 3 == 0;
        preset.output.newName = "Shoot " + std::to_string(i);
        preset.output.quality = i % 101;
        preset.destinationIncluded = i % 4 == 0;
        preset.output.destination = "/home/user/Pictures/Export " + std::to_string(i);
        savePreset(folder, QStringLiteral("Web %1 \u00e9/%2").arg(i).arg(i * 7), preset);
    }
    return folder;
}

void BM_ListPresets(benchmark::State& state) {
    const QTemporaryDir dir;
    const std::string folder = folderWithPresets(dir);
    size_t loaded = 0;
    for (auto _ : state) {
        const std::vector<PresetFile> presets = listPresets(folder);
        loaded = presets.size();
        benchmark::DoNotOptimize(presets.data());
    }
    state.counters["presets"] = static_cast<double>(loaded);
}
BENCHMARK(BM_ListPresets)->Unit(benchmark::kMillisecond);

void BM_ReadAndWriteOnePreset(benchmark::State& state) {
    Preset preset;
    preset.output.newName = "Web 2048";
    const std::string text = writePreset(preset);
    for (auto _ : state) {
        const PresetReading reading = readPreset(text);
        benchmark::DoNotOptimize(writePreset(*reading.preset));
    }
}
BENCHMARK(BM_ReadAndWriteOnePreset)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
