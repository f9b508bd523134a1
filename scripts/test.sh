#!/usr/bin/env bash
# Builds Vantrel and runs every test on a fresh Debian 12 machine: installs the Debian
# packages it needs (as root, only when missing), then a normal warning-free build with
# all tests and the checks of the Debian package made from it, then the tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer, then the core's tests under
# ThreadSanitizer, each sanitizer in a build folder of its own.
# Each phase says how long it took: the whole run has to fit CI's 20 minutes on 2 cores.
set -euo pipefail
cd "$(dirname "$0")/.."
"$(dirname "$0")/install-deps.sh"

phase() {
    local name=$1 start=$SECONDS
    shift
    "$@"
    echo "== $name: $((SECONDS - start)) s" >&2
}

jobs=$(nproc)
# Debug information is kept small (line tables only, none for the plain build): it is most of
# the compile time, and reports need no more than file and line.
# The benchmarks are built where they are run (bench/*.sh), not here. Each build joins the
# sources of a target into a few translation units (CMake's unity build): the headers of Qt,
# libvips and GoogleTest are then compiled a few times instead of once per file, which
# halves the builds' time.
unity=-DCMAKE_UNITY_BUILD=ON
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DVANTREL_BUILD_BENCH=OFF "$unity"
phase "build" cmake --build build --parallel "$jobs"
# Many tests wait on child processes and files: one more at a time than there are cores.
tests=$((jobs + 1))
phase "tests" ctest --test-dir build --output-on-failure --parallel "$tests"
# The Debian package, made from the build above and checked as installed files.
phase "package" scripts/check-package.sh build

# Sanitizers: any report fails the run.
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTREL_WERROR=ON \
    -DCMAKE_CXX_FLAGS_DEBUG="-g1" \
    -DVANTREL_SANITIZE=ON -DVANTREL_BUILD_BENCH=OFF "$unity"
phase "ASan+UBSan build" cmake --build build-sanitize --parallel "$jobs"
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
phase "ASan+UBSan tests" ctest --test-dir build-sanitize --output-on-failure --parallel "$tests"

# ThreadSanitizer on the parts that run threads (import walk, parallel export, thumbnails):
# the core, the command line tool and their tests only. ctest runs every test in a process
# of its own, which matters here: this TSan takes QProcess's vfork-style start of a child
# for a fork of the parent itself, which may then start no further thread.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    -DVANTREL_TSAN=ON -DVANTREL_BUILD_GUI=OFF -DVANTREL_BUILD_BENCH=OFF "$unity"
phase "TSan build" cmake --build build-tsan --parallel "$jobs"
# Plain malloc under GLib's slices, so that TSan sees every block handed between threads.
export G_SLICE=always-malloc
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan.supp"
# The pixel tests run nothing of ours on more than one thread, and instrumented pixel loops
# take minutes: they run in the two builds above. So do the orientation tests that only
# write and read tagged files through libvips: TSan reports GObject's own closures freed
# after libvips' workers touched them, with no frame of ours. The modern formats' tests are
# mostly encoders at work (libheif, libwebp); the export threads they pass are the exporter's
# own, which its tests cover here.
phase "TSan tests" ctest --test-dir build-tsan --output-on-failure --parallel "$tests" \
    --exclude-regex "^(PipelineRender|PipelineSizes|PreviewSource|FastKernels)\.|^Orientation\.|^ModernFormats(Test)?\."
