#!/usr/bin/env bash
# Fails when an include line crosses the layers the wrong way:
#  - core/ includes gui/, cli/, a generated window description (ui_*.h) or a QtGui/QtWidgets
#    header: the core must build and run without a display;
#  - core/imaging/ includes core/batch/ or core/export/: the imaging layer reports through
#    return values, never through the batch's log or error list;
#  - gui/ includes cli/, or cli/ includes gui/: the two front ends only share the core.
# Usage: scripts/check-layers.sh [repository root]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

# Every header name that QtGui and QtWidgets install, in both spellings (<QImage>, <QtGui/QImage>).
qt_include=$(pkg-config --variable=includedir Qt6Gui 2>/dev/null || echo /usr/include/x86_64-linux-gnu/qt6)
declare -A forbidden_qt
while read -r name; do
    forbidden_qt[$name]=1
done < <(for module in QtGui QtWidgets QtOpenGL QtOpenGLWidgets; do
    [ -d "$qt_include/$module" ] || continue
    echo "$module"
    find "$qt_include/$module" -maxdepth 1 -type f -printf '%f\n' | sed "s|^|$module/|"
    find "$qt_include/$module" -maxdepth 1 -type f -name 'Q*' ! -name '*.h' -printf '%f\n'
done)

failures=0
report() {
    echo "layer violation: $1" >&2
    failures=$((failures + 1))
}

# file<TAB>included name, for every #include line of the given folder.
includes_of() {
    grep -rHoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"][^>"]+[>"]' "$1" \
        --include='*.h' --include='*.cpp' |
        sed -E 's/:[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]+)[>"]/\t\1/'
}

while IFS=$'\t' read -r file header; do
    case "$header" in
    gui/* | cli/* | ui_*.h) report "$file includes $header (the core cannot reach a front end)" ;;
    esac
    if [[ -n ${forbidden_qt[$header]:-} ]]; then
        report "$file includes $header (the core uses QtCore only)"
    fi
    case "$file:$header" in
    core/imaging/*:core/batch/* | core/imaging/*:core/export/*)
        report "$file includes $header (imaging is below batch and export)" ;;
    esac
done < <(includes_of core)

while IFS=$'\t' read -r file header; do
    case "$header" in cli/*) report "$file includes $header" ;; esac
done < <(includes_of gui)
while IFS=$'\t' read -r file header; do
    case "$header" in gui/*) report "$file includes $header" ;; esac
done < <(includes_of cli)

if ((failures)); then
    echo "$failures include line(s) cross the layers the wrong way" >&2
    exit 1
fi
echo "layers: every include points down"
