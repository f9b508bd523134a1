#!/usr/bin/env bash
# Memory and file handles over a long batch: N hard links of a few photos, exported with
# job R while the number of open files is capped, for two sizes of batch.
#
#   bench/many-photos.sh [SMALL] [LARGE]      (defaults 1000 and 10000)
#
# Prints wall time and peak memory for each size: the peak must not grow with the batch,
# and the cap (ulimit -n 256) would make a run that leaks file handles fail.
set -euo pipefail
small=${1:-1000}
large=${2:-10000}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=$root/build-bench
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target vantrel-batch >/dev/null
work=$(mktemp -d /tmp/vantrel-many.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/seed" "$work/photos" "$work/out"
for i in 1 2 3 4; do
    vips black "$work/seed/b$i.v" 1600 1200 --bands 3
    vips linear "$work/seed/b$i.v" "$work/seed/photo$i.jpg[Q=90]" 1 $((i * 50))
done
echo "photos  wall_s  peak_rss_MB  written"
for n in "$small" "$large"; do
    rm -rf "${work:?}/photos" && mkdir "$work/photos"
    for ((i = 0; i < n; i++)); do
        ln "$work/seed/photo$((i % 4 + 1)).jpg" "$work/photos/p$i.jpg"
    done
    (
        ulimit -n 256
        /usr/bin/time -f '%e %M' -o "$work/time" "$build/cli/vantrel-batch" --max-size 1024,1024 \
            --type jpg --quality 85 --jobs 2 --dest "$work/out" --folder "run$n" "$work/photos" \
            >/dev/null 2>"$work/log"
    ) || { tail -5 "$work/log"; exit 1; }
    read -r wall kb < "$work/time"
    written=$(find "$work/out/run$n" -type f | wc -l)
    awk -v n="$n" -v w="$wall" -v kb="$kb" -v c="$written" \
        'BEGIN { printf "%6d %7.1f %12.0f %8d\n", n, w, kb / 1024, c }'
    rm -rf "${work:?}/out/run$n"
done
