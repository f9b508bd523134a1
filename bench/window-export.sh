#!/usr/bin/env bash
# Job T exported from the window against vantrel-batch --jobs 2 with the same values, in
# one session, rounds alternating so that both meet the same machine load.
#
#   bench/window-export.sh CORPUS [ROUNDS]
#
# CORPUS is made by ../shared/bench/make-corpus.sh CORPUS 40 (24 MP camera-like JPEGs).
# The window runs offscreen (QT_QPA_PLATFORM=offscreen unless already set, e.g. to xcb
# under Xvfb) with its settings in a temporary home; BUILD=DIR takes a build folder of your
# own in place of build-bench. Prints each round (wall and processor seconds of both; the
# window's from the press of Run Batch...), the medians, the window's overhead in percent
# and the longest pause of its GUI thread.
set -euo pipefail
[[ $# -ge 1 ]] || { sed -n '2,13p' "$0"; exit 2; }
corpus=$(readlink -f "$1")
rounds=${2:-3}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD:-$root/build-bench}
[[ -n ${BUILD:-} ]] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target vantrel-batch vantrel_window_export >/dev/null

mapfile -t photos < <(find "$corpus" -maxdepth 1 -iname '*.jpg' | sort)
out=$(mktemp -d /tmp/vantrel-window-bench.XXXXXX)
trap 'rm -rf "$out"' EXIT
export HOME=$out/home XDG_CONFIG_HOME=$out/home/.config XDG_DATA_HOME=$out/home/.local/share
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
mkdir -p "$HOME"

windows=()
batches=()
pause=0
echo "## job T, ${#photos[@]} photos: round, window wall/cpu s, vantrel-batch wall/cpu s"
for ((r = 0; r < rounds; r++)); do
    # The window's figure is its own clock from Run Batch... to the end of the export thread.
    # Its processor time too is counted from that press, without the thumbnails and preview
    # made before it.
    line=$("$build/bench/vantrel_window_export" "$out" "window-$r" "${photos[@]}" 2>/dev/null)
    windows+=("${line%% s,*}")
    wcpu=${line#*s, }
    wcpu=${wcpu%% processor*}
    ms=${line##*pause }
    ms=${ms%% ms*}
    ((ms > pause)) && pause=$ms
    /usr/bin/time -f '%e %U %S' -o "$out/btime" "$build/cli/vantrel-batch" \
        --brightness 0.1 --contrast 1.1 --saturation 1.2 \
        --crop 0.05,0.05,0.05,0.05 --rotate 90 --max-size 2048,2048 --type jpg --quality 85 \
        --jobs 2 --dest "$out" --folder "batch-$r" "${photos[@]}" >/dev/null 2>&1
    read -r bwall buser bsys < "$out/btime"
    batches+=("$bwall")
    awk -v r="$r" -v w="${windows[-1]}" -v wc="$wcpu" -v b="$bwall" \
        -v bc="$(echo "$buser + $bsys" | bc)" \
        'BEGIN { printf "%d  %7.2f / %7.2f   %7.2f / %7.2f\n", r, w, wc, b, bc }'
    cmp -s <(cd "$out/window-$r" && sha256sum -- *) <(cd "$out/batch-$r" && sha256sum -- *) ||
        echo "warning: round $r: the window and vantrel-batch wrote different files" >&2
    rm -rf "${out:?}/window-$r" "${out:?}/batch-$r"
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
w=$(median "${windows[@]}")
b=$(median "${batches[@]}")
echo "## medians of $rounds"
awk -v w="$w" -v b="$b" -v p="$pause" 'BEGIN {
    printf "window %.2f s, vantrel-batch --jobs 2 %.2f s, window %+.1f %%, longest GUI pause %d ms\n",
        w, b, (w / b - 1) * 100, p }'
