#!/usr/bin/env bash
# Builds Vantrel and runs every test on a fresh Debian 12 machine: installs the Debian
# packages it needs (as root, only when missing), then a normal warning-free build with
# all tests, then the core's tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer in a second build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
"$(dirname "$0")/install-deps.sh"

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR=ON
cmake --build build --parallel "$jobs"
ctest --test-dir build --output-on-failure --parallel "$jobs"

# Sanitizers: any report fails the run.
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTREL_WERROR=ON \
    -DVANTREL_SANITIZE=ON -DVANTREL_BUILD_BENCH=OFF
cmake --build build-sanitize --parallel "$jobs"
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
ctest --test-dir build-sanitize --output-on-failure --parallel "$jobs"
