#!/usr/bin/env bash
# The window's memory while the arrow keys walk the preview through a folder of hostile
# files: decompression bombs, the damaged files of ../shared/testdata/bad-seed and real
# photos, N entries in all (default 550), one selection every 33 ms as a held key gives.
#
#   BUILD=build bench/hostile-walk.sh [N] [REAL_PHOTO ...]
#
# Prints the peak resident memory of the whole walk (the budget is 600 MB), then each bomb's
# peak when thumbnailed alone by vipsthumbnail for comparison.
set -euo pipefail
entries=${1:-550}
shift || true
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD:-$root/build}
testdata=$(cd "$root/../shared/testdata" && pwd)
cmake -S "$root" -B "$build" -G Ninja -DVANTREL_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target vantrel_preview_latency >/dev/null
work=$(mktemp -d /tmp/vantrel-hostile.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Valid files of a few hundred kilobytes whose pixels would take gigabytes.
python3 - "$work" <<'EOF'
import struct, sys, zlib
out = sys.argv[1]
def zeros(rows, row_bytes, lead):
    c = zlib.compressobj(1)
    row = b"\0" * (row_bytes + lead)
    return b"".join(c.compress(row) for _ in range(rows)) + c.flush()
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
def png(name, w, h, colour, depth):
    channels = 3 if colour == 2 else 1
    ihdr = struct.pack(">IIBBBBB", w, h, depth, colour, 0, 0, 0)
    data = zeros(h, (w * channels * depth + 7) // 8, 1)
    with open(f"{out}/{name}", "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", data) + chunk(b"IEND", b""))
def tiff(name, w, h):
    data = zeros(h, w, 0)
    entries = [(256, 4, w), (257, 4, h), (258, 3, 8), (259, 3, 8), (262, 3, 1),
               (273, 4, 8 + 2 + 9 * 12 + 4), (277, 3, 1), (278, 4, h), (279, 4, len(data))]
    head = b"II*\0" + struct.pack("<IH", 8, len(entries))
    head += b"".join(struct.pack("<HHII", t, k, 1, v) for t, k, v in entries) + struct.pack("<I", 0)
    with open(f"{out}/{name}", "wb") as f:
        f.write(head + data)
png("bomb-rgb-16000.png", 16000, 16000, 2, 8)
png("bomb-bits-50000.png", 50000, 50000, 0, 1)
tiff("bomb-grey-30000.tif", 30000, 30000)
tiff("large-grey-19000.tif", 19000, 19000)
EOF
files=("$work"/*.png "$work"/*.tif)
while IFS= read -r -d '' f; do files+=("$f"); done < <(find "$testdata/bad-seed" "$testdata/real" -type f \( -iname '*.jp*g' -o -iname '*.png' -o -iname '*.tif*' \) -print0 | sort -z)
files+=("$@")
echo "${#files[@]} distinct files, walked as $entries entries"
QT_QPA_PLATFORM=offscreen "$build/bench/vantrel_preview_latency" "${files[@]}" --moves 1 \
    --photos "$entries" 2>/dev/null | grep -E "^stepping"

echo "each bomb thumbnailed alone by vipsthumbnail (peak resident MB):"
for f in "$work"/*.png "$work"/*.tif; do
    /usr/bin/time -f "%M" -o "$work/time" vipsthumbnail "$f" -s 256 -o "$work/thumb.jpg" \
        >/dev/null 2>&1 || true
    printf "  %-24s %6.0f\n" "$(basename "$f")" "$(($(cat "$work/time" | tail -1) / 1024))"
done
