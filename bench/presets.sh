#!/usr/bin/env bash
# Loading 200 presets: the core's listing of the folder (Google Benchmark, in process) and
# `vantrel-batch --list-presets` as a whole process, start-up included.
#
#   bench/presets.sh            (BUILD=build bench/presets.sh uses that build folder)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
if [ -n "${BUILD:-}" ]; then
    build=$BUILD
    cmake -S "$root" -B "$build" -DVANTREL_BUILD_BENCH=ON >/dev/null
else
    build=$root/build-bench
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_BENCH=ON >/dev/null
fi
cmake --build "$build" --target vantrel_preset_bench vantrel-batch >/dev/null
"$build/bench/vantrel_preset_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

config=$(mktemp -d /tmp/vantrel-presets.XXXXXX)
trap 'rm -rf "$config"' EXIT
for i in $(seq 1 200); do
    XDG_CONFIG_HOME=$config "$build/cli/vantrel-batch" --brightness 0.$((i % 10)) \
        --max-size $((1000 + i)),800 --name "Shoot $i" --quality $((i % 101)) \
        --save-preset "Web $i" 2>/dev/null
done
echo "vantrel-batch --list-presets over $(ls "$config/Vantrel/presets" | wc -l) presets, 10 runs (ms):"
for run in $(seq 1 10); do
    start=$(date +%s%N)
    XDG_CONFIG_HOME=$config "$build/cli/vantrel-batch" --list-presets >/dev/null
    echo $(( ($(date +%s%N) - start) / 1000000 ))
done | sort -n | tr '\n' ' '
echo
