#!/usr/bin/env bash
# The thumbnail browser over a large batch: N hard links of a few camera-sized photos are
# imported as the window imports them, then the grid is scrolled from top to bottom, one
# repainted step at a time, while thumbnails are made in the background.
#
#   bench/browser-scroll.sh [N] [extra options of vantrel_browser_scroll]   (default 10000)
#
# Prints the import time, frame times (median, 95th percentile, worst, frames over one
# 60 Hz frame), the thumbnail cache and peak memory. Runs under xvfb-run when it is
# installed, otherwise on Qt's offscreen platform.
set -euo pipefail
count=${1:-10000}
shift || true
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${VANTREL_BENCH_BUILD:-$root/build-bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target vantrel_browser_scroll >/dev/null
work=$(mktemp -d /tmp/vantrel-browser.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/seed" "$work/photos"
# 12-megapixel photos with grain, so that decoding costs what a camera file costs.
vips gaussnoise "$work/seed/grain.v" 4000 3000 --mean 0 --sigma 14
for i in 1 2 3 4; do
    vips black "$work/seed/b$i.v" 4000 3000 --bands 3
    vips linear "$work/seed/b$i.v" "$work/seed/c$i.v" 1 $((i * 50))
    vips add "$work/seed/c$i.v" "$work/seed/grain.v" "$work/seed/d$i.v"
    vips cast "$work/seed/d$i.v" "$work/seed/e$i.v" uchar
    vips copy "$work/seed/e$i.v" "$work/seed/photo$i.jpg[Q=90]"
    rm "$work/seed/"[bcde]$i.v
done
for ((i = 0; i < count; i++)); do
    ln "$work/seed/photo$((i % 4 + 1)).jpg" "$work/photos/p$i.jpg"
done
bench=$build/bench/vantrel_browser_scroll
if command -v xvfb-run >/dev/null; then
    xvfb-run -a -s "-screen 0 1600x1000x24" "$bench" "$work/photos" "$@"
else
    QT_QPA_PLATFORM=offscreen "$bench" "$work/photos" "$@"
fi
