#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Morvane need.
# Idempotent: asks apt only for what is missing, and runs apt-get update first
# when it has to install anything.
#   scripts/install-deps.sh          to build, test and run
#   scripts/install-deps.sh --fuzz   and to fuzz the decoders (scripts/fuzz.sh)
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config
  # Qt 6 Widgets, its image plugins (TIFF among them) and the screen plugins
  qt6-base-dev qt6-svg-dev qt6-image-formats-plugins qt6-qpa-plugins
  # translations: lupdate/lrelease and Qt's own translated dialogs
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  # fonts for the Chinese and Korean interface
  fonts-wqy-microhei fonts-nanum
  # GIF and PNG writing
  libgif-dev libpng-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
)
if [ "${1:-}" = "--fuzz" ]; then
  packages+=(
    # libFuzzer and the sanitizer runtimes come with clang's compiler-rt;
    # llvm gives llvm-symbolizer for readable stack traces
    clang libclang-rt-14-dev llvm
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
