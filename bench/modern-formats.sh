#!/usr/bin/env bash
# Job T written as JPEG, WebP and AVIF by vantrel-batch: time, bytes and fidelity per photo,
# then the size cap on the same photos.
#
#   bench/modern-formats.sh CORPUS [ROUNDS]
#
# CORPUS is made by ../shared/bench/make-corpus.sh CORPUS 30 (24 MP camera-like JPEGs).
# Job T: brightness +0.1, contrast 1.1, saturation 1.2, crop 5 % each side, rotate 90,
# maximum 2048 x 2048, quality 85, 2 workers; wall time per photo is the median of ROUNDS
# (default 3) runs. Fidelity is the PSNR (dB) of each output against the same job written as
# PNG (the render no lossy encoder touched), averaged over the photos.
# Size cap: --max-kb 300 on the whole photos (WebP, and JPEG, which a 24 MP photo
# rarely reaches) and on job T (JPEG): how many fit, the smallest and largest file, how many
# fall more than 15 % below the cap although the asked quality (90) did not fit (a run
# without the cap tells), and how many were reported as not fitting.
# Set BUILD to use an existing build folder (default: build-bench, made here).
set -euo pipefail
[[ $# -ge 1 ]] || { sed -n '2,17p' "$0"; exit 2; }
corpus=$(readlink -f "$1")
rounds=${2:-3}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD:-$root/build-bench}
if [[ -z ${BUILD:-} ]]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" --target vantrel-batch >/dev/null
fi
batch=$build/cli/vantrel-batch

mapfile -t photos < <(find "$corpus" -maxdepth 1 -iname '*.jpg' | sort)
n=${#photos[@]}
out=$(mktemp -d /tmp/vantrel-modern.XXXXXX)
trap 'rm -rf "$out"' EXIT
jobT=(--brightness 0.1 --contrast 1.1 --saturation 1.2 --crop 0.05,0.05,0.05,0.05 --rotate 90
    --max-size 2048,2048 --quality 85 --jobs 2)

run() { # folder, arguments...: prints the wall time in seconds
    local folder=$1 start end
    shift
    rm -rf "${out:?}/$folder"
    start=$(date +%s.%N)
    "$batch" --dest "$out" --folder "$folder" "$@" "${photos[@]}" >/dev/null 2>"$out/$folder.log" || true
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}

median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

psnr() { # reference, output: PSNR in dB of 8-bit RGB
    vips subtract "$1" "$2" "$out/d.v" 2>/dev/null
    vips multiply "$out/d.v" "$out/d.v" "$out/sq.v"
    local mse
    mse=$(vips avg "$out/sq.v")
    echo "10 * l(255 * 255 / $mse) / l(10)" | bc -l
}

echo "## job T on $n photos of $(vipsheader -f width "${photos[0]}")x$(vipsheader -f height "${photos[0]}"), 2 workers, load $(cut -d' ' -f1-3 /proc/loadavg)"
run reference "${jobT[@]}" --type png >/dev/null
printf '%-6s %12s %14s %12s\n' type "ms/photo" "bytes/photo" "PSNR dB"
for type in jpg webp avif; do
    times=()
    for ((r = 0; r < rounds; r++)); do
        times+=("$(run "$type" "${jobT[@]}" --type "$type")")
    done
    wall=$(printf '%s\n' "${times[@]}" | median)
    bytes=$(du -cb "$out/$type"/* | tail -1 | cut -f1)
    total=0
    for photo in "${photos[@]}"; do
        base=$(basename "${photo%.*}")
        total=$(echo "$total + $(psnr "$out/reference/$base.png" "$out/$type/$base.$type")" | bc -l)
    done
    printf '%-6s %12.0f %14.0f %12.2f\n' "$type" "$(echo "$wall * 1000 / $n" | bc -l)" \
        "$(echo "$bytes / $n" | bc -l)" "$(echo "$total / $n" | bc -l)"
done

echo "## size cap --max-kb 300 (300000 bytes), load $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-18s %8s %6s %10s %10s %14s %9s\n' run "s/photo" fit smallest largest "over 15% below" reported
cap() { # name, arguments...
    local name=$1 wall sizes fit low reported photo base capped free
    shift
    wall=$(run "$name" "$@" --max-kb 300)
    run "$name-free" "$@" >/dev/null
    sizes=$(stat -c %s "$out/$name"/*)
    fit=$(awk '$1 <= 300000' <<<"$sizes" | wc -l)
    low=0
    for photo in "$out/$name"/*; do
        base=$(basename "$photo")
        capped=$(stat -c %s "$photo")
        free=$(stat -c %s "$out/$name-free/$base")
        if ((capped < 255000 && free > 300000)); then
            low=$((low + 1))
        fi
    done
    reported=$(grep -c "does not fit the size cap" "$out/$name.log" || true)
    printf '%-18s %8.2f %6s %10s %10s %14s %9s\n' "$name" "$(echo "$wall / $n" | bc -l)" \
        "$fit/$n" "$(sort -n <<<"$sizes" | head -1)" "$(sort -n <<<"$sizes" | tail -1)" "$low" \
        "$reported"
}
cap jpg-job-T "${jobT[@]}" --quality 90 --type jpg
cap webp-whole --jobs 2 --quality 90 --type webp
cap jpg-whole --jobs 2 --quality 90 --type jpg
