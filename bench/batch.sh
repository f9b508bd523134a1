#!/usr/bin/env bash
# Batch throughput of vantrel-batch beside the peers, in one session so that the figures
# compare on a noisy machine.
#
#   bench/batch.sh CORPUS [ROUNDS]
#
# CORPUS is made by ../shared/bench/make-corpus.sh CORPUS 40 (24 MP camera-like JPEGs).
# First the peers (../shared/bench/peers.sh; its PEERS, JOBS_RUN and ROUNDS settings pass
# through; SKIP_PEERS=1 leaves them out), then Vantrel with 2 workers, medians of ROUNDS
# (default 3):
#   T  brightness +0.1, contrast 1.1, saturation 1.2, crop 5 % each side, rotate 90,
#      maximum 2048 x 2048, JPEG 85
#   R  maximum 1024 x 1024, JPEG 85
#   M  job R with the metadata copied by exiftool (the cost on top of R is the figure)
# and last the fidelity of job T's fast render against the strict step order.
set -euo pipefail
[[ $# -ge 1 ]] || { sed -n '2,18p' "$0"; exit 2; }
corpus=$(readlink -f "$1")
rounds=${2:-3}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=$root/build-bench
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target vantrel-batch vantrel_fidelity >/dev/null

if [[ -z ${SKIP_PEERS:-} ]]; then
    echo "## peers"
    ROUNDS=$rounds bash "$root/../shared/bench/peers.sh" "$corpus"
fi

mapfile -t photos < <(find "$corpus" -maxdepth 1 -iname '*.jpg' | sort)
n=${#photos[@]}
out=$(mktemp -d /tmp/vantrel-bench.XXXXXX)
trap 'rm -rf "$out"' EXIT
declare -A args=(
    [T]="--brightness 0.1 --contrast 1.1 --saturation 1.2 --crop 0.05,0.05,0.05,0.05 --rotate 90 --max-size 2048,2048 --type jpg --quality 85"
    [R]="--max-size 1024,1024 --type jpg --quality 85"
    [M]="--max-size 1024,1024 --type jpg --quality 85 --metadata"
)
echo "## vantrel-batch, $n photos, 2 workers, medians of $rounds"
printf '%-4s %8s %9s %8s\n' job wall_s ms/photo rss_MB
for job in T R M; do
    walls=()
    rss=0
    for ((r = 0; r < rounds; r++)); do
        # shellcheck disable=SC2086
        /usr/bin/time -f '%e %M' -o "$out/time" "$build/cli/vantrel-batch" ${args[$job]} \
            --jobs 2 --dest "$out" --folder "$job-$r" "${photos[@]}" >/dev/null 2>"$out/log"
        read -r wall kb < "$out/time"
        walls+=("$wall")
        ((kb > rss)) && rss=$kb
        rm -rf "${out:?}/$job-$r"
    done
    median=$(printf '%s\n' "${walls[@]}" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}')
    awk -v job="$job" -v wall="$median" -v n="$n" -v kb="$rss" \
        'BEGIN { printf "%-4s %8.2f %9.0f %8.0f\n", job, wall, wall * 1000 / n, kb / 1024 }'
done
echo "## fidelity of job T (fast render against the strict order)"
"$build/bench/vantrel_fidelity" "${photos[@]}" | tail -1
