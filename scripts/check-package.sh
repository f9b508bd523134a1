#!/usr/bin/env bash
# Builds the Debian package from an already built tree (default: build) and checks it as a
# user's machine would take it: lintian, the desktop entry and AppStream validators, the
# file list, then the extracted programs, manual pages and bash completion.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
testdata=$(cd ../shared/testdata/real && pwd)

fail() {
    echo "check-package: $*" >&2
    exit 1
}

rm -f "$build"/vantrel_*.deb
cmake --build "$build" --target package >/dev/null
debs=("$build"/vantrel_*.deb)
deb=${debs[0]}
[[ -f $deb ]] || fail "no vantrel_*.deb was made in $build"
version=$(dpkg-deb --field "$deb" Version)
echo "$(basename "$deb"): $(du -k "$deb" | cut -f1) kB"
dpkg-deb --field "$deb" Depends Recommends

# Errors fail; the warnings left are printed for the reader.
lintian --fail-on error "$deb"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

files=$(dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\./|/|')
app_id=app.vantrel.Vantrel
expected=(/usr/bin/vantrel /usr/bin/vantrel-batch
    "/usr/share/applications/$app_id.desktop" "/usr/share/metainfo/$app_id.metainfo.xml"
    /usr/share/icons/hicolor/scalable/apps/vantrel.svg
    /usr/share/vantrel/help/faq.html /usr/share/vantrel/help/tutorial.html
    /usr/share/man/man1/vantrel.1.gz /usr/share/man/man1/vantrel-batch.1.gz
    /usr/share/bash-completion/completions/vantrel-batch
    /usr/share/doc/vantrel/copyright /usr/share/doc/vantrel/changelog.gz)
for size in 16 22 24 32 48 64 128 256 512; do
    expected+=("/usr/share/icons/hicolor/${size}x$size/apps/vantrel.png")
done
for file in "${expected[@]}"; do
    grep -qxF "$file" <<<"$files" || fail "the package lacks $file"
done
if grep -v '^/usr/' <<<"$files"; then
    fail "the package has files outside /usr (above)"
fi

desktop-file-validate "$root/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/$app_id.metainfo.xml"
# The tree as installed: the metainfo's launchable must name the desktop file shipped.
appstreamcli validate-tree --no-net "$root" >/dev/null

# The extracted programs, run from where they lie: nothing may come from the build tree.
for program in vantrel vantrel-batch; do
    said=$("$root/usr/bin/$program" --version)
    [[ $said == "$program $version" ]] || fail "$program --version says \"$said\", not \"$program $version\""
done
out=$(mktemp -d -p "$root")
folder=$("$root/usr/bin/vantrel-batch" --max-size 640,640 --metadata --dest "$out" \
    --folder Check "$testdata/jpeg/gps/DSCN0010.jpg" 2>"$out/log") ||
    fail "the extracted vantrel-batch failed: $(cat "$out/log")"
[[ -s $folder/DSCN0010.jpg ]] || fail "the extracted vantrel-batch wrote no $folder/DSCN0010.jpg"

for page in vantrel vantrel-batch; do
    warnings=$(zcat "$root/usr/share/man/man1/$page.1.gz" | groff -man -ww -z 2>&1)
    [[ -z $warnings ]] || fail "$page(1) renders with warnings: $warnings"
done

# The completion as bash loads it, asked for an option and for --dest's folders.
places=$(mktemp -d -p "$root")
completion_check=$(
    PATH="$root/usr/bin:$PATH" bash -c '
        source /usr/share/bash-completion/bash_completion
        source "$1/usr/share/bash-completion/completions/vantrel-batch"
        complete_line() {
            COMP_LINE=$1
            COMP_POINT=${#COMP_LINE}
            read -ra COMP_WORDS <<<"$COMP_LINE"
            [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
            COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
            COMPREPLY=()
            _vantrel_batch vantrel-batch "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
            echo "${COMPREPLY[*]}"
        }
        mkdir -p "$2/folder" && touch "$2/photo.jpg"
        complete_line "vantrel-batch --qu"
        complete_line "vantrel-batch --dest $2/"
    ' _ "$root" "$places")
expected_completion="--quality
$places/folder"
[[ $completion_check == "$expected_completion" ]] ||
    fail "completion gave \"$completion_check\", not \"$expected_completion\""
echo "check-package: $(basename "$deb") passes"
