#!/usr/bin/env bash
# Builds Vantrel and starts its window on a fresh Debian 12 machine: installs the Debian
# packages it needs (as root, only when missing), builds the application, then runs it with
# any photos or folders given as arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
"$(dirname "$0")/install-deps.sh"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel "$(nproc)" --target vantrel
exec build/vantrel "$@"
