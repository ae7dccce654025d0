#!/usr/bin/env bash
# Installs what is missing, builds Morvane and starts it with the demo portrait.
# Extra arguments are pictures to open instead.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target morvane
if [ $# -eq 0 ]; then
  set -- samples/portrait.png
fi
exec build/morvane "$@"
