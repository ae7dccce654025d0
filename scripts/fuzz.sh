#!/usr/bin/env bash
# Fuzzes the picture decoders as the program uses them (tests/fuzz), with clang's
# libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer, one run per
# format, each seeded from that format's files in ../shared/corpus when present.
#
#   scripts/fuzz.sh [SECONDS_PER_FORMAT] [FORMAT...]
#
# 12 seconds a format by default (the CI smoke run); give 3600 to fuzz each
# format for an hour. FORMAT is any of bmp png jpg gif tif (default: all).
# What the fuzzer learns is kept in build-fuzz/fuzz-corpus/<format> and grows
# from run to run; inputs that fail are written to build-fuzz/fuzz-findings/
# and make the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-12}"
shift || true
formats=("$@")
if [ ${#formats[@]} -eq 0 ]; then
  formats=(bmp png jpg gif tif)
fi

scripts/install-deps.sh --fuzz
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMORVANE_FUZZ=ON -DMORVANE_BUILD_TESTS=OFF -DMORVANE_BUILD_BENCH=OFF -DMORVANE_WERROR=ON
cmake --build build-fuzz -j2 --target fuzz_load_save
fuzzer="$PWD/build-fuzz/tests/fuzz/fuzz_load_save"

# The input's first byte picks the extension: its index in the target's list.
declare -A first_byte=([bmp]=0 [png]=1 [jpg]=2 [gif]=3 [tif]=4)
declare -A suffixes=([bmp]="bmp" [png]="png" [jpg]="jpg jpeg" [gif]="gif" [tif]="tif tiff")
corpus="../shared/corpus"
findings="$PWD/build-fuzz/fuzz-findings"
mkdir -p "$findings"

failed=0
for format in "${formats[@]}"; do
  if [ -z "${first_byte[$format]+set}" ]; then
    echo "unknown format: $format" >&2
    exit 2
  fi
  seeds="build-fuzz/fuzz-seeds/$format"
  work="build-fuzz/fuzz-corpus/$format"
  mkdir -p "$seeds" "$work"
  if [ -d "$corpus" ]; then
    # Seeds up to 512 KB: bigger pictures take too long per run to be worth it.
    byte=$(printf '\\%03o' "${first_byte[$format]}")
    for suffix in ${suffixes[$format]}; do
      while IFS= read -r -d '' file; do
        name=$(echo "${file#"$corpus"/}" | tr '/' '_')
        { printf "$byte"; cat "$file"; } > "$seeds/$name"
      done < <(find "$corpus" -type f -iname "*.$suffix" -size -512k -print0)
    done
  fi
  echo "== fuzzing $format for ${seconds}s ($(ls "$seeds" | wc -l) seeds)"
  # Inputs that take over 30 s or 3 GB are findings as well.
  if ! nice "$fuzzer" "$work" "$seeds" -max_total_time="$seconds" -timeout=30 \
      -rss_limit_mb=3072 -print_final_stats=1 -artifact_prefix="$findings/$format-" \
      2> >(grep -v -E '^(libpng|TIFF|Corrupt JPEG|Premature end|Invalid SOS|qt\.|QImage)' >&2); then
    failed=1
  fi
done

if [ "$failed" -ne 0 ]; then
  echo "fuzzing found failing inputs in $findings" >&2
  exit 1
fi
echo "fuzzing: no findings"
