#!/usr/bin/env bash
# The picture engine (src/engine) never reaches the interface: no file of it
# may include a header of the interface folders (src/app, src/view, ...) or of
# QtWidgets. Prints each offending line and fails when there is one.
#   scripts/check-engine-boundary.sh [source-root]
set -euo pipefail
root=${1:-"$(dirname "$0")/../src"}
cd "$root"

# Every folder beside engine/ is the interface's.
ui_folders=$(find . -mindepth 1 -maxdepth 1 -type d ! -name engine -printf '%f\n' | paste -sd'|')
forbidden="(${ui_folders})/|QtWidgets"
# QtWidgets' headers by their short names (<QWidget>, <qdialog.h>), as installed.
qt_headers=$(qtpaths6 --query QT_INSTALL_HEADERS 2>/dev/null || true)
if [ -d "$qt_headers/QtWidgets" ]; then
  widgets=$(ls "$qt_headers/QtWidgets" | grep -E '^(Q[A-Za-z0-9]+|q[a-z0-9_]+\.h)$' | paste -sd'|')
  forbidden="$forbidden|($widgets)[>\"]"
fi

if violations=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]($forbidden)" engine \
                  --include='*.h' --include='*.cpp'); then
  echo "The engine must not include the interface or QtWidgets:" >&2
  echo "$violations" >&2
  exit 1
fi
echo "Engine boundary: src/engine includes nothing of the interface or QtWidgets."
