#!/usr/bin/env bash
# Installs the Debian 12 packages Vantrel builds, tests and runs with; does nothing when
# they are all there already. Needs root only when something is missing.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config clang-format
    libvips-dev libexiv2-dev libheif-dev libimage-exiftool-perl
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libcanberra-dev libglib2.0-bin
    libgtest-dev libbenchmark-dev zlib1g-dev
    help2man librsvg2-bin file dpkg-dev lintian desktop-file-utils appstream groff-base
    bash-completion parallel
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
