#!/usr/bin/env bash
# Single-photo latency of Vantrel's pipeline beside the peers, in one session so that the
# figures compare on a noisy machine.
#
#   bench/latency.sh PHOTO.jpg [RUNS]
#
# Make a photo with ../shared/bench/make-corpus.sh first (24 MP camera-like JPEGs), e.g.
#   ../shared/bench/make-corpus.sh /tmp/corpus 8 && bench/latency.sh /tmp/corpus/IMG_0001.jpg
# Prints the peers' table (ImageMagick, libvips CLI and in-process reference), then
# Vantrel's: pipeline build time, job T rendered and encoded to memory (fast, reordered at
# full decode, strict order), the 1280 x 800 preview, and the fidelity of the fast paths.
set -euo pipefail
[[ $# -ge 1 ]] || { sed -n '2,12p' "$0"; exit 2; }
photo=$(readlink -f "$1")
runs=${2:-7}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
peers=${VANTREL_PEERS_BENCH:-$root/../shared/bench/latency.sh}

cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build-bench" --target vantrel_pipeline_bench >/dev/null

if [[ -x $peers || -f $peers ]]; then
    echo "## peers"
    bash "$peers" "$photo" "$runs"
fi
echo "## vantrel"
"$root/build-bench/bench/vantrel_pipeline_bench" "$photo" \
    --benchmark_repetitions="$runs" --benchmark_report_aggregates_only=true \
    --benchmark_filter='.*' 2>&1 | grep -E '^job T|_median'
