#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while (default 30 s).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
scripts/install-deps.sh

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKINETRA_BUILD_FUZZ=ON \
  -DKINETRA_BUILD_TESTS=OFF -DKINETRA_BUILD_BENCH=OFF -DKINETRA_BUILD_GUI=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-fuzz -j "$(nproc)"

status=0
for target in build-fuzz/bin/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds="fuzz/seeds/$name"
  echo "== $name: ${seconds} s"
  if ! "$target" -max_total_time="$seconds" -print_final_stats=0 "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ) \
       > "build-fuzz/$name.log" 2>&1; then
    tail -n 40 "build-fuzz/$name.log"
    status=1
  else
    grep -E '^Done|#[0-9]+.*DONE' "build-fuzz/$name.log" | tail -n 1 || true
  fi
done
exit $status
