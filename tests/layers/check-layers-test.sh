#!/usr/bin/env bash
# The layer check passes on this tree and fails on each kind of wrong include.
set -uo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
check="$repo/scripts/check-layers.sh"
"$check" "$repo" || { echo "the tree itself crosses the layers"; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
expect_refused() { # folder file include-line
    rm -rf "$scratch/t" && mkdir -p "$scratch/t/core/imaging" "$scratch/t/gui" "$scratch/t/cli"
    mkdir -p "$scratch/t/$(dirname "$2")"
    printf '%s\n' "$3" >"$scratch/t/$2"
    if "$check" "$scratch/t" 2>/dev/null >/dev/null; then
        echo "not refused: $2 with $3"
        status=1
    fi
}
expect_refused t core/batch/A.cpp '#include <QImage>'
expect_refused t core/export/A.h '#include <QtWidgets/QWidget>'
expect_refused t core/batch/A.cpp '#include "gui/window/VantrelController.h"'
expect_refused t core/export/A.cpp '#include "ui_MainWindow.h"'
expect_refused t core/imaging/A.cpp '#include "core/batch/SystemLog.h"'
expect_refused t core/imaging/A.cpp '  #  include "core/export/BatchExporter.h"'
expect_refused t cli/A.cpp '#include "gui/skin/Skin.h"'
expect_refused t gui/window/A.cpp '#include "cli/BatchOptions.h"'
exit $status
