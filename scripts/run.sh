#!/usr/bin/env bash
# Installs what is missing, builds, and runs the demonstration: the motion laws' values, and
# the cam mechanism loaded into the motion simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja
cmake --build build -j "$(nproc)"

echo "== Motion laws"
build/bin/veldrive-demo

if [ -x build/bin/motionsim ]; then
  echo
  echo "== Motion simulator with the cam mechanism (20 frames)"
  socket_dir=$(mktemp -d)
  KINETRA_SIM_SOCKET="$socket_dir/motionsim.sock" timeout 5 build/bin/motionsim --frames 20 \
    examples/cam_mechanism.msim &
  sim=$!
  sleep 1
  kill "$sim" 2>/dev/null || true
  wait "$sim" 2>/dev/null || true
  rm -rf "$socket_dir"
fi
