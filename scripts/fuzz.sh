#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while (default 30 s).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
scripts/install-deps.sh

# The desktop program's parts are configured for the readers of its files, but only the
# fuzz targets (and the libraries they link) are built.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKINETRA_BUILD_FUZZ=ON \
  -DKINETRA_BUILD_TESTS=OFF -DKINETRA_BUILD_BENCH=OFF -DKINETRA_BUILD_GUI=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-fuzz -j "$(nproc)" --target fuzzers

# Seeds and a dictionary sit beside a target's source: for NAME_fuzz.cpp or
# AREA_STEM_fuzz.cpp, the folder seeds/NAME or seeds/STEM and the file NAME.dict or STEM.dict.
extras() {
  local name=$1 source dir stem candidate
  source=$(find fuzz -name "$name.cpp" | head -n 1)
  [ -n "$source" ] || return 0
  dir=$(dirname "$source")
  stem=${name%_fuzz}
  for candidate in "$stem" "${stem#*_}"; do
    if [ -d "$dir/seeds/$candidate" ]; then echo "$dir/seeds/$candidate"; fi
    if [ -f "$dir/$candidate.dict" ]; then echo "-dict=$dir/$candidate.dict"; fi
  done | sort -u
}

status=0
passed=0
failed=0
for target in build-fuzz/bin/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  options=()
  seeds=()
  while IFS= read -r extra; do
    case "$extra" in
      -dict=*) options+=("$extra") ;;
      ?*) seeds+=("$extra") ;;
    esac
  done < <(extras "$name")
  echo "== $name: ${seconds} s ${options[*]} ${seeds[*]}"
  # The working corpus comes first: libFuzzer writes new inputs into the first folder.
  if "$target" -max_total_time="$seconds" -print_final_stats=0 "${options[@]}" "$corpus" "${seeds[@]}" \
       > "build-fuzz/$name.log" 2>&1; then
    grep -E '^Done [0-9]+ runs' "build-fuzz/$name.log" | tail -n 1 || true
    passed=$((passed + 1))
  else
    tail -n 40 "build-fuzz/$name.log"
    failed=$((failed + 1))
    status=1
  fi
done
echo "fuzz: $passed passed, $failed failed"
exit $status
